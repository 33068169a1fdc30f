#include "panel_view.h"

#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace farhost {
namespace {

// Dialog item types and flags FAR knows beside those Velumo uses (far_plugin.h).
constexpr int kDiSingleBox = 2;
constexpr int kDiEdit = 4;
constexpr int kDiPasswordEdit = 5;

constexpr char32_t kDoubleTopLeft = U'\u2554';     // ╔
constexpr char32_t kDoubleTopRight = U'\u2557';    // ╗
constexpr char32_t kDoubleBottomLeft = U'\u255A';  // ╚
constexpr char32_t kDoubleBottomRight = U'\u255D'; // ╝
constexpr char32_t kDoubleHorizontal = U'\u2550';  // ═
constexpr char32_t kDoubleVertical = U'\u2551';    // ║
constexpr char32_t kDoubleDownSingle = U'\u2564';  // ╤
constexpr char32_t kDoubleRightSingle = U'\u255F'; // ╟
constexpr char32_t kDoubleLeftSingle = U'\u2562';  // ╢
constexpr char32_t kSingleTopLeft = U'\u250C';     // ┌
constexpr char32_t kSingleTopRight = U'\u2510';    // ┐
constexpr char32_t kSingleBottomLeft = U'\u2514';  // └
constexpr char32_t kSingleBottomRight = U'\u2518'; // ┘
constexpr char32_t kSingleHorizontal = U'\u2500';  // ─
constexpr char32_t kSingleVertical = U'\u2502';    // │
constexpr char32_t kSingleUp = U'\u2534';          // ┴

constexpr int kMaxCoordinate = 1000; // far beyond any console FAR runs in

int ClampCoordinate(int value, int lowest) {
    return value < lowest ? lowest : value > kMaxCoordinate ? kMaxCoordinate : value;
}

constexpr int kKeyCount = 12;
// The host's own labels for F1..F12, shown where the plug-in leaves a label null.
const char* const kDefaultKeyLabels[kKeyCount] = {"Help",   "UserMn", "View",   "Edit",
                                                  "Copy",   "RenMov", "MkFold", "Delete",
                                                  "ConfMn", "Quit",   "Plugin", "Screen"};

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string decoded;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80             ? 0
                    : (lead & 0xE0) == 0xC0 ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
            decoded.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            decoded.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        decoded.push_back(code);
        i += static_cast<size_t>(extra) + 1;
    }
    return decoded;
}

std::string EncodeUtf8(const std::u32string& text) {
    std::string encoded;
    for (char32_t code : text) {
        if (code < 0x80) {
            encoded.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            encoded.push_back(static_cast<char>(0xC0 | (code >> 6)));
            encoded.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            encoded.push_back(static_cast<char>(0xE0 | (code >> 12)));
            encoded.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            encoded.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            encoded.push_back(static_cast<char>(0xF0 | (code >> 18)));
            encoded.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            encoded.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            encoded.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return encoded;
}

// A text of the plug-in's (OEM code page) as screen characters; control characters become '?'.
std::u32string ScreenText(const std::string& oem) {
    std::u32string text = DecodeUtf8(OemToUtf8(oem));
    for (char32_t& code : text) {
        if (code < 0x20 || code == 0x7F) {
            code = U'?';
        }
    }
    return text;
}

std::u32string ScreenText(const char* oem) {
    return ScreenText(std::string(oem != nullptr ? oem : ""));
}

// FAR marks the hot key of a label with '&' and shows "&&" as one '&'.
std::u32string StripHotKey(const std::u32string& text) {
    std::u32string stripped;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'&' && i + 1 < text.size()) {
            ++i;
        }
        stripped.push_back(text[i]);
    }
    return stripped;
}

std::u32string Fit(const std::u32string& text, int width) {
    if (width <= 0) {
        return std::u32string();
    }
    std::u32string fitted = text.substr(0, static_cast<size_t>(width));
    fitted.resize(static_cast<size_t>(width), U' ');
    return fitted;
}

std::u32string Centred(const std::u32string& text, int width) {
    if (width <= 0) {
        return std::u32string();
    }
    int length = static_cast<int>(text.size());
    if (length >= width) {
        return text.substr(0, static_cast<size_t>(width));
    }
    int left = (width - length) / 2;
    std::u32string centred(static_cast<size_t>(left), U' ');
    centred += text;
    centred.resize(static_cast<size_t>(width), U' ');
    return centred;
}

