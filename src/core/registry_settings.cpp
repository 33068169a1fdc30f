#include "registry_settings.h"

#include "settings.h"

#include <cstdlib>
#include <cstring>

namespace {

// The whole path is held whatever its length, so the settings are always read from and
// written to the key the front end named and never to a cut-off key.
char* KeyPath = nullptr;

HKEY OpenKey(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key);
    return result == ERROR_SUCCESS ? key : nullptr;
}

HKEY OpenSettingsKey() {
    return OpenKey(KeyPath);
}

HKEY CreateSettingsKey() {
    if (KeyPath == nullptr) {
        return nullptr;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &key, &disposition);
    return result == ERROR_SUCCESS ? key : nullptr;
}

void StoreLittleEndian(uint8_t buffer[4], int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        buffer[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

int32_t LoadLittleEndian(const uint8_t buffer[4]) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(buffer[i]) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

} // namespace

const char* SettingsKeyPath() {
    return KeyPath != nullptr ? KeyPath : "";
}

int SettingsKeyExists(const char* keyPath) {
    HKEY key = OpenKey(keyPath);
    if (key == nullptr) {
        return 0;
    }
    RegCloseKey(key);
    return 1;
}

int ReadDwordValue(const char* valueName, uint8_t buffer[4], int32_t defaultValue) {
    HKEY key = OpenSettingsKey();
    LONG result = ERROR_FILE_NOT_FOUND;
    if (key != nullptr) {
        DWORD type = 0;
        DWORD size = 4;
        result = RegQueryValueExA(key, valueName, nullptr, &type, buffer, &size);
        RegCloseKey(key);
    }
    if (key != nullptr && result == ERROR_SUCCESS) {
        return 1;
    }
    StoreLittleEndian(buffer, defaultValue);
    return 0;
}

int32_t ReadDwordOrDefault(const char* valueName, int32_t defaultValue) {
    uint8_t buffer[4];
    StoreLittleEndian(buffer, defaultValue);
    ReadDwordValue(valueName, buffer, defaultValue);
    return LoadLittleEndian(buffer);
}

void WriteDwordValue(const char* valueName, int32_t value) {
    HKEY key = CreateSettingsKey();
    if (key == nullptr) {
        return;
    }
    uint8_t data[4];
    StoreLittleEndian(data, value);
    RegSetValueExA(key, valueName, 0, REG_DWORD, data, sizeof(data));
    RegCloseKey(key);
}

void LoadSettingsFromKey(const char* keyPath) {
    free(KeyPath);
    KeyPath = nullptr;
    if (keyPath != nullptr) {
        size_t size = strlen(keyPath) + 1;
        KeyPath = static_cast<char*>(malloc(size));
        if (KeyPath != nullptr) {
            memcpy(KeyPath, keyPath, size);
        }
    }
    for (const SettingField& setting : kSettingFields) {
        if ((setting.FrontEnds & kFar1) != 0) {
            g_settings.*setting.Field = ReadDwordOrDefault(setting.Name, setting.Default);
        }
    }
}

void SaveSettings() {
    for (const SettingField& setting : kSettingFields) {
        if ((setting.FrontEnds & kFar1) != 0) {
            WriteDwordValue(setting.Name, g_settings.*setting.Field);
        }
    }
}
