#include "panel_presentation.h"

#include "../core/message_ids.h"
#include "../core/panel_description.h"
#include "../core/settings.h"
#include "../far_common/open_panel_fields.h"
#include "host_services.h"

#include <cstdio>

namespace far1 {

namespace {

constexpr uint32_t kPanelFlags = OPIF_USEHIGHLIGHTING | OPIF_ADDDOTS | OPIF_RAWSELECTION |
                                 OPIF_SHOWPRESERVECASE | OPIF_FINDFOLDERS;
constexpr char kBlank[] = "";

const char* DiskMenuStrings[1];
int DiskMenuNumbers[1];
const char* PluginMenuStrings[1];
const char* PluginConfigStrings[1];

char PanelTitle[kPanelTitleCapacity];
const char* ColumnTitles[kViewModeCount][kMaxViewColumns];
PanelMode PanelModes[kViewModeCount];
// Null leaves the host's own label.
KeyBarTitles KeyBar;

// The twelve labels of a modifier's key-bar group.
const char** KeyBarGroup(KeyModifier modifier) {
    switch (modifier) {
    case KeyModifier::Alt:
        return KeyBar.AltTitles;
    case KeyModifier::Shift:
        return KeyBar.ShiftTitles;
    case KeyModifier::None:
        break;
    }
    return KeyBar.Titles;
}

void SetPanelMode(int mode, const char* types, const char* widths, int fullScreen) {
    PanelModes[mode].ColumnTypes = types;
    PanelModes[mode].ColumnWidths = widths;
    PanelModes[mode].ColumnTitles = ColumnTitles[mode];
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
    const char* format = HostMessage(kPanelTitleMessage);
    snprintf(PanelTitle, sizeof(PanelTitle), " %s ", format != nullptr ? format : "");

    info->StructSize = sizeof(OpenPluginInfo);
    info->Flags = kPanelFlags;
    FillSharedPanelFields(info, kPanelDirectory, format, PanelTitle, PanelModes, &KeyBar);

    for (const ViewModeDescription& view : kViewModes) {
        if ((view.frontEnds & kFar1) == 0) {
            continue;
        }
        for (size_t column = 0; column < ViewColumnCount(view); ++column) {
            ColumnTitles[view.mode][column] = HostMessage(view.columnTitles[column]);
        }
        SetPanelMode(view.mode, view.columnTypes, view.columnWidths, view.fullScreen ? 1 : 0);
    }

    for (const KeyBarLabelDescription& label : kKeyBarLabels) {
        KeyBarGroup(label.modifier)[label.functionKey - 1] =
            label.messageId == kBlankLabel ? kBlank : HostMessage(label.messageId);
    }
}

} // namespace far1