// A screen area; writes outside it are clipped.
class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width > 0 ? width : 0),
          rows_(static_cast<size_t>(height > 0 ? height : 0),
                std::u32string(static_cast<size_t>(width > 0 ? width : 0), U' ')) {}

    void Put(int x, int y, char32_t code) {
        if (y >= 0 && y < static_cast<int>(rows_.size()) && x >= 0 && x < width_) {
            rows_[static_cast<size_t>(y)][static_cast<size_t>(x)] = code;
        }
    }
    void Put(int x, int y, const std::u32string& text) {
        for (size_t i = 0; i < text.size(); ++i) {
            Put(x + static_cast<int>(i), y, text[i]);
        }
    }
    void HorizontalLine(int x1, int x2, int y, char32_t code) {
        for (int x = x1; x <= x2; ++x) {
            Put(x, y, code);
        }
    }
    void Frame(int x1, int y1, int x2, int y2, bool isDouble) {
        char32_t horizontal = isDouble ? kDoubleHorizontal : kSingleHorizontal;
        char32_t vertical = isDouble ? kDoubleVertical : kSingleVertical;
        HorizontalLine(x1 + 1, x2 - 1, y1, horizontal);
        HorizontalLine(x1 + 1, x2 - 1, y2, horizontal);
        for (int y = y1 + 1; y < y2; ++y) {
            Put(x1, y, vertical);
            Put(x2, y, vertical);
        }
        Put(x1, y1, isDouble ? kDoubleTopLeft : kSingleTopLeft);
        Put(x2, y1, isDouble ? kDoubleTopRight : kSingleTopRight);
        Put(x1, y2, isDouble ? kDoubleBottomLeft : kSingleBottomLeft);
        Put(x2, y2, isDouble ? kDoubleBottomRight : kSingleBottomRight);
    }
    // Every row with its trailing blanks removed, each ending with '\n'; `margins` (one per
    // row, or none) go in front of the rows.
    std::string Text(const std::vector<std::u32string>& margins = {}) const {
        std::string text;
        for (size_t y = 0; y < rows_.size(); ++y) {
            std::u32string row = y < margins.size() ? margins[y] + rows_[y] : rows_[y];
            size_t end = row.find_last_not_of(U' ');
            row.resize(end == std::u32string::npos ? 0 : end + 1);
            text += EncodeUtf8(row);
            text += '\n';
        }
        return text;
    }

  private:
    int width_;
    std::vector<std::u32string> rows_;
};

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

struct Column {
    char kind;       // 'N' the name, 'C' a custom column, '?' one this view does not draw
    int customIndex; // for 'C'
    int width;
    int x; // first screen column
    std::u32string title;
};

std::vector<Column> LayOutColumns(const PanelMode* mode, int innerWidth) {
    std::vector<Column> columns;
    std::vector<std::string> types = SplitList(mode != nullptr ? mode->ColumnTypes : nullptr);
    std::vector<std::string> widths = SplitList(mode != nullptr ? mode->ColumnWidths : nullptr);
    if (types.empty() || (types.size() == 1 && types[0].empty())) {
        types.assign(1, "N"); // no usable mode: the names alone
        widths.clear();
    }
    int fixedWidth = 0;
    int restCount = 0;
    for (size_t i = 0; i < types.size(); ++i) {
        Column column{'?', 0, 0, 0, U""};
        const std::string& type = types[i];
        if (type == "N") {
            column.kind = 'N';
        } else if (type.size() == 2 && type[0] == 'C' && type[1] >= '0' && type[1] <= '9') {
            column.kind = 'C';
            column.customIndex = type[1] - '0';
        }
        long width = i < widths.size() ? strtol(widths[i].c_str(), nullptr, 10) : 0;
        column.width = width < 0                ? 0
                       : width > kMaxCoordinate ? kMaxCoordinate
                                                : static_cast<int>(width);
        if (column.width == 0) {
            ++restCount;
        }
        fixedWidth += column.width;
        if (mode != nullptr && mode->ColumnTitles != nullptr) {
            column.title = ScreenText(mode->ColumnTitles[i]);
        }
        columns.push_back(column);
    }
    // Columns of width 0 share what the others and the separators leave, the first ones
    // taking the odd columns.
    int rest = innerWidth - fixedWidth - static_cast<int>(columns.size() - 1);
    int restIndex = 0;
    int x = 1;
    for (Column& column : columns) {
        if (column.width == 0) {
            int share = rest > 0 ? rest / restCount + (restIndex < rest % restCount ? 1 : 0) : 0;
            column.width = share > 0 ? share : 1;
            ++restIndex;
        }
        column.x = x;
        x += column.width + 1;
    }
    return columns;
}

