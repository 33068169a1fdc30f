// The text renderer's pictures of the FAR 1.x panel, key bar and dialog, and of text that no OEM
// code page holds.
#include "far1_fixture.h"
#include "far1_view.h"
#include "panel_view.h"

#include <climits>

namespace {

// The screen columns of a UTF-8 line: one string per character.
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    for (size_t i = 0; i < line.size();) {
        unsigned char lead = static_cast<unsigned char>(line[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        cells.push_back(line.substr(i, length));
        i += length;
    }
    return cells;
}

// The characters of a line from `first` to `last` column, both included.
std::string Span(const std::string& line, size_t first, size_t last) {
    std::vector<std::string> cells = Cells(line);
    std::string span;
    for (size_t c = first; c <= last && c < cells.size(); ++c) {
        span += cells[c];
    }
    return span;
}

class PanelViewTest : public Far1Test {
  protected:
    // Opens the panel, hides `hidden` through it (when given), lists the panel and draws it.
    static std::string DrawPanel(const panelview::PanelViewOptions& options, HWND hidden) {
        HANDLE panel = far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
        far1::PluginPanelItem item = PanelItemFor(hidden);
        far1host::Plugin().DeleteFiles(panel, &item, 1, 0);
        far1::OpenPluginInfo info = {};
        far1host::Plugin().GetOpenPluginInfo(panel, &info);
        std::vector<far1host::ListedItem> items = far1host::ListPanel(panel);
        std::string picture = panelview::RenderPanel(far1host::DescribePanel(info, items), options);
        far1host::Plugin().ClosePlugin(panel);
        return picture;
    }
};

TEST_F(PanelViewTest, PanelHasFarsFrameColumnsAndKeyBar) {
    HWND lower = simwin::CreateTestWindow("Final Report");
    HWND upper = simwin::CreateTestWindow("Report one");

    panelview::PanelViewOptions options;
    options.width = 40;
    options.minItemLines = 4;
    options.currentItem = 1;
    std::vector<std::string> lines = Lines(DrawPanel(options, lower));
    // Frame, titles, "..", two windows, one blank line, separator, status, frame, key bar.
    ASSERT_EQ(lines.size(), 10u);
    for (size_t y = 0; y < 9; ++y) {
        EXPECT_EQ(Cells(lines[y]).size(), 40u) << "line " << y << ": " << lines[y];
    }
    // Mode 2: "N,C0,C1" with widths "0,4,8" in 38 inner columns: the name gets 24, and the
    // title " Windows " is centred over the whole top border.
    EXPECT_EQ(lines[0], "╔══════════════ Windows ═╤════╤════════╗");
    EXPECT_EQ(lines[1], "║         Title          │Stat│ Handle ║");
    EXPECT_EQ(lines[2], "║..                      │    │        ║");
    EXPECT_EQ(lines[3], std::string("║Report one              │    │") + HandleText(upper) + "║");
    EXPECT_EQ(lines[4], std::string("║Final Report            │H  D│") + HandleText(lower) + "║");
    EXPECT_EQ(lines[5], "║                        │    │        ║");
    EXPECT_EQ(lines[6], "╟────────────────────────┴────┴────────╢");
    EXPECT_EQ(lines[7], "║Report one                            ║"); // the cursor's item
    EXPECT_EQ(lines[8], "╚══════════════════════════════════════╝");
    // Eight-column slots; a key whose label would reach the last column is left out. The
    // plug-in blanks F4 and F5.
    EXPECT_EQ(lines[9], "1Help   2UserMn 3View   4       5");
}

TEST_F(PanelViewTest, KeyBarFollowsFarsLayoutAndLabels) {
    far1::KeyBarTitles keyBar = {};
    keyBar.Titles[3] = "";         // blanked
    keyBar.Titles[7] = "Toggle";   // the plug-in's own
    keyBar.Titles[8] = "\x8e\x84"; // CP437 "Ää"
    // From 98 columns on all twelve keys fit; 80 columns show F1 to F10, as FAR does.
    EXPECT_EQ(panelview::RenderKeyBar(far1host::DescribeKeyBar(&keyBar), 100),
              "1Help   2UserMn 3View   4       5Copy   6RenMov 7MkFold 8Toggle 9Ää     10Quit   "
              "11Plugin 12Screen");
    EXPECT_EQ(panelview::RenderKeyBar(far1host::DescribeKeyBar(&keyBar), 80),
              "1Help   2UserMn 3View   4       5Copy   6RenMov 7MkFold 8Toggle 9Ää     10Quit");
    EXPECT_EQ(panelview::RenderKeyBar(far1host::DescribeKeyBar(nullptr), 100).substr(0, 64),
              "1Help   2UserMn 3View   4Edit   5Copy   6RenMov 7MkFold 8Delete ");
}

TEST_F(PanelViewTest, TitlesAreConvertedCutAndDefused) {
    far1::OpenPluginInfo info = {};
    info.PanelTitle = " \x82t\x82 ";
    info.Flags = 0; // no ".." line
    std::vector<far1host::ListedItem> items(2);
    items[0].title = "Caf\x82 \xae notes \xaf";        // CP437
    items[1].title = "esc\x1b[2Jhere and a long tail"; // a control character must not get out
    panelview::PanelViewOptions options;
    options.width = 20;
    options.minItemLines = 0;
    std::vector<std::string> lines =
        Lines(panelview::RenderPanel(far1host::DescribePanel(info, items), options));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "╔══════ été ═══════╗");
    EXPECT_EQ(lines[2], "║Café « notes »    ║");
    // No mode: one name column over the 18 inner columns; a cut name ends in '}'.
    EXPECT_EQ(lines[3], "║esc?[2Jhere and a}║");
}

TEST_F(PanelViewTest, ConfigurationDialogAsFarDrawsIt) {
    far1host::ClearRecords();
    EXPECT_EQ(far1host::Plugin().Configure(0), 0); // no answer queued: Esc
    ASSERT_EQ(far1host::DialogCalls().size(), 1u);
    const far1host::DialogCall& call = far1host::DialogCalls()[0];
    std::vector<std::string> lines =
        Lines(panelview::RenderDialog(far1host::DescribeDialog(call.items), call.x2, call.y2));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(Span(lines[1], 3, 3), "╔");
    EXPECT_EQ(Span(lines[1], 72, 72), "╗");
    EXPECT_NE(lines[1].find("═ Velumo window list ═"), std::string::npos) << lines[1];
    EXPECT_EQ(Span(lines[2], 3, 26), "║ [x] Add to disks menu ");
    EXPECT_EQ(Span(lines[3], 3, 31), "║   9 Disks menu hot key (1-9");
    // Separators run from the box's left side to its right side.
    for (size_t y : {4u, 9u}) {
        EXPECT_EQ(Span(lines[y], 3, 3), "╟") << lines[y];
        EXPECT_EQ(Span(lines[y], 72, 72), "╢") << lines[y];
        EXPECT_EQ(Span(lines[y], 40, 40), "─") << lines[y];
    }
    EXPECT_EQ(Span(lines[6], 3, 8), "║ [ ] ");
    EXPECT_EQ(Span(lines[8], 3, 8), "║ [x] ");
    // "{ OK } [ Cancel ]" is 17 columns, centred in 76: it starts at column 29.
    EXPECT_EQ(Span(lines[10], 29, 45), "{ OK } [ Cancel ]");
    EXPECT_EQ(Span(lines[11], 3, 3), "╚");
    EXPECT_EQ(lines[12], "");
}

// Hot keys, edit fields and lone buttons as FAR draws them; sizes from the plug-in that no
// screen holds are clipped, not drawn for ever.
TEST_F(PanelViewTest, DialogRecordsAndHostileSizes) {
    std::vector<far1::FarDialogItem> items(4);
    items[0] = {far1::DI_TEXT, 2, 0, 0, 0, 0, {0}, 0, 0, "Fish && &Chips"};
    items[1] = {far1::DI_FIXEDIT, 2, 1, 5, 1, 0, {0}, 0, 0, "7"};
    items[2] = {far1::DI_BUTTON, 2, 2, 0, 0, 0, {0}, 0, 0, "&Go"};
    items[3] = {
        far1::DI_CHECKBOX, 10, 2, 0, 0, 0, {5}, 0, 0, "&Any"}; // any non-zero state is ticked
    EXPECT_EQ(panelview::RenderDialog(far1host::DescribeDialog(items), 20, 3),
              "  Fish & Chips\n  7___\n  [ Go ]  [x] Any\n");
    items.resize(2);
    items[0] = {far1::DI_DOUBLEBOX, -5, 0, INT_MAX, INT_MAX, 0, {0}, 0, 0, ""};
    items[1] = {far1::DI_FIXEDIT, 2, 1, INT_MAX, 1, 0, {0}, 0, 0, "x"};
    EXPECT_EQ(panelview::RenderDialog(far1host::DescribeDialog(items), 8, 3),
              "════════\n  x_____\n\n");
    EXPECT_EQ(panelview::RenderDialog(far1host::DescribeDialog(items), INT_MAX, INT_MIN), "");

    far1::PanelMode mode = {};
    mode.ColumnTypes = "N,C5"; // a column the items lack: blank
    mode.ColumnWidths = "0,99999999999999999999";
    far1::OpenPluginInfo info = {};
    info.PanelModesArray = &mode;
    info.PanelModesNumber = 1;
    info.StartPanelMode = '0';
    panelview::PanelViewOptions options;
    options.width = 20;
    options.minItemLines = 1;
    far1host::ListedItem item = {"w", "    ", "00000001", 0, 2};
    std::vector<std::string> panel =
        Lines(panelview::RenderPanel(far1host::DescribePanel(info, {item}), options));
    ASSERT_EQ(panel.size(), 7u);
    EXPECT_EQ(Cells(panel[0]).size(), 20u);
    EXPECT_EQ(panel[1], "║ │                ║"); // the name column keeps one cell
    EXPECT_EQ((std::vector<std::string>{"w", ""}),
              far1host::DescribePanel(info, {item}).rows.at(0).cells);
}

// ---- The host-neutral renderer, fed directly ------------------------------------------------

struct ScreenTextCase {
    const char* utf8;
    const char* shown;
    int width;
};

// Each fault class of arbitrary text once: what reaches the terminal, and the columns counted.
TEST(PanelViewText, AnyTextIsShownSafelyAndMeasured) {
    const ScreenTextCase cases[] = {
        {"a\x1b[2Jb", "a?[2Jb", 6},                // C0: no escape sequence
        {"\xc2\x9b[31m", "?[31m", 5},              // C1 CSI
        {"\u202eabc", "?abc", 4},                  // right-to-left override
        {"x\xffy", "x\uFFFDy", 3},                 // a byte that is not UTF-8
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD", 3}, // an encoded surrogate
        {"\xc0\xaf", "\uFFFD\uFFFD", 2},           // an overlong '/'
        {"\xe6\x97", "\uFFFD\uFFFD", 2},           // a cut sequence
        {"e\xcc\x81", "e\xcc\x81", 1},             // a combining mark
        {"\xcc\x81x", " \xcc\x81x", 2},            // a mark with nothing under it
        {"a\u200d\ufe0fb", "ab", 2},               // zero-width joiner, selector
        {"\u65e5\u672c", "\u65e5\u672c", 4},       // CJK: two columns each
        {"\U0001F642", "\U0001F642", 2},           // emoji
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        panelview::ScreenText text = panelview::ToScreenText(cases[i].utf8);
        EXPECT_EQ(panelview::ToUtf8(text), cases[i].shown) << "case " << i;
        EXPECT_EQ(panelview::WidthOf(text), cases[i].width) << "case " << i;
    }
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xD83D, 0xDE42, 0xDC00, 0};
    EXPECT_EQ(panelview::Utf16ToUtf8(lone), "a\uFFFDb\U0001F642\uFFFD");
    EXPECT_EQ(panelview::Utf16ToUtf8(static_cast<const char16_t*>(nullptr)), "");
}

