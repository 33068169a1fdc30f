// The records and constants of the FAR Manager plug-in interface (old style, ANSI) that cross
// between the host and Velumo, written from the host's documented offsets. Each record is
// declared once and laid out as the host lays it out in the build's word size:
//   - 32-bit hosts (FAR 1.x, 32-bit FAR 3) pack their records to 2 bytes;
//   - 64-bit hosts (64-bit FAR 3) use natural alignment, and the module number, a panel item's
//     UserData and Reserved words, and OpenPlugin's item are as wide as a pointer.
// The pointer-wide fields are declared intptr_t/uintptr_t, which are 32 bits in the 32-bit
// build, so only the packing differs between the two. The static_asserts at the end pin every
// offset and size the host relies on, for both layouts; the numbers are the host's, not the
// compiler's.
#pragma once

#include "../win32.h"

#include <cstddef>
#include <cstdint>

namespace far1 {

#if UINTPTR_MAX == 0xFFFFFFFFu
#pragma pack(push, 2)
#else
#pragma pack(push, 8)
#endif

// Panel item: the find data of one "file" followed by the host's item fields. The find data is
// declared here rather than taken from <windows.h> because the 32-bit host lays it out under
// 2-byte packing (318 bytes, not the 320 of the default packing).
struct FarFindData {
    uint32_t dwFileAttributes;
    uint32_t ftCreationTime[2];
    uint32_t ftLastAccessTime[2];
    uint32_t ftLastWriteTime[2];
    uint32_t nFileSizeHigh;
    uint32_t nFileSizeLow;
    uint32_t dwReserved0;
    uint32_t dwReserved1;
    char cFileName[260];
    char cAlternateFileName[14];
};

struct PluginPanelItem {
    FarFindData FindData;
    uint32_t PackSizeHigh;
    uint32_t PackSize;
    uint32_t Flags;
    uint32_t NumberOfLinks;
    char* Description;
    char* Owner;
    char** CustomColumnData;
    int CustomColumnNumber;
    uintptr_t UserData;
    uint32_t CRC32;
    uintptr_t Reserved[2];
};

typedef const char*(WINAPI* FarGetMsgFn)(intptr_t moduleNumber, int msgId);
struct FarDialogItem;
typedef int(WINAPI* FarDialogFn)(intptr_t moduleNumber, int x1, int y1, int x2, int y2,
                                 const char* helpTopic, FarDialogItem* items, int itemsNumber);
typedef int(WINAPI* FarControlFn)(HANDLE plugin, int command, void* param);

// The leading part of the host's service record that Velumo keeps. The host's record goes on
// beyond it; the services Velumo does not call stay opaque.
struct PluginStartupInfo {
    int StructSize;
    char ModuleName[260];
    intptr_t ModuleNumber;
    const char* RootKey;
    void* Menu;
    FarDialogFn Dialog;
    void* Message;
    FarGetMsgFn GetMsg;
    FarControlFn Control;
    void* OtherServices[8];
};

struct PluginInfo {
    int StructSize;
    uint32_t Flags;
    const char* const* DiskMenuStrings;
    int* DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char* const* PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char* const* PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char* CommandPrefix;
};

struct PanelMode {
    const char* ColumnTypes;
    const char* ColumnWidths;
    const char* const* ColumnTitles;
    int FullScreen;
    int DetailedStatus;
    int AlignExtensions;
    int CaseConversion;
    const char* StatusColumnTypes;
    const char* StatusColumnWidths;
    uint32_t Reserved[2];
};

// Twelve labels (F1 to F12) for each set of modifier keys; null leaves the host's own label.
struct KeyBarTitles {
    const char* Titles[12];
    const char* CtrlTitles[12];
    const char* AltTitles[12];
    const char* ShiftTitles[12];
    const char* CtrlShiftTitles[12];
    const char* AltShiftTitles[12];
    const char* CtrlAltTitles[12];
};

struct OpenPluginInfo {
    int StructSize;
    uint32_t Flags;
    const char* HostFile;
    const char* CurDir;
    const char* Format;
    const char* PanelTitle;
    const void* InfoLines;
    int InfoLinesNumber;
    const char* const* DescrFiles;
    int DescrFilesNumber;
    const PanelMode* PanelModesArray;
    int PanelModesNumber;
    int StartPanelMode;
    int StartSortMode;
    int StartSortOrder;
    const KeyBarTitles* KeyBar;
    const char* ShortcutData;
};
// OpenPluginInfo::Flags.
constexpr uint32_t OPIF_USEHIGHLIGHTING = 0x4;
constexpr uint32_t OPIF_ADDDOTS = 0x8;
constexpr uint32_t OPIF_RAWSELECTION = 0x10;
constexpr uint32_t OPIF_SHOWPRESERVECASE = 0x100;
constexpr uint32_t OPIF_FINDFOLDERS = 0x200;

struct PanelInfo {
    int PanelType;
    int Plugin;
    int32_t PanelRect[4];
    PluginPanelItem* PanelItems;
    int ItemsNumber;
    PluginPanelItem* SelectedItems;
    int SelectedItemsNumber;
    int CurrentItem;
    int TopPanelItem;
    int Visible;
    int Focus;
    int ViewMode;
    char ColumnTypes[80];
    char ColumnWidths[80];
    char CurDir[260];
    int ShortNames;
    int SortMode;
    uint32_t Flags;
    uint32_t Reserved;
};

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    // The host shares this field with item kinds that keep a pointer here (a history name, an
    // edit mask, a list), so it is as wide as a pointer; Velumo uses only the check state.
    union {
        int Selected;
        const void* SelectedPointerWidth;
    };
    uint32_t Flags;
    int DefaultButton;
    char Data[512];
};
// FarDialogItem::Type.
constexpr int DI_TEXT = 0;
constexpr int DI_DOUBLEBOX = 3;
constexpr int DI_FIXEDIT = 6;
constexpr int DI_BUTTON = 7;
constexpr int DI_CHECKBOX = 8;
// FarDialogItem::Flags.
constexpr uint32_t DIF_BOXCOLOR = 0x200;
constexpr uint32_t DIF_SEPARATOR = 0x10000;
constexpr uint32_t DIF_CENTERGROUP = 0x4000;

