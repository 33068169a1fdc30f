// A FAR 3 stand-in for native (Unicode) plug-ins: it calls the plug-in's W exports in the order
// FAR 3.0 build 6258 calls them and offers the services Velumo uses (GetMsg, Message, PanelControl,
// SettingsControl, DialogInit/Run/Free, SendDlgMessage, DefDlgProc, AdvControl; the other
// services are null). Tests script the user (panels, keys, commands, dialog answers) and read
// what the plug-in did. Natively the plug-in is linked in; on Windows the DLL is loaded with
// LoadLibraryW and GetProcAddress by plain names, as FAR loads it.
//
// The host is one process-wide object, as FAR is: the services are plain function pointers.
//
// FAR 3 behaviours reproduced:
// - start-up: GetGlobalInfoW on a zeroed record with StructSize set; the plug-in is refused
//   (SetStartupInfoW never called) for a zero StructSize, an empty Title, Description or Author,
//   an all-zero Guid, or a MinFarVersion above 3.0.0.6258 (Major, Minor, Build, then Revision;
//   Stage ignored). Then SetStartupInfoW with a startup record and FSF table that are stack
//   objects, overwritten with 0xA5 bytes once the call returns (a plug-in that keeps the
//   pointers instead of copying crashes on its next use), then GetPluginInfoW;
// - every record the host passes is zeroed with StructSize set; every record the plug-in passes
//   (PanelInfo, FarGetPluginPanelItem, FarSettingsCreate, FarSettingsItem, PanelRedrawInfo,
//   FarDialogItemData) is refused when its StructSize is below the host's size;
// - GetPluginInfoW again whenever a menu is built (a prefix is matched against FAR's copy of the
//   latest answer); ConfigureW returning TRUE re-reads every plug-in panel and the plug-in's info;
// - Message: a GUID that is not the plug-in's, or a null message GUID, shows nothing and gives -1;
//   a null item array with a count is an anomaly;
// - GetMsg: a GUID that is not the plug-in's gives ""; an id beyond the last message gives ""
//   and FAR's "bad language file" warning (recorded as an anomaly);
// - opening in a panel (plug-ins menu: the active panel; disks menu: that side's panel; prefix
//   command: the active panel): OpenW first; a null handle changes nothing; then, when the
//   panel shows a plug-in instance, ProcessPanelEventW(FE_CLOSE) to it if exported (non-zero
//   keeps it: the new instance gets ClosePanelW), its items' FreeData callbacks, ClosePanelW on
//   it; then the new instance is shown (GetOpenPanelInfoW, GetFindDataW, ...);
// - the prefix is the text before the first ':' (more than one character; a single letter is
//   a drive) matched case-insensitively against each ':'-separated CommandPrefix entry; OpenW
//   gets OPEN_COMMANDLINE, the all-zero GUID and an OpenCommandLineInfo that lives only during
//   the call, holding the text after "prefix:" untrimmed (the whole line with PF_FULLCMDLINE);
// - GetOpenPanelInfoW on a zeroed record with StructSize and hPanel set before every listing,
//   redraw and FCTL_GETPANELINFO;
// - listing: GetFindDataW; 0 closes the panel (FreeData callbacks, ClosePanelW, no FE_CLOSE);
//   the texts and UserData are copied, then FreeFindDataW with the same pointer and count;
//   items with FILE_ATTRIBUTE_HIDDEN or SYSTEM are dropped (FAR's "show hidden" off) and never
//   given to FreeData; OPIF_ADDDOTS adds a ".." item first; the items of the previous listing
//   are then discarded (FreeData called) and the selection carried over by name;
// - keys go to ProcessPanelInputW as an INPUT_RECORD (KEY_EVENT, bKeyDown 1, wRepeatCount 1,
//   only the modifier, NUMLOCK_ON and ENHANCED_KEY bits of the control state); F8 (Shift+F8:
//   the current item only) that it does not handle, on a panel without OPIF_REALNAMES, goes to
//   DeleteFilesW(OpMode 0) with the selected items (flags | PPIF_SELECTED) or the current one,
//   no confirmation; then both panels are re-read whatever it returned;
// - ".." on a panel whose CurDir is empty or "\": FE_CLOSE (non-zero keeps the panel), then
//   FreeData callbacks and ClosePanelW, without SetDirectoryW; otherwise SetDirectoryW("..");
// - PanelControl: hPanel PANEL_ACTIVE or null (the active panel), PANEL_PASSIVE, or the
//   plug-in's handle (whichever panel shows it). FCTL_GETPANELINFO zero-fills the record and
//   gives SelectedItemsNumber = the number selected, or 1 when none is selected and the cursor
//   is on an item other than "..". FCTL_GET{,SELECTED,CURRENT}PANELITEM return the bytes needed
//   for the item and its texts and fill the buffer only when Item is set and Size suffices,
//   with UserData as given and Flags | PPIF_SELECTED for a selected item. FCTL_UPDATEPANEL
//   re-reads (Param1 non-zero keeps the selection), FCTL_REDRAWPANEL moves the cursor,
//   FCTL_CLOSEPANEL is synchronous (GetOpenPanelInfoW, FE_CLOSE, FreeData callbacks, ClosePanelW
//   before it returns); with a directory the file panel goes there relative to the folder it had
//   before the plug-in opened (".." its parent, at a drive root FAR's Change drive menu), with
//   null it stays in that folder;
// - settings: one store of named values (FST_QWORD, FST_STRING, FST_DATA) under the plug-in's
//   root key, roaming and local apart. SCTL_CREATE fails for a GUID that is not the plug-in's;
//   SCTL_GET of a missing value, or of a value of another type, returns FALSE and leaves the
//   value field alone; a string or data read belongs to the handle until SCTL_FREE; SCTL_SET
//   replaces the value and its type; the writes of a handle are seen through it at once and by
//   the store only at its SCTL_FREE (the transaction's end);
// - dialogs: DialogInit fails (INVALID_HANDLE_VALUE) for a GUID that is not the plug-in's, a
//   null dialog GUID or no items; DialogRun gives the button pressed, Enter on a non-button item
//   gives the DIF_DEFAULTBUTTON item (or that item without one), Esc -1; a dialog procedure gets
//   DN_INITDIALOG and DN_CLOSE; DM_GETCHECK, DM_GETCONSTTEXTPTR and DM_GETTEXT read the edited
//   state until DialogFree;
// - exit: FreeData callbacks and ClosePanelW for each panel showing an instance, then ExitFARW.
//
// Not modelled: FAR's sorting (items stay in the plug-in's order), its file panels' contents
// (a file panel has no items), nested plug-in levels in one panel, the panel filter.
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
    Text language;    // ".Language=" up to the first ',' (e.g. "English")
    Text description; // after the ','
    std::vector<Text> messages;
    bool hadBom = false; // false: read in the OEM code page (437), as build 6258 does
};