// A title beyond any OEM code page keeps the frame's columns; a wide character that would
// straddle a column's edge is left out.
TEST(PanelViewText, WideTextKeepsTheFrame) {
    const std::string title = "日本語 — résumé 🙂";
    panelview::Panel panel;
    panel.title = title;
    panel.columns = {{"Name", 0, true}, {"St", 2, false}};
    panel.rows = {{title, {title, "ok"}},
                  {"x日本語日本語日本語日", {"x日本語日本語日本語日", "\xc2\x9b"}}};
    panelview::PanelViewOptions options;
    options.width = 24;
    options.minItemLines = 0;
    options.currentItem = 1;
    std::vector<std::string> lines = Lines(panelview::RenderPanel(panel, options));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "╔══日本語 — résumé 🙂══╗");
    EXPECT_EQ(lines[1], "║       Name        │St║");
    EXPECT_EQ(lines[2], "║日本語 — résumé 🙂 │ok║");
    EXPECT_EQ(lines[3], "║x日本語日本語日本 }│? ║");
    EXPECT_EQ(lines[4], "╟───────────────────┴──╢");
    EXPECT_EQ(lines[5], "║日本語 — résumé 🙂    ║");
    EXPECT_EQ(lines[7], "1Help   2UserMn 3View");
}

// The caller's sizes are held to the screen, and the number margin grows with the rows.
TEST(PanelViewText, HostileOptions) {
    panelview::Panel panel;
    panelview::PanelViewOptions options;
    options.width = INT_MAX;
    options.minItemLines = INT_MAX;
    std::vector<std::string> lines = Lines(panelview::RenderPanel(panel, options));
    ASSERT_EQ(lines.size(), 2u + panelview::kMaxCoordinate + 4u);
    EXPECT_EQ(Cells(lines[0]).size(), static_cast<size_t>(panelview::kMaxCoordinate));
}

} // namespace
