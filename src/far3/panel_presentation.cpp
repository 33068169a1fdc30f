#include "panel_presentation.h"

#include "../core/message_ids.h"
#include "../core/panel_description.h"
#include "../core/settings.h"
#include "../far_common/open_panel_fields.h"
#include "guids.h"
#include "host_services.h"

namespace far3 {

namespace {

constexpr OPENPANELINFO_FLAGS kPanelFlags =
    OPIF_ADDDOTS | OPIF_RAWSELECTION | OPIF_SHOWPRESERVECASE;
const WCHAR kBlank[] = {0};

// The description's ASCII texts, widened.
WCHAR CommandPrefix[sizeof(kCommandPrefix)];
WCHAR PanelDirectory[sizeof(kPanelDirectory)];
WCHAR ColumnTypes[kViewModeCount][kColumnTextCapacity];
WCHAR ColumnWidths[kViewModeCount][kColumnTextCapacity];

const WCHAR* DiskMenuStrings[1];
const WCHAR* PluginMenuStrings[1];
const WCHAR* PluginConfigStrings[1];

WCHAR PanelTitle[kPanelTitleCapacity];
const WCHAR* ColumnTitles[kViewModeCount][kMaxViewColumns];
PanelMode PanelModes[kViewModeCount];
KeyBarLabel KeyBarLabels[kKeyBarLabelCount];
KeyBarTitles KeyBar = {kKeyBarLabelCount, KeyBarLabels};

// `text` into `to`, which holds `capacity` units; the description's texts all fit.
const WCHAR* Widen(const char* text, WCHAR* to, size_t capacity) {
    size_t at = 0;
    for (; text[at] != '\0' && at + 1 < capacity; ++at) {
        to[at] = static_cast<WCHAR>(text[at]);
    }
    to[at] = 0;
    return to;
}

DWORD ControlKeyState(KeyModifier modifier) {
    switch (modifier) {
    case KeyModifier::Alt:
        return LEFT_ALT_PRESSED;
    case KeyModifier::Shift:
        return SHIFT_PRESSED;
    case KeyModifier::None:
        break;
    }
    return 0;
}

void SetPanelMode(int mode, const WCHAR* types, const WCHAR* widths, PANELMODE_FLAGS flags) {
    PanelModes[mode].ColumnTypes = types;
    PanelModes[mode].ColumnWidths = widths;
    PanelModes[mode].ColumnTitles = ColumnTitles[mode];
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
    info->CommandPrefix = Widen(kCommandPrefix, CommandPrefix, sizeof(kCommandPrefix));
}

void FillOpenPanelInfo(OpenPanelInfo* info) {
    if (info->StructSize < sizeof(OpenPanelInfo)) {
        return;
    }
    const WCHAR* format = HostMessage(kPanelTitleMessage);
    FormatPanelTitle(format);

    info->Flags = kPanelFlags;
    FillSharedPanelFields(info, Widen(kPanelDirectory, PanelDirectory, sizeof(kPanelDirectory)),
                          format, PanelTitle, PanelModes, &KeyBar);

    for (const ViewModeDescription& view : kViewModes) {
        if ((view.frontEnds & kFar3) == 0) {
            continue;
        }
        for (size_t column = 0; column < ViewColumnCount(view); ++column) {
            ColumnTitles[view.mode][column] = HostMessage(view.columnTitles[column]);
        }
        SetPanelMode(view.mode,
                     Widen(view.columnTypes, ColumnTypes[view.mode], kColumnTextCapacity),
                     Widen(view.columnWidths, ColumnWidths[view.mode], kColumnTextCapacity),
                     view.fullScreen ? PMFLAGS_FULLSCREEN : 0);
    }

    for (size_t i = 0; i < kKeyBarLabelCount; ++i) {
        const KeyBarLabelDescription& label = kKeyBarLabels[i];
        KeyBarLabels[i].Key.VirtualKeyCode = static_cast<WORD>(VK_F1 + label.functionKey - 1);
        KeyBarLabels[i].Key.ControlKeyState = ControlKeyState(label.modifier);
        KeyBarLabels[i].Text =
            label.messageId == kBlankLabel ? kBlank : HostMessage(label.messageId);
        KeyBarLabels[i].LongText = KeyBarLabels[i].Text;
    }
}

} // namespace far3
