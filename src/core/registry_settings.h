// The FAR 1.x plug-in's settings (those the settings table gives FAR 1.x) in the registry of the
// current user, in one key given by the front end, one REG_DWORD value per setting, named as the
// setting. Loading falls back to each default wherever the registry has nothing usable; saving
// writes every one. No registry failure is reported to anybody, and no key stays open beyond
// the call that opened it.
#pragma once

#include "../win32.h"

#include <cstdint>

// Remembers HKEY_CURRENT_USER\<keyPath> as the settings key and loads the settings from
// it, each read on its own. A null key path leaves nothing to read or write: all defaults.
void LoadSettingsFromKey(const char* keyPath);
// Writes the settings as they stand in memory, each with its own create, set and close.
void SaveSettings();

// The remembered key path; empty until LoadSettingsFromKey, and empty for good when it was
// given none.
const char* SettingsKeyPath();

// 1 when HKEY_CURRENT_USER\<keyPath> exists and can be opened for reading.
int SettingsKeyExists(const char* keyPath);

// One value of the settings key: the stored number or the default.
int32_t ReadDwordOrDefault(const char* valueName, int32_t defaultValue);
// Reads a value of at most 4 bytes, of any type, into the buffer's low-order bytes; 1 when the
// stored value was taken, 0 when the default was stored into the buffer instead.
int ReadDwordValue(const char* valueName, uint8_t buffer[4], int32_t defaultValue);
void WriteDwordValue(const char* valueName, int32_t value);
