// A FAR-like host stand-in: it starts a plug-in through its exported functions and offers the
// three services the plug-in calls back (GetMsg, Dialog, Control) the way FAR 1.x does. Tests
// script the user's answers (dialog results and edits, the panel selection) and read what the
// plug-in asked for. Natively the plug-in is linked in; on Windows it is Velumo.dll, loaded
// with LoadLibrary and GetProcAddress by plain names, as FAR loads it.
//
// The host is one process-wide object, as FAR is: the services are plain function pointers
// without a context.
#pragma once

#include "far_plugin.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace farhost {

struct PluginExports {
    void(WINAPI* SetStartupInfo)(const PluginStartupInfo*);
    void(WINAPI* GetPluginInfo)(PluginInfo*);
    HANDLE(WINAPI* OpenPlugin)(int, intptr_t);
    void(WINAPI* ClosePlugin)(HANDLE);
    int(WINAPI* GetFindData)(HANDLE, PluginPanelItem**, int*, int);
    void(WINAPI* FreeFindData)(HANDLE, PluginPanelItem*, int);
    void(WINAPI* GetOpenPluginInfo)(HANDLE, OpenPluginInfo*);
    int(WINAPI* SetDirectory)(HANDLE, const char*, int);
    int(WINAPI* DeleteFiles)(HANDLE, PluginPanelItem*, int, int);
    int(WINAPI* ProcessKey)(HANDLE, int, unsigned int);
    int(WINAPI* Configure)(int);
    void(WINAPI* ExitFAR)(void);
};

// Natively: the linked-in plug-in. On Windows: loads the DLL at `path`; false (with the name
// of what is missing in `error`) when the DLL or one of the twelve exports cannot be found.
#ifdef _WIN32
bool LoadPlugin(const std::string& path, PluginExports* exports, std::string* error);
#else
PluginExports LinkedPlugin();
#endif

// ---- Language file -----------------------------------------------------------------------

// Reads a FAR language file: the first line names the language, then the n-th line that starts
// with a double quote is message n (the quotes stripped). False when the file cannot be read.
bool LoadLanguageFile(const std::string& path, std::vector<std::string>* messages,
                      std::string* languageLine);

// ---- The host ------------------------------------------------------------------------------

struct ControlCall {
    HANDLE plugin;
    int command;
    bool hasParam;
    std::string directory; // FCTL_CLOSEPLUGIN: the directory text passed
};

struct DialogCall {
    intptr_t moduleNumber;
    int x1, y1, x2, y2;
    std::string helpTopic;
    std::vector<FarDialogItem> items; // as the plug-in handed them over, before any edit
};

// What the simulated user does in the next dialog: edits, then closes it on `result`.
struct DialogAnswer {
    int result = -1;
    std::vector<std::pair<int, int>> checks;        // item index, new Selected
    std::vector<std::pair<int, std::string>> texts; // item index, new Data text
};

struct ListedItem {
    std::string title;      // the file name as handed over (OEM code page)
    std::string status;     // custom column 0
    std::string handleText; // custom column 1
    uintptr_t userData;
    int customColumnNumber;
};

// Resets every script and record, loads the messages, and calls SetStartupInfo with a record
// whose ModuleName is `moduleName` and RootKey is `rootKey` (null pointer when `nullRootKey`).
void Start(const PluginExports& plugin, const std::vector<std::string>& messages,
           const std::string& rootKey, const std::string& moduleName = "Velumo.dll",
           bool nullRootKey = false);
const PluginExports& Plugin();

// The module number the host hands out, checked in every service call. A 64-bit host's module
// number is pointer-wide, so in 64-bit builds it has bits above the low 32: a plug-in that keeps
// or passes it as an int is caught.
constexpr intptr_t kModuleNumber = sizeof(intptr_t) > 4
                                       ? static_cast<intptr_t>(0x5A17000000000007LL)
                                       : 7;

// Services' scripts and records.
void QueueDialogAnswer(const DialogAnswer& answer); // no answer queued: the user presses Esc (-1)
const std::vector<DialogCall>& DialogCalls();
const std::vector<FarDialogItem>& LastDialogItemsAfterEdit();
void SetPanelSelection(const std::vector<PluginPanelItem>& selection);
void SetControlResult(int result); // what Control returns; 0 makes FCTL_GETPANELINFO fail
const std::vector<ControlCall>& ControlCalls();
void ClearRecords();
// Message ids the plug-in asked for, in order, and how many asked ids had no text.
const std::vector<int>& RequestedMessages();

// Convenience calls made as FAR makes them.
std::vector<ListedItem> ListPanel(HANDLE plugin); // GetFindData, copy, FreeFindData
// The record FAR hands back for a listed item (to DeleteFiles, or as a selected item): its own
// copy of the name and the plug-in's UserData, everything else zero.
PluginPanelItem PanelItemFrom(const ListedItem& item);
HANDLE OpenFromCommandLine(const std::string& text);
int PressKey(HANDLE plugin, int key, unsigned int controlState);

} // namespace farhost