#pragma pack(pop)

// The values of OpenPlugin's openFrom, Control's command, SetDirectory's opMode and ProcessKey's
// control state that Velumo uses.
enum : int {
    OPEN_DISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_FINDLIST = 2,
    OPEN_SHORTCUT = 3,
    OPEN_COMMANDLINE = 4,
};
enum : int {
    FCTL_CLOSEPLUGIN = 0,
    FCTL_GETPANELINFO = 1,
    FCTL_UPDATEPANEL = 3,
    FCTL_REDRAWPANEL = 5,
};
enum : int { OPM_FIND = 2 };
enum : unsigned { PKF_ALT = 2 };

// The host's numbers for one record field: its offset in the 32-bit and in the 64-bit layout.
#if UINTPTR_MAX == 0xFFFFFFFFu
#define FAR_LAYOUT(x86, x64) (x86)
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
#define FAR_LAYOUT(x86, x64) (x64)
#else
#error "the host's records are laid out for 32-bit and 64-bit pointers only"
#endif

// The leading part of the host's service record that Velumo copies and keeps.
constexpr size_t kKeptStartupInfoSize = FAR_LAYOUT(324, 384);

#define FAR_ASSERT_OFFSET(record, field, x86, x64)                                                 \
    static_assert(offsetof(record, field) == FAR_LAYOUT(x86, x64), #record "::" #field " offset")
#define FAR_ASSERT_SIZE(record, x86, x64)                                                          \
    static_assert(sizeof(record) == FAR_LAYOUT(x86, x64), #record " size")

FAR_ASSERT_SIZE(FarFindData, 318, 320);
FAR_ASSERT_OFFSET(PluginPanelItem, FindData.cFileName, 44, 44);
FAR_ASSERT_OFFSET(PluginPanelItem, Description, 334, 336);
FAR_ASSERT_OFFSET(PluginPanelItem, Owner, 338, 344);
FAR_ASSERT_OFFSET(PluginPanelItem, CustomColumnData, 342, 352);
FAR_ASSERT_OFFSET(PluginPanelItem, CustomColumnNumber, 346, 360);
FAR_ASSERT_OFFSET(PluginPanelItem, UserData, 350, 368);
static_assert(sizeof(PluginPanelItem::UserData) == FAR_LAYOUT(4, 8), "UserData width");
FAR_ASSERT_OFFSET(PluginPanelItem, CRC32, 354, 376);
FAR_ASSERT_OFFSET(PluginPanelItem, Reserved, 358, 384);
FAR_ASSERT_SIZE(PluginPanelItem, 366, 400);

FAR_ASSERT_OFFSET(PluginStartupInfo, ModuleName, 4, 4);
FAR_ASSERT_OFFSET(PluginStartupInfo, ModuleNumber, 264, 264);
static_assert(sizeof(PluginStartupInfo::ModuleNumber) == FAR_LAYOUT(4, 8), "ModuleNumber width");
FAR_ASSERT_OFFSET(PluginStartupInfo, RootKey, 268, 272);
FAR_ASSERT_OFFSET(PluginStartupInfo, Menu, 272, 280);
FAR_ASSERT_OFFSET(PluginStartupInfo, Dialog, 276, 288);
FAR_ASSERT_OFFSET(PluginStartupInfo, Message, 280, 296);
FAR_ASSERT_OFFSET(PluginStartupInfo, GetMsg, 284, 304);
FAR_ASSERT_OFFSET(PluginStartupInfo, Control, 288, 312);
static_assert(sizeof(PluginStartupInfo) == kKeptStartupInfoSize, "kept service record size");

FAR_ASSERT_OFFSET(PluginInfo, Flags, 4, 4);
FAR_ASSERT_OFFSET(PluginInfo, DiskMenuStrings, 8, 8);
FAR_ASSERT_OFFSET(PluginInfo, DiskMenuNumbers, 12, 16);
FAR_ASSERT_OFFSET(PluginInfo, DiskMenuStringsNumber, 16, 24);
FAR_ASSERT_OFFSET(PluginInfo, PluginMenuStrings, 20, 32);
FAR_ASSERT_OFFSET(PluginInfo, PluginMenuStringsNumber, 24, 40);
FAR_ASSERT_OFFSET(PluginInfo, PluginConfigStrings, 28, 48);
FAR_ASSERT_OFFSET(PluginInfo, PluginConfigStringsNumber, 32, 56);
FAR_ASSERT_OFFSET(PluginInfo, CommandPrefix, 36, 64);
FAR_ASSERT_SIZE(PluginInfo, 40, 72);

FAR_ASSERT_OFFSET(OpenPluginInfo, Flags, 4, 4);
FAR_ASSERT_OFFSET(OpenPluginInfo, HostFile, 8, 8);
FAR_ASSERT_OFFSET(OpenPluginInfo, CurDir, 12, 16);
FAR_ASSERT_OFFSET(OpenPluginInfo, Format, 16, 24);
FAR_ASSERT_OFFSET(OpenPluginInfo, PanelTitle, 20, 32);
FAR_ASSERT_OFFSET(OpenPluginInfo, InfoLines, 24, 40);
FAR_ASSERT_OFFSET(OpenPluginInfo, InfoLinesNumber, 28, 48);
FAR_ASSERT_OFFSET(OpenPluginInfo, DescrFiles, 32, 56);
FAR_ASSERT_OFFSET(OpenPluginInfo, DescrFilesNumber, 36, 64);
FAR_ASSERT_OFFSET(OpenPluginInfo, PanelModesArray, 40, 72);
FAR_ASSERT_OFFSET(OpenPluginInfo, PanelModesNumber, 44, 80);
FAR_ASSERT_OFFSET(OpenPluginInfo, StartPanelMode, 48, 84);
FAR_ASSERT_OFFSET(OpenPluginInfo, StartSortMode, 52, 88);
FAR_ASSERT_OFFSET(OpenPluginInfo, StartSortOrder, 56, 92);
FAR_ASSERT_OFFSET(OpenPluginInfo, KeyBar, 60, 96);
FAR_ASSERT_OFFSET(OpenPluginInfo, ShortcutData, 64, 104);
FAR_ASSERT_SIZE(OpenPluginInfo, 68, 112);

FAR_ASSERT_OFFSET(PanelMode, ColumnTypes, 0, 0);
FAR_ASSERT_OFFSET(PanelMode, ColumnWidths, 4, 8);
FAR_ASSERT_OFFSET(PanelMode, ColumnTitles, 8, 16);
FAR_ASSERT_OFFSET(PanelMode, FullScreen, 12, 24);
FAR_ASSERT_OFFSET(PanelMode, DetailedStatus, 16, 28);
FAR_ASSERT_OFFSET(PanelMode, AlignExtensions, 20, 32);
FAR_ASSERT_OFFSET(PanelMode, CaseConversion, 24, 36);
FAR_ASSERT_OFFSET(PanelMode, StatusColumnTypes, 28, 40);
FAR_ASSERT_OFFSET(PanelMode, StatusColumnWidths, 32, 48);
FAR_ASSERT_OFFSET(PanelMode, Reserved, 36, 56);
FAR_ASSERT_SIZE(PanelMode, 44, 64);

FAR_ASSERT_OFFSET(KeyBarTitles, Titles, 0, 0);
FAR_ASSERT_OFFSET(KeyBarTitles, CtrlTitles, 48, 96);
FAR_ASSERT_OFFSET(KeyBarTitles, AltTitles, 96, 192);
FAR_ASSERT_OFFSET(KeyBarTitles, ShiftTitles, 144, 288);
FAR_ASSERT_SIZE(KeyBarTitles, 336, 672);

FAR_ASSERT_OFFSET(PanelInfo, SelectedItems, 32, 40);
FAR_ASSERT_OFFSET(PanelInfo, SelectedItemsNumber, 36, 48);
FAR_ASSERT_SIZE(PanelInfo, 496, 512);

FAR_ASSERT_OFFSET(FarDialogItem, Type, 0, 0);
FAR_ASSERT_OFFSET(FarDialogItem, X1, 4, 4);
FAR_ASSERT_OFFSET(FarDialogItem, Y1, 8, 8);
FAR_ASSERT_OFFSET(FarDialogItem, X2, 12, 12);
FAR_ASSERT_OFFSET(FarDialogItem, Y2, 16, 16);
FAR_ASSERT_OFFSET(FarDialogItem, Focus, 20, 20);
FAR_ASSERT_OFFSET(FarDialogItem, Selected, 24, 24);
FAR_ASSERT_OFFSET(FarDialogItem, Flags, 28, 32);
FAR_ASSERT_OFFSET(FarDialogItem, DefaultButton, 32, 36);
FAR_ASSERT_OFFSET(FarDialogItem, Data, 36, 40);
FAR_ASSERT_SIZE(FarDialogItem, 548, 552);

#undef FAR_ASSERT_OFFSET
#undef FAR_ASSERT_SIZE

} // namespace far1
