#include "far1_view.h"

#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include "../far3/oem_437.h"
#endif

namespace far1host {
namespace {

std::string TextOf(const char* oem) {
    return oem != nullptr ? OemToUtf8(oem) : std::string();
}

std::vector<std::string> SplitList(const char* text) {
    std::vector<std::string> parts;
    if (text == nullptr) {
        return parts;
    }
    std::string part;
    for (const char* p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            parts.push_back(part);
            part.clear();
            if (*p == '\0') {
                break;
            }
        } else if (*p != ' ') {
            part.push_back(*p);
        }
    }
    return parts;
}

} // namespace

#ifdef _WIN32
std::string OemToUtf8(const std::string& oem) {
    if (oem.empty()) {
        return std::string();
    }
    int size = static_cast<int>(oem.size());
    int wideLength = MultiByteToWideChar(CP_OEMCP, 0, oem.data(), size, nullptr, 0);
    if (wideLength <= 0) {
        return std::string(oem.size(), '?');
    }
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_OEMCP, 0, oem.data(), size, &wide[0], wideLength);
    int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) {
        return std::string(oem.size(), '?');
    }
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr,
                        nullptr);
    return utf8;
}
#else
std::string OemToUtf8(const std::string& oem) {
    std::string utf8;
    for (char c : oem) {
        unsigned byte = static_cast<unsigned char>(c);
        unsigned code = byte < 0x80 ? byte : oem437::kUpperHalf[byte - 0x80];
        if (code < 0x80) {
            utf8.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xE0 | (code >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return utf8;
}
#endif

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
    std::vector<std::string> types = SplitList(mode != nullptr ? mode->ColumnTypes : nullptr);
    std::vector<std::string> widths = SplitList(mode != nullptr ? mode->ColumnWidths : nullptr);
    if (types.empty() || (types.size() == 1 && types[0].empty())) {
        types.assign(1, "N"); // no usable mode: the names alone
        widths.clear();
    }
    for (size_t i = 0; i < types.size(); ++i) {
        panelview::Column column;
        column.isName = types[i] == "N";
        long width = i < widths.size() ? strtol(widths[i].c_str(), nullptr, 10) : 0;
        column.width = width < 0                           ? 0
                       : width > panelview::kMaxCoordinate ? panelview::kMaxCoordinate
                                                           : static_cast<int>(width);
        if (mode != nullptr && mode->ColumnTitles != nullptr) {
            column.title = TextOf(mode->ColumnTitles[i]);
        }
        panel.columns.push_back(column);
    }

    // Custom column 0 is the item's status, 1 its handle text; the item has no others.
    for (const ListedItem& item : items) {
        panelview::Row row;
        row.name = OemToUtf8(item.title);
        for (const std::string& type : types) {
            row.cells.push_back(type == "N"    ? row.name
                                : type == "C0" ? OemToUtf8(item.status)
                                : type == "C1" ? OemToUtf8(item.handleText)
                                               : std::string());
        }
        panel.rows.push_back(row);
    }
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
