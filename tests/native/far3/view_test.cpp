// The FAR 3 stand-in's pictures of what the linked front end hands it, and hostile records.
#include "far3_fixture.h"
#include "far3_view.h"

namespace {

using far3host::Text;

constexpr WORD kVkF9 = 0x78;
constexpr WORD kVkReturn = 0x0D;
constexpr DWORD kNumLockOn = 0x20;

std::vector<std::string> DrawPanel(int currentItem) {
    const far3host::HostPanel& panel = far3host::PanelAt(far3host::kLeftPanel);
    panelview::PanelViewOptions options;
    options.width = 40;
    options.minItemLines = 3;
    options.currentItem = currentItem;
    return Lines(panelview::RenderPanel(far3host::DescribePanel(panel.info, panel.items), options));
}

using Far3View = Far3Test;

TEST_F(Far3View, PanelShowsUtf16TitlesProgramStatusAndKeyBar) {
    simwin::CreateTestWindow(u"Отчёт");
    simwin::WindowSpec note;
    note.wideTitle = u"日本語のメモ 🙂";
    note.process = simwin::StartTestProcess();
    simwin::SetTestProcessImage(note.process, u"C:\\Windows\\notepad.exe");
    simwin::CreateTestWindow(note);
    ASSERT_NE(nullptr, far3host::OpenInActivePanel());
    ASSERT_NE(nullptr, far3host::TypeCommand(u"hide:Отч"));
    far3host::ListPanel(far3host::kLeftPanel);

    std::vector<std::string> lines = DrawPanel(1);
    ASSERT_EQ(9u, lines.size()); // the item area: "..", the two windows
    EXPECT_EQ("╔══════════════ Windows ══════════╤════╗", lines[0]);
    EXPECT_EQ("║       Title        │  Program   │Stat║", lines[1]);
    EXPECT_EQ("║..                  │            │    ║", lines[2]); // FAR's ".." item
    EXPECT_EQ("║日本語のメモ 🙂     │notepad.exe │    ║", lines[3]);
    EXPECT_EQ("║Отчёт               │explorer.exe│H  D║", lines[4]);
    EXPECT_EQ("║日本語のメモ 🙂                       ║", lines[6]);
    // F4 to F7 blanked by the plug-in; a key whose label would reach the last column is left out.
    EXPECT_EQ("1Help   2UserMn 3View   4       5", lines[8]);
}

TEST_F(Far3View, KeyBarTakesPlainFunctionKeysInOrder) {
    std::vector<far3host::KeyBarLabelCopy> labels = {
        {VK_F8, 0, Text(u"Toggle"), std::nullopt},
        {VK_F8, 0, Text(u"Again"), std::nullopt}, // a later label wins
        {kVkF9, LEFT_ALT_PRESSED, Text(u"Alt"), std::nullopt},
        {kVkF9, SHIFT_PRESSED | kNumLockOn, Text(u"Shift"), std::nullopt},
        {VK_F4, kNumLockOn, std::nullopt, std::nullopt}, // null text, plain group: blank
        {VK_F5, 0, Text(u""), std::nullopt},
        {kVkReturn, 0, Text(u"Enter"), std::nullopt},
    };
    EXPECT_EQ("1Help   2UserMn 3View   4       5       6RenMov 7MkFold 8Again  9ConfMn 10Quit   "
              "11Plugin 12Screen",
              panelview::RenderKeyBar(far3host::DescribeKeyBar(labels), 100));
}

TEST_F(Far3View, ConfigurationDialogHasNoDigitRow) {
    EXPECT_EQ(0, far3host::Configure()); // no answer queued: Esc
    ASSERT_EQ(1u, far3host::DialogCalls().size());
    const far3host::DialogCall& call = far3host::DialogCalls()[0];
    std::vector<std::string> lines =
        Lines(panelview::RenderDialog(far3host::DescribeDialog(call.items),
                                      static_cast<int>(call.x2), static_cast<int>(call.y2)));
    const DialogLayout& layout = kFar3ConfigDialog;
    ASSERT_EQ(static_cast<size_t>(layout.Height), lines.size());
    EXPECT_NE(std::string::npos, lines[1].find("═ Velumo window list ═")) << lines[1];
    EXPECT_NE(std::string::npos, lines[2].find("║ [x] Add to disks menu ")) << lines[2];
    EXPECT_NE(std::string::npos, lines[3].find("╟────")) << lines[3];
    const std::string& buttons = lines[static_cast<size_t>(layout.Rows[layout.OkRow].Y1)];
    EXPECT_NE(std::string::npos, buttons.find("{ OK } [ Cancel ]")) << buttons;
}

// Coordinates beyond any screen, hidden items and a start mode with no such mode: clipped, left
// out, the names alone.
TEST_F(Far3View, HostileRecordsAreHeldToTheScreen) {
    std::vector<far3host::DialogItemCopy> items(3);
    items[0].item.Type = far3::DI_DOUBLEBOX;
    items[0].item.X2 = INTPTR_MAX;
    items[0].item.Y2 = INTPTR_MAX;
    items[1].item.Type = far3::DI_TEXT;
    items[1].item.X1 = INTPTR_MIN;
    items[1].item.Y1 = 1;
    items[1].data = u"shown";
    items[2].item.Type = far3::DI_TEXT;
    items[2].item.Flags = far3::DIF_HIDDEN;
    items[2].item.Y1 = 2;
    items[2].data = u"hidden";
    std::vector<panelview::DialogItem> described = far3host::DescribeDialog(items);
    ASSERT_EQ(2u, described.size());
    EXPECT_EQ(panelview::kMaxCoordinate, described[0].x2);
    EXPECT_EQ(-1, described[1].x1);

    far3host::OpenPanelInfoCopy info;
    info.startPanelMode = '7';
    info.panelModes.resize(1);
    far3host::ListedItem item;
    item.fileName = u"w";
    panelview::Panel panel = far3host::DescribePanel(info, {item});
    ASSERT_EQ(1u, panel.columns.size());
    EXPECT_TRUE(panel.columns[0].isName);
}

} // namespace
