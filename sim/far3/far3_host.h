// A FAR 3.0 build 6258 stand-in for native (Unicode) plug-ins: it calls the W exports in FAR's
// order and offers the services Velumo uses (GetMsg, Message, PanelControl, SettingsControl,
// DialogInit/Run/Free, SendDlgMessage, DefDlgProc, AdvControl; the rest null). Tests script the
// user and read what the plug-in did. Natively the plug-in is linked in; on Windows the DLL is
// loaded with LoadLibraryW and GetProcAddress by plain names. One process-wide host, as FAR is.
//
// FAR 3 behaviours reproduced:
// - start-up: GetGlobalInfoW on a zeroed record with StructSize set; the plug-in is refused for
//   a zero StructSize, an empty Title, Description or Author, an all-zero Guid, or a
//   MinFarVersion above 3.0.0.6258 (Major, Minor, Build, Revision; not Stage). SetStartupInfoW
//   gets stack records overwritten with 0xA5 once it returns (kept pointers crash), then
//   GetPluginInfoW;
// - records from the host are zeroed with StructSize set; records from the plug-in (PanelInfo,
//   FarGetPluginPanelItem, FarSettingsCreate, FarSettingsItem, PanelRedrawInfo,
//   FarDialogItemData) are refused when their StructSize is below the host's;
// - GetPluginInfoW again for every menu built (a prefix matches FAR's copy of the latest
//   answer); ConfigureW giving TRUE re-reads every plug-in panel and the plug-in's info;
// - Message: a foreign or null message GUID shows nothing and gives -1; GetMsg: a foreign GUID
//   gives "", an id beyond the last gives "" and the "bad language file" warning;
// - opening (plug-ins menu and prefix: the active panel; disks menu: that side's): OpenW; null
//   changes nothing; an instance the panel shows gets FE_CLOSE if exported (non-zero keeps it,
//   the new one gets ClosePanelW), FreeData callbacks and ClosePanelW; then the new one is read;
// - the prefix is the text before the first ':' (two characters or more: one is a drive),
//   matched case-insensitively against each ':'-separated CommandPrefix entry; OpenW gets
//   OPEN_COMMANDLINE, the zero GUID and an OpenCommandLineInfo alive for the call only, with the
//   text after "prefix:" untrimmed (the whole line with PF_FULLCMDLINE);
// - GetOpenPanelInfoW on a zeroed record (StructSize, hPanel) before every listing, redraw and
//   FCTL_GETPANELINFO;
// - listing: GetFindDataW (0 closes the panel without FE_CLOSE); texts and UserData copied, then
//   FreeFindDataW with the same pointer and count; HIDDEN or SYSTEM items dropped and never given
//   to FreeData; OPIF_ADDDOTS puts ".." first; the previous items' FreeData called; the
//   selection carried over by name;
// - keys: ProcessPanelInputW with a KEY_EVENT record (bKeyDown 1, wRepeatCount 1, only the
//   modifier, NUMLOCK_ON and ENHANCED_KEY bits); an unhandled F8 (Shift+F8: current item only)
//   without OPIF_REALNAMES calls DeleteFilesW(OpMode 0) with the selected items (flags |
//   PPIF_SELECTED) or the current one, unconfirmed, then re-reads both panels;
// - "..": with CurDir empty or "\", FE_CLOSE (non-zero keeps it), FreeData and ClosePanelW, no
//   SetDirectoryW; otherwise SetDirectoryW("..");
// - PanelControl on PANEL_ACTIVE or null, PANEL_PASSIVE, or the plug-in's handle.
//   FCTL_GETPANELINFO zero-fills; SelectedItemsNumber counts the selection, or 1 for the cursor
//   on an item other than "..". FCTL_GET{,SELECTED,CURRENT}PANELITEM give the bytes needed and
//   fill the buffer only when Item is set and Size suffices (Flags | PPIF_SELECTED when
//   selected). FCTL_UPDATEPANEL re-reads (Param1 non-zero keeps the selection),
//   FCTL_REDRAWPANEL moves the cursor, FCTL_CLOSEPANEL closes before it returns; a directory is
//   taken from the folder the plug-in was opened in (".." its parent; at a drive root the Change
//   drive menu), null leaves that folder;
// - settings: named values, roaming and local apart (FST_STRING and FST_DATA only seeded).
//   SCTL_CREATE fails for a foreign GUID; SCTL_GET of a missing or other-typed value gives FALSE
//   and leaves the field; SCTL_SET replaces value and type; a handle's writes are seen through it
//   at once and by the store at its SCTL_FREE;
// - dialogs: DialogInit fails (INVALID_HANDLE_VALUE) for a foreign or null GUID or no items;
//   DialogRun gives the button pressed, Enter on a non-button the DIF_DEFAULTBUTTON item (or
//   that item), Esc -1; a dialog procedure gets DN_INITDIALOG and DN_CLOSE; DM_GETCHECK reads
//   the edited state until DialogFree;
// - exit: FreeData callbacks and ClosePanelW for every instance shown, then ExitFARW.
//
// Not modelled: sorting, file panels' contents, nested plug-in levels, the panel filter, edit
// masks and lengths, dialog texts (a typed text is checked against its item, not kept).
#pragma once

