// FAR 1.x's records as the host lays them out, for the build's word size (x86: FAR 1.x and
// 32-bit FAR 3, packed to 2 bytes; x64: 64-bit FAR 3, natural alignment with pointer-wide module
// number, UserData, Reserved words and OpenPlugin item). The numbers are the host's and nothing
// else's; the layout cases read and write the DLL's records only at these offsets, so a record
// Velumo declares differently fails there.
#pragma once

#include <cstddef>

namespace far1offsets {

constexpr bool kHost64 = sizeof(void*) == 8;
constexpr size_t Off(size_t x86, size_t x64) {
    return kHost64 ? x64 : x86;
}
constexpr size_t kPointer = sizeof(void*);

// PluginStartupInfo
constexpr size_t kStartupModuleName = 4, kStartupModuleNumber = 264;
constexpr size_t kStartupRootKey = Off(268, 272), kStartupDialog = Off(276, 288),
                 kStartupGetMsg = Off(284, 304), kStartupControl = Off(288, 312);
// PluginInfo
constexpr size_t kInfoSize = Off(40, 72);
constexpr size_t kInfoDiskStrings = 8, kInfoDiskNumbers = Off(12, 16), kInfoDiskCount = Off(16, 24),
                 kInfoMenuStrings = Off(20, 32), kInfoMenuCount = Off(24, 40),
                 kInfoConfigStrings = Off(28, 48), kInfoConfigCount = Off(32, 56),
                 kInfoPrefix = Off(36, 64);
// OpenPluginInfo
constexpr size_t kOpenSize = Off(68, 112);
constexpr size_t kOpenFlags = 4, kOpenHostFile = 8, kOpenCurDir = Off(12, 16),
                 kOpenFormat = Off(16, 24), kOpenTitle = Off(20, 32), kOpenModes = Off(40, 72),
                 kOpenModesCount = Off(44, 80), kOpenStartMode = Off(48, 84),
                 kOpenKeyBar = Off(60, 96);
// PanelMode
constexpr size_t kModeSize = Off(44, 64);
constexpr size_t kModeTypes = 0, kModeWidths = Off(4, 8), kModeTitles = Off(8, 16),
                 kModeFullScreen = Off(12, 24);
// KeyBarTitles: seven groups of twelve label pointers
constexpr size_t kKeyBarSize = Off(336, 672), kKeyBarShift = Off(144, 288);
// PluginPanelItem: WIN32_FIND_DATAA first, its cFileName at 44
constexpr size_t kItemSize = Off(366, 400), kItemFileName = 44;
constexpr size_t kItemDescription = Off(334, 336), kItemOwner = Off(338, 344),
                 kItemColumns = Off(342, 352), kItemColumnCount = Off(346, 360),
                 kItemUserData = Off(350, 368), kItemCrc = Off(354, 376),
                 kItemReserved = Off(358, 384);
// PanelInfo
constexpr size_t kPanelInfoSize = Off(496, 512);
constexpr size_t kPanelSelected = Off(32, 40), kPanelSelectedCount = Off(36, 48);
// FarDialogItem
constexpr size_t kDialogItemSize = Off(548, 552);
constexpr size_t kDialogType = 0, kDialogFocus = 20, kDialogSelected = 24,
                 kDialogFlags = Off(28, 32), kDialogDefault = Off(32, 36),
                 kDialogData = Off(36, 40);

} // namespace far1offsets
