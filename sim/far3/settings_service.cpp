// SettingsControl over an in-memory store, with FAR's commit-at-SCTL_FREE transactions.
#include "host_state.h"

namespace far3host {
namespace {

bool IsLocation(intptr_t location) {
    return location == far3::PSL_ROAMING || location == far3::PSL_LOCAL;
}

SettingsHandle* FindHandle(HANDLE handle) {
    auto found = Host().settingsHandles.find(handle);
    if (found == Host().settingsHandles.end()) {
        NoteAnomaly(Anomaly::UnknownSettingsHandle);
        return nullptr;
    }
    return found->second.get();
}

// The item's name under the plug-in's root key, or null when the item cannot be served: a null
// or short record, a subkey root (none is ever created here) or a null name.
const WCHAR* ItemName(const far3::FarSettingsItem* item) {
    if (!StructSizeFits(item, sizeof(far3::FarSettingsItem))) {
        return nullptr;
    }
    if (item->Root != far3::FSSF_ROOT) {
        NoteAnomaly(Anomaly::UnsupportedCommand, static_cast<intptr_t>(item->Root));
        return nullptr;
    }
    return item->Name;
}

// Only numbers are read and written here: strings and data are stored by seeding alone.
bool IsNumber(const far3::FarSettingsItem& item) {
    if (item.Type == far3::FST_QWORD) {
        return true;
    }
    NoteAnomaly(Anomaly::UnsupportedCommand, static_cast<intptr_t>(item.Type));
    return false;
}

intptr_t Create(intptr_t location, void* param2) {
    HostState& host = Host();
    auto* create = static_cast<far3::FarSettingsCreate*>(param2);
    if (!StructSizeFits(create, sizeof(far3::FarSettingsCreate)) || !IsLocation(location) ||
        !IsPluginGuid(&create->Guid) || host.failSettingsCreate) {
        return FALSE;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(0x5E770000u + ++host.settingsHandlesMade);
    auto opened = std::make_unique<SettingsHandle>();
    opened->location = static_cast<far3::PLUGINSETTINGSLOCATION>(location);
    host.settingsHandles[handle] = std::move(opened);
    create->Handle = handle;
    return TRUE;
}

intptr_t Set(HANDLE handle, void* param2) {
    SettingsHandle* settings = FindHandle(handle);
    auto* item = static_cast<const far3::FarSettingsItem*>(param2);
    const WCHAR* name = settings != nullptr ? ItemName(item) : nullptr;
    if (name == nullptr) {
        return FALSE;
    }
    if (!IsNumber(*item)) {
        return FALSE;
    }
    SettingValue value;
    value.number = item->Number;
    settings->pending[name] = value; // a value of another type is replaced, type and all
    return TRUE;
}

intptr_t Get(HANDLE handle, void* param2) {
    SettingsHandle* settings = FindHandle(handle);
    auto* item = static_cast<far3::FarSettingsItem*>(param2);
    const WCHAR* name = settings != nullptr ? ItemName(item) : nullptr;
    if (name == nullptr || !IsNumber(*item)) {
        return FALSE;
    }
    // The handle's own writes first: they are part of its open transaction.
    const SettingValue* value = nullptr;
    auto pending = settings->pending.find(name);
    if (pending != settings->pending.end()) {
        value = &pending->second;
    } else {
        const auto& store = Host().store[settings->location];
        auto stored = store.find(name);
        value = stored != store.end() ? &stored->second : nullptr;
    }
    if (value == nullptr || value->type != far3::FST_QWORD) {
        return FALSE; // the value field stays as the plug-in set it
    }
    item->Number = value->number;
    return TRUE;
}

intptr_t Free(HANDLE handle) {
    HostState& host = Host();
    SettingsHandle* settings = FindHandle(handle);
    if (settings == nullptr) {
        return FALSE;
    }
    for (const auto& write : settings->pending) {
        host.store[settings->location][write.first] = write.second;
    }
    host.settingsHandles.erase(handle);
    return TRUE;
}

} // namespace

intptr_t WINAPI HostSettingsControl(HANDLE handle, far3::FAR_SETTINGS_CONTROL_COMMANDS command,
                                    intptr_t param1, void* param2) {
    switch (command) {
    case far3::SCTL_CREATE:
        return Create(param1, param2);
    case far3::SCTL_FREE:
        return Free(handle);
    case far3::SCTL_SET:
        return Set(handle, param2);
    case far3::SCTL_GET:
        return Get(handle, param2);
    default:
        NoteAnomaly(Anomaly::UnsupportedCommand, command);
        return FALSE;
    }
}

void SeedSetting(const StoredSetting& setting) {
    if (IsLocation(setting.location)) {
        Host().store[setting.location][setting.name] = setting.value;
    }
}

std::optional<SettingValue> ReadSetting(far3::PLUGINSETTINGSLOCATION location, const Text& name) {
    if (!IsLocation(location)) {
        return std::nullopt;
    }
    const auto& store = Host().store[location];
    auto found = store.find(name);
    if (found == store.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<StoredSetting> StoredSettings() {
    std::vector<StoredSetting> settings;
    for (int location = far3::PSL_ROAMING; location <= far3::PSL_LOCAL; ++location) {
        for (const auto& value : Host().store[location]) {
            settings.push_back(StoredSetting{static_cast<far3::PLUGINSETTINGSLOCATION>(location),
                                             value.first, value.second});
        }
    }
    return settings;
}

size_t OpenSettingsHandles() {
    return Host().settingsHandles.size();
}

void FailSettingsCreate(bool fail) {
    Host().failSettingsCreate = fail;
}

} // namespace far3host