#include "far3/far3_plugin.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace far3host {

using Text = std::basic_string<WCHAR>;

// The plug-in's exports. ProcessPanelEventW may be null (not exported); the others are
// required by Velumo's front end.
struct PluginExports {
    far3::GetGlobalInfoWFn GetGlobalInfoW;
    far3::SetStartupInfoWFn SetStartupInfoW;
    far3::GetPluginInfoWFn GetPluginInfoW;
    far3::OpenWFn OpenW;
    far3::ClosePanelWFn ClosePanelW;
    far3::GetFindDataWFn GetFindDataW;
    far3::FreeFindDataWFn FreeFindDataW;
    far3::GetOpenPanelInfoWFn GetOpenPanelInfoW;
    far3::SetDirectoryWFn SetDirectoryW;
    far3::DeleteFilesWFn DeleteFilesW;
    far3::ProcessPanelInputWFn ProcessPanelInputW;
    far3::ProcessPanelEventWFn ProcessPanelEventW;
    far3::ConfigureWFn ConfigureW;
    far3::ExitFARWFn ExitFARW;
    void* instance; // the module handle FAR puts in every record's Instance (null natively)
};

// Natively: the linked-in plug-in (ProcessPanelEventW null unless the front end defines it).
// On Windows: loads the DLL at `path`; false (with what is missing in `error`) when the DLL or
// a required export cannot be found.
#ifdef _WIN32
bool LoadPlugin(const Text& path, PluginExports* exports, std::string* error);
#else
PluginExports LinkedPlugin();
#endif

// ---- Language file -----------------------------------------------------------------------

struct LanguageFile {
    std::vector<Text> messages;
};

// Reads a FAR 3 .lng file: UTF-8 after a BOM, else OEM 437; every trimmed line starting with '"'
// the next message up to its last '"', with \\ \" \n \r \t \b and "" decoded. False when the
// file cannot be read.
bool LoadLanguageFile(const std::string& path, LanguageFile* file);

// ---- Start and records -------------------------------------------------------------------

// FAR's version as the stand-in reports it: 3.0.0.6258.
constexpr far3::VersionInfo kFarVersion = {3, 0, 0, 6258, far3::VS_RELEASE};

struct SettingValue {
    far3::FARSETTINGSTYPES type = far3::FST_QWORD;
    unsigned long long number = 0;
    Text string;
    std::vector<unsigned char> data;
};

struct StoredSetting {
    far3::PLUGINSETTINGSLOCATION location;
    Text name;
    SettingValue value;
};

// Resets every script, record, panel and setting, seeds the settings store, loads the plug-in
// (GetGlobalInfoW, the checks, SetStartupInfoW, GetPluginInfoW). False when FAR would refuse
// the plug-in (the anomaly says why). The panels start as file panels in kStartFolder, the left
// one active; an instance a panel still showed is forgotten, so ExitFar before.
bool Start(const PluginExports& plugin, const std::vector<Text>& messages,
           const std::vector<StoredSetting>& settings, const Text& modulePath);
const PluginExports& Plugin();

// What the plug-in declared in GetPluginInfoW (the latest call), copied.
struct MenuCopy {
    std::vector<GUID> guids;
    std::vector<Text> strings;
};
struct PluginInfoCopy {
    far3::PLUGIN_FLAGS flags = 0;
    MenuCopy diskMenu, pluginMenu, pluginConfig;
    Text commandPrefix;
};
PluginInfoCopy ReadPluginInfo(); // calls GetPluginInfoW

