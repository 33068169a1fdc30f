// Start-up, GetMsg, AdvControl, the plug-in's info and the records.
#include "host_state.h"

#include <cstring>

namespace far3host {

HostState& Host() {
    static HostState host;
    return host;
}

void Record(Call call, HANDLE panel, intptr_t detail, const Text& text) {
    Host().records.pluginCalls.push_back(PluginCall{call, panel, detail, text});
}
const std::vector<PluginCall>& PluginCalls() {
    return Host().records.pluginCalls;
}

void NoteAnomaly(Anomaly anomaly, intptr_t detail) {
    Host().records.anomalies.push_back(AnomalyRecord{anomaly, detail});
}
const std::vector<AnomalyRecord>& Anomalies() {
    return Host().records.anomalies;
}

Text CopyText(const WCHAR* text) {
    return text != nullptr ? Text(text) : Text();
}

bool EqualGuids(const GUID& first, const GUID& second) {
    return memcmp(&first, &second, sizeof(GUID)) == 0;
}

bool IsPluginGuid(const GUID* guid) {
    if (guid != nullptr && EqualGuids(*guid, Host().guid)) {
        return true;
    }
    NoteAnomaly(Anomaly::ForeignGuid);
    return false;
}

bool StructSizeFits(const void* record, size_t needed) {
    // Every such record starts with its size_t StructSize.
    if (record != nullptr && *static_cast<const size_t*>(record) >= needed) {
        return true;
    }
    NoteAnomaly(Anomaly::StructSizeTooSmall, static_cast<intptr_t>(needed));
    return false;
}

bool ArrayFits(const void* array, size_t count) {
    if (count == 0 || array != nullptr) {
        return true;
    }
    NoteAnomaly(Anomaly::NullArray, static_cast<intptr_t>(count));
    return false;
}

namespace {

const WCHAR* WINAPI HostGetMsg(const GUID* pluginId, intptr_t msgId) {
    HostState& host = Host();
    if (!IsPluginGuid(pluginId)) {
        return FAR3_TEXT("");
    }
    if (msgId < 0 || static_cast<size_t>(msgId) >= host.messages.size()) {
        NoteAnomaly(Anomaly::BadLanguageFile, msgId); // FAR warns, then answers ""
        return FAR3_TEXT("");
    }
    return host.messages[static_cast<size_t>(msgId)].c_str();
}

intptr_t WINAPI HostMessage(const GUID* pluginId, const GUID* id, far3::FARMESSAGEFLAGS flags,
                            const WCHAR* helpTopic, const WCHAR* const* items, size_t itemsNumber,
                            intptr_t) {
    if (!IsPluginGuid(pluginId) || id == nullptr) {
        return -1;
    }
    MessageCall call{*pluginId, *id, flags, CopyText(helpTopic), {}};
    if (!ArrayFits(items, itemsNumber)) {
        return -1;
    }
    for (size_t i = 0; i < itemsNumber; ++i) {
        call.items.push_back(CopyText(items[i]));
    }
    Host().records.messageCalls.push_back(call);
    return 0;
}

intptr_t WINAPI HostAdvControl(const GUID* pluginId, far3::ADVANCED_CONTROL_COMMANDS command,
                               intptr_t, void* param2) {
    if (!IsPluginGuid(pluginId)) {
        return 0;
    }
    switch (command) {
    case far3::ACTL_GETFARMANAGERVERSION:
        if (param2 == nullptr) {
            return 0;
        }
        *static_cast<far3::VersionInfo*>(param2) = kFarVersion;
        return TRUE;
    case far3::ACTL_REDRAWALL:
        return TRUE;
    case far3::ACTL_GETFARHWND:
        return 0; // no console window here
    }
    NoteAnomaly(Anomaly::UnsupportedCommand, command);
    return 0;
}

bool IsEmpty(const WCHAR* text) {
    return text == nullptr || text[0] == 0;
}

// FAR's version check: Major, Minor, Build, then Revision; Stage is not compared.
bool NeedsNewerFar(const far3::VersionInfo& needed) {
    const DWORD neededParts[] = {needed.Major, needed.Minor, needed.Build, needed.Revision};
    const DWORD farParts[] = {kFarVersion.Major, kFarVersion.Minor, kFarVersion.Build,
                              kFarVersion.Revision};
    for (int i = 0; i < 4; ++i) {
        if (neededParts[i] != farParts[i]) {
            return neededParts[i] > farParts[i];
        }
    }
    return false;
}

// Overwrites a record that has just gone out of use; volatile so the stores are not dropped as
// dead, which is the point: a plug-in still reading it gets garbage pointers.
void Poison(void* record, size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(record);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = 0xA5;
    }
}

MenuCopy CopyMenu(const far3::PluginMenuItem& menu) {
    MenuCopy copy;
    if (!ArrayFits(menu.Guids, menu.Count) || !ArrayFits(menu.Strings, menu.Count) ||
        menu.Count == 0) {
        return copy;
    }
    copy.guids.assign(menu.Guids, menu.Guids + menu.Count);
    for (size_t i = 0; i < menu.Count; ++i) {
        copy.strings.push_back(CopyText(menu.Strings[i]));
    }
    return copy;
}

} // namespace

