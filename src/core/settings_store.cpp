#include "settings_store.h"

#include "settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kKeyName[] = "Velumo";

// The whole path is held whatever the length of the host's root key, so the settings are
// always read from and written to "<root key>\Velumo" and never to a cut-off key.
char* KeyPath = nullptr;

struct SettingField {
    const char* name;
    int32_t Settings::*field;
    int32_t defaultValue;
};

constexpr SettingField kFields[] = {
    {"AddToDisksMenu", &Settings::AddToDisksMenu, kDefaultSettings.AddToDisksMenu},
    {"DisksMenuDigit", &Settings::DisksMenuDigit, kDefaultSettings.DisksMenuDigit},
    {"ShowDesktopIcon", &Settings::ShowDesktopIcon, kDefaultSettings.ShowDesktopIcon},
    {"ShowOwnerWindow", &Settings::ShowOwnerWindow, kDefaultSettings.ShowOwnerWindow},
    {"ShowInvisibleWindow", &Settings::ShowInvisibleWindow, kDefaultSettings.ShowInvisibleWindow},
    {"ShowAllWindowAtExit", &Settings::ShowAllWindowAtExit, kDefaultSettings.ShowAllWindowAtExit},
};

// "<settings key path>" or "<settings key path>\<sub-key>", freshly allocated; null when there
// is no settings key path or no memory. The caller frees it.
char* ComposeAccessPath(const char* subKey) {
    if (KeyPath == nullptr) {
        return nullptr;
    }
    size_t pathLength = strlen(KeyPath);
    size_t subKeyLength = subKey != nullptr ? strlen(subKey) : 0;
    size_t capacity = pathLength + 1 + subKeyLength + 1;
    char* path = static_cast<char*>(malloc(capacity));
    if (path == nullptr) {
        return nullptr;
    }
    if (subKeyLength == 0) {
        snprintf(path, capacity, "%s", KeyPath);
    } else {
        snprintf(path, capacity, "%s\\%s", KeyPath, subKey);
    }
    return path;
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

HKEY OpenSettingsKey(HKEY hive, const char* subKey) {
    char* path = ComposeAccessPath(subKey);
    if (path == nullptr) {
        return nullptr;
    }
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(hive, path, 0, KEY_QUERY_VALUE, &key);
    free(path);
    return result == ERROR_SUCCESS ? key : nullptr;
}

HKEY CreateSettingsKey(HKEY hive, const char* subKey) {
    char* path = ComposeAccessPath(subKey);
    if (path == nullptr) {
        return nullptr;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                  nullptr, &key, &disposition);
    free(path);
    return result == ERROR_SUCCESS ? key : nullptr;
}

int ReadDwordValue(HKEY hive, const char* subKey, const char* valueName, uint8_t buffer[4],
                   int32_t defaultValue) {
    HKEY key = OpenSettingsKey(hive, subKey);
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

int32_t ReadDwordOrDefault(HKEY hive, const char* subKey, const char* valueName,
                           int32_t defaultValue) {
    uint8_t buffer[4];
    StoreLittleEndian(buffer, defaultValue);
    ReadDwordValue(hive, subKey, valueName, buffer, defaultValue);
    return LoadLittleEndian(buffer);
}

void WriteDwordValue(HKEY hive, const char* subKey, const char* valueName, int32_t value) {
    HKEY key = CreateSettingsKey(hive, subKey);
    if (key == nullptr) {
        return;
    }
    uint8_t data[4];
    StoreLittleEndian(data, value);
    RegSetValueExA(key, valueName, 0, REG_DWORD, data, sizeof(data));
    RegCloseKey(key);
}

void LoadSettings(const char* rootKey) {
    free(KeyPath);
    KeyPath = nullptr;
    if (rootKey != nullptr) {
        size_t capacity = strlen(rootKey) + 1 + sizeof(kKeyName);
        KeyPath = static_cast<char*>(malloc(capacity));
        if (KeyPath != nullptr) {
            snprintf(KeyPath, capacity, "%s\\%s", rootKey, kKeyName);
        }
    }
    for (const SettingField& setting : kFields) {
        g_settings.*setting.field =
            ReadDwordOrDefault(HKEY_CURRENT_USER, "", setting.name, setting.defaultValue);
    }
}

void SaveSettings() {
    for (const SettingField& setting : kFields) {
        WriteDwordValue(HKEY_CURRENT_USER, "", setting.name, g_settings.*setting.field);
    }
}