// Every call the host made into the plug-in, in order.
enum class Call {
    GetGlobalInfo,
    SetStartupInfo,
    GetPluginInfo,
    Open,              // detail: OpenFrom; text: the command line for OPEN_COMMANDLINE
    ClosePanel,        // panel: the handle closed
    GetFindData,       //
    FreeFindData,      // detail: the item count
    GetOpenPanelInfo,  //
    SetDirectory,      // text: Dir
    DeleteFiles,       // detail: the item count
    ProcessPanelInput, // detail: the virtual-key code
    ProcessPanelEvent, // detail: the event
    Configure,         // detail: the configuration menu item
    ExitFar,
    FreeUserData, // panel: FAR's own panel object; detail: UserData.Data
};
// Recorded as the call starts, so calls the plug-in causes from inside it come after it.
struct PluginCall {
    Call call;
    HANDLE panel;
    intptr_t detail;
    Text text;
};
const std::vector<PluginCall>& PluginCalls();

// What the plug-in did that FAR would warn about, refuse or not survive.
enum class Anomaly {
    GlobalInfoRefused,       // zero StructSize, empty text or zero Guid: plug-in not loaded
    VersionTooNew,           // MinFarVersion above kFarVersion: plug-in not loaded
    BadLanguageFile,         // GetMsg id beyond the last message (detail: the id)
    ForeignGuid,             // a service called with a GUID that is not the plug-in's
    StructSizeTooSmall,      // a record from the plug-in below the host's size
    UnknownPanelHandle,      // PanelControl with a handle no panel shows
    UnknownDialogHandle,     // dialog service on a handle not (or no longer) open
    UnknownSettingsHandle,   // settings service on a handle not (or no longer) open
    DialogCloseRefused,      // DN_CLOSE refused with no answer left: the run ends anyway
    BadItemIndex,            // an index beyond the dialog's or the panel's items (detail: it)
    UnnamedItem,             // GetFindDataW item with a null FileName
    DroppedItemWithFreeData, // a hidden/system item dropped by FAR carried a FreeData callback
    NullArray,               // a count with a null array (menus, key bar, modes, items)
    ReenteredOpenPanelInfo,  // a service call asked for the panel info during GetOpenPanelInfoW
    UnsupportedCommand,      // a service command the stand-in does not model (detail: it)
};
struct AnomalyRecord {
    Anomaly anomaly;
    intptr_t detail;
};
const std::vector<AnomalyRecord>& Anomalies();

struct ControlCall {
    HANDLE hPanel;
    far3::FILE_CONTROL_COMMANDS command;
    intptr_t param1;
    bool hasParam2;
    Text directory; // FCTL_CLOSEPANEL: the directory text, if any
    intptr_t result;
};
const std::vector<ControlCall>& ControlCalls();

// A message box the plug-in asked for (the Message service), its texts copied. FAR shows it and
// the user closes it at once: with FMSG_MB_OK the answer is 0 (the OK button).
struct MessageCall {
    GUID pluginId;
    GUID messageId; // zero when the plug-in passed null
    far3::FARMESSAGEFLAGS flags;
    Text helpTopic;
    std::vector<Text> items; // the title first
};
const std::vector<MessageCall>& MessageCalls();
void ClearRecords(); // plug-in calls, anomalies, control, dialog and message records

// ---- Settings ------------------------------------------------------------------------------

void SeedSetting(const StoredSetting& setting); // also of an unexpected type
std::optional<SettingValue> ReadSetting(far3::PLUGINSETTINGSLOCATION location, const Text& name);
std::vector<StoredSetting> StoredSettings(); // to carry the store into the next Start
size_t OpenSettingsHandles();                // created and not yet freed
void FailSettingsCreate(bool fail);          // SCTL_CREATE fails while set

// ---- Dialogs -------------------------------------------------------------------------------

// A dialog item as the plug-in handed it over, its texts copied (the item's pointers cleared).
struct DialogItemCopy {
    far3::FarDialogItem item;
    Text data;
};

struct DialogCall {
    GUID pluginId;
    GUID dialogId; // zero when the plug-in passed null
    intptr_t x1, y1, x2, y2;
    Text helpTopic;
    far3::FARDIALOGFLAGS flags;
    std::vector<DialogItemCopy> items; // as handed over
    HANDLE handle;                     // INVALID_HANDLE_VALUE when DialogInit failed
    bool ran = false;                  // DialogRun called
    intptr_t result = -1;              // what DialogRun gave
    bool freed = false;
};

// What the simulated user does in the next dialog run: the edits, then how it is closed: on
// the button `result` (-1 Esc, -2 Ctrl+Break) or, when enterOnItem >= 0, by Enter on that item.
struct DialogAnswer {
    intptr_t result = -1;
    intptr_t enterOnItem = -1;
    std::vector<std::pair<size_t, intptr_t>> checks; // item index, new Selected
    std::vector<std::pair<size_t, Text>> texts;      // edit item index, text typed (not kept)
};