std::u32string NameCell(const std::u32string& name, int width) {
    if (static_cast<int>(name.size()) <= width || width < 1) {
        return Fit(name, width);
    }
    std::u32string cut = name.substr(0, static_cast<size_t>(width - 1));
    cut.push_back(U'}'); // FAR's mark for a name cut at the column's edge
    return cut;
}

std::u32string CellText(const Column& column, const ListedItem* item, bool dots) {
    if (column.kind == 'N') {
        return dots ? U".." : item != nullptr ? ScreenText(item->title) : U"";
    }
    if (column.kind != 'C' || item == nullptr) {
        return U"";
    }
    if (column.customIndex == 0) {
        return ScreenText(item->status);
    }
    if (column.customIndex == 1) {
        return ScreenText(item->handleText);
    }
    return U"";
}

// What an item of one of the text kinds shows; empty for frames and edit fields.
std::u32string ItemLabel(const FarDialogItem& item) {
    std::u32string text = ScreenText(std::string(item.Data, strnlen(item.Data, sizeof(item.Data))));
    switch (item.Type) {
    case DI_TEXT:
        return StripHotKey(text);
    case DI_CHECKBOX:
        return (item.Selected ? U"[x] " : U"[ ] ") + StripHotKey(text);
    case DI_BUTTON:
        return item.DefaultButton ? U"{ " + StripHotKey(text) + U" }"
                                  : U"[ " + StripHotKey(text) + U" ]";
    default:
        return U"";
    }
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
    // Each high byte's UTF-8 form, asked of iconv once; '?' for a byte it cannot convert.
    static const std::vector<std::string> highBytes = [] {
        std::vector<std::string> table(128, "?");
        iconv_t converter = iconv_open("UTF-8", "CP437");
        if (converter == reinterpret_cast<iconv_t>(-1)) {
            converter = iconv_open("UTF-8", "IBM437");
        }
        if (converter == reinterpret_cast<iconv_t>(-1)) {
            return table;
        }
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            char in[1] = {static_cast<char>(byte)};
            char out[8];
            char* inAt = in;
            char* outAt = out;
            size_t inLeft = 1;
            size_t outLeft = sizeof(out);
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1)) {
                table[static_cast<size_t>(byte - 0x80)].assign(out, sizeof(out) - outLeft);
            }
        }
        iconv_close(converter);
        return table;
    }();
    std::string utf8;
    for (char c : oem) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8 += highBytes[byte - 0x80];
        }
    }
    return utf8;
}
#endif

std::string RenderKeyBar(const KeyBarTitles* keyBar, int width) {
    // FAR's layout: twelve slots of (width - 2) / 12 columns, at least 8: the key number, the
    // label in slot - 2 columns and a blank. A key that would reach the last column is left
    // out, so a screen of 80 columns shows F1 to F10.
    int keyWidth = (width - 2) / kKeyCount;
    if (keyWidth < 8) {
        keyWidth = 8;
    }
    int labelWidth = keyWidth - 2;
    std::u32string line;
    for (int key = 0; key < kKeyCount; ++key) {
        if (static_cast<int>(line.size()) + labelWidth >= width - 1) {
            break;
        }
        const char* label = keyBar != nullptr ? keyBar->Titles[key] : nullptr;
        std::u32string text =
            label != nullptr ? ScreenText(label) : DecodeUtf8(kDefaultKeyLabels[key]);
        std::string number = std::to_string(key + 1);
        line += std::u32string(number.begin(), number.end());
        line += Fit(text, labelWidth);
        if (key < kKeyCount - 1) {
            line.push_back(U' ');
        }
    }
    if (static_cast<int>(line.size()) > width) {
        line.resize(static_cast<size_t>(width > 0 ? width : 0));
    }
    size_t end = line.find_last_not_of(U' ');
    line.resize(end == std::u32string::npos ? 0 : end + 1);
    return EncodeUtf8(line);
}

