#include "far1_view.h"

#include <cstring>

#include "../far3/oem_437.h"

namespace far1host {
namespace {

std::string TextOf(const char* oem) {
    return oem != nullptr ? OemToUtf8(oem) : std::string();
}

} // namespace

std::string OemToUtf8(const std::string& oem) {
    return panelview::Utf16ToUtf8(oem437::ToUtf16(oem).c_str());
}

panelview::Panel DescribePanel(const far1::OpenPluginInfo& info,
                               const std::vector<ListedItem>& items) {
    panelview::Panel panel;
    panel.title = TextOf(info.PanelTitle);
    panel.dotsLine = (info.Flags & far1::OPIF_ADDDOTS) != 0;
    panel.keyBar = DescribeKeyBar(info.KeyBar);

    const far1::PanelMode* mode = nullptr;
    int modeIndex = info.StartPanelMode - '0';
    if (info.PanelModesArray != nullptr && modeIndex >= 0 && modeIndex < info.PanelModesNumber) {
        mode = &info.PanelModesArray[modeIndex];
    }
    // Custom column 0 is the item's status, 1 its handle text; the item has no others.
    std::vector<panelview::ItemTexts> texts;
    for (const ListedItem& item : items) {
        texts.push_back(
            {OemToUtf8(item.title), {OemToUtf8(item.status), OemToUtf8(item.handleText)}});
    }
    const auto titleOf = [mode](size_t column) {
        return mode != nullptr && mode->ColumnTitles != nullptr ? TextOf(mode->ColumnTitles[column])
                                                                : std::string();
    };
    panelview::AddColumnsAndRows(TextOf(mode != nullptr ? mode->ColumnTypes : nullptr),
                                 TextOf(mode != nullptr ? mode->ColumnWidths : nullptr), titleOf,
                                 texts, &panel);
    return panel;
}

panelview::KeyBar DescribeKeyBar(const far1::KeyBarTitles* keyBar) {
    panelview::KeyBar described;
    for (int key = 0; keyBar != nullptr && key < panelview::kKeyCount; ++key) {
        const char* title = keyBar->Titles[key];
        panelview::KeyLabel& label = described.labels[key];
        if (title == nullptr) {
            label.kind = panelview::KeyLabelKind::kHostDefault;
        } else if (title[0] == '\0') {
            label.kind = panelview::KeyLabelKind::kBlank;
        } else {
            label.kind = panelview::KeyLabelKind::kText;
            label.text = OemToUtf8(title);
        }
    }
    return described;
}

std::vector<panelview::DialogItem> DescribeDialog(const std::vector<far1::FarDialogItem>& items) {
    std::vector<panelview::DialogItem> described;
    for (const far1::FarDialogItem& item : items) {
        panelview::DialogItem viewItem;
        viewItem.type = panelview::DialogItemTypeOf(item.Type);
        viewItem.x1 = item.X1;
        viewItem.y1 = item.Y1;
        viewItem.x2 = item.X2;
        viewItem.y2 = item.Y2;
        viewItem.separator = (item.Flags & far1::DIF_SEPARATOR) != 0;
        viewItem.centerGroup = (item.Flags & far1::DIF_CENTERGROUP) != 0;
        viewItem.defaultButton = item.DefaultButton != 0;
        viewItem.checked = item.Selected != 0;
        viewItem.text = OemToUtf8(std::string(item.Data, strnlen(item.Data, sizeof(item.Data))));
        described.push_back(viewItem);
    }
    return described;
}

} // namespace far1host
