#include "far1_host.h"

#include "../far3/folder_after_close.h"

#include <cstdio>
#include <cstring>
#include <deque>

namespace far1host {
namespace {

// A close the plug-in asked for with FCTL_CLOSEPLUGIN, carried out when its call returns.
struct RequestedClose {
    HANDLE plugin;
    bool hasDirectory;
    std::string directory;
};

// What the stand-in records of the plug-in's calls; ClearRecords starts them afresh.
struct Records {
    std::vector<DialogCall> dialogCalls;
    std::vector<ControlCall> controlCalls;
    std::vector<int> requestedMessages;
};

struct HostState {
    PluginExports plugin{};
    HostPanel panels[2] = {{kStartFolder}, {kStartFolder}};
    PanelSide active = kLeftPanel;
    std::vector<RequestedClose> requestedCloses;
    std::vector<std::string> messages;
    std::string rootKey;
    far1::PluginStartupInfo startupInfo{};
    std::deque<DialogAnswer> dialogAnswers;
    std::vector<far1::PluginPanelItem> selection;
    int controlResult = 1;
    Records records;
};

HostState& Host() {
    static HostState host;
    return host;
}

const char* WINAPI HostGetMsg(intptr_t moduleNumber, int msgId) {
    HostState& host = Host();
    host.records.requestedMessages.push_back(msgId);
    if (moduleNumber != kModuleNumber || msgId < 0 ||
        static_cast<size_t>(msgId) >= host.messages.size()) {
        return ""; // FAR answers an unknown id with an empty text, never with null
    }
    return host.messages[static_cast<size_t>(msgId)].c_str();
}

int WINAPI HostDialog(intptr_t moduleNumber, int x1, int y1, int x2, int y2, const char* helpTopic,
                      far1::FarDialogItem* items, int itemsNumber) {
    HostState& host = Host();
    DialogCall call{moduleNumber, x1, y1, x2, y2, helpTopic != nullptr ? helpTopic : "", {}};
    if (items != nullptr && itemsNumber > 0) {
        call.items.assign(items, items + itemsNumber);
    }
    host.records.dialogCalls.push_back(call);
    if (host.dialogAnswers.empty()) {
        return -1;
    }
    DialogAnswer answer = host.dialogAnswers.front();
    host.dialogAnswers.pop_front();
    for (const auto& check : answer.checks) {
        if (check.first >= 0 && check.first < itemsNumber) {
            items[check.first].Selected = check.second;
        }
    }
    for (const auto& text : answer.texts) {
        if (text.first >= 0 && text.first < itemsNumber) {
            snprintf(items[text.first].Data, sizeof(items[text.first].Data), "%s",
                     text.second.c_str());
        }
    }
    return answer.result;
}

int WINAPI HostControl(HANDLE plugin, int command, void* param) {
    HostState& host = Host();
    ControlCall call{plugin, command, param != nullptr, ""};
    if (command == far1::FCTL_CLOSEPLUGIN && param != nullptr) {
        call.directory = static_cast<const char*>(param);
    }
    host.records.controlCalls.push_back(call);
    if (command == far1::FCTL_CLOSEPLUGIN) {
        host.requestedCloses.push_back(RequestedClose{plugin, param != nullptr, call.directory});
    }
    if (host.controlResult == 0) {
        return 0; // a failing host leaves the parameter untouched
    }
    if (command == far1::FCTL_GETPANELINFO && param != nullptr) {
        far1::PanelInfo* info = static_cast<far1::PanelInfo*>(param);
        memset(info, 0, sizeof(*info));
        info->Plugin = 1;
        info->Visible = 1;
        info->Focus = 1;
        info->ViewMode = 2;
        info->SelectedItems = host.selection.empty() ? nullptr : host.selection.data();
        info->SelectedItemsNumber = static_cast<int>(host.selection.size());
    }
    return host.controlResult;
}

// Carries out the closes asked for during the plug-in call that just returned, for the
// instances the panels show; a request for an instance no panel shows is dropped.
void CloseRequestedPanels() {
    HostState& host = Host();
    std::vector<RequestedClose> requests;
    requests.swap(host.requestedCloses);
    for (const RequestedClose& request : requests) {
        for (HostPanel& panel : host.panels) {
            if (panel.plugin == nullptr || panel.plugin != request.plugin) {
                continue;
            }
            host.plugin.ClosePlugin(panel.plugin);
            panel.plugin = nullptr;
            std::string destination = panel.folder;
            if (request.hasDirectory &&
                !farfolder::FolderAfterClose(panel.folder, request.directory, &destination)) {
                panel.driveMenuShown = true;
            }
            panel.folder = destination;
        }
    }
}

// The text as the plug-in gets it: converted to the OEM code page, one byte for one byte.
std::string ToOem(const std::string& ansi) {
    std::vector<char> oem(ansi.size() + 1, '\0');
    CharToOemA(ansi.c_str(), oem.data());
    return std::string(oem.data());
}

} // namespace

bool LoadLanguageFile(const std::string& path, std::vector<std::string>* messages,
                      std::string* languageLine) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    messages->clear();
    languageLine->clear();
    std::string line;
    bool first = true;
    auto finishLine = [&]() {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (first) {
            *languageLine = line;
            first = false;
        } else if (!line.empty() && line[0] == '"') {
            size_t end = line.find_last_of('"');
            messages->push_back(end > 0 ? line.substr(1, end - 1) : line.substr(1));
        }
        line.clear();
    };
    int c;
    while ((c = fgetc(file)) != EOF) {
        if (c == '\n') {
            finishLine();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty()) {
        finishLine();
    }
    fclose(file);
    return true;
}

void Start(const PluginExports& plugin, const std::vector<std::string>& messages,
           const std::string& rootKey, const std::string& moduleName, bool nullRootKey) {
    HostState& host = Host();
    host = HostState();
    host.plugin = plugin;
    host.messages = messages;
    host.rootKey = rootKey;
    far1::PluginStartupInfo& info = host.startupInfo;
    info.StructSize = sizeof(far1::PluginStartupInfo);
    snprintf(info.ModuleName, sizeof(info.ModuleName), "%s", moduleName.c_str());
    info.ModuleNumber = kModuleNumber;
    info.RootKey = nullRootKey ? nullptr : host.rootKey.c_str();
    info.Dialog = HostDialog;
    info.GetMsg = HostGetMsg;
    info.Control = HostControl;
    plugin.SetStartupInfo(&info);
}

const PluginExports& Plugin() {
    return Host().plugin;
}

void QueueDialogAnswer(const DialogAnswer& answer) {
    Host().dialogAnswers.push_back(answer);
}
const std::vector<DialogCall>& DialogCalls() {
    return Host().records.dialogCalls;
}
void SetPanelSelection(const std::vector<far1::PluginPanelItem>& selection) {
    Host().selection = selection;
}
void SetControlResult(int result) {
    Host().controlResult = result;
}
const std::vector<ControlCall>& ControlCalls() {
    return Host().records.controlCalls;
}
const std::vector<int>& RequestedMessages() {
    return Host().records.requestedMessages;
}

void ClearRecords() {
    Host().records = Records();
}

std::vector<ListedItem> ListPanel(HANDLE plugin) {
    std::vector<ListedItem> listed;
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    if (!Plugin().GetFindData(plugin, &items, &count, 0)) {
        return listed;
    }
    for (int i = 0; i < count; ++i) {
        const far1::PluginPanelItem& item = items[i];
        ListedItem copy;
        copy.title.assign(item.FindData.cFileName,
                          strnlen(item.FindData.cFileName, sizeof(item.FindData.cFileName)));
        copy.customColumnNumber = item.CustomColumnNumber;
        if (item.CustomColumnData != nullptr && item.CustomColumnNumber >= 2) {
            copy.status = item.CustomColumnData[0] != nullptr ? item.CustomColumnData[0] : "";
            copy.handleText = item.CustomColumnData[1] != nullptr ? item.CustomColumnData[1] : "";
        }
        copy.userData = item.UserData;
        listed.push_back(copy);
    }
    Plugin().FreeFindData(plugin, items, count);
    return listed;
}

far1::PluginPanelItem PanelItemFrom(const ListedItem& item) {
    far1::PluginPanelItem copy;
    memset(&copy, 0, sizeof(copy));
    snprintf(copy.FindData.cFileName, sizeof(copy.FindData.cFileName), "%s", item.title.c_str());
    copy.UserData = item.userData;
    return copy;
}

HANDLE OpenFromCommandLine(const std::string& ansiText) {
    return OpenFromCommandLineOem(ToOem(ansiText));
}

HANDLE OpenFromCommandLineOem(const std::string& oemText) {
    return Plugin().OpenPlugin(far1::OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(oemText.c_str()));
}

int PressKey(HANDLE plugin, int key, unsigned int controlState) {
    return Plugin().ProcessKey(plugin, key, controlState);
}

// ---- The panels ------------------------------------------------------------------------------

const HostPanel& PanelAt(PanelSide side) {
    return Host().panels[side];
}

PanelSide ActivePanel() {
    return Host().active;
}

void SetActivePanel(PanelSide side) {
    Host().active = side;
}

void ShowFolder(PanelSide side, const std::string& folder) {
    HostPanel& panel = Host().panels[side];
    panel.folder = folder;
    panel.plugin = nullptr;
    panel.driveMenuShown = false;
}

namespace {

bool IsInstance(HANDLE plugin) {
    return plugin != nullptr && plugin != INVALID_HANDLE_VALUE;
}

// The active panel shows the instance that just opened; the one it showed before is closed
// now, after the new one opened, as FAR does it.
void ShowInActivePanel(HANDLE opened) {
    HostState& host = Host();
    HostPanel& panel = host.panels[host.active];
    HANDLE previous = panel.plugin;
    if (previous != nullptr) {
        host.plugin.ClosePlugin(previous);
    }
    panel.plugin = opened;
    panel.driveMenuShown = false;
}

} // namespace

HANDLE OpenInActivePanel(int openFrom) {
    HANDLE opened = Plugin().OpenPlugin(openFrom, 0);
    if (IsInstance(opened)) {
        ShowInActivePanel(opened);
    }
    return opened;
}

HANDLE TypeCommand(const std::string& command) {
    far1::PluginInfo info;
    memset(&info, 0, sizeof(info));
    Plugin().GetPluginInfo(&info);
    if (info.CommandPrefix == nullptr || info.CommandPrefix[0] == '\0') {
        return nullptr;
    }
    const std::string prefix = std::string(info.CommandPrefix) + ":";
    if (command.compare(0, prefix.size(), prefix) != 0) {
        return nullptr;
    }
    HANDLE opened = OpenFromCommandLine(command.substr(prefix.size()));
    if (IsInstance(opened)) {
        ShowInActivePanel(opened);
    }
    return opened;
}

int EnterDirectory(const std::string& directory) {
    HostState& host = Host();
    HANDLE shown = host.panels[host.active].plugin;
    if (shown == nullptr) {
        return 0;
    }
    host.requestedCloses.clear();
    int result = host.plugin.SetDirectory(shown, directory.c_str(), 0);
    CloseRequestedPanels();
    return result;
}

void ClosePanels() {
    for (HostPanel& panel : Host().panels) {
        if (panel.plugin != nullptr) {
            HANDLE shown = panel.plugin;
            panel.plugin = nullptr;
            Plugin().ClosePlugin(shown);
        }
    }
}

} // namespace far1host
