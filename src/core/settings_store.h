// The six settings in the registry of the current user, in the key "<host root key>\Velumo",
// one REG_DWORD value per setting, named as the setting. Loading falls back to each default
// wherever the registry has nothing usable; saving writes all six. No registry failure is
// reported to anybody, and no key stays open beyond the call that opened it.
#pragma once

#include "../win32.h"

#include <cstdint>

// Forms the key path from the host's root key and loads the six settings.
void LoadSettings(const char* rootKey);
// Writes the six settings as they stand in memory, each with its own create, set and close.
void SaveSettings();

// The key path of the settings relative to HKEY_CURRENT_USER; empty until LoadSettings, and
// empty for good when the host gave no root key (nothing is then read or written).
const char* SettingsKeyPath();

int32_t ReadDwordOrDefault(HKEY hive, const char* subKey, const char* valueName,
                           int32_t defaultValue);
// Reads a value of at most 4 bytes, of any type, into the buffer's low-order bytes; 1 when the
// stored value was taken, 0 when the default was stored into the buffer instead.
int ReadDwordValue(HKEY hive, const char* subKey, const char* valueName, uint8_t buffer[4],
                   int32_t defaultValue);
void WriteDwordValue(HKEY hive, const char* subKey, const char* valueName, int32_t value);
HKEY OpenSettingsKey(HKEY hive, const char* subKey);
HKEY CreateSettingsKey(HKEY hive, const char* subKey);
