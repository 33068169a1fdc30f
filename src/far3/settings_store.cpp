#include "settings_store.h"

#include "../core/registry_settings.h"
#include "../core/settings.h"
#include "guids.h"
#include "host_services.h"

#include <cstring>

namespace far3 {

namespace {

constexpr size_t kNameCapacity = 32; // the longest setting name and its terminator

// A setting's name in UTF-16; the names are ASCII.
struct WideName {
    WCHAR text[kNameCapacity];

    explicit WideName(const char* name) {
        size_t i = 0;
        for (; name[i] != '\0' && i + 1 < kNameCapacity; ++i) {
            text[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
        }
        text[i] = 0;
    }
};

bool KeptInFarStore(const SettingField& setting) {
    return (setting.FrontEnds & kFar3) != 0;
}

HANDLE OpenStore() {
    FarSettingsCreate create;
    memset(&create, 0, sizeof(create));
    create.StructSize = sizeof(create);
    create.Guid = kPluginGuid;
    if (!SendSettingsControl(INVALID_HANDLE_VALUE, SCTL_CREATE, PSL_ROAMING, &create)) {
        return nullptr;
    }
    return create.Handle;
}

FarSettingsItem ItemFor(const WideName& name) {
    FarSettingsItem item;
    memset(&item, 0, sizeof(item));
    item.StructSize = sizeof(item);
    item.Root = 0;
    item.Name = name.text;
    item.Type = FST_QWORD;
    return item;
}

// True when the store held the value as a number; it is then in the setting's field, cut to the
// 32 bits the setting has (as the registry's four bytes were).
bool ReadSetting(HANDLE store, const SettingField& setting) {
    WideName name(setting.Name);
    FarSettingsItem item = ItemFor(name);
    item.Number = static_cast<unsigned long long>(static_cast<uint32_t>(setting.Default));
    if (!SendSettingsControl(store, SCTL_GET, 0, &item)) {
        return false;
    }
    g_settings.*setting.Field = static_cast<int32_t>(static_cast<uint32_t>(item.Number));
    return true;
}

void WriteSettings(HANDLE store) {
    for (const SettingField& setting : kSettingFields) {
        if (!KeptInFarStore(setting)) {
            continue;
        }
        WideName name(setting.Name);
        FarSettingsItem item = ItemFor(name);
        // The 32-bit value as it is (a truth value of 5 stays 5), zero-extended.
        item.Number = static_cast<uint32_t>(g_settings.*setting.Field);
        SendSettingsControl(store, SCTL_SET, 0, &item);
    }
}

} // namespace

void LoadFarSettings() {
    g_settings = kDefaultSettings;
    HANDLE store = OpenStore();
    if (store == nullptr) {
        return;
    }
    bool anyStored = false;
    for (const SettingField& setting : kSettingFields) {
        if (KeptInFarStore(setting) && ReadSetting(store, setting)) {
            anyStored = true;
        }
    }
    // A user coming from the FAR 1.x plug-in: its values move over once, the first time.
    if (!anyStored && SettingsKeyExists(kOldRegistryKeyPath)) {
        LoadSettingsFromKey(kOldRegistryKeyPath);
        for (const SettingField& setting : kSettingFields) {
            if (!KeptInFarStore(setting)) {
                g_settings.*setting.Field = setting.Default;
            }
        }
        WriteSettings(store);
    }
    // The writes are committed when the handle is freed.
    SendSettingsControl(store, SCTL_FREE, 0, nullptr);
}

void SaveFarSettings() {
    HANDLE store = OpenStore();
    if (store == nullptr) {
        return;
    }
    WriteSettings(store);
    SendSettingsControl(store, SCTL_FREE, 0, nullptr);
}

} // namespace far3
