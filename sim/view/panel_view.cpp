#include "panel_view.h"

#include <algorithm>
#include <cstdint>

namespace panelview {
namespace {

// A frame's corners (top left, top right, bottom left, bottom right), then its lines.
const char* const kDoubleBox[] = {"╔", "╗", "╚", "╝", "═", "║"};
const char* const kSingleBox[] = {"┌", "┐", "└", "┘", "─", "│"};

constexpr int kMinPanelWidth = 12;

// The host's own labels for F1..F12 in a plug-in's panel.
const char* const kDefaultKeyLabels[kKeyCount] = {"Help",   "UserMn", "View",   "Edit",
                                                  "Copy",   "RenMov", "MkFold", "Delete",
                                                  "ConfMn", "Quit",   "Plugin", "Screen"};

int Clamp(int value, int lowest, int highest) {
    return value < lowest ? lowest : value > highest ? highest : value;
}

Glyph Blank() {
    return Glyph{" ", 1};
}

bool IsBlank(const Glyph& glyph) {
    return glyph.utf8 == " ";
}

// The cells of `text` that fit in `width` columns; a wide cell that would straddle the edge is
// left out.
ScreenText Cut(const ScreenText& text, int width) {
    ScreenText cut;
    int used = 0;
    for (const Glyph& glyph : text) {
        if (used + glyph.width > width) {
            break;
        }
        cut.push_back(glyph);
        used += glyph.width;
    }
    return cut;
}

// `text` cut to `width` columns and filled up to it with `filler`.
ScreenText Fit(const ScreenText& text, int width, const char* filler = " ") {
    ScreenText fitted = Cut(text, width);
    for (int used = WidthOf(fitted); used < width; ++used) {
        fitted.push_back(Glyph{filler, 1});
    }
    return fitted;
}

ScreenText Centred(const ScreenText& text, int width) {
    int length = WidthOf(text);
    if (length >= width) {
        return Fit(text, width);
    }
    ScreenText centred(static_cast<size_t>((width - length) / 2), Blank());
    centred.insert(centred.end(), text.begin(), text.end());
    return Fit(centred, width);
}

ScreenText Joined(const std::string& before, const ScreenText& text, const std::string& after) {
    ScreenText joined = ToScreenText(before);
    joined.insert(joined.end(), text.begin(), text.end());
    ScreenText tail = ToScreenText(after);
    joined.insert(joined.end(), tail.begin(), tail.end());
    return joined;
}

// FAR marks the hot key of a label with '&' and shows "&&" as one '&'.
ScreenText StripHotKey(const ScreenText& text) {
    ScreenText stripped;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i].utf8 == "&" && i + 1 < text.size()) {
            ++i;
        }
        stripped.push_back(text[i]);
    }
    return stripped;
}

ScreenText NameCell(const ScreenText& name, int width) {
    if (WidthOf(name) <= width || width < 1) {
        return Fit(name, width);
    }
    ScreenText cut = Fit(name, width - 1);
    cut.push_back(Glyph{"}", 1}); // FAR's mark for a name cut at the column's edge
    return cut;
}

// A screen area; writes outside it are clipped. A cell of width 0 is the right half of the wide
// cell on its left.
class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width > 0 ? width : 0), rows_(static_cast<size_t>(height > 0 ? height : 0),
                                               ScreenText(static_cast<size_t>(width_), Blank())) {}

    // A wide cell that does not fit whole leaves its visible half blank.
    void Put(int x, int y, const Glyph& glyph) {
        if (y < 0 || y >= static_cast<int>(rows_.size())) {
            return;
        }
        const bool fits = x >= 0 && x <= width_ - glyph.width;
        for (int i = 0; i < glyph.width; ++i) {
            if (x + i >= 0 && x + i < width_) {
                Release(x + i, y);
                Cell(x + i, y) = fits && i == 1 ? Glyph{"", 0} : Blank();
            }
        }
        if (fits) {
            Cell(x, y) = glyph;
        }
    }
    void Put(int x, int y, const char* boxCharacter) { Put(x, y, Glyph{boxCharacter, 1}); }
    void Put(int x, int y, const ScreenText& text) {
        for (const Glyph& glyph : text) {
            if (x >= width_) {
                break;
            }
            Put(x, y, glyph);
            x += glyph.width;
        }
    }
    void HorizontalLine(int x1, int x2, int y, const char* boxCharacter) {
        for (int x = x1; x <= x2; ++x) {
            Put(x, y, boxCharacter);
        }
    }
    void Frame(int x1, int y1, int x2, int y2, bool isDouble) {
        const char* const* box = isDouble ? kDoubleBox : kSingleBox;
        HorizontalLine(x1 + 1, x2 - 1, y1, box[4]);
        HorizontalLine(x1 + 1, x2 - 1, y2, box[4]);
        for (int y = y1 + 1; y < y2; ++y) {
            Put(x1, y, box[5]);
            Put(x2, y, box[5]);
        }
        Put(x1, y1, box[0]);
        Put(x2, y1, box[1]);
        Put(x1, y2, box[2]);
        Put(x2, y2, box[3]);
    }
    // Every row with its trailing blanks removed, each ending with '\n'.
    std::string Text() const {
        std::string text;
        for (ScreenText row : rows_) {
            while (!row.empty() && IsBlank(row.back())) {
                row.pop_back();
            }
            text += ToUtf8(row);
            text += '\n';
        }
        return text;
    }

  private:
    Glyph& Cell(int x, int y) { return rows_[static_cast<size_t>(y)][static_cast<size_t>(x)]; }
    // Blanks the other half of a wide cell about to be overwritten at (x, y).
    void Release(int x, int y) {
        if (Cell(x, y).width == 0 && x > 0) {
            Cell(x - 1, y) = Blank();
        } else if (Cell(x, y).width == 2 && x + 1 < width_) {
            Cell(x + 1, y) = Blank();
        }
    }

    int width_;
    std::vector<ScreenText> rows_;
};

