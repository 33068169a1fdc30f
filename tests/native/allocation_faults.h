// Failing and counting heap calls. The test binary is linked with --wrap=malloc, --wrap=realloc
// and --wrap=free, so every malloc, realloc and free made by code linked into it statically
// (the product, the simulation, the tests) passes through here; and with a --wrap of
// operator new(size_t, const std::nothrow_t&), which the plug-in's panel objects come from.
#pragma once

namespace allocfaults {

enum class Call { Malloc, Realloc, NothrowNew };

// The nth call of that kind from now (1 = the very next one) returns null, once.
void FailNthCall(Call call, int nth);
// Every call of that kind from now on returns null.
void FailEveryCall(Call call);
// Lets every call succeed again.
void ClearFailures();

// Blocks obtained from malloc or realloc(null, ...) minus blocks freed since the last
// ResetBalance; 0 after a build and release that freed all they took.
long Balance();
void ResetBalance();

} // namespace allocfaults
