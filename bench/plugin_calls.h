// The calls both benchmarks make into the plug-ins, as the hosts make them: the FAR 1.x listing
// through the host stand-in's exports, and the FAR 3 plug-in started with a minimal host (no
// messages, no settings store: the default settings, as the FAR 1.x one has them with an empty
// registry) and listed through its entry points.
#pragma once

#include "far1_host.h"
#include "far3_host.h"

#include <cstring>

template <typename Record> Record HostRecord() {
    Record record;
    memset(&record, 0, sizeof(record));
    record.StructSize = sizeof(record);
    return record;
}

// One FAR 1.x listing: GetFindData, then FreeFindData of what it gave; the number of items.
inline int ListFar1(const far1host::PluginExports& plugin, HANDLE panel) {
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    plugin.GetFindData(panel, &items, &count, 0);
    plugin.FreeFindData(panel, items, count);
    return count;
}

inline const WCHAR* WINAPI NoMessage(const GUID*, intptr_t) {
    static const WCHAR kNoText[] = {0};
    return kNoText;
}

inline intptr_t WINAPI NoSettingsStore(HANDLE, far3::FAR_SETTINGS_CONTROL_COMMANDS, intptr_t,
                                       void*) {
    return 0;
}

// Starts the FAR 3 plug-in (the records live only during the call) and opens a panel from the
// plug-ins menu; null or INVALID_HANDLE_VALUE when it opens none.
inline HANDLE OpenFar3Panel(const far3host::PluginExports& plugin, const WCHAR* modulePath) {
    far3::PluginStartupInfo startup = HostRecord<far3::PluginStartupInfo>();
    startup.ModuleName = modulePath;
    startup.GetMsg = NoMessage;
    startup.SettingsControl = NoSettingsStore;
    startup.Instance = plugin.instance;
    plugin.SetStartupInfoW(&startup);
    far3::OpenInfo open = HostRecord<far3::OpenInfo>();
    open.OpenFrom = far3::OPEN_PLUGINSMENU;
    open.Instance = plugin.instance;
    return plugin.OpenW(&open);
}

// GetFindDataW; the items and their number, both zero when it fails.
inline far3::GetFindDataInfo GetFar3Items(const far3host::PluginExports& plugin, HANDLE panel) {
    far3::GetFindDataInfo find = HostRecord<far3::GetFindDataInfo>();
    find.hPanel = panel;
    if (!plugin.GetFindDataW(&find)) {
        find.PanelItem = nullptr;
        find.ItemsNumber = 0;
    }
    return find;
}

inline void FreeFar3Items(const far3host::PluginExports& plugin, HANDLE panel,
                          const far3::GetFindDataInfo& found) {
    far3::FreeFindDataInfo release = HostRecord<far3::FreeFindDataInfo>();
    release.hPanel = panel;
    release.PanelItem = found.PanelItem;
    release.ItemsNumber = found.ItemsNumber;
    plugin.FreeFindDataW(&release);
}

// One FAR 3 listing: GetFindDataW, then FreeFindDataW of what it gave; the number of items.
inline int ListFar3(const far3host::PluginExports& plugin, HANDLE panel) {
    const far3::GetFindDataInfo found = GetFar3Items(plugin, panel);
    FreeFar3Items(plugin, panel, found);
    return static_cast<int>(found.ItemsNumber);
}

inline void CloseFar3Panel(const far3host::PluginExports& plugin, HANDLE panel) {
    far3::ClosePanelInfo close = HostRecord<far3::ClosePanelInfo>();
    close.hPanel = panel;
    plugin.ClosePanelW(&close);
}