struct PlacedColumn {
    bool isName;
    int width;
    int x; // first screen column
    ScreenText title;
};

// The columns laid out over the panel's inner width. Columns of width 0 share what the others
// and the separators leave, the first ones taking the odd columns; columns wider than the panel
// end at its right side, and those past it are left out.
std::vector<PlacedColumn> LayOutColumns(const std::vector<Column>& wanted, int innerWidth) {
    std::vector<Column> columns = wanted;
    if (columns.empty()) {
        columns.push_back(Column{"", 0, true});
    }
    long long fixedWidth = 0;
    int restCount = 0;
    for (Column& column : columns) {
        column.width = Clamp(column.width, 0, kMaxCoordinate);
        if (column.width == 0) {
            ++restCount;
        }
        fixedWidth += column.width;
    }
    long long rest = innerWidth - fixedWidth - static_cast<long long>(columns.size() - 1);
    std::vector<PlacedColumn> placed;
    int restIndex = 0;
    int x = 1;
    for (const Column& column : columns) {
        int width = column.width;
        if (width == 0) {
            long long share =
                rest > 0 ? rest / restCount + (restIndex < rest % restCount ? 1 : 0) : 0;
            width = share > 0 ? static_cast<int>(share) : 1;
            ++restIndex;
        }
        if (x > innerWidth) {
            break;
        }
        if (x + width > innerWidth + 1) {
            width = innerWidth + 1 - x;
        }
        placed.push_back(PlacedColumn{column.isName, width, x, ToScreenText(column.title)});
        x += width + 1;
    }
    return placed;
}

// What the item line `line` of the item area shows in column `index`.
ScreenText CellText(const Panel& panel, const PlacedColumn& column, size_t index, int line) {
    if (panel.dotsLine && line == 0) {
        return column.isName ? ToScreenText("..") : ScreenText();
    }
    size_t row = static_cast<size_t>(line - (panel.dotsLine ? 1 : 0));
    if (row >= panel.rows.size() || index >= panel.rows[row].cells.size()) {
        return ScreenText();
    }
    return ToScreenText(panel.rows[row].cells[index]);
}

// What an item of one of the text kinds shows; empty for boxes and edit fields.
ScreenText ItemLabel(const DialogItem& item) {
    ScreenText text = StripHotKey(ToScreenText(item.text));
    switch (item.type) {
    case DialogItemType::kText:
        return text;
    case DialogItemType::kCheckBox:
        return Joined(item.checked ? "[x] " : "[ ] ", text, "");
    case DialogItemType::kButton:
        return item.defaultButton ? Joined("{ ", text, " }") : Joined("[ ", text, " ]");
    default:
        return ScreenText();
    }
}

// The ','-separated parts of a list, blanks dropped; at least one.
std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> parts(1);
    for (char c : list) {
        if (c == ',') {
            parts.emplace_back();
        } else if (c != ' ') {
            parts.back().push_back(c);
        }
    }
    return parts;
}

// The leading decimal digits of a text, held to kMaxCoordinate.
int LeadingNumber(const std::string& text, size_t from) {
    int value = 0;
    for (size_t i = from; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kMaxCoordinate + 1);
    }
    return std::min(value, kMaxCoordinate);
}

std::string CellOf(const std::string& type, const ItemTexts& item) {
    if (type == "N") {
        return item.name;
    }
    const bool custom = type.size() >= 2 && type.size() <= 3 && type[0] == 'C' &&
                        type.find_first_not_of("0123456789", 1) == std::string::npos;
    const size_t column = custom ? static_cast<size_t>(LeadingNumber(type, 1)) : SIZE_MAX;
    return column < item.customColumns.size() ? item.customColumns[column] : std::string();
}

} // namespace

