// Draws what FAR shows on its text screen, as UTF-8 text for a terminal, from a description
// that knows no host: a plug-in's panel with the key bar below it, and a dialog. Each host
// stand-in turns its own records into these descriptions.
//
// Panel: double frame with the panel title centred in the top border, the columns with their
// titles centred on the first line, a ".." line when asked for, the rows, a status line with
// the name of the row under the cursor, and FAR's key bar laid out as FAR lays it out.
// Dialog: double and single boxes, texts (separators included), check boxes, edit fields and
// buttons (centred groups, the default button in braces).
//
// Every text is UTF-8 and is drawn through screen_text.h: control characters come out as '?',
// and a cell takes the columns that file says.
#pragma once

#include "screen_text.h"

#include <functional>
#include <string>
#include <vector>

namespace panelview {

// FAR's key bar shows all twelve keys from a screen width of 98 columns on.
constexpr int kDefaultScreenWidth = 100;
constexpr int kKeyCount = 12; // F1..F12

// Sizes, widths and coordinates are held to this many columns or lines: beyond any console FAR
// runs in, small enough that no arithmetic on them overflows.
constexpr int kMaxCoordinate = 1000;

struct Column {
    std::string title;   // centred on the panel's first line
    int width = 0;       // in columns; 0 shares out what the other columns leave
    bool isName = false; // the name column: a text cut at its edge ends in '}'
};

struct Row {
    std::string name;               // what the status line shows when the cursor is on the row
    std::vector<std::string> cells; // one text per column; missing ones are blank
};

enum class KeyLabelKind { kHostDefault, kBlank, kText }; // kHostDefault: the host's own label

struct KeyLabel {
    KeyLabelKind kind = KeyLabelKind::kHostDefault;
    std::string text; // for kText
};

struct KeyBar {
    KeyLabel labels[kKeyCount]; // F1..F12 without modifiers
};

struct Panel {
    std::string title;
    std::vector<Column> columns; // none: one name column across the panel
    bool dotsLine = false;       // a ".." line above the rows
    std::vector<Row> rows;
    KeyBar keyBar;
};

// One item's texts as a view mode picks its cells from them.
struct ItemTexts {
    std::string name;
    std::vector<std::string> customColumns;
};

// The columns and rows of a view mode, from its ColumnTypes and ColumnWidths lists (','-separated,
// blanks dropped): type "N" is the name, "C<n>" custom column n, any other blank; a width is its
// leading digits, held to kMaxCoordinate. No types: the names alone. `titleOf` gives column n's
// title.
void AddColumnsAndRows(const std::string& types, const std::string& widths,
                       const std::function<std::string(size_t)>& titleOf,
                       const std::vector<ItemTexts>& items, Panel* panel);

struct PanelViewOptions {
    int width = kDefaultScreenWidth; // the panel's width, frame included, and the key bar's
    int minItemLines = 8;            // the item area is never shorter (blank lines fill it)
    int currentItem = 0;             // line under the cursor: 0 is "..", n is rows[n - 1]
};

// kEdit: an edit field of any kind, its text on a line of '_' as wide as the field;
// kPasswordEdit: the same with the text shown as '*'; kOther: a kind this view does not draw.
enum class DialogItemType {
    kDoubleBox,
    kSingleBox,
    kText,
    kCheckBox,
    kButton,
    kEdit,
    kPasswordEdit,
    kOther
};

// The kind of a dialog item from its type number, which FAR 1.x and FAR 3 share: DI_TEXT 0,
// DI_SINGLEBOX 2, DI_DOUBLEBOX 3, DI_EDIT 4, DI_PSWEDIT 5, DI_FIXEDIT 6, DI_BUTTON 7, DI_CHECKBOX
// 8; any other number (DI_VTEXT 1 among them) is kOther.
DialogItemType DialogItemTypeOf(long long farType);

struct DialogItem {
    DialogItemType type = DialogItemType::kOther;
    int x1 = 0; // -1 centres a text on its line
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool separator = false;     // a text drawn as a line across the dialog, its text centred
    bool centerGroup = false;   // neighbours on one line with this flag are centred as a group
    bool defaultButton = false; // drawn in braces
    bool checked = false;
    std::string text; // '&' marks the hot key of a text, check box or button; "&&" shows '&'
};

// The panel and the key bar below it; every line ends with '\n'. The width is held to 12 ..
// kMaxCoordinate columns and minItemLines to 0 .. kMaxCoordinate; every row is drawn.
std::string RenderPanel(const Panel& panel, const PanelViewOptions& options = PanelViewOptions());

// One line of at most `width` columns, without a line end: twelve slots of (width - 2) / 12
// columns, at least 8; a key whose label would reach the last column is left out.
std::string RenderKeyBar(const KeyBar& keyBar, int width);

// The dialog items drawn in a `width` x `height` area (the dialog's size as the plug-in passed
// it); `height` lines, each ending with '\n', trailing blanks removed. Sizes and coordinates are
// held to -1 .. kMaxCoordinate.
std::string RenderDialog(const std::vector<DialogItem>& items, int width, int height);

} // namespace panelview
