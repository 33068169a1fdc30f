#include "far_host.h"

#include <cstdio>
#include <cstring>
#include <deque>

namespace farhost {
namespace {

struct HostState {
    PluginExports plugin{};
    std::vector<std::string> messages;
    std::string rootKey;
    PluginStartupInfo startupInfo{};
    std::deque<DialogAnswer> dialogAnswers;
    std::vector<DialogCall> dialogCalls;
    std::vector<FarDialogItem> lastDialogItems;
    std::vector<PluginPanelItem> selection;
    int controlResult = 1;
    std::vector<ControlCall> controlCalls;
    std::vector<int> requestedMessages;
};

HostState& Host() {
    static HostState host;
    return host;
}

const char* WINAPI HostGetMsg(intptr_t moduleNumber, int msgId) {
    HostState& host = Host();
    host.requestedMessages.push_back(msgId);
    if (moduleNumber != kModuleNumber || msgId < 0 ||
        static_cast<size_t>(msgId) >= host.messages.size()) {
        return ""; // FAR answers an unknown id with an empty text, never with null
    }
    return host.messages[static_cast<size_t>(msgId)].c_str();
}

int WINAPI HostDialog(intptr_t moduleNumber, int x1, int y1, int x2, int y2, const char* helpTopic,
                      FarDialogItem* items, int itemsNumber) {
    HostState& host = Host();
    DialogCall call{moduleNumber, x1, y1, x2, y2, helpTopic != nullptr ? helpTopic : "", {}};
    if (items != nullptr && itemsNumber > 0) {
        call.items.assign(items, items + itemsNumber);
    }
    host.dialogCalls.push_back(call);
    if (host.dialogAnswers.empty()) {
        host.lastDialogItems = call.items;
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
    host.lastDialogItems.assign(items, items + (itemsNumber > 0 ? itemsNumber : 0));
    return answer.result;
}

int WINAPI HostControl(HANDLE plugin, int command, void* param) {
    HostState& host = Host();
    ControlCall call{plugin, command, param != nullptr, ""};
    if (command == FCTL_CLOSEPLUGIN && param != nullptr) {
        call.directory = static_cast<const char*>(param);
    }
    host.controlCalls.push_back(call);
    if (host.controlResult == 0) {
        return 0; // a failing host leaves the parameter untouched
    }
    if (command == FCTL_GETPANELINFO && param != nullptr) {
        PanelInfo* info = static_cast<PanelInfo*>(param);
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
    PluginStartupInfo& info = host.startupInfo;
    info.StructSize = sizeof(PluginStartupInfo);
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
    return Host().dialogCalls;
}
const std::vector<FarDialogItem>& LastDialogItemsAfterEdit() {
    return Host().lastDialogItems;
}
void SetPanelSelection(const std::vector<PluginPanelItem>& selection) {
    Host().selection = selection;
}
void SetControlResult(int result) {
    Host().controlResult = result;
}
const std::vector<ControlCall>& ControlCalls() {
    return Host().controlCalls;
}
const std::vector<int>& RequestedMessages() {
    return Host().requestedMessages;
}

void ClearRecords() {
    HostState& host = Host();
    host.dialogCalls.clear();
    host.lastDialogItems.clear();
    host.controlCalls.clear();
    host.requestedMessages.clear();
}

std::vector<ListedItem> ListPanel(HANDLE plugin) {
    std::vector<ListedItem> listed;
    PluginPanelItem* items = nullptr;
    int count = 0;
    if (!Plugin().GetFindData(plugin, &items, &count, 0)) {
        return listed;
    }
    for (int i = 0; i < count; ++i) {
        const PluginPanelItem& item = items[i];
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

PluginPanelItem PanelItemFrom(const ListedItem& item) {
    PluginPanelItem copy;
    memset(&copy, 0, sizeof(copy));
    snprintf(copy.FindData.cFileName, sizeof(copy.FindData.cFileName), "%s", item.title.c_str());
    copy.UserData = item.userData;
    return copy;
}

HANDLE OpenFromCommandLine(const std::string& text) {
    return Plugin().OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(text.c_str()));
}

int PressKey(HANDLE plugin, int key, unsigned int controlState) {
    return Plugin().ProcessKey(plugin, key, controlState);
}

} // namespace farhost
