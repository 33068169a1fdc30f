#include "far3_view.h"

namespace far3host {
namespace {

constexpr DWORD kModifierGroupBits =
    RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED | RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED | SHIFT_PRESSED;

// A coordinate from the plug-in, held to what the renderer takes (-1 .. its largest).
int CoordinateOf(intptr_t value) {
    return value < -1                          ? -1
           : value > panelview::kMaxCoordinate ? panelview::kMaxCoordinate
                                               : static_cast<int>(value);
}

} // namespace

std::string ToUtf8(const Text& text) {
    return panelview::Utf16ToUtf8(text.c_str());
}

panelview::Panel DescribePanel(const OpenPanelInfoCopy& info,
                               const std::vector<ListedItem>& items) {
    panelview::Panel panel;
    panel.title = ToUtf8(info.panelTitle);
    panel.keyBar = DescribeKeyBar(info.keyBar);

    const PanelModeCopy* mode = nullptr;
    intptr_t modeIndex = info.startPanelMode - '0';
    if (modeIndex >= 0 && static_cast<size_t>(modeIndex) < info.panelModes.size()) {
        mode = &info.panelModes[static_cast<size_t>(modeIndex)];
    }
    std::vector<panelview::ItemTexts> texts;
    for (const ListedItem& item : items) {
        panel.dotsLine = panel.dotsLine || item.isDots;
        if (!item.isDots) {
            texts.push_back({ToUtf8(item.fileName), {}});
            for (const Text& column : item.customColumns) {
                texts.back().customColumns.push_back(ToUtf8(column));
            }
        }
    }
    const auto titleOf = [mode](size_t column) {
        return mode != nullptr && mode->columnTitles && column < mode->columnTitles->size()
                   ? ToUtf8((*mode->columnTitles)[column])
                   : std::string();
    };
    panelview::AddColumnsAndRows(ToUtf8(mode != nullptr ? mode->columnTypes : Text()),
                                 ToUtf8(mode != nullptr ? mode->columnWidths : Text()), titleOf,
                                 texts, &panel);
    return panel;
}

panelview::KeyBar DescribeKeyBar(const std::vector<KeyBarLabelCopy>& labels) {
    panelview::KeyBar described;
    for (const KeyBarLabelCopy& label : labels) {
        if (label.virtualKeyCode < VK_F1 || label.virtualKeyCode > VK_F12 ||
            (label.controlKeyState & kModifierGroupBits) != 0) {
            continue;
        }
        panelview::KeyLabel& shown = described.labels[label.virtualKeyCode - VK_F1];
        if (!label.text || label.text->empty()) {
            shown.kind = panelview::KeyLabelKind::kBlank;
            shown.text.clear();
        } else {
            shown.kind = panelview::KeyLabelKind::kText;
            shown.text = ToUtf8(*label.text);
        }
    }
    return described;
}

std::vector<panelview::DialogItem> DescribeDialog(const std::vector<DialogItemCopy>& items) {
    std::vector<panelview::DialogItem> described;
    for (const DialogItemCopy& copy : items) {
        const far3::FarDialogItem& item = copy.item;
        if ((item.Flags & far3::DIF_HIDDEN) != 0) {
            continue;
        }
        panelview::DialogItem viewItem;
        viewItem.type = panelview::DialogItemTypeOf(item.Type);
        viewItem.x1 = CoordinateOf(item.X1);
        viewItem.y1 = CoordinateOf(item.Y1);
        viewItem.x2 = CoordinateOf(item.X2);
        viewItem.y2 = CoordinateOf(item.Y2);
        viewItem.separator = (item.Flags & (far3::DIF_SEPARATOR | far3::DIF_SEPARATOR2)) != 0;
        viewItem.centerGroup = (item.Flags & far3::DIF_CENTERGROUP) != 0;
        viewItem.defaultButton = (item.Flags & far3::DIF_DEFAULTBUTTON) != 0;
        viewItem.checked = item.Selected != 0;
        viewItem.text = ToUtf8(copy.data);
        described.push_back(viewItem);
    }
    return described;
}

} // namespace far3host
