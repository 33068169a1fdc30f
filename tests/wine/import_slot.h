// A test's way into a real DLL without hooks in the product: the entry of the DLL's import
// address table through which it calls a function of another DLL, repointed for a while.
#pragma once

#include <windows.h>

namespace winetest {

// The slot of `module`'s import address table through which it calls `function` of `dll`;
// null when it imports no such function.
void** ImportSlot(HMODULE module, const char* dll, const char* function);

// Writes `value` into an import slot (the table may be read-only); gives what it held, null
// when the slot cannot be written.
void* ExchangeImport(void** slot, void* value);

} // namespace winetest