bool Start(const PluginExports& plugin, const std::vector<Text>& messages,
           const std::vector<StoredSetting>& settings, const Text& modulePath) {
    HostState& host = Host();
    host = HostState();
    host.plugin = plugin;
    host.messages = messages;
    host.modulePath = modulePath;
    for (HostPanel& panel : host.panels) {
        panel.folder = kStartFolder;
    }
    for (const StoredSetting& setting : settings) {
        SeedSetting(setting);
    }

    far3::GlobalInfo global;
    memset(&global, 0, sizeof(global));
    global.StructSize = sizeof(global);
    Record(Call::GetGlobalInfo, nullptr, 0);
    plugin.GetGlobalInfoW(&global);
    if (global.StructSize == 0 || IsEmpty(global.Title) || IsEmpty(global.Description) ||
        IsEmpty(global.Author) || EqualGuids(global.Guid, GUID{})) {
        NoteAnomaly(Anomaly::GlobalInfoRefused);
        return false;
    }
    if (NeedsNewerFar(global.MinFarVersion)) {
        NoteAnomaly(Anomaly::VersionTooNew);
        return false;
    }
    host.guid = global.Guid;

    far3::FarStandardFunctions standardFunctions;
    memset(&standardFunctions, 0, sizeof(standardFunctions));
    standardFunctions.StructSize = sizeof(standardFunctions);
    far3::PluginStartupInfo startup;
    memset(&startup, 0, sizeof(startup));
    startup.StructSize = sizeof(startup);
    startup.ModuleName = host.modulePath.c_str();
    startup.GetMsg = HostGetMsg;
    startup.Message = HostMessage;
    startup.PanelControl = HostPanelControl;
    startup.FSF = &standardFunctions;
    startup.AdvControl = HostAdvControl;
    startup.DialogInit = HostDialogInit;
    startup.DialogRun = HostDialogRun;
    startup.DialogFree = HostDialogFree;
    startup.SendDlgMessage = HostSendDlgMessage;
    startup.DefDlgProc = HostDefDlgProc;
    startup.SettingsControl = HostSettingsControl;
    startup.Instance = plugin.instance;
    Record(Call::SetStartupInfo, nullptr, 0);
    plugin.SetStartupInfoW(&startup);
    Poison(&startup, sizeof(startup));
    Poison(&standardFunctions, sizeof(standardFunctions));

    host.loaded = true;
    ReadPluginInfo();
    return true;
}

const PluginExports& Plugin() {
    return Host().plugin;
}

PluginInfoCopy ReadPluginInfo() {
    HostState& host = Host();
    if (!host.loaded) {
        return PluginInfoCopy();
    }
    far3::PluginInfo info;
    memset(&info, 0, sizeof(info));
    info.StructSize = sizeof(info);
    Record(Call::GetPluginInfo, nullptr, 0);
    host.plugin.GetPluginInfoW(&info);
    PluginInfoCopy copy;
    copy.flags = info.Flags;
    copy.diskMenu = CopyMenu(info.DiskMenu);
    copy.pluginMenu = CopyMenu(info.PluginMenu);
    copy.pluginConfig = CopyMenu(info.PluginConfig);
    copy.commandPrefix = CopyText(info.CommandPrefix);
    host.pluginInfo = copy;
    return copy;
}

const std::vector<MessageCall>& MessageCalls() {
    return Host().records.messageCalls;
}

void ClearRecords() {
    HostState& host = Host();
    host.records = Records();
    for (auto& dialog : host.dialogs) {
        dialog.second.callIndex = SIZE_MAX; // its record is gone; the dialog itself stays open
    }
}

} // namespace far3host
