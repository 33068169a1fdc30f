// The records, constants and services of FAR 3's native (Unicode) plug-in interface that cross
// between FAR 3 and Velumo's FAR 3 front end, written from the host's measured offsets (FAR 3.0
// builds 3605 to 6730, x86 and x64).
//   - Records use natural alignment in both builds (no packing pragma). The x86 and x64 layouts
//     differ only by pointer width and the padding that follows from it: 64-bit flags and sizes
//     are 8-aligned on x86 too, so a leading 4-byte StructSize is often followed by padding.
//   - All text is UTF-16: WCHAR is wchar_t on Windows and char16_t over the simulated Win32.
//   - Everything lives in namespace far3, because the FAR 1.x records use the same names in the
//     global namespace and both front ends are linked into one native test program.
// The static_asserts at the end pin every offset and size the host relies on, for both layouts;
// the numbers are the host's, not the compiler's.
#pragma once

#include "../win32.h"

#include <cstddef>
#include <cstdint>

// A UTF-16 string literal on both sides: L"..." where WCHAR is wchar_t, u"..." elsewhere.
#ifdef _WIN32
#define FAR3_TEXT(s) L##s
#else
#define FAR3_TEXT(s) u##s
#endif

namespace far3 {

#ifdef _WIN32
using ::FILETIME;
#else
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
#endif

// ---- Constants -------------------------------------------------------------------------------

enum VERSION_STAGE : int {
    VS_RELEASE = 0,
};

typedef unsigned long long PLUGIN_FLAGS;
constexpr PLUGIN_FLAGS PF_FULLCMDLINE = 0x10;

enum OPENFROM : int {
    OPEN_LEFTDISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_FINDLIST = 2,
    OPEN_SHORTCUT = 3,
    OPEN_COMMANDLINE = 4,
    OPEN_RIGHTDISKMENU = 10,
    OPEN_LUAMACRO = 100,
};

typedef unsigned long long OPERATION_MODES;
constexpr OPERATION_MODES OPM_FIND = 0x2;

// The low word of an item's flags is the plug-in's own; the host keeps and returns it.
typedef unsigned long long PLUGINPANELITEMFLAGS;
constexpr PLUGINPANELITEMFLAGS PPIF_SELECTED = 0x40000000;

typedef unsigned long long OPENPANELINFO_FLAGS;
constexpr OPENPANELINFO_FLAGS OPIF_ADDDOTS = 0x8;
constexpr OPENPANELINFO_FLAGS OPIF_RAWSELECTION = 0x10;
constexpr OPENPANELINFO_FLAGS OPIF_REALNAMES = 0x20;
constexpr OPENPANELINFO_FLAGS OPIF_SHOWPRESERVECASE = 0x100;

typedef unsigned long long PANELMODE_FLAGS;
constexpr PANELMODE_FLAGS PMFLAGS_FULLSCREEN = 0x1;

typedef unsigned long long INFOPANELLINE_FLAGS;

enum OPENPANELINFO_SORTMODES : int {
    SM_DEFAULT = 0,
    SM_NAME = 2,
};

enum FAR_EVENTS : int {
    FE_CLOSE = 3,
};

enum FILE_CONTROL_COMMANDS : int {
    FCTL_CLOSEPANEL = 0,
    FCTL_GETPANELINFO = 1,
    FCTL_UPDATEPANEL = 2,
    FCTL_REDRAWPANEL = 3,
    FCTL_GETPANELITEM = 21,
    FCTL_GETSELECTEDPANELITEM = 22,
    FCTL_GETCURRENTPANELITEM = 23,
};

// Panel handles for PanelControl besides the plug-in's own; a null handle means the active one.
inline const HANDLE PANEL_ACTIVE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
inline const HANDLE PANEL_PASSIVE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

typedef unsigned long long PANELINFOFLAGS;
constexpr PANELINFOFLAGS PFLAGS_PANELLEFT = 0x80;
constexpr PANELINFOFLAGS PFLAGS_PLUGIN = 0x800;
constexpr PANELINFOFLAGS PFLAGS_VISIBLE = 0x1000;
constexpr PANELINFOFLAGS PFLAGS_FOCUS = 0x2000;

enum PANELINFOTYPE : int {
    PTYPE_FILEPANEL = 0,
};

enum FAR_SETTINGS_CONTROL_COMMANDS : int {
    SCTL_CREATE = 0,
    SCTL_FREE = 1,
    SCTL_SET = 2,
    SCTL_GET = 3,
};

enum FARSETTINGSTYPES : int {
    FST_QWORD = 2,
    FST_STRING = 3,
    FST_DATA = 4,
};

// The plug-in's own key in its settings (FarSettingsItem::Root).
constexpr size_t FSSF_ROOT = 0;

// Where SCTL_CREATE opens the settings (its Param1).
enum PLUGINSETTINGSLOCATION : int {
    PSL_ROAMING = 0,
    PSL_LOCAL = 1,
};

enum FARDIALOGITEMTYPES : int {
    DI_TEXT = 0,
    DI_SINGLEBOX = 2,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_PSWEDIT = 5,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9,
    DI_COMBOBOX = 10,
};

// Several names share a value and mean different things per item type.
typedef unsigned long long FARDIALOGITEMFLAGS;
constexpr FARDIALOGITEMFLAGS DIF_BOXCOLOR = 0x200;
constexpr FARDIALOGITEMFLAGS DIF_CENTERGROUP = 0x4000;
constexpr FARDIALOGITEMFLAGS DIF_SEPARATOR = 0x10000;
constexpr FARDIALOGITEMFLAGS DIF_SEPARATOR2 = 0x20000;
constexpr FARDIALOGITEMFLAGS DIF_HIDDEN = 0x10000000;
constexpr FARDIALOGITEMFLAGS DIF_DEFAULTBUTTON = 0x100000000;
constexpr FARDIALOGITEMFLAGS DIF_FOCUS = 0x200000000;

typedef unsigned long long FARDIALOGFLAGS;

// Dialog messages (SendDlgMessage's and the dialog procedure's Msg).
enum FARMESSAGE : int {
    DM_GETCHECK = 25,
    DN_INITDIALOG = 4108,
    DN_CLOSE = 4117,
};

enum FARCHECKEDSTATE : int {
    BSTATE_UNCHECKED = 0,
    BSTATE_CHECKED = 1,
};

typedef unsigned long long FARMESSAGEFLAGS;
constexpr FARMESSAGEFLAGS FMSG_WARNING = 0x1;
constexpr FARMESSAGEFLAGS FMSG_MB_OK = 0x10000;

typedef unsigned long long FARHELPFLAGS;

enum ADVANCED_CONTROL_COMMANDS : int {
    ACTL_GETFARMANAGERVERSION = 0,
    ACTL_GETFARHWND = 10,
    ACTL_REDRAWALL = 19,
};

// ---- Loading and start-up --------------------------------------------------------------------

struct VersionInfo {
    DWORD Major;
    DWORD Minor;
    DWORD Revision;
    DWORD Build;
    VERSION_STAGE Stage;
};

struct GlobalInfo {
    size_t StructSize;
    VersionInfo MinFarVersion;
    VersionInfo Version;
    GUID Guid;
    const WCHAR* Title;
    const WCHAR* Description;
    const WCHAR* Author;
    void* Instance;
};

struct FarKey {
    WORD VirtualKeyCode;
    DWORD ControlKeyState;
};

struct FarDialogItem;
struct FarMenuItem; // Menu's items; its layout is not declared here (Velumo shows no menu)

typedef const WCHAR*(WINAPI* GetMsgFn)(const GUID* PluginId, intptr_t MsgId);
typedef intptr_t(WINAPI* MessageFn)(const GUID* PluginId, const GUID* Id, FARMESSAGEFLAGS Flags,
                                    const WCHAR* HelpTopic, const WCHAR* const* Items,
                                    size_t ItemsNumber, intptr_t ButtonsNumber);
typedef intptr_t(WINAPI* MenuFn)(const GUID* PluginId, const GUID* Id, intptr_t X, intptr_t Y,
                                 intptr_t MaxHeight, unsigned long long Flags, const WCHAR* Title,
                                 const WCHAR* Bottom, const WCHAR* HelpTopic,
                                 const FarKey* BreakKeys, intptr_t* BreakCode,
                                 const FarMenuItem* Items, size_t ItemsNumber);
typedef intptr_t(WINAPI* PanelControlFn)(HANDLE hPanel, FILE_CONTROL_COMMANDS Command,
                                         intptr_t Param1, void* Param2);
typedef intptr_t(WINAPI* SettingsControlFn)(HANDLE hHandle, FAR_SETTINGS_CONTROL_COMMANDS Command,
                                            intptr_t Param1, void* Param2);
typedef intptr_t(WINAPI* DialogProcFn)(HANDLE hDlg, intptr_t Msg, intptr_t Param1, void* Param2);
typedef HANDLE(WINAPI* DialogInitFn)(const GUID* PluginId, const GUID* Id, intptr_t X1, intptr_t Y1,
                                     intptr_t X2, intptr_t Y2, const WCHAR* HelpTopic,
                                     const FarDialogItem* Items, size_t ItemsNumber,
                                     intptr_t Reserved, FARDIALOGFLAGS Flags, DialogProcFn DlgProc,
                                     void* Param);
typedef intptr_t(WINAPI* DialogRunFn)(HANDLE hDlg);
typedef void(WINAPI* DialogFreeFn)(HANDLE hDlg);
typedef intptr_t(WINAPI* SendDlgMessageFn)(HANDLE hDlg, intptr_t Msg, intptr_t Param1,
                                           void* Param2);
typedef intptr_t(WINAPI* AdvControlFn)(const GUID* PluginId, ADVANCED_CONTROL_COMMANDS Command,
                                       intptr_t Param1, void* Param2);
typedef BOOL(WINAPI* ShowHelpFn)(const WCHAR* ModuleName, const WCHAR* Topic, FARHELPFLAGS Flags);
// A service or standard function Velumo never calls: only its place in the table matters.
typedef void(WINAPI* UnusedFn)();

// The host's standard functions: StructSize, then 48 entries in the host's order. The table
// grows at its end in later builds, so a copy is made by its own StructSize.
struct FarStandardFunctions {
    size_t StructSize;
    UnusedFn atoi, atoi64, itoa, itoa64, sprintf, sscanf, qsort, bsearch, snprintf;
    UnusedFn LIsLower, LIsUpper, LIsAlpha, LIsAlphanum, LUpper, LLower, LUpperBuf, LLowerBuf;
    UnusedFn LStrupr, LStrlwr, LStricmp, LStrnicmp, Unquote, LTrim, RTrim, Trim, TruncStr;
    UnusedFn TruncPathStr, QuoteSpaceOnly, PointToName, GetPathRoot, AddEndSlash;
    UnusedFn CopyToClipboard, PasteFromClipboard, FarInputRecordToName, FarNameToInputRecord;
    UnusedFn XLat, GetFileOwner, GetNumberOfLinks, FarRecursiveSearch, MkTemp, ProcessName;
    UnusedFn MkLink, ConvertPath, GetReparsePointInfo, GetCurrentDirectory, FormatFileSize;
    UnusedFn FarClock, CompareStrings;
};

// The host's services. The record and its FSF table live only during SetStartupInfoW: a
// plug-in copies both and points its copy's FSF at its copied table.
struct PluginStartupInfo {
    size_t StructSize;
    const WCHAR* ModuleName;
    MenuFn Menu;
    MessageFn Message;
    GetMsgFn GetMsg;
    PanelControlFn PanelControl;
    UnusedFn SaveScreen;
    UnusedFn RestoreScreen;
    UnusedFn GetDirList;
    UnusedFn GetPluginDirList;
    UnusedFn FreeDirList;
    UnusedFn FreePluginDirList;
    UnusedFn Viewer;
    UnusedFn Editor;
    UnusedFn Text;
    UnusedFn EditorControl;
    FarStandardFunctions* FSF;
    ShowHelpFn ShowHelp;
    AdvControlFn AdvControl;
    UnusedFn InputBox;
    UnusedFn ColorDialog;
    DialogInitFn DialogInit;
    DialogRunFn DialogRun;
    DialogFreeFn DialogFree;
    SendDlgMessageFn SendDlgMessage;
    DialogProcFn DefDlgProc;
    UnusedFn ViewerControl;
    UnusedFn PluginsControl;
    UnusedFn FileFilterControl;
    UnusedFn RegExpControl;
    UnusedFn MacroControl;
    SettingsControlFn SettingsControl;
    void* Private;
    void* Instance;
    UnusedFn FreeScreen;
};

// ---- Menus, opening, closing -----------------------------------------------------------------

// One menu of the plug-in: Count items, each with its own GUID and text.
struct PluginMenuItem {
    const GUID* Guids;
    const WCHAR* const* Strings;
    size_t Count;
};

struct PluginInfo {
    size_t StructSize;
    PLUGIN_FLAGS Flags;
    PluginMenuItem DiskMenu;
    PluginMenuItem PluginMenu;
    PluginMenuItem PluginConfig;
    const WCHAR* CommandPrefix;
    void* Instance;
};

struct OpenInfo {
    size_t StructSize;
    OPENFROM OpenFrom;
    const GUID* Guid;
    intptr_t Data;
    void* Instance;
};

// OpenInfo::Data for OPEN_COMMANDLINE: the text after "prefix:".
struct OpenCommandLineInfo {
    size_t StructSize;
    const WCHAR* CommandLine;
};

struct ClosePanelInfo {
    size_t StructSize;
    HANDLE hPanel;
    void* Instance;
};

struct ConfigureInfo {
    size_t StructSize;
    const GUID* Guid;
    void* Instance;
};

struct ExitInfo {
    size_t StructSize;
    void* Instance;
};

// ---- Panel contents --------------------------------------------------------------------------

struct FarPanelItemFreeInfo {
    size_t StructSize;
    HANDLE hPlugin; // the host's own panel object, not the plug-in's handle
};

typedef void(WINAPI* FarPanelItemFreeCallback)(void* UserData, const FarPanelItemFreeInfo* Info);

// An item's user data: the host keeps it with the item and calls FreeData (when not null) once
// it discards the item.
struct UserDataItem {
    void* Data;
    FarPanelItemFreeCallback FreeData;
};

struct PluginPanelItem {
    FILETIME CreationTime;
    FILETIME LastAccessTime;
    FILETIME LastWriteTime;
    FILETIME ChangeTime;
    unsigned long long FileSize;
    unsigned long long AllocationSize;
    const WCHAR* FileName;
    const WCHAR* AlternateFileName;
    const WCHAR* Description;
    const WCHAR* Owner;
    const WCHAR* const* CustomColumnData;
    size_t CustomColumnNumber;
    PLUGINPANELITEMFLAGS Flags;
    UserDataItem UserData;
    uintptr_t FileAttributes;
    uintptr_t NumberOfLinks;
    uintptr_t CRC32;
    intptr_t Reserved[2];
};

struct GetFindDataInfo {
    size_t StructSize;
    HANDLE hPanel;
    PluginPanelItem* PanelItem; // out
    size_t ItemsNumber;         // out
    OPERATION_MODES OpMode;
    void* Instance;
};

struct FreeFindDataInfo {
    size_t StructSize;
    HANDLE hPanel;
    PluginPanelItem* PanelItem;
    size_t ItemsNumber;
    void* Instance;
};

struct InfoPanelLine {
    const WCHAR* Text;
    const WCHAR* Data;
    INFOPANELLINE_FLAGS Flags;
};

struct PanelMode {
    const WCHAR* ColumnTypes;
    const WCHAR* ColumnWidths;
    const WCHAR* const* ColumnTitles;
    const WCHAR* StatusColumnTypes;
    const WCHAR* StatusColumnWidths;
    PANELMODE_FLAGS Flags;
};

// One key-bar label: the key (VK_F1..VK_F12) and the modifier group it belongs to.
struct KeyBarLabel {
    FarKey Key;
    const WCHAR* Text;
    const WCHAR* LongText;
};

// The count comes first.
struct KeyBarTitles {
    size_t CountLabels;
    const KeyBarLabel* Labels;
};

struct OpenPanelInfo {
    size_t StructSize;
    HANDLE hPanel;
    OPENPANELINFO_FLAGS Flags;
    const WCHAR* HostFile;
    const WCHAR* CurDir;
    const WCHAR* Format;
    const WCHAR* PanelTitle;
    const InfoPanelLine* InfoLines;
    size_t InfoLinesNumber;
    const WCHAR* const* DescrFiles;
    size_t DescrFilesNumber;
    const PanelMode* PanelModesArray;
    size_t PanelModesNumber;
    intptr_t StartPanelMode; // the view mode's digit character ('0' + n), 0 keeps the current
    OPENPANELINFO_SORTMODES StartSortMode;
    intptr_t StartSortOrder;
    const KeyBarTitles* KeyBar;
    const WCHAR* ShortcutData;
    unsigned long long FreeSize;
    UserDataItem UserData;
    void* Instance;
};

struct SetDirectoryInfo {
    size_t StructSize;
    HANDLE hPanel;
    const WCHAR* Dir;
    intptr_t Reserved;
    OPERATION_MODES OpMode;
    UserDataItem UserData;
    void* Instance;
};

struct DeleteFilesInfo {
    size_t StructSize;
    HANDLE hPanel;
    PluginPanelItem* PanelItem;
    size_t ItemsNumber;
    OPERATION_MODES OpMode;
    void* Instance;
};

struct ProcessPanelInputInfo {
    size_t StructSize;
    HANDLE hPanel;
    INPUT_RECORD Rec;
    void* Instance;
};

struct ProcessPanelEventInfo {
    size_t StructSize;
    intptr_t Event;
    void* Param;
    HANDLE hPanel;
    void* Instance;
};

// ---- Panel control, settings, dialogs --------------------------------------------------------

struct PanelInfo {
    size_t StructSize;
    HANDLE PluginHandle;
    GUID OwnerGuid;
    PANELINFOFLAGS Flags;
    size_t ItemsNumber;
    size_t SelectedItemsNumber;
    RECT PanelRect;
    size_t CurrentItem;
    size_t TopPanelItem;
    intptr_t ViewMode;
    PANELINFOTYPE PanelType;
    OPENPANELINFO_SORTMODES SortMode;
};

// FCTL_GET*PANELITEM's buffer: Size bytes at Item, filled with the item and then its strings.
struct FarGetPluginPanelItem {
    size_t StructSize;
    size_t Size;
    PluginPanelItem* Item;
};

struct PanelRedrawInfo {
    size_t StructSize;
    size_t CurrentItem;
    size_t TopPanelItem;
};

struct FarSettingsCreate {
    size_t StructSize;
    GUID Guid;
    HANDLE Handle; // out
};

struct FarSettingsData {
    size_t Size;
    const void* Data;
};

// One named value under Root. The value's field depends on Type; a value read (SCTL_GET)
// belongs to the settings handle and stays valid until SCTL_FREE.
struct FarSettingsItem {
    size_t StructSize;
    size_t Root;
    const WCHAR* Name;
    FARSETTINGSTYPES Type;
    union {
        unsigned long long Number;
        const WCHAR* String;
        FarSettingsData Data;
    };
};

struct FarDialogItem {
    FARDIALOGITEMTYPES Type;
    intptr_t X1;
    intptr_t Y1;
    intptr_t X2;
    intptr_t Y2;
    // The host shares this field with the list and buffer pointers of other item types; for a
    // check box it is the check state (BSTATE_*).
    intptr_t Selected;
    const WCHAR* History;
    const WCHAR* Mask;
    FARDIALOGITEMFLAGS Flags;
    const WCHAR* Data;
    size_t MaxLength; // 0: unlimited
    intptr_t UserData;
    intptr_t Reserved[2];
};

// ---- Entry points ----------------------------------------------------------------------------

// The plug-in's exports, looked up by these plain names (extern "C", WINAPI; on x86 a .def file
// gives the undecorated names). GetGlobalInfoW and SetStartupInfoW are required; the others make
// it a panel plug-in.
typedef void(WINAPI* GetGlobalInfoWFn)(GlobalInfo* Info);
typedef void(WINAPI* SetStartupInfoWFn)(const PluginStartupInfo* Info);
typedef void(WINAPI* GetPluginInfoWFn)(PluginInfo* Info);
typedef HANDLE(WINAPI* OpenWFn)(const OpenInfo* Info); // null: no panel
typedef void(WINAPI* ClosePanelWFn)(const ClosePanelInfo* Info);
typedef intptr_t(WINAPI* GetFindDataWFn)(GetFindDataInfo* Info); // 0 closes the panel
typedef void(WINAPI* FreeFindDataWFn)(const FreeFindDataInfo* Info);
typedef void(WINAPI* GetOpenPanelInfoWFn)(OpenPanelInfo* Info);
typedef intptr_t(WINAPI* SetDirectoryWFn)(const SetDirectoryInfo* Info);
typedef intptr_t(WINAPI* DeleteFilesWFn)(const DeleteFilesInfo* Info);
typedef intptr_t(WINAPI* ProcessPanelInputWFn)(const ProcessPanelInputInfo* Info);
typedef intptr_t(WINAPI* ProcessPanelEventWFn)(const ProcessPanelEventInfo* Info);
typedef intptr_t(WINAPI* ConfigureWFn)(const ConfigureInfo* Info);
typedef void(WINAPI* ExitFARWFn)(const ExitInfo* Info);

} // namespace far3