void AddColumnsAndRows(const std::string& types, const std::string& widths,
                       const std::function<std::string(size_t)>& titleOf,
                       const std::vector<ItemTexts>& items, Panel* panel) {
    std::vector<std::string> typeList = SplitList(types);
    std::vector<std::string> widthList = SplitList(widths);
    if (typeList.size() == 1 && typeList[0].empty()) {
        typeList.assign(1, "N");
        widthList.clear();
    }
    for (size_t i = 0; i < typeList.size(); ++i) {
        Column column;
        column.isName = typeList[i] == "N";
        column.width = i < widthList.size() ? LeadingNumber(widthList[i], 0) : 0;
        column.title = titleOf(i);
        panel->columns.push_back(column);
    }
    for (const ItemTexts& item : items) {
        Row row;
        row.name = item.name;
        for (const std::string& type : typeList) {
            row.cells.push_back(CellOf(type, item));
        }
        panel->rows.push_back(row);
    }
}

DialogItemType DialogItemTypeOf(long long farType) {
    using Type = DialogItemType;
    static const Type kByNumber[] = {Type::kText,      Type::kOther,  Type::kSingleBox,
                                     Type::kDoubleBox, Type::kEdit,   Type::kPasswordEdit,
                                     Type::kEdit,      Type::kButton, Type::kCheckBox};
    const long long count = sizeof(kByNumber) / sizeof(kByNumber[0]);
    return farType >= 0 && farType < count ? kByNumber[farType] : Type::kOther;
}

std::string RenderKeyBar(const KeyBar& keyBar, int screenWidth) {
    // Twelve slots of (width - 2) / 12 columns, at least 8: the key number, the label in
    // slot - 2 columns and a blank. A key that would reach the last column is left out, so a
    // screen of 80 columns shows F1 to F10.
    const int width = Clamp(screenWidth, 0, kMaxCoordinate);
    int keyWidth = (width - 2) / kKeyCount;
    if (keyWidth < 8) {
        keyWidth = 8;
    }
    int labelWidth = keyWidth - 2;
    ScreenText line;
    for (int key = 0; key < kKeyCount; ++key) {
        if (WidthOf(line) + labelWidth >= width - 1) {
            break;
        }
        const KeyLabel& label = keyBar.labels[key];
        ScreenText text = label.kind == KeyLabelKind::kText ? ToScreenText(label.text)
                          : label.kind == KeyLabelKind::kBlank
                              ? ScreenText()
                              : ToScreenText(kDefaultKeyLabels[key]);
        ScreenText slot = Joined(std::to_string(key + 1), Fit(text, labelWidth), "");
        line.insert(line.end(), slot.begin(), slot.end());
        if (key < kKeyCount - 1) {
            line.push_back(Blank());
        }
    }
    line = Cut(line, width);
    while (!line.empty() && IsBlank(line.back())) {
        line.pop_back();
    }
    return ToUtf8(line);
}

std::string RenderPanel(const Panel& panel, const PanelViewOptions& options) {
    const int width = Clamp(options.width, kMinPanelWidth, kMaxCoordinate);
    const int innerWidth = width - 2;
    std::vector<PlacedColumn> columns = LayOutColumns(panel.columns, innerWidth);

    const int dotLines = panel.dotsLine ? 1 : 0;
    const size_t rowCount = panel.rows.size();
    const int minItemLines = Clamp(options.minItemLines, 0, kMaxCoordinate);
    const int lines = dotLines + static_cast<int>(rowCount);
    const int itemLines = lines > minItemLines ? lines : minItemLines;
    const int firstItemLine = 2;
    const int separatorLine = firstItemLine + itemLines;
    const int statusLine = separatorLine + 1;
    const int height = statusLine + 2;
    Canvas canvas(width, height);
    canvas.Frame(0, 0, width - 1, height - 1, true);

    canvas.HorizontalLine(1, width - 2, separatorLine, "─");
    canvas.Put(0, separatorLine, "╟");
    canvas.Put(width - 1, separatorLine, "╢");
    for (size_t c = 0; c < columns.size(); ++c) {
        const PlacedColumn& column = columns[c];
        canvas.Put(column.x, 1, Centred(column.title, column.width));
        for (int line = 0; line < itemLines; ++line) {
            ScreenText text = CellText(panel, column, c, line);
            canvas.Put(column.x, firstItemLine + line,
                       column.isName ? NameCell(text, column.width) : Fit(text, column.width));
        }
        if (c + 1 < columns.size()) { // the separator right of the column
            const int x = column.x + column.width;
            canvas.Put(x, 0, "╤");
            for (int y = 1; y < separatorLine; ++y) {
                canvas.Put(x, y, "│");
            }
            canvas.Put(x, separatorLine, "┴");
        }
    }

    // The status line names the row under the cursor.
    ScreenText current;
    if (panel.dotsLine && options.currentItem == 0) {
        current = ToScreenText("..");
    } else if (options.currentItem >= 1 && static_cast<size_t>(options.currentItem) <= rowCount) {
        current = ToScreenText(panel.rows[static_cast<size_t>(options.currentItem) - 1].name);
    }
    canvas.Put(1, statusLine, NameCell(current, innerWidth));

    ScreenText title = Cut(ToScreenText(panel.title), innerWidth);
    canvas.Put((width - WidthOf(title)) / 2, 0, title);
    return canvas.Text() + RenderKeyBar(panel.keyBar, width) + "\n";
}

