// The FAR 3 stand-in's process-wide state and the pieces its source files share.
#pragma once

#include "far3_host.h"

#include <deque>
#include <map>
#include <memory>

namespace far3host {

// A handle from SCTL_CREATE: its writes wait here until SCTL_FREE.
struct SettingsHandle {
    far3::PLUGINSETTINGSLOCATION location;
    std::map<Text, SettingValue> pending;
};

// A dialog between DialogInit and DialogFree: each item's live check state.
struct LiveDialog {
    size_t callIndex;                       // into Records::dialogCalls
    std::vector<far3::FarDialogItem> items; // pointers cleared
    far3::DialogProcFn proc;
    void* param;
};

// What the stand-in records of the plug-in's calls; ClearRecords starts them afresh.
struct Records {
    std::vector<PluginCall> pluginCalls;
    std::vector<AnomalyRecord> anomalies;
    std::vector<ControlCall> controlCalls;
    std::vector<MessageCall> messageCalls;
    std::vector<DialogCall> dialogCalls;
};

struct HostState {
    PluginExports plugin{};
    bool loaded = false; // SetStartupInfoW done and ExitFARW not yet
    GUID guid{};
    Text modulePath;
    std::vector<Text> messages;
    PluginInfoCopy pluginInfo; // FAR's cache of the latest GetPluginInfoW
    HostPanel panels[2];
    PanelSide active = kLeftPanel;
    bool inOpenPanelInfo = false;

    Records records;

    std::map<Text, SettingValue> store[2]; // by PLUGINSETTINGSLOCATION
    std::map<HANDLE, std::unique_ptr<SettingsHandle>> settingsHandles;
    uintptr_t settingsHandlesMade = 0;
    bool failSettingsCreate = false;

    std::deque<DialogAnswer> dialogAnswers;
    std::map<HANDLE, LiveDialog> dialogs;
    uintptr_t dialogsMade = 0;
    bool failDialogInit = false;
};

HostState& Host();

void Record(Call call, HANDLE panel, intptr_t detail, const Text& text = Text());
void NoteAnomaly(Anomaly anomaly, intptr_t detail = 0);
Text CopyText(const WCHAR* text); // "" for null
bool EqualGuids(const GUID& first, const GUID& second);
bool IsPluginGuid(const GUID* guid); // notes ForeignGuid when it is not the plug-in's
// False, noting StructSizeTooSmall, when the plug-in's record is null or below `needed`.
bool StructSizeFits(const void* record, size_t needed);
// False, noting NullArray, for a count with a null array.
bool ArrayFits(const void* array, size_t count);

// The services the startup record points at.
intptr_t WINAPI HostPanelControl(HANDLE hPanel, far3::FILE_CONTROL_COMMANDS command,
                                 intptr_t param1, void* param2);
intptr_t WINAPI HostSettingsControl(HANDLE handle, far3::FAR_SETTINGS_CONTROL_COMMANDS command,
                                    intptr_t param1, void* param2);
HANDLE WINAPI HostDialogInit(const GUID* pluginId, const GUID* id, intptr_t x1, intptr_t y1,
                             intptr_t x2, intptr_t y2, const WCHAR* helpTopic,
                             const far3::FarDialogItem* items, size_t itemsNumber,
                             intptr_t reserved, far3::FARDIALOGFLAGS flags,
                             far3::DialogProcFn dialogProc, void* param);
intptr_t WINAPI HostDialogRun(HANDLE dialog);
void WINAPI HostDialogFree(HANDLE dialog);
intptr_t WINAPI HostSendDlgMessage(HANDLE dialog, intptr_t message, intptr_t param1, void* param2);
intptr_t WINAPI HostDefDlgProc(HANDLE dialog, intptr_t message, intptr_t param1, void* param2);

} // namespace far3host