// ---- The host's layout -----------------------------------------------------------------------

// The host's number for one record field: its offset in the 32-bit and in the 64-bit layout.
#if UINTPTR_MAX == 0xFFFFFFFFu
#define FAR3_LAYOUT(x86, x64) (x86)
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
#define FAR3_LAYOUT(x86, x64) (x64)
#else
#error "the host's records are laid out for 32-bit and 64-bit pointers only"
#endif

#define FAR3_ASSERT_OFFSET(record, field, x86, x64)                                                \
    static_assert(offsetof(far3::record, field) == FAR3_LAYOUT(x86, x64),                          \
                  #record "::" #field " offset")
#define FAR3_ASSERT_SIZE(record, x86, x64)                                                         \
    static_assert(sizeof(far3::record) == FAR3_LAYOUT(x86, x64), #record " size")

FAR3_ASSERT_SIZE(VersionInfo, 20, 20);
FAR3_ASSERT_OFFSET(VersionInfo, Major, 0, 0);
FAR3_ASSERT_OFFSET(VersionInfo, Minor, 4, 4);
FAR3_ASSERT_OFFSET(VersionInfo, Revision, 8, 8);
FAR3_ASSERT_OFFSET(VersionInfo, Build, 12, 12);
FAR3_ASSERT_OFFSET(VersionInfo, Stage, 16, 16);

FAR3_ASSERT_SIZE(GlobalInfo, 76, 96);
FAR3_ASSERT_OFFSET(GlobalInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(GlobalInfo, MinFarVersion, 4, 8);
FAR3_ASSERT_OFFSET(GlobalInfo, Version, 24, 28);
FAR3_ASSERT_OFFSET(GlobalInfo, Guid, 44, 48);
FAR3_ASSERT_OFFSET(GlobalInfo, Title, 60, 64);
FAR3_ASSERT_OFFSET(GlobalInfo, Description, 64, 72);
FAR3_ASSERT_OFFSET(GlobalInfo, Author, 68, 80);
FAR3_ASSERT_OFFSET(GlobalInfo, Instance, 72, 88);

FAR3_ASSERT_SIZE(PluginStartupInfo, 140, 280);
FAR3_ASSERT_OFFSET(PluginStartupInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(PluginStartupInfo, ModuleName, 4, 8);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Menu, 8, 16);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Message, 12, 24);
FAR3_ASSERT_OFFSET(PluginStartupInfo, GetMsg, 16, 32);
FAR3_ASSERT_OFFSET(PluginStartupInfo, PanelControl, 20, 40);
FAR3_ASSERT_OFFSET(PluginStartupInfo, SaveScreen, 24, 48);
FAR3_ASSERT_OFFSET(PluginStartupInfo, RestoreScreen, 28, 56);
FAR3_ASSERT_OFFSET(PluginStartupInfo, GetDirList, 32, 64);
FAR3_ASSERT_OFFSET(PluginStartupInfo, GetPluginDirList, 36, 72);
FAR3_ASSERT_OFFSET(PluginStartupInfo, FreeDirList, 40, 80);
FAR3_ASSERT_OFFSET(PluginStartupInfo, FreePluginDirList, 44, 88);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Viewer, 48, 96);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Editor, 52, 104);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Text, 56, 112);
FAR3_ASSERT_OFFSET(PluginStartupInfo, EditorControl, 60, 120);
FAR3_ASSERT_OFFSET(PluginStartupInfo, FSF, 64, 128);
FAR3_ASSERT_OFFSET(PluginStartupInfo, ShowHelp, 68, 136);
FAR3_ASSERT_OFFSET(PluginStartupInfo, AdvControl, 72, 144);
FAR3_ASSERT_OFFSET(PluginStartupInfo, InputBox, 76, 152);
FAR3_ASSERT_OFFSET(PluginStartupInfo, ColorDialog, 80, 160);
FAR3_ASSERT_OFFSET(PluginStartupInfo, DialogInit, 84, 168);
FAR3_ASSERT_OFFSET(PluginStartupInfo, DialogRun, 88, 176);
FAR3_ASSERT_OFFSET(PluginStartupInfo, DialogFree, 92, 184);
FAR3_ASSERT_OFFSET(PluginStartupInfo, SendDlgMessage, 96, 192);
FAR3_ASSERT_OFFSET(PluginStartupInfo, DefDlgProc, 100, 200);
FAR3_ASSERT_OFFSET(PluginStartupInfo, ViewerControl, 104, 208);
FAR3_ASSERT_OFFSET(PluginStartupInfo, PluginsControl, 108, 216);
FAR3_ASSERT_OFFSET(PluginStartupInfo, FileFilterControl, 112, 224);
FAR3_ASSERT_OFFSET(PluginStartupInfo, RegExpControl, 116, 232);
FAR3_ASSERT_OFFSET(PluginStartupInfo, MacroControl, 120, 240);
FAR3_ASSERT_OFFSET(PluginStartupInfo, SettingsControl, 124, 248);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Private, 128, 256);
FAR3_ASSERT_OFFSET(PluginStartupInfo, Instance, 132, 264);
FAR3_ASSERT_OFFSET(PluginStartupInfo, FreeScreen, 136, 272);

