#include "far1_support.h"

#include "core/hidden_window_record.h"
#include "core/hidden_window_table.h"
#include "core/open_panels.h"
#include "far1/panel_items.h"
#include "far1/window_panel.h"
#include "far3/host_services.h"
#include "far3_host.h"
#include "sim_desktop.h"

#include <cstdio>
#include <cstring>
#include <sstream>

void ResetProcessState() {
    // FAR 3 closes the panels a test left open as it does at exit, while their windows still
    // exist; the stand-in's next Start clears the rest of its state.
    far3host::ExitFar();
    far3host::FailSettingsCreate(false);
    far3host::FailDialogInit(false);
    simwin::SetEnumerationHook({});
    simwin::LogWindowCalls(false);
    simwin::ResetDesktop();
    simwin::ResetRegistry();
    simwin::ResetCallCounts();
    g_settings = kDefaultSettings;
    g_hiddenWindows.Reset();
    g_openPanelCount = 0;
    memset(&far3::HostServices, 0, sizeof(far3::HostServices));
}

const std::vector<std::string>& EnglishMessages() {
    static const std::vector<std::string> messages = [] {
        std::vector<std::string> read;
        std::string language;
        far1host::LoadLanguageFile(VELUMO_LANG_DIR "/VelumoEng.lng", &read, &language);
        return read; // left empty when the file cannot be read
    }();
    return messages;
}

void StartFar1() {
    far1host::Start(far1host::LinkedPlugin(), EnglishMessages(), kFarPluginsRoot);
    far1host::ClearRecords();
}

far1::PluginPanelItem PanelItemFor(HWND window) {
    far1::PluginPanelItem item;
    memset(&item, 0, sizeof(item));
    item.UserData = far1::UserDataFromWindow(window);
    return item;
}

std::vector<int32_t> SettingsFields(const Settings& s) {
    std::vector<int32_t> fields;
    for (const SettingField& setting : kSettingFields) {
        fields.push_back(s.*setting.Field);
    }
    return fields;
}

std::vector<int32_t> FieldsWith(std::initializer_list<SettingValue> changes, const Settings& base) {
    Settings changed = base;
    for (const SettingValue& change : changes) {
        changed.*change.first = change.second;
    }
    return SettingsFields(changed);
}

Settings AllFields(int32_t value) {
    Settings all;
    for (const SettingField& setting : kSettingFields) {
        all.*setting.Field = value;
    }
    return all;
}

int SettingIndex(int32_t Settings::*field) {
    for (int i = 0; i < kSettingCount; ++i) {
        if (kSettingFields[i].Field == field) {
            return i;
        }
    }
    return -1;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

void PutLittleEndian(std::vector<uint8_t>& data, size_t at, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        data[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint64_t ProcessStartTime(DWORD process) {
    FILETIME created{}, unused{};
    const HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (opened == nullptr || !GetProcessTimes(opened, &created, &unused, &unused, &unused)) {
        created = FILETIME{};
    }
    CloseHandle(opened);
    return created.dwLowDateTime | static_cast<uint64_t>(created.dwHighDateTime) << 32;
}

std::vector<uint8_t> RecordEntryBytes(const RecordEntry& entry) {
    std::vector<uint8_t> bytes(kEntryClassOffset + 2 * entry.className.size());
    PutLittleEndian(bytes, kEntryTagOffset, kEntryTag, 4);
    PutLittleEndian(bytes, kEntryVersionOffset, kEntryVersion, 4);
    PutLittleEndian(bytes, kEntryWindowOffset, reinterpret_cast<uintptr_t>(entry.window), 4);
    PutLittleEndian(bytes, kEntryWindowProcessOffset, entry.owner, 4);
    PutLittleEndian(bytes, kEntryWindowStartOffset, entry.ownerStart, 8);
    PutLittleEndian(bytes, kEntryHiderStartOffset, entry.hiderStart, 8);
    PutLittleEndian(bytes, kEntryHiderProcessOffset, entry.hider, 4);
    PutLittleEndian(bytes, kEntryClassLengthOffset, entry.className.size(), 4);
    for (size_t i = 0; i < entry.className.size(); ++i) {
        PutLittleEndian(bytes, kEntryClassOffset + 2 * i, entry.className[i], 2);
    }
    return bytes;
}
