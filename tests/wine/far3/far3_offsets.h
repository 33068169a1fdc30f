// FAR 3's records as the host lays them out, for the build's word size (x86: 32-bit FAR 3, x64:
// 64-bit FAR 3): natural alignment, 64-bit fields 8-aligned on x86 too. The numbers are the
// host's and nothing else's; the layout cases read and write the DLL's records only at these
// offsets, so a record Velumo declares differently fails there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace far3offsets {

constexpr bool kHost64 = sizeof(void*) == 8;
constexpr size_t Off(size_t x86, size_t x64) {
    return kHost64 ? x64 : x86;
}

// GlobalInfo, and VersionInfo inside it
constexpr size_t kGlobalSize = Off(76, 96), kGlobalMinFarVersion = Off(4, 8),
                 kGlobalGuid = Off(44, 48), kGlobalTitle = Off(60, 64),
                 kGlobalDescription = Off(64, 72), kGlobalAuthor = Off(68, 80);
constexpr size_t kVersionMajor = 0, kVersionMinor = 4, kVersionRevision = 8, kVersionBuild = 12;
// PluginStartupInfo and FarStandardFunctions
constexpr size_t kStartupSize = Off(140, 280), kStartupModuleName = Off(4, 8),
                 kStartupGetMsg = Off(16, 32), kStartupPanelControl = Off(20, 40),
                 kStartupFsf = Off(64, 128), kStartupDialogInit = Off(84, 168),
                 kStartupDialogRun = Off(88, 176), kStartupDialogFree = Off(92, 184),
                 kStartupSendDlgMessage = Off(96, 192), kStartupSettingsControl = Off(124, 248),
                 kStartupInstance = Off(132, 264);
constexpr size_t kFsfSize = Off(196, 392);
// PluginInfo and its three PluginMenuItem records
constexpr size_t kPluginInfoSize = Off(64, 104), kPluginInfoFlags = 8, kPluginInfoDiskMenu = 16,
                 kPluginInfoPluginMenu = Off(28, 40), kPluginInfoConfigMenu = Off(40, 64),
                 kPluginInfoPrefix = Off(52, 88);
constexpr size_t kMenuGuids = 0, kMenuStrings = Off(4, 8), kMenuCount = Off(8, 16);
// OpenInfo, OpenCommandLineInfo, ClosePanelInfo, ConfigureInfo
constexpr size_t kOpenSize = Off(20, 40), kOpenFrom = Off(4, 8), kOpenGuid = Off(8, 16),
                 kOpenData = Off(12, 24);
constexpr size_t kCommandLineSize = Off(8, 16), kCommandLineText = Off(4, 8);
constexpr size_t kCloseSize = Off(12, 24), kClosePanel = Off(4, 8);
constexpr size_t kConfigureSize = Off(12, 24), kConfigureGuid = Off(4, 8);
// GetFindDataInfo, FreeFindDataInfo
constexpr size_t kFindSize = Off(32, 48), kFindPanel = Off(4, 8), kFindItems = Off(8, 16),
                 kFindCount = Off(12, 24);
constexpr size_t kFreeFindSize = Off(20, 40), kFreeFindPanel = Off(4, 8),
                 kFreeFindItems = Off(8, 16), kFreeFindCount = Off(12, 24);
// PluginPanelItem (UserData is {Data, FreeData})
constexpr size_t kItemSize = Off(112, 160), kItemFileName = 48, kItemDescription = Off(56, 64),
                 kItemOwner = Off(60, 72), kItemColumns = Off(64, 80),
                 kItemColumnCount = Off(68, 88), kItemUserData = Off(80, 104),
                 kItemFreeData = Off(84, 112), kItemAttributes = Off(88, 120);
// OpenPanelInfo (UserData is {Data, FreeData}), PanelMode, KeyBarTitles, KeyBarLabel (FarKey at 0)
constexpr size_t kOpenPanelSize = Off(104, 176), kOpenPanelHandle = Off(4, 8),
                 kOpenPanelFlags = Off(8, 16), kOpenPanelHostFile = Off(16, 24),
                 kOpenPanelCurDir = Off(20, 32), kOpenPanelFormat = Off(24, 40),
                 kOpenPanelTitle = Off(28, 48), kOpenPanelInfoLines = Off(32, 56),
                 kOpenPanelModes = Off(48, 88), kOpenPanelModeCount = Off(52, 96),
                 kOpenPanelStartMode = Off(56, 104), kOpenPanelStartSortMode = Off(60, 112),
                 kOpenPanelKeyBar = Off(68, 128), kOpenPanelShortcutData = Off(72, 136);
constexpr size_t kPanelModeSize = Off(32, 48), kModeColumnTypes = 0, kModeColumnWidths = Off(4, 8),
                 kModeColumnTitles = Off(8, 16), kModeStatusTypes = Off(12, 24),
                 kModeFlags = Off(24, 40);