FAR3_ASSERT_SIZE(FarStandardFunctions, 196, 392);
FAR3_ASSERT_OFFSET(FarStandardFunctions, atoi, 4, 8);
FAR3_ASSERT_OFFSET(FarStandardFunctions, sprintf, 20, 40);
FAR3_ASSERT_OFFSET(FarStandardFunctions, snprintf, 36, 72);
FAR3_ASSERT_OFFSET(FarStandardFunctions, LStricmp, 80, 160);
FAR3_ASSERT_OFFSET(FarStandardFunctions, Trim, 100, 200);
FAR3_ASSERT_OFFSET(FarStandardFunctions, TruncStr, 104, 208);
FAR3_ASSERT_OFFSET(FarStandardFunctions, CopyToClipboard, 128, 256);
FAR3_ASSERT_OFFSET(FarStandardFunctions, FarInputRecordToName, 136, 272);
FAR3_ASSERT_OFFSET(FarStandardFunctions, FormatFileSize, 184, 368);
FAR3_ASSERT_OFFSET(FarStandardFunctions, CompareStrings, 192, 384);

FAR3_ASSERT_SIZE(PluginMenuItem, 12, 24);
FAR3_ASSERT_OFFSET(PluginMenuItem, Guids, 0, 0);
FAR3_ASSERT_OFFSET(PluginMenuItem, Strings, 4, 8);
FAR3_ASSERT_OFFSET(PluginMenuItem, Count, 8, 16);

