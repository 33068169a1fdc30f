#include "panel_presentation.h"

#include "../core/message_ids.h"
#include "../core/settings.h"
#include "guids.h"
#include "host_services.h"

namespace far3 {

namespace {

const WCHAR kCommandPrefix[] = FAR3_TEXT("hide");
const WCHAR kPanelDirectory[] = FAR3_TEXT("Velumo");
const WCHAR kBlank[] = {0};
constexpr OPENPANELINFO_FLAGS kPanelFlags =
    OPIF_ADDDOTS | OPIF_RAWSELECTION | OPIF_SHOWPRESERVECASE;
constexpr intptr_t kStartPanelMode = '2';

const WCHAR* DiskMenuStrings[1];
const WCHAR* PluginMenuStrings[1];
const WCHAR* PluginConfigStrings[1];

WCHAR PanelTitle[kPanelTitleCapacity];
const WCHAR* ColumnTitles[3];
PanelMode PanelModes[kPanelModeCount];

// F4 to F7, Alt+F4 to Alt+F6 and Shift+F1 to Shift+F8 are file operations that mean nothing
// for windows: blank. F8 toggles. Every other key keeps FAR's own label.
constexpr size_t kF8Label = 4;
KeyBarLabel KeyBarLabels[] = {
    {{VK_F4, 0}, kBlank, kBlank},
    {{VK_F5, 0}, kBlank, kBlank},
    {{VK_F6, 0}, kBlank, kBlank},
    {{VK_F7, 0}, kBlank, kBlank},
    {{VK_F8, 0}, nullptr, nullptr},
    {{VK_F4, LEFT_ALT_PRESSED}, kBlank, kBlank},
    {{VK_F5, LEFT_ALT_PRESSED}, kBlank, kBlank},
    {{VK_F6, LEFT_ALT_PRESSED}, kBlank, kBlank},
    {{VK_F1, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F2, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F3, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F4, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F5, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F6, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F7, SHIFT_PRESSED}, kBlank, kBlank},
    {{VK_F8, SHIFT_PRESSED}, kBlank, kBlank},
};
KeyBarTitles KeyBar = {sizeof(KeyBarLabels) / sizeof(KeyBarLabels[0]), KeyBarLabels};

void SetPanelMode(int mode, const WCHAR* types, const WCHAR* widths, PANELMODE_FLAGS flags) {
    PanelModes[mode].ColumnTypes = types;
    PanelModes[mode].ColumnWidths = widths;
    PanelModes[mode].ColumnTitles = ColumnTitles;
    PanelModes[mode].Flags = flags;
}

// " <text> " into the title buffer, cut to fit.
void FormatPanelTitle(const WCHAR* text) {
    size_t at = 0;
    PanelTitle[at++] = ' ';
    for (size_t i = 0; text[i] != 0 && at + 2 < kPanelTitleCapacity; ++i) {
        PanelTitle[at++] = text[i];
    }
    PanelTitle[at++] = ' ';
    PanelTitle[at] = 0;
}

} // namespace

void FillPluginInfo(PluginInfo* info) {
    if (info->StructSize < sizeof(PluginInfo)) {
        return;
    }
    DiskMenuStrings[0] = HostMessage(kMsgDisksMenuEntry);
    PluginMenuStrings[0] = HostMessage(kMsgPluginMenuEntry);
    PluginConfigStrings[0] = HostMessage(kMsgPluginMenuEntry);

    info->Flags = 0;
    info->DiskMenu.Guids = &kDisksMenuGuid;
    info->DiskMenu.Strings = DiskMenuStrings;
    info->DiskMenu.Count = g_settings.AddToDisksMenu ? 1 : 0;
    info->PluginMenu.Guids = &kPluginsMenuGuid;
    info->PluginMenu.Strings = PluginMenuStrings;
    info->PluginMenu.Count = 1;
    info->PluginConfig.Guids = &kConfigMenuGuid;
    info->PluginConfig.Strings = PluginConfigStrings;
    info->PluginConfig.Count = 1;
    info->CommandPrefix = kCommandPrefix;
}

void FillOpenPanelInfo(OpenPanelInfo* info) {
    if (info->StructSize < sizeof(OpenPanelInfo)) {
        return;
    }
    const WCHAR* format = HostMessage(kMsgPanelTitle);
    FormatPanelTitle(format);

    info->Flags = kPanelFlags;
    info->HostFile = nullptr;
    info->CurDir = kPanelDirectory;
    info->Format = format;
    info->PanelTitle = PanelTitle;
    info->InfoLines = nullptr;
    info->InfoLinesNumber = 0;
    info->DescrFiles = nullptr;
    info->DescrFilesNumber = 0;
    info->PanelModesArray = PanelModes;
    info->PanelModesNumber = kPanelModeCount;
    info->StartPanelMode = kStartPanelMode;
    info->KeyBar = &KeyBar;

    ColumnTitles[0] = HostMessage(kMsgNameColumn);
    ColumnTitles[1] = HostMessage(kMsgStatusColumn);
    ColumnTitles[2] = HostMessage(kMsgHandleColumn);
    SetPanelMode(2, FAR3_TEXT("N,C0,C1"), FAR3_TEXT("0,4,8"), 0);
    SetPanelMode(4, FAR3_TEXT("N,C0"), FAR3_TEXT("0,4"), 0);
    SetPanelMode(5, FAR3_TEXT("N,C0,C1"), FAR3_TEXT("0,4,0"), PMFLAGS_FULLSCREEN);

    KeyBarLabels[kF8Label].Text = HostMessage(kMsgToggleKeyLabel);
    KeyBarLabels[kF8Label].LongText = KeyBarLabels[kF8Label].Text;
}

} // namespace far3
