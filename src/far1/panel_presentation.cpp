#include "panel_presentation.h"

#include "../core/settings.h"
#include "host_services.h"
#include "../core/message_ids.h"

#include <cstdio>

namespace far1 {

namespace {

constexpr char kCommandPrefix[] = "hide";
constexpr char kPanelDirectory[] = "Velumo";
constexpr uint32_t kPanelFlags = OPIF_USEHIGHLIGHTING | OPIF_ADDDOTS | OPIF_RAWSELECTION |
                                 OPIF_SHOWPRESERVECASE | OPIF_FINDFOLDERS;
constexpr int kStartPanelMode = '2';
constexpr int kF8 = 7; // F1 is entry 0 of a key-bar group

const char* DiskMenuStrings[1];
int DiskMenuNumbers[1];
const char* PluginMenuStrings[1];
const char* PluginConfigStrings[1];

char PanelTitle[kPanelTitleCapacity];
const char* ColumnTitles[3];
PanelMode PanelModes[kPanelModeCount];

// Labels the host would otherwise show for file operations that mean nothing here are blanked;
// null leaves the host's own label.
KeyBarTitles KeyBar = {
    {nullptr, nullptr, nullptr, "", "", "", "", nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {nullptr, nullptr, nullptr, "", "", "", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"", "", "", "", "", "", "", "", nullptr, nullptr, nullptr, nullptr},
    {},
    {},
    {},
};

void SetPanelMode(int mode, const char* types, const char* widths, int fullScreen) {
    PanelModes[mode].ColumnTypes = types;
    PanelModes[mode].ColumnWidths = widths;
    PanelModes[mode].ColumnTitles = ColumnTitles;
    PanelModes[mode].FullScreen = fullScreen;
}

} // namespace

void FillPluginInfo(PluginInfo* info) {
    DiskMenuStrings[0] = HostMessage(kMsgDisksMenuEntry);
    DiskMenuNumbers[0] = g_settings.DisksMenuDigit;
    PluginMenuStrings[0] = HostMessage(kMsgPluginMenuEntry);
    PluginConfigStrings[0] = HostMessage(kMsgPluginMenuEntry);

    info->StructSize = sizeof(PluginInfo);
    info->Flags = 0;
    info->DiskMenuStrings = DiskMenuStrings;
    info->DiskMenuNumbers = DiskMenuNumbers;
    info->DiskMenuStringsNumber = g_settings.AddToDisksMenu ? 1 : 0;
    info->PluginMenuStrings = PluginMenuStrings;
    info->PluginMenuStringsNumber = 1;
    info->PluginConfigStrings = PluginConfigStrings;
    info->PluginConfigStringsNumber = 1;
    info->CommandPrefix = kCommandPrefix;
}

void FillOpenPluginInfo(OpenPluginInfo* info) {
    const char* format = HostMessage(kMsgPanelTitle);
    snprintf(PanelTitle, sizeof(PanelTitle), " %s ", format != nullptr ? format : "");

    info->StructSize = sizeof(OpenPluginInfo);
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
    SetPanelMode(2, "N,C0,C1", "0,4,8", 0);
    SetPanelMode(4, "N,C0", "0,4", 0);
    SetPanelMode(5, "N,C0,C1", "0,4,0", 1);

    KeyBar.Titles[kF8] = HostMessage(kMsgToggleKeyLabel);
}

} // namespace far1