FAR3_ASSERT_SIZE(PluginInfo, 64, 104);
FAR3_ASSERT_OFFSET(PluginInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(PluginInfo, Flags, 8, 8);
FAR3_ASSERT_OFFSET(PluginInfo, DiskMenu, 16, 16);
FAR3_ASSERT_OFFSET(PluginInfo, PluginMenu, 28, 40);
FAR3_ASSERT_OFFSET(PluginInfo, PluginConfig, 40, 64);
FAR3_ASSERT_OFFSET(PluginInfo, CommandPrefix, 52, 88);
FAR3_ASSERT_OFFSET(PluginInfo, Instance, 56, 96);

FAR3_ASSERT_SIZE(OpenInfo, 20, 40);
FAR3_ASSERT_OFFSET(OpenInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(OpenInfo, OpenFrom, 4, 8);
FAR3_ASSERT_OFFSET(OpenInfo, Guid, 8, 16);
FAR3_ASSERT_OFFSET(OpenInfo, Data, 12, 24);
FAR3_ASSERT_OFFSET(OpenInfo, Instance, 16, 32);

FAR3_ASSERT_SIZE(OpenCommandLineInfo, 8, 16);
FAR3_ASSERT_OFFSET(OpenCommandLineInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(OpenCommandLineInfo, CommandLine, 4, 8);

FAR3_ASSERT_SIZE(ClosePanelInfo, 12, 24);
FAR3_ASSERT_OFFSET(ClosePanelInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(ClosePanelInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(ClosePanelInfo, Instance, 8, 16);

FAR3_ASSERT_SIZE(ConfigureInfo, 12, 24);
FAR3_ASSERT_OFFSET(ConfigureInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(ConfigureInfo, Guid, 4, 8);
FAR3_ASSERT_OFFSET(ConfigureInfo, Instance, 8, 16);

FAR3_ASSERT_SIZE(ExitInfo, 8, 16);
FAR3_ASSERT_OFFSET(ExitInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(ExitInfo, Instance, 4, 8);

FAR3_ASSERT_SIZE(GetFindDataInfo, 32, 48);
FAR3_ASSERT_OFFSET(GetFindDataInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(GetFindDataInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(GetFindDataInfo, PanelItem, 8, 16);
FAR3_ASSERT_OFFSET(GetFindDataInfo, ItemsNumber, 12, 24);
FAR3_ASSERT_OFFSET(GetFindDataInfo, OpMode, 16, 32);
FAR3_ASSERT_OFFSET(GetFindDataInfo, Instance, 24, 40);

FAR3_ASSERT_SIZE(FreeFindDataInfo, 20, 40);
FAR3_ASSERT_OFFSET(FreeFindDataInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(FreeFindDataInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(FreeFindDataInfo, PanelItem, 8, 16);
FAR3_ASSERT_OFFSET(FreeFindDataInfo, ItemsNumber, 12, 24);
FAR3_ASSERT_OFFSET(FreeFindDataInfo, Instance, 16, 32);

FAR3_ASSERT_SIZE(PluginPanelItem, 112, 160);
FAR3_ASSERT_OFFSET(PluginPanelItem, CreationTime, 0, 0);
FAR3_ASSERT_OFFSET(PluginPanelItem, LastAccessTime, 8, 8);
FAR3_ASSERT_OFFSET(PluginPanelItem, LastWriteTime, 16, 16);
FAR3_ASSERT_OFFSET(PluginPanelItem, ChangeTime, 24, 24);
FAR3_ASSERT_OFFSET(PluginPanelItem, FileSize, 32, 32);
FAR3_ASSERT_OFFSET(PluginPanelItem, AllocationSize, 40, 40);
FAR3_ASSERT_OFFSET(PluginPanelItem, FileName, 48, 48);
FAR3_ASSERT_OFFSET(PluginPanelItem, AlternateFileName, 52, 56);
FAR3_ASSERT_OFFSET(PluginPanelItem, Description, 56, 64);
FAR3_ASSERT_OFFSET(PluginPanelItem, Owner, 60, 72);
FAR3_ASSERT_OFFSET(PluginPanelItem, CustomColumnData, 64, 80);
FAR3_ASSERT_OFFSET(PluginPanelItem, CustomColumnNumber, 68, 88);
FAR3_ASSERT_OFFSET(PluginPanelItem, Flags, 72, 96);
FAR3_ASSERT_OFFSET(PluginPanelItem, UserData, 80, 104);
FAR3_ASSERT_OFFSET(PluginPanelItem, FileAttributes, 88, 120);
FAR3_ASSERT_OFFSET(PluginPanelItem, NumberOfLinks, 92, 128);
FAR3_ASSERT_OFFSET(PluginPanelItem, CRC32, 96, 136);
FAR3_ASSERT_OFFSET(PluginPanelItem, Reserved, 100, 144);

FAR3_ASSERT_SIZE(UserDataItem, 8, 16);
FAR3_ASSERT_OFFSET(UserDataItem, Data, 0, 0);
FAR3_ASSERT_OFFSET(UserDataItem, FreeData, 4, 8);

FAR3_ASSERT_SIZE(FarPanelItemFreeInfo, 8, 16);
FAR3_ASSERT_OFFSET(FarPanelItemFreeInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(FarPanelItemFreeInfo, hPlugin, 4, 8);

FAR3_ASSERT_SIZE(OpenPanelInfo, 104, 176);
FAR3_ASSERT_OFFSET(OpenPanelInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(OpenPanelInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(OpenPanelInfo, Flags, 8, 16);
FAR3_ASSERT_OFFSET(OpenPanelInfo, HostFile, 16, 24);
FAR3_ASSERT_OFFSET(OpenPanelInfo, CurDir, 20, 32);
FAR3_ASSERT_OFFSET(OpenPanelInfo, Format, 24, 40);
FAR3_ASSERT_OFFSET(OpenPanelInfo, PanelTitle, 28, 48);
FAR3_ASSERT_OFFSET(OpenPanelInfo, InfoLines, 32, 56);
FAR3_ASSERT_OFFSET(OpenPanelInfo, InfoLinesNumber, 36, 64);
FAR3_ASSERT_OFFSET(OpenPanelInfo, DescrFiles, 40, 72);
FAR3_ASSERT_OFFSET(OpenPanelInfo, DescrFilesNumber, 44, 80);
FAR3_ASSERT_OFFSET(OpenPanelInfo, PanelModesArray, 48, 88);
FAR3_ASSERT_OFFSET(OpenPanelInfo, PanelModesNumber, 52, 96);
FAR3_ASSERT_OFFSET(OpenPanelInfo, StartPanelMode, 56, 104);
FAR3_ASSERT_OFFSET(OpenPanelInfo, StartSortMode, 60, 112);
FAR3_ASSERT_OFFSET(OpenPanelInfo, StartSortOrder, 64, 120);
FAR3_ASSERT_OFFSET(OpenPanelInfo, KeyBar, 68, 128);
FAR3_ASSERT_OFFSET(OpenPanelInfo, ShortcutData, 72, 136);
FAR3_ASSERT_OFFSET(OpenPanelInfo, FreeSize, 80, 144);
FAR3_ASSERT_OFFSET(OpenPanelInfo, UserData, 88, 152);
FAR3_ASSERT_OFFSET(OpenPanelInfo, Instance, 96, 168);

FAR3_ASSERT_SIZE(PanelMode, 32, 48);
FAR3_ASSERT_OFFSET(PanelMode, ColumnTypes, 0, 0);
FAR3_ASSERT_OFFSET(PanelMode, ColumnWidths, 4, 8);
FAR3_ASSERT_OFFSET(PanelMode, ColumnTitles, 8, 16);
FAR3_ASSERT_OFFSET(PanelMode, StatusColumnTypes, 12, 24);
FAR3_ASSERT_OFFSET(PanelMode, StatusColumnWidths, 16, 32);
FAR3_ASSERT_OFFSET(PanelMode, Flags, 24, 40);

FAR3_ASSERT_SIZE(InfoPanelLine, 16, 24);
FAR3_ASSERT_OFFSET(InfoPanelLine, Text, 0, 0);
FAR3_ASSERT_OFFSET(InfoPanelLine, Data, 4, 8);
FAR3_ASSERT_OFFSET(InfoPanelLine, Flags, 8, 16);

FAR3_ASSERT_SIZE(KeyBarTitles, 8, 16);
FAR3_ASSERT_OFFSET(KeyBarTitles, CountLabels, 0, 0);
FAR3_ASSERT_OFFSET(KeyBarTitles, Labels, 4, 8);

FAR3_ASSERT_SIZE(FarKey, 8, 8);
FAR3_ASSERT_OFFSET(FarKey, VirtualKeyCode, 0, 0);
FAR3_ASSERT_OFFSET(FarKey, ControlKeyState, 4, 4);

FAR3_ASSERT_SIZE(KeyBarLabel, 16, 24);
FAR3_ASSERT_OFFSET(KeyBarLabel, Key, 0, 0);
FAR3_ASSERT_OFFSET(KeyBarLabel, Text, 8, 8);
FAR3_ASSERT_OFFSET(KeyBarLabel, LongText, 12, 16);

FAR3_ASSERT_SIZE(SetDirectoryInfo, 40, 64);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, Dir, 8, 16);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, Reserved, 12, 24);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, OpMode, 16, 32);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, UserData, 24, 40);
FAR3_ASSERT_OFFSET(SetDirectoryInfo, Instance, 32, 56);

FAR3_ASSERT_SIZE(DeleteFilesInfo, 32, 48);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, PanelItem, 8, 16);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, ItemsNumber, 12, 24);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, OpMode, 16, 32);
FAR3_ASSERT_OFFSET(DeleteFilesInfo, Instance, 24, 40);

FAR3_ASSERT_SIZE(ProcessPanelInputInfo, 32, 48);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, hPanel, 4, 8);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, Rec, 8, 16);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, Rec.Event.KeyEvent.wVirtualKeyCode, 18, 26);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, Rec.Event.KeyEvent.dwControlKeyState, 24, 32);
FAR3_ASSERT_OFFSET(ProcessPanelInputInfo, Instance, 28, 40);

static_assert(sizeof(INPUT_RECORD) == 20 && offsetof(INPUT_RECORD, Event) == 4, "INPUT_RECORD");
static_assert(sizeof(KEY_EVENT_RECORD) == 16, "KEY_EVENT_RECORD size");
static_assert(offsetof(KEY_EVENT_RECORD, bKeyDown) == 0 &&
                  offsetof(KEY_EVENT_RECORD, wRepeatCount) == 4 &&
                  offsetof(KEY_EVENT_RECORD, wVirtualKeyCode) == 6 &&
                  offsetof(KEY_EVENT_RECORD, wVirtualScanCode) == 8 &&
                  offsetof(KEY_EVENT_RECORD, uChar) == 10 &&
                  offsetof(KEY_EVENT_RECORD, dwControlKeyState) == 12,
              "KEY_EVENT_RECORD offsets");

FAR3_ASSERT_SIZE(ProcessPanelEventInfo, 20, 40);
FAR3_ASSERT_OFFSET(ProcessPanelEventInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(ProcessPanelEventInfo, Event, 4, 8);
FAR3_ASSERT_OFFSET(ProcessPanelEventInfo, Param, 8, 16);
FAR3_ASSERT_OFFSET(ProcessPanelEventInfo, hPanel, 12, 24);
FAR3_ASSERT_OFFSET(ProcessPanelEventInfo, Instance, 16, 32);

FAR3_ASSERT_SIZE(PanelInfo, 80, 104);
FAR3_ASSERT_OFFSET(PanelInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(PanelInfo, PluginHandle, 4, 8);
FAR3_ASSERT_OFFSET(PanelInfo, OwnerGuid, 8, 16);
FAR3_ASSERT_OFFSET(PanelInfo, Flags, 24, 32);
FAR3_ASSERT_OFFSET(PanelInfo, ItemsNumber, 32, 40);
FAR3_ASSERT_OFFSET(PanelInfo, SelectedItemsNumber, 36, 48);
FAR3_ASSERT_OFFSET(PanelInfo, PanelRect, 40, 56);
FAR3_ASSERT_OFFSET(PanelInfo, CurrentItem, 56, 72);
FAR3_ASSERT_OFFSET(PanelInfo, TopPanelItem, 60, 80);
FAR3_ASSERT_OFFSET(PanelInfo, ViewMode, 64, 88);
FAR3_ASSERT_OFFSET(PanelInfo, PanelType, 68, 96);
FAR3_ASSERT_OFFSET(PanelInfo, SortMode, 72, 100);

FAR3_ASSERT_SIZE(FarGetPluginPanelItem, 12, 24);
FAR3_ASSERT_OFFSET(FarGetPluginPanelItem, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(FarGetPluginPanelItem, Size, 4, 8);
FAR3_ASSERT_OFFSET(FarGetPluginPanelItem, Item, 8, 16);

FAR3_ASSERT_SIZE(PanelRedrawInfo, 12, 24);
FAR3_ASSERT_OFFSET(PanelRedrawInfo, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(PanelRedrawInfo, CurrentItem, 4, 8);
FAR3_ASSERT_OFFSET(PanelRedrawInfo, TopPanelItem, 8, 16);

FAR3_ASSERT_SIZE(FarSettingsCreate, 24, 32);
FAR3_ASSERT_OFFSET(FarSettingsCreate, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(FarSettingsCreate, Guid, 4, 8);
FAR3_ASSERT_OFFSET(FarSettingsCreate, Handle, 20, 24);

FAR3_ASSERT_SIZE(FarSettingsItem, 24, 48);
FAR3_ASSERT_OFFSET(FarSettingsItem, StructSize, 0, 0);
FAR3_ASSERT_OFFSET(FarSettingsItem, Root, 4, 8);
FAR3_ASSERT_OFFSET(FarSettingsItem, Name, 8, 16);
FAR3_ASSERT_OFFSET(FarSettingsItem, Type, 12, 24);
FAR3_ASSERT_OFFSET(FarSettingsItem, Number, 16, 32);
FAR3_ASSERT_OFFSET(FarSettingsItem, String, 16, 32);
FAR3_ASSERT_OFFSET(FarSettingsItem, Data, 16, 32);
FAR3_ASSERT_OFFSET(FarSettingsItem, Data.Size, 16, 32);
FAR3_ASSERT_OFFSET(FarSettingsItem, Data.Data, 20, 40);

FAR3_ASSERT_SIZE(FarDialogItem, 64, 112);
FAR3_ASSERT_OFFSET(FarDialogItem, Type, 0, 0);
FAR3_ASSERT_OFFSET(FarDialogItem, X1, 4, 8);
FAR3_ASSERT_OFFSET(FarDialogItem, Y1, 8, 16);
FAR3_ASSERT_OFFSET(FarDialogItem, X2, 12, 24);
FAR3_ASSERT_OFFSET(FarDialogItem, Y2, 16, 32);
FAR3_ASSERT_OFFSET(FarDialogItem, Selected, 20, 40);
FAR3_ASSERT_OFFSET(FarDialogItem, History, 24, 48);
FAR3_ASSERT_OFFSET(FarDialogItem, Mask, 28, 56);
FAR3_ASSERT_OFFSET(FarDialogItem, Flags, 32, 64);
FAR3_ASSERT_OFFSET(FarDialogItem, Data, 40, 72);
FAR3_ASSERT_OFFSET(FarDialogItem, MaxLength, 44, 80);
FAR3_ASSERT_OFFSET(FarDialogItem, UserData, 48, 88);
FAR3_ASSERT_OFFSET(FarDialogItem, Reserved, 52, 96);

#undef FAR3_ASSERT_OFFSET
#undef FAR3_ASSERT_SIZE