// Reads a FAR 3 .lng file: code page from the BOM (UTF-8, UTF-16LE/BE; none: OEM 437), every
// line trimmed, `.Language=` in the header, each line starting with '"' the next message up to
// its last '"', with \\ \" \n \r \t \b and "" decoded. False when the file cannot be read.
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
const GUID& PluginGuid(); // from GetGlobalInfoW

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
bool HasAnomaly(Anomaly anomaly);

struct ControlCall {
    HANDLE hPanel;
    far3::FILE_CONTROL_COMMANDS command;
    intptr_t param1;
    bool hasParam2;
    Text directory; // FCTL_CLOSEPANEL: the directory text, if any
    intptr_t result;
};
const std::vector<ControlCall>& ControlCalls();
const std::vector<intptr_t>& RequestedMessages(); // GetMsg ids, in order

// A message box the plug-in asked for (the Message service), its texts copied. FAR shows it and
// the user closes it at once: with FMSG_MB_OK the answer is 0 (the OK button).
struct MessageCall {
    GUID pluginId;
    GUID messageId; // zero when the plug-in passed null
    far3::FARMESSAGEFLAGS flags;
    Text helpTopic;
    std::vector<Text> items; // the title first
    intptr_t buttonsNumber;
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
    Text history;
    Text mask;
};

struct DialogCall {
    GUID pluginId;
    GUID dialogId; // zero when the plug-in passed null
    intptr_t x1, y1, x2, y2;
    Text helpTopic;
    far3::FARDIALOGFLAGS flags;
    bool hasDialogProc;
    std::vector<DialogItemCopy> items;         // as handed over
    HANDLE handle;                             // INVALID_HANDLE_VALUE when DialogInit failed
    bool ran = false;                          // DialogRun called
    intptr_t result = -1;                      // what DialogRun gave
    std::vector<DialogItemCopy> itemsAfterRun; // the edited state (checks in Selected, texts)
    bool freed = false;
};

// What the simulated user does in the next dialog run: the edits, then how it is closed: on
// the button `result` (-1 Esc, -2 Ctrl+Break) or, when enterOnItem >= 0, by Enter on that item.
struct DialogAnswer {
    intptr_t result = -1;
    intptr_t enterOnItem = -1;
    std::vector<std::pair<size_t, intptr_t>> checks; // item index, new Selected
    std::vector<std::pair<size_t, Text>> texts;      // edit item index, text typed in its place
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
    Text alternateFileName;
    std::optional<Text> description;
    std::optional<Text> owner;
    std::vector<Text> customColumns; // a null column text is kept as ""
    far3::PLUGINPANELITEMFLAGS flags = 0;
    far3::UserDataItem userData = {nullptr, nullptr};
    uintptr_t fileAttributes = 0;
    uintptr_t numberOfLinks = 0;
    uintptr_t crc32 = 0;
    unsigned long long fileSize = 0;
    unsigned long long allocationSize = 0;
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
    Text columnTypes, columnWidths, statusColumnTypes, statusColumnWidths;
    std::optional<std::vector<Text>> columnTitles; // as many as columnTypes has columns
    far3::PANELMODE_FLAGS flags = 0;
};

// The latest GetOpenPanelInfoW answer, copied.
struct OpenPanelInfoCopy {
    far3::OPENPANELINFO_FLAGS flags = 0;
    Text hostFile, curDir, format, panelTitle, shortcutData;
    std::vector<PanelModeCopy> panelModes;
    intptr_t startPanelMode = 0;
    far3::OPENPANELINFO_SORTMODES startSortMode = far3::SM_DEFAULT;
    intptr_t startSortOrder = 0;
    bool hasKeyBar = false;
    std::vector<KeyBarLabelCopy> keyBar;
};

struct HostPanel {
    Text folder;                 // the file panel's folder; under a plug-in, the one it came from
    HANDLE plugin = nullptr;     // the plug-in instance shown; null while it is a file panel
    bool driveMenuShown = false; // leaving the plug-in ended in the Change drive menu
    OpenPanelInfoCopy info;
    std::vector<ListedItem> items;
    size_t cursor = 0;
    size_t topItem = 0;
    intptr_t viewMode = 2;
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

} // namespace far3host