void QueueDialogAnswer(const DialogAnswer& answer); // none queued: Esc (-1), nothing edited
void FailDialogInit(bool fail);                     // DialogInit fails while set
const std::vector<DialogCall>& DialogCalls();
size_t OpenDialogs(); // initialised and not yet freed

// ---- The panels ----------------------------------------------------------------------------

enum PanelSide { kLeftPanel = 0, kRightPanel = 1 };

constexpr WCHAR kStartFolder[] = FAR3_TEXT("C:\\");

// One item as FAR keeps it after GetFindDataW.
struct ListedItem {
    Text fileName;
    std::optional<Text> description;
    std::vector<Text> customColumns; // a null column text is kept as ""
    far3::PLUGINPANELITEMFLAGS flags = 0;
    far3::UserDataItem userData = {nullptr, nullptr};
    uintptr_t fileAttributes = 0;
    bool isDots = false; // the ".." FAR adds for OPIF_ADDDOTS
    bool selected = false;
};

struct KeyBarLabelCopy {
    WORD virtualKeyCode;
    DWORD controlKeyState;
    std::optional<Text> text;
    std::optional<Text> longText;
};

struct PanelModeCopy {
    Text columnTypes, columnWidths;
    std::optional<std::vector<Text>> columnTitles; // as many as columnTypes has columns
    far3::PANELMODE_FLAGS flags = 0;
};

// The latest GetOpenPanelInfoW answer, copied.
struct OpenPanelInfoCopy {
    far3::OPENPANELINFO_FLAGS flags = 0;
    Text curDir, format, panelTitle;
    std::vector<PanelModeCopy> panelModes;
    intptr_t startPanelMode = 0;
    std::vector<KeyBarLabelCopy> keyBar;
};

struct HostPanel {
    Text folder;                 // the file panel's folder; under a plug-in, the one it came from
    HANDLE plugin = nullptr;     // the plug-in instance shown; null while it is a file panel
    bool driveMenuShown = false; // leaving the plug-in ended in the Change drive menu
    OpenPanelInfoCopy info;
    std::vector<ListedItem> items;
    size_t cursor = 0;
};

const HostPanel& PanelAt(PanelSide side);
PanelSide ActivePanel();
void SetActivePanel(PanelSide side); // Tab
// A file panel in `folder` (as the user changing drive): an instance shown there is closed first
// (FreeData callbacks, ClosePanelW).
void ShowFolder(PanelSide side, const Text& folder);

// F11, item `menuItem` of the plug-in's PluginMenu: OpenW(OPEN_PLUGINSMENU, its GUID), shown in
// the active panel. Gives what OpenW gave (null also when there is no such item).
HANDLE OpenInActivePanel(size_t menuItem = 0);
// Alt+F1 / Alt+F2, item `menuItem` of DiskMenu: OpenW(OPEN_LEFTDISKMENU or OPEN_RIGHTDISKMENU),
// shown in that side's panel (the active panel stays as it was).
HANDLE OpenFromDiskMenu(PanelSide side, size_t menuItem = 0);
// The user types `command` and presses Enter. Gives what OpenW gave; null as well when the
// command is not the plug-in's (then nothing is called: see PluginCalls).
HANDLE TypeCommand(const Text& command);

// Re-reads the panel's items (as FCTL_UPDATEPANEL with the selection kept) and gives them.
const std::vector<ListedItem>& ListPanel(PanelSide side);
void RedrawPanel(PanelSide side); // GetOpenPanelInfoW, copied into the panel's info
// The user's selection in the active panel (indices into its items; ".." cannot be selected).
void SelectItems(const std::vector<size_t>& indices);
void SetCursor(size_t index);

// A key in the active panel (nothing without a plug-in there). Gives ProcessPanelInputW's result.
intptr_t PressKey(WORD virtualKeyCode, DWORD controlKeyState);
// Enter on ".." (or Ctrl+PgUp) in the active panel; false without a plug-in there.
bool EnterDotDot();
// `cd dir` in the active panel's plug-in: SetDirectoryW, then a re-read when it succeeded and
// the panel still shows the instance. Gives SetDirectoryW's result; 0 without a plug-in there.
intptr_t ChangeDirectory(const Text& directory);

// F9, Options, Plugins configuration, item `menuItem` of PluginConfig: ConfigureW's result.
intptr_t Configure(size_t menuItem = 0);
// FAR exits: the panels' instances are closed, then ExitFARW.
void ExitFar();
// FAR dies: the plug-in is called no more and its panels are forgotten unclosed.
void KillFar();

} // namespace far3host