std::string RenderPanel(const OpenPluginInfo& info, const std::vector<ListedItem>& items,
                        const PanelViewOptions& options) {
    const int width = options.width < 12 ? 12 : options.width;
    const int innerWidth = width - 2;
    const PanelMode* mode = nullptr;
    int modeIndex = info.StartPanelMode - '0';
    if (info.PanelModesArray != nullptr && modeIndex >= 0 && modeIndex < info.PanelModesNumber) {
        mode = &info.PanelModesArray[modeIndex];
    }
    std::vector<Column> columns = LayOutColumns(mode, innerWidth);
    // Columns wider than the panel end at its right side, and those past it are not drawn.
    while (!columns.empty() && columns.back().x > innerWidth) {
        columns.pop_back();
    }
    for (Column& column : columns) {
        if (column.x + column.width > innerWidth + 1) {
            column.width = innerWidth + 1 - column.x;
        }
    }

    const bool dots = (info.Flags & OPIF_ADDDOTS) != 0;
    const int dotLines = dots ? 1 : 0;
    int itemLines = dotLines + static_cast<int>(items.size());
    if (itemLines < options.minItemLines) {
        itemLines = options.minItemLines;
    }
    const int firstItemLine = 2;
    const int separatorLine = firstItemLine + itemLines;
    const int statusLine = separatorLine + 1;
    const int height = statusLine + 2;
    Canvas canvas(width, height);
    canvas.Frame(0, 0, width - 1, height - 1, true);

    for (size_t c = 0; c < columns.size(); ++c) {
        const Column& column = columns[c];
        canvas.Put(column.x, 1, Centred(column.title, column.width));
        for (int line = 0; line < itemLines; ++line) {
            int index = line - dotLines;
            bool isDots = dots && line == 0;
            const ListedItem* item =
                index >= 0 && index < static_cast<int>(items.size()) ? &items[index] : nullptr;
            std::u32string text = CellText(column, item, isDots);
            canvas.Put(column.x, firstItemLine + line,
                       column.kind == 'N' ? NameCell(text, column.width) : Fit(text, column.width));
        }
        if (c + 1 < columns.size()) {
            int x = column.x + column.width;
            canvas.Put(x, 0, kDoubleDownSingle);
            for (int y = 1; y < separatorLine; ++y) {
                canvas.Put(x, y, kSingleVertical);
            }
        }
    }
    canvas.HorizontalLine(1, width - 2, separatorLine, kSingleHorizontal);
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
        canvas.Put(columns[c].x + columns[c].width, separatorLine, kSingleUp);
    }
    canvas.Put(0, separatorLine, kDoubleRightSingle);
    canvas.Put(width - 1, separatorLine, kDoubleLeftSingle);

    // The status line names the item under the cursor.
    std::u32string current;
    int currentIndex = options.currentItem - 1;
    if (dots && options.currentItem == 0) {
        current = U"..";
    } else if (currentIndex >= 0 && currentIndex < static_cast<int>(items.size())) {
        current = ScreenText(items[static_cast<size_t>(currentIndex)].title);
    }
    canvas.Put(1, statusLine, NameCell(current, innerWidth));

    std::u32string title = ScreenText(info.PanelTitle);
    if (static_cast<int>(title.size()) > innerWidth) {
        title.resize(static_cast<size_t>(innerWidth));
    }
    canvas.Put((width - static_cast<int>(title.size())) / 2, 0, title);

    std::vector<std::u32string> margins;
    if (options.numbered) {
        for (int y = 0; y < height; ++y) {
            int number = y - firstItemLine - dotLines + 1;
            std::string text = number >= 1 && number <= static_cast<int>(items.size())
                                   ? std::to_string(number)
                                   : std::string();
            std::u32string margin(text.begin(), text.end());
            margins.push_back(std::u32string(4 - margin.size() - 1, U' ') + margin + U" ");
        }
    }
    std::u32string keyBarMargin(options.numbered ? 4 : 0, U' ');
    return canvas.Text(margins) + EncodeUtf8(keyBarMargin) + RenderKeyBar(info.KeyBar, width) +
           "\n";
}

