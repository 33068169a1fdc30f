// A FAR 1.x stand-in: it starts a plug-in through its exports and offers the services it calls
// back (GetMsg, Dialog, Control) as FAR 1.x does. Tests script the user's answers and read what
// the plug-in asked for. Natively the plug-in is linked in; on Windows the DLL is loaded with
// LoadLibrary and GetProcAddress by plain names. One process-wide host, as FAR is.
//
// FAR's two panels as a plug-in meets them, with what FAR 3 does for an old ANSI plug-in:
// - a prefix command typed while the active panel shows a plug-in instance opens the new
//   instance first (OpenPlugin(OPEN_COMMANDLINE, text)), then closes the instance that panel
//   held (ClosePlugin), then shows the new one there; typed in a file panel it only opens;
// - the command text reaches the plug-in in the OEM code page (CharToOemA of the ANSI text);
// - FCTL_CLOSEPLUGIN closes the plug-in's panel once the plug-in's call has returned; with a
//   directory text the file panel then goes there relative to the folder it showed before the
//   plug-in opened (".." is one level up; at a drive root FAR pops up its Change drive menu
//   instead), with a null parameter it shows that folder again.
#pragma once

#include "far1_plugin.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace far1host {

struct PluginExports {
    void(WINAPI* SetStartupInfo)(const far1::PluginStartupInfo*);
    void(WINAPI* GetPluginInfo)(far1::PluginInfo*);
    HANDLE(WINAPI* OpenPlugin)(int, intptr_t);
    void(WINAPI* ClosePlugin)(HANDLE);
    int(WINAPI* GetFindData)(HANDLE, far1::PluginPanelItem**, int*, int);
    void(WINAPI* FreeFindData)(HANDLE, far1::PluginPanelItem*, int);
    void(WINAPI* GetOpenPluginInfo)(HANDLE, far1::OpenPluginInfo*);
    int(WINAPI* SetDirectory)(HANDLE, const char*, int);
    int(WINAPI* DeleteFiles)(HANDLE, far1::PluginPanelItem*, int, int);
    int(WINAPI* ProcessKey)(HANDLE, int, unsigned int);
    int(WINAPI* Configure)(int);
    void(WINAPI* ExitFAR)(void);
};

// Natively: the linked-in plug-in. On Windows: loads the DLL at `path`; false (with what is
// missing in `error`) when the DLL or an export cannot be found.
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
    std::string directory; // far1::FCTL_CLOSEPLUGIN: the directory text passed, if any
};

struct DialogCall {
    intptr_t moduleNumber;
    int x1, y1, x2, y2;
    std::string helpTopic;
    std::vector<far1::FarDialogItem> items; // as the plug-in handed them over, before any edit
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

// Resets every script, record and panel (file panels in kStartFolder, the left one active: close
// the panels before) and calls SetStartupInfo with `moduleName` and `rootKey` (null when
// `nullRootKey`).
void Start(const PluginExports& plugin, const std::vector<std::string>& messages,
           const std::string& rootKey, const std::string& moduleName = "Velumo.dll",
           bool nullRootKey = false);
const PluginExports& Plugin();

// The module number checked in every service call; pointer-wide with high bits set in 64-bit
// builds, so a plug-in that keeps it as an int is caught.
constexpr intptr_t kModuleNumber = sizeof(intptr_t) > 4
                                       ? static_cast<intptr_t>(0x5A17000000000007LL)
                                       : 7;

// Services' scripts and records.
void QueueDialogAnswer(const DialogAnswer& answer); // no answer queued: the user presses Esc (-1)
const std::vector<DialogCall>& DialogCalls();
void SetPanelSelection(const std::vector<far1::PluginPanelItem>& selection);
void SetControlResult(int result); // what Control returns; 0 makes far1::FCTL_GETPANELINFO fail
const std::vector<ControlCall>& ControlCalls();
void ClearRecords();
// Message ids the plug-in asked for, in order, and how many asked ids had no text.
const std::vector<int>& RequestedMessages();

// Convenience calls made as FAR makes them.
std::vector<ListedItem> ListPanel(HANDLE plugin); // GetFindData, copy, FreeFindData
// The record FAR hands back for a listed item (to DeleteFiles, or as a selected item): its own
// copy of the name and the plug-in's UserData, everything else zero.
far1::PluginPanelItem PanelItemFrom(const ListedItem& item);
// OpenPlugin(OPEN_COMMANDLINE, ...) as FAR calls it for the text after "prefix:": the text as
// typed (ANSI code page) converted with CharToOemA, or OEM bytes passed on as they are.
HANDLE OpenFromCommandLine(const std::string& ansiText);
HANDLE OpenFromCommandLineOem(const std::string& oemText);
int PressKey(HANDLE plugin, int key, unsigned int controlState);

// ---- The panels ------------------------------------------------------------------------------

enum PanelSide { kLeftPanel = 0, kRightPanel = 1 };

constexpr char kStartFolder[] = "C:\\";

struct HostPanel {
    std::string folder;          // the file panel's folder; under a plug-in, the one it came from
    HANDLE plugin = nullptr;     // the plug-in instance shown; null while it is a file panel
    bool driveMenuShown = false; // leaving the last plug-in ended in the Change drive menu
};

const HostPanel& PanelAt(PanelSide side);
PanelSide ActivePanel();
void SetActivePanel(PanelSide side);                        // Tab
void ShowFolder(PanelSide side, const std::string& folder); // a file panel there, no plug-in

// F11 (or the disks menu) in the active panel: OpenPlugin with `openFrom`; the panel shows the
// new instance. Gives what OpenPlugin gave; a failed open (-1) leaves the panel as it was.
HANDLE OpenInActivePanel(int openFrom);
// The user types `command` (ANSI) and presses Enter: "prefix:text" opens as above with the
// text in OEM; null, calling nothing, when the command is not the plug-in's.
HANDLE TypeCommand(const std::string& command);
// Enter on `directory` in the active panel's plug-in: SetDirectory, then the close it asked for.
// Gives SetDirectory's result; 0 without a plug-in in the active panel.
int EnterDirectory(const std::string& directory);
// What FAR does for every panel when it exits: ClosePlugin on each instance shown.
void ClosePanels();

} // namespace far1host
