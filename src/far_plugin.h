// The records and constants of the FAR Manager 1.x plug-in interface (32-bit, ANSI) that cross
// between the host and Velumo. Written from the host's documented offsets; the host packs its
// records to 2 bytes. The static_asserts pin every offset and size we rely on whenever
// pointers are 32 bits wide, which is the only layout the real host uses.
#pragma once

#include "win32.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 2)

// Panel item: the find data of one "file" followed by the host's item fields. The find data is
// declared here rather than taken from <windows.h> because the host lays it out under 2-byte
// packing (318 bytes, not the 320 of the default packing).
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
    uint32_t UserData; // 32 bits in the host's record, whatever the build's pointer width
    uint32_t CRC32;
    uint32_t Reserved[2];
};

typedef const char*(WINAPI* FarGetMsgFn)(int moduleNumber, int msgId);
struct FarDialogItem;
typedef int(WINAPI* FarDialogFn)(int moduleNumber, int x1, int y1, int x2, int y2,
                                 const char* helpTopic, FarDialogItem* items, int itemsNumber);
typedef int(WINAPI* FarControlFn)(HANDLE plugin, int command, void* param);

// The leading part of the host's service record that Velumo keeps. The host's record goes on
// beyond it; the services Velumo does not call stay opaque.
struct PluginStartupInfo {
    int StructSize;
    char ModuleName[260];
    int ModuleNumber;
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

struct KeyBarTitles {
    const char* Titles[12];
    const char* CtrlTitles[12];
    const char* AltTitles[12];
    const char* ShiftTitles[12];
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
    int Selected;
    uint32_t Flags;
    int DefaultButton;
    char Data[512];
};

#pragma pack(pop)

// Host constants Velumo uses.
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
enum : uint32_t {
    OPIF_USEHIGHLIGHTING = 0x4,
    OPIF_ADDDOTS = 0x8,
    OPIF_RAWSELECTION = 0x10,
    OPIF_SHOWPRESERVECASE = 0x100,
    OPIF_FINDFOLDERS = 0x200,
};
enum : int {
    DI_TEXT = 0,
    DI_DOUBLEBOX = 3,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
};
enum : uint32_t {
    DIF_BOXCOLOR = 0x200,
    DIF_CENTERGROUP = 0x4000,
    DIF_SEPARATOR = 0x10000,
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FarFindData) == 318, "find data is 318 bytes");
static_assert(offsetof(PluginPanelItem, FindData.cFileName) == 44, "cFileName at 44");
static_assert(offsetof(PluginPanelItem, CustomColumnData) == 342, "CustomColumnData at 342");
static_assert(offsetof(PluginPanelItem, CustomColumnNumber) == 346, "CustomColumnNumber at 346");
static_assert(offsetof(PluginPanelItem, UserData) == 350, "UserData at 350");
static_assert(sizeof(PluginPanelItem) == 366, "panel item is 366 bytes");

static_assert(offsetof(PluginStartupInfo, ModuleName) == 4, "ModuleName at 4");
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264, "ModuleNumber at 264");
static_assert(offsetof(PluginStartupInfo, RootKey) == 268, "RootKey at 268");
static_assert(offsetof(PluginStartupInfo, Dialog) == 276, "Dialog at 276");
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284, "GetMsg at 284");
static_assert(offsetof(PluginStartupInfo, Control) == 288, "Control at 288");
static_assert(sizeof(PluginStartupInfo) == 324, "kept service record is 324 bytes");

static_assert(offsetof(PluginInfo, DiskMenuStrings) == 8, "DiskMenuStrings at 8");
static_assert(offsetof(PluginInfo, DiskMenuNumbers) == 12, "DiskMenuNumbers at 12");
static_assert(offsetof(PluginInfo, DiskMenuStringsNumber) == 16, "DiskMenuStringsNumber at 16");
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20, "PluginMenuStrings at 20");
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 24, "PluginMenuStringsNumber");
static_assert(offsetof(PluginInfo, PluginConfigStrings) == 28, "PluginConfigStrings at 28");
static_assert(offsetof(PluginInfo, PluginConfigStringsNumber) == 32, "ConfigStringsNumber");
static_assert(offsetof(PluginInfo, CommandPrefix) == 36, "CommandPrefix at 36");
static_assert(sizeof(PluginInfo) == 40, "PluginInfo is 40 bytes");

static_assert(offsetof(OpenPluginInfo, Flags) == 4, "Flags at 4");
static_assert(offsetof(OpenPluginInfo, HostFile) == 8, "HostFile at 8");
static_assert(offsetof(OpenPluginInfo, CurDir) == 12, "CurDir at 12");
static_assert(offsetof(OpenPluginInfo, Format) == 16, "Format at 16");
static_assert(offsetof(OpenPluginInfo, PanelTitle) == 20, "PanelTitle at 20");
static_assert(offsetof(OpenPluginInfo, InfoLines) == 24, "InfoLines at 24");
static_assert(offsetof(OpenPluginInfo, InfoLinesNumber) == 28, "InfoLinesNumber at 28");
static_assert(offsetof(OpenPluginInfo, DescrFiles) == 32, "DescrFiles at 32");
static_assert(offsetof(OpenPluginInfo, DescrFilesNumber) == 36, "DescrFilesNumber at 36");
static_assert(offsetof(OpenPluginInfo, PanelModesArray) == 40, "PanelModesArray at 40");
static_assert(offsetof(OpenPluginInfo, PanelModesNumber) == 44, "PanelModesNumber at 44");
static_assert(offsetof(OpenPluginInfo, StartPanelMode) == 48, "StartPanelMode at 48");
static_assert(offsetof(OpenPluginInfo, StartSortMode) == 52, "StartSortMode at 52");
static_assert(offsetof(OpenPluginInfo, StartSortOrder) == 56, "StartSortOrder at 56");
static_assert(offsetof(OpenPluginInfo, KeyBar) == 60, "KeyBar at 60");
static_assert(offsetof(OpenPluginInfo, ShortcutData) == 64, "ShortcutData at 64");
static_assert(sizeof(OpenPluginInfo) == 68, "OpenPluginInfo is 68 bytes");

static_assert(offsetof(PanelMode, ColumnTitles) == 8, "ColumnTitles at 8");
static_assert(offsetof(PanelMode, FullScreen) == 12, "FullScreen at 12");
static_assert(offsetof(PanelMode, StatusColumnTypes) == 28, "StatusColumnTypes at 28");
static_assert(sizeof(PanelMode) == 44, "PanelMode is 44 bytes");

static_assert(offsetof(KeyBarTitles, CtrlTitles) == 48, "CtrlTitles at 48");
static_assert(offsetof(KeyBarTitles, AltTitles) == 96, "AltTitles at 96");
static_assert(offsetof(KeyBarTitles, ShiftTitles) == 144, "ShiftTitles at 144");
static_assert(sizeof(KeyBarTitles) == 192, "KeyBarTitles is 192 bytes");

static_assert(offsetof(PanelInfo, SelectedItems) == 32, "SelectedItems at 32");
static_assert(offsetof(PanelInfo, SelectedItemsNumber) == 36, "SelectedItemsNumber at 36");
static_assert(sizeof(PanelInfo) == 496, "PanelInfo is 496 bytes");

static_assert(offsetof(FarDialogItem, Selected) == 24, "Selected at 24");
static_assert(offsetof(FarDialogItem, Flags) == 28, "Flags at 28");
static_assert(offsetof(FarDialogItem, DefaultButton) == 32, "DefaultButton at 32");
static_assert(offsetof(FarDialogItem, Data) == 36, "Data at 36");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem is 548 bytes");
#endif