std::string RenderDialog(const std::vector<FarDialogItem>& dialogItems, int dialogWidth,
                         int dialogHeight) {
    // Sizes and coordinates come from the plug-in: held to a screen's range, so that no
    // arithmetic overflows and no line is drawn for ever.
    const int width = ClampCoordinate(dialogWidth, 0);
    const int height = ClampCoordinate(dialogHeight, 0);
    std::vector<FarDialogItem> items(dialogItems);
    for (FarDialogItem& item : items) {
        item.X1 = ClampCoordinate(item.X1, -1);
        item.Y1 = ClampCoordinate(item.Y1, -1);
        item.X2 = ClampCoordinate(item.X2, -1);
        item.Y2 = ClampCoordinate(item.Y2, -1);
    }
    Canvas canvas(width, height);
    std::vector<bool> placed(items.size(), false);
    for (size_t i = 0; i < items.size(); ++i) {
        const FarDialogItem& item = items[i];
        if (placed[i]) {
            continue;
        }
        switch (item.Type) {
        case DI_DOUBLEBOX:
        case kDiSingleBox: {
            canvas.Frame(item.X1, item.Y1, item.X2, item.Y2, item.Type == DI_DOUBLEBOX);
            std::u32string title =
                ScreenText(std::string(item.Data, strnlen(item.Data, sizeof(item.Data))));
            if (!title.empty()) {
                title = U" " + title + U" ";
                int boxWidth = item.X2 - item.X1 + 1;
                canvas.Put(item.X1 + (boxWidth - static_cast<int>(title.size())) / 2, item.Y1,
                           title);
            }
            break;
        }
        case kDiEdit:
        case kDiPasswordEdit:
        case DI_FIXEDIT: {
            int fieldWidth = item.X2 - item.X1 + 1;
            std::u32string text =
                ScreenText(std::string(item.Data, strnlen(item.Data, sizeof(item.Data))));
            if (item.Type == kDiPasswordEdit) {
                text.assign(text.size(), U'*');
            }
            std::u32string field =
                text.substr(0, static_cast<size_t>(fieldWidth > 0 ? fieldWidth : 0));
            field.resize(static_cast<size_t>(fieldWidth > 0 ? fieldWidth : 0), U'_');
            canvas.Put(item.X1, item.Y1, field);
            break;
        }
        default:
            if (item.Type == DI_TEXT && (item.Flags & DIF_SEPARATOR)) {
                // FAR draws a separator across the dialog from column 3 to width - 4, where a
                // double box drawn at the usual place has its sides.
                int x1 = 3;
                int x2 = width - 4;
                canvas.HorizontalLine(x1, x2, item.Y1, kSingleHorizontal);
                canvas.Put(x1, item.Y1, kDoubleRightSingle);
                canvas.Put(x2, item.Y1, kDoubleLeftSingle);
                std::u32string text = ItemLabel(item);
                if (!text.empty()) {
                    text = U" " + text + U" ";
                    canvas.Put(x1 + (x2 - x1 + 1 - static_cast<int>(text.size())) / 2, item.Y1,
                               text);
                }
            } else if (item.Flags & DIF_CENTERGROUP) {
                // The items of one line that follow each other with DIF_CENTERGROUP form one
                // group, centred in the dialog, with one blank between neighbours.
                size_t end = i;
                int groupWidth = -1;
                while (end < items.size() && (items[end].Flags & DIF_CENTERGROUP) &&
                       items[end].Y1 == item.Y1) {
                    groupWidth += static_cast<int>(ItemLabel(items[end]).size()) + 1;
                    ++end;
                }
                int x = (width - groupWidth) / 2;
                for (size_t k = i; k < end; ++k) {
                    std::u32string text = ItemLabel(items[k]);
                    canvas.Put(x, items[k].Y1, text);
                    x += static_cast<int>(text.size()) + 1;
                    placed[k] = true;
                }
            } else {
                std::u32string text = ItemLabel(item);
                int x = item.X1 == -1 ? (width - static_cast<int>(text.size())) / 2 : item.X1;
                canvas.Put(x, item.Y1, text);
            }
            break;
        }
        placed[i] = true;
    }
    return canvas.Text();
}

} // namespace farhost