constexpr size_t kKeyBarCount = 0, kKeyBarLabels = Off(4, 8);
constexpr size_t kLabelSize = Off(16, 24), kLabelVirtualKey = 0, kLabelControlState = 4,
                 kLabelText = 8, kLabelLongText = Off(12, 16);
// SetDirectoryInfo, DeleteFilesInfo
constexpr size_t kSetDirSize = Off(40, 64), kSetDirPanel = Off(4, 8), kSetDirDir = Off(8, 16),
                 kSetDirOpMode = Off(16, 32);
constexpr size_t kDeleteSize = Off(32, 48), kDeletePanel = Off(4, 8), kDeleteItems = Off(8, 16),
                 kDeleteCount = Off(12, 24);
// ProcessPanelInputInfo with its INPUT_RECORD (KEY_EVENT_RECORD at Rec + 4)
constexpr size_t kInputSize = Off(32, 48), kInputPanel = Off(4, 8), kInputRec = Off(8, 16),
                 kInputKeyDown = kInputRec + 4, kInputRepeat = kInputRec + 8,
                 kInputVirtualKey = Off(18, 26), kInputControlState = Off(24, 32);
// PanelInfo, FarGetPluginPanelItem
constexpr size_t kPanelInfoSize = Off(80, 104), kPanelInfoPlugin = Off(4, 8),
                 kPanelInfoItems = Off(32, 40), kPanelInfoSelected = Off(36, 48);
constexpr size_t kGetItemSize = Off(12, 24), kGetItemBufferSize = Off(4, 8),
                 kGetItemBuffer = Off(8, 16);
// FarSettingsCreate, FarSettingsItem
constexpr size_t kSettingsCreateSize = Off(24, 32), kSettingsCreateGuid = Off(4, 8),
                 kSettingsCreateHandle = Off(20, 24);
constexpr size_t kSettingsItemSize = Off(24, 48), kSettingsItemRoot = Off(4, 8),
                 kSettingsItemName = Off(8, 16), kSettingsItemType = Off(12, 24),
                 kSettingsItemNumber = Off(16, 32);
// FarDialogItem
constexpr size_t kDialogItemSize = Off(64, 112), kDialogItemSelected = Off(20, 40),
                 kDialogItemFlags = Off(32, 64), kDialogItemData = Off(40, 72);

// The host's constants the layout cases use.
constexpr int kOpenPluginsMenu = 1, kOpenCommandLine = 4;
constexpr unsigned long long kOpmFind = 0x2;
constexpr int kFctlClosePanel = 0, kFctlGetPanelInfo = 1, kFctlUpdatePanel = 2,
              kFctlRedrawPanel = 3, kFctlGetSelectedPanelItem = 22;
constexpr int kSctlCreate = 0, kSctlFree = 1, kSctlSet = 2;
constexpr int kFstQword = 2;
constexpr int kDiCheckBox = 8, kDiButton = 7;
constexpr intptr_t kDmGetCheck = 25;

// GUIDs as the 16 bytes of the GUID structure.
struct alignas(4) GuidBytes {
    unsigned char bytes[16];
};
// {1EE75230-9577-4DC6-A73E-F5E9185222E3}
constexpr GuidBytes kPluginGuid = {{0x30, 0x52, 0xE7, 0x1E, 0x77, 0x95, 0xC6, 0x4D, 0xA7, 0x3E,
                                    0xF5, 0xE9, 0x18, 0x52, 0x22, 0xE3}};
// {301A9A3D-3F06-4884-87DB-4CBA16CD8C88}
constexpr GuidBytes kPluginsMenuGuid = {{0x3D, 0x9A, 0x1A, 0x30, 0x06, 0x3F, 0x84, 0x48, 0x87, 0xDB,
                                         0x4C, 0xBA, 0x16, 0xCD, 0x8C, 0x88}};
// {D1649792-3953-4777-B2E3-5102B596EE9D}
constexpr GuidBytes kDisksMenuGuid = {{0x92, 0x97, 0x64, 0xD1, 0x53, 0x39, 0x77, 0x47, 0xB2, 0xE3,
                                       0x51, 0x02, 0xB5, 0x96, 0xEE, 0x9D}};
// {91A05812-6A3E-4A93-89B8-3D7939F4F9B7}
constexpr GuidBytes kConfigMenuGuid = {{0x12, 0x58, 0xA0, 0x91, 0x3E, 0x6A, 0x93, 0x4A, 0x89, 0xB8,
                                        0x3D, 0x79, 0x39, 0xF4, 0xF9, 0xB7}};
// {7496C542-BC83-4792-9035-24F912832711}
constexpr GuidBytes kConfigDialogGuid = {{0x42, 0xC5, 0x96, 0x74, 0x83, 0xBC, 0x92, 0x47, 0x90,
                                          0x35, 0x24, 0xF9, 0x12, 0x83, 0x27, 0x11}};

} // namespace far3offsets
