#include "far3_view.h"

namespace far3host {
namespace {

constexpr DWORD kModifierGroupBits =
    RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED | RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED | SHIFT_PRESSED;

// The ','-separated parts of a column list, blanks dropped.
std::vector<Text> SplitList(const Text& list) {
    std::vector<Text> parts(1);
    for (WCHAR c : list) {
        if (c == ',') {
            parts.emplace_back();
        } else if (c != ' ') {
            parts.back().push_back(c);
        }
    }
    return parts;
}

// The leading decimal digits of a column width, held to the renderer's largest coordinate.
int WidthOf(const Text& width) {
    long value = 0;
    for (size_t i = 0; i < width.size() && width[i] >= '0' && width[i] <= '9'; ++i) {
        value = value * 10 + (width[i] - '0');
        if (value > panelview::kMaxCoordinate) {
            return panelview::kMaxCoordinate;
        }
    }
    return static_cast<int>(value);
}

// The custom column a type "C<n>" names; false for any other type.
bool CustomColumnOf(const Text& type, size_t* index) {
    if (type.size() < 2 || type.size() > 3 || type[0] != 'C') {
        return false;
    }
    size_t value = 0;
    for (size_t i = 1; i < type.size(); ++i) {
        if (type[i] < '0' || type[i] > '9') {
            return false;
        }
        value = value * 10 + static_cast<size_t>(type[i] - '0');
    }
    *index = value;
    return true;
}

std::string CellOf(const Text& type, const ListedItem& item) {
    size_t column = 0;
    if (type == FAR3_TEXT("N")) {
        return ToUtf8(item.fileName);
    }
    if (CustomColumnOf(type, &column) && column < item.customColumns.size()) {
        return ToUtf8(item.customColumns[column]);
    }
    return std::string();
}

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
    std::vector<Text> types = SplitList(mode != nullptr ? mode->columnTypes : Text());
    std::vector<Text> widths = SplitList(mode != nullptr ? mode->columnWidths : Text());
    if (types.size() == 1 && types[0].empty()) {
        types.assign(1, FAR3_TEXT("N")); // no usable mode: the names alone
        widths.clear();
    }
    for (size_t i = 0; i < types.size(); ++i) {
        panelview::Column column;
        column.isName = types[i] == FAR3_TEXT("N");
        column.width = i < widths.size() ? WidthOf(widths[i]) : 0;
        if (mode != nullptr && mode->columnTitles && i < mode->columnTitles->size()) {
            column.title = ToUtf8((*mode->columnTitles)[i]);
        }
        panel.columns.push_back(column);
    }

    for (const ListedItem& item : items) {
        if (item.isDots) {
            panel.dotsLine = true;
            continue;
        }
        panelview::Row row;
        row.name = ToUtf8(item.fileName);
        for (const Text& type : types) {
            row.cells.push_back(CellOf(type, item));
        }
        panel.rows.push_back(row);
    }
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