std::string RenderDialog(const std::vector<DialogItem>& dialogItems, int dialogWidth,
                         int dialogHeight) {
    // Sizes and coordinates come from the plug-in: held to a screen's range, so that no
    // arithmetic overflows and no line is drawn for ever.
    const int width = Clamp(dialogWidth, 0, kMaxCoordinate);
    const int height = Clamp(dialogHeight, 0, kMaxCoordinate);
    std::vector<DialogItem> items(dialogItems);
    for (DialogItem& item : items) {
        item.x1 = Clamp(item.x1, -1, kMaxCoordinate);
        item.y1 = Clamp(item.y1, -1, kMaxCoordinate);
        item.x2 = Clamp(item.x2, -1, kMaxCoordinate);
        item.y2 = Clamp(item.y2, -1, kMaxCoordinate);
    }
    Canvas canvas(width, height);
    std::vector<bool> placed(items.size(), false);
    for (size_t i = 0; i < items.size(); ++i) {
        const DialogItem& item = items[i];
        if (placed[i]) {
            continue;
        }
        switch (item.type) {
        case DialogItemType::kDoubleBox:
        case DialogItemType::kSingleBox: {
            canvas.Frame(item.x1, item.y1, item.x2, item.y2,
                         item.type == DialogItemType::kDoubleBox);
            ScreenText title = ToScreenText(item.text);
            if (!title.empty()) {
                title = Joined(" ", title, " ");
                int boxWidth = item.x2 - item.x1 + 1;
                canvas.Put(item.x1 + (boxWidth - WidthOf(title)) / 2, item.y1, title);
            }
            break;
        }
        case DialogItemType::kEdit:
        case DialogItemType::kPasswordEdit: {
            ScreenText text = ToScreenText(item.text);
            if (item.type == DialogItemType::kPasswordEdit) {
                text.assign(text.size(), Glyph{"*", 1});
            }
            canvas.Put(item.x1, item.y1, Fit(text, item.x2 - item.x1 + 1, "_"));
            break;
        }
        default:
            if (item.type == DialogItemType::kText && item.separator) {
                // FAR draws a separator across the dialog from column 3 to width - 4, where a
                // double box drawn at the usual place has its sides.
                int x1 = 3;
                int x2 = width - 4;
                canvas.HorizontalLine(x1, x2, item.y1, "─");
                canvas.Put(x1, item.y1, "╟");
                canvas.Put(x2, item.y1, "╢");
                ScreenText text = ItemLabel(item);
                if (!text.empty()) {
                    text = Joined(" ", text, " ");
                    canvas.Put(x1 + (x2 - x1 + 1 - WidthOf(text)) / 2, item.y1, text);
                }
            } else if (item.centerGroup) {
                // The items of one line that follow each other with the flag form one group,
                // centred in the dialog, with one blank between neighbours.
                size_t end = i;
                long long groupWidth = -1;
                while (end < items.size() && items[end].centerGroup && items[end].y1 == item.y1) {
                    groupWidth += WidthOf(ItemLabel(items[end])) + 1;
                    ++end;
                }
                long long x = (width - groupWidth) / 2;
                for (size_t k = i; k < end; ++k) {
                    ScreenText text = ItemLabel(items[k]);
                    const int textWidth = WidthOf(text);
                    if (x < width && x + textWidth > 0) {
                        canvas.Put(static_cast<int>(x), items[k].y1, text);
                    }
                    x += textWidth + 1;
                    placed[k] = true;
                }
            } else {
                ScreenText text = ItemLabel(item);
                int x = item.x1 == -1 ? (width - WidthOf(text)) / 2 : item.x1;
                canvas.Put(x, item.y1, text);
            }
            break;
        }
        placed[i] = true;
    }
    return canvas.Text();
}

} // namespace panelview
