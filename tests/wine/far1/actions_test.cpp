// Hiding and showing real windows through the plug-in's exports: F8 (DeleteFiles), F3 and Alt+F3
// (ProcessKey), the "hide:" command line (OpenPlugin, its text in the OEM code page) and the
// restore when the last panel closes (ClosePlugin), against Wine's user32.
#include "far1_fixture.h"

namespace winetest {
namespace {

class Actions : public Far1Test {
  protected:
    // F8 on the item of `window` in `items` (by default a listing made now), as FAR hands it to
    // DeleteFiles.
    void PressF8(HANDLE panel, HWND window, std::vector<far1host::ListedItem> items = {}) {
        items = items.empty() ? OwnItems(panel) : items;
        const far1host::ListedItem* item = FindItem(items, window);
        ASSERT_NE(nullptr, item) << Named(window) << " is not listed";
        far1::PluginPanelItem copy = far1host::PanelItemFrom(*item);
        EXPECT_EQ(1, Plugin().DeleteFiles(panel, &copy, 1, 0));
        PumpMessages();
    }
    // F3 (Alt+F3 with `alt`) with the item of `window` in `items` selected; the panel is updated
    // and redrawn whatever the selection holds.
    void PressF3(HANDLE panel, HWND window, const std::vector<far1host::ListedItem>& items,
                 bool alt) {
        const far1host::ListedItem* item = FindItem(items, window);
        ASSERT_NE(nullptr, item) << Named(window) << " is not listed";
        far1host::ClearRecords();
        far1host::SetPanelSelection({far1host::PanelItemFrom(*item)});
        EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, alt ? unsigned{far1::PKF_ALT} : 0u));
        std::vector<int> commands;
        for (const far1host::ControlCall& call : far1host::ControlCalls()) {
            commands.push_back(call.command);
        }
        EXPECT_EQ((std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL,
                                    far1::FCTL_REDRAWPANEL}),
                  commands);
        PumpMessages();
    }
};

// "hide:<text>": the windows whose title holds the text are toggled, eligible ones only, case
// sensitively, byte for byte in the ANSI code page (1252) over at most the first 254 bytes of
// the title (read with the limit 255). FAR hands the text over in the OEM code page (437): it
// is converted before it is looked for, so the ANSI bytes themselves mean other letters.
TEST_F(Actions, CommandLineTogglesTheWindowsWhoseTitleHoldsTheText) {
    ASSERT_EQ(1252u, GetACP()) << "the runner sets LC_ALL=C, which Wine maps to code page 1252";
    ASSERT_EQ(437u, GetOEMCP()) << "and to the OEM code page 437";
    StartFar1(); // ShowAllWindowAtExit 1: each close shows again what its command hid
    const std::string titles[] = {
        "Report one",
        "report lower",
        std::string(240, 'x') + "NEEDLE" + std::string(54, 'x'),
        std::string(248, 'x') + "NEEDLE" + std::string(46, 'x'), // bytes 248..253: read last
        std::string(249, 'x') + "NEEDLE" + std::string(45, 'x'), // ends at byte 254: not read
        "Caf\xE9 R\xE9sum\xE9",
        "Caf\xE9 R\xE9sum\xE9 - na\xEFve",
        std::string(254, '\xE9'),
    };
    std::vector<HWND> windows;
    for (const std::string& title : titles) {
        windows.push_back(MakeWindow(title));
    }
    HWND invisible = MakeWindow("Reporter never shown", kInvisibleWindow);
    const struct {
        std::string text;
        bool oem; // handed over as it is; else typed in ANSI and converted, as FAR does
        const char* hidden;
    } cases[] = {
        {"Report", false, "10000000"},
        {"report", false, "01000000"},
        {"", false, "00000000"},
        {"NEEDLE", false, "00110000"},
        {"f\xE9 R\xE9s", false, "00000110"},
        {"R\x82sum\x82", true, "00000110"},
        {"na\x8Bve", true, "00000010"},
        {"R\xE9sum\xE9", true, "00000000"},
        {std::string(254, '\x82'), true, "00000001"},
        {std::string(255, '\x82'), true, "00000000"},
        {std::string(4096, '\x82'), true, "00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("hide:" + Printable(c.text.substr(0, 16)) + " (" +
                     std::to_string(c.text.size()) + " bytes)");
        HANDLE command = c.oem ? OpenFromCommandLineOem(c.text) : OpenFromCommandLine(c.text);
        std::vector<far1host::ListedItem> items = OwnItems(command);
        for (size_t i = 0; i < windows.size(); ++i) {
            ExpectVisible(__FILE__, __LINE__, windows[i], c.hidden[i] == '0');
            EXPECT_LISTED(items, windows[i], c.hidden[i] == '1' ? "H  D" : "    ");
        }
        EXPECT_NOT_LISTED(items, invisible); // not eligible: ShowInvisibleWindow 0
        ClosePanel(command);
        for (HWND window : windows) {
            EXPECT_VISIBLE(window);
        }
    }

    // Closing the command's panel while another is open leaves the window hidden and listed; the
    // last close shows it and brings it to the front.
    HANDLE panel = OpenPanel();
    ClosePanel(OpenFromCommandLine("Report one"));
    EXPECT_HIDDEN(windows[0]);
    EXPECT_LISTED(OwnItems(panel), windows[0], "H  D");
    PutInFront(windows[1]);
    ClosePanel(panel);
    EXPECT_VISIBLE(windows[0]);
    EXPECT_IN_FRONT(windows[0]);
    EXPECT_HIDDEN(invisible); // not recorded: the restore leaves it alone
}

// FAR 1.x records twenty windows: the next hide is refused (the window stays visible and
// unrecorded) until a recorded window is destroyed. With ShowAllWindowAtExit 0 the last close
// leaves them hidden. Items of a listing whose windows were destroyed since are harmless to F8
// and F3. F8 and Alt+F3 on a hidden window show it and bring it to the front; F3 leaves it
// recorded. ShowAllWindowAtExit set in the dialog takes effect at the last close.
TEST_F(Actions, TwentyRecordedWindowsDestroyedItemsAndTheRestoreSetInTheDialog) {
    HWND front = MakeWindow("Velumo in front");
    std::vector<HWND> windows, hidden, left;
    for (int i = 0; i < 22; ++i) {
        windows.push_back(MakeWindow("Velumo slot " + std::to_string(i)));
    }
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    ClosePanel(OpenFromCommandLine("Velumo slot")); // the last close leaves them hidden
    HANDLE panel = OpenPanel();
    for (HWND window : windows) {
        (IsWindowVisible(window) ? left : hidden).push_back(window);
    }
    ASSERT_EQ(20u, hidden.size()) << "twenty recorded, the rest refused";
    const std::vector<far1host::ListedItem> stale = OwnItems(panel);
    for (HWND window : hidden) {
        EXPECT_LISTED(stale, window, "H  D");
    }
    for (HWND window : left) {
        EXPECT_LISTED(stale, window, "    ");
    }

    // The destroyed window's slot takes the next hide, and only it.
    DestroyOwnWindow(hidden[0]);
    PressF8(panel, hidden[0], stale);
    PutInFront(front);
    PressF3(panel, hidden[0], stale, false);
    EXPECT_EQ(front, GetForegroundWindow()) << "a destroyed window's item activated a window";
    PressF8(panel, left[0]);
    PressF8(panel, left[1]);
    EXPECT_HIDDEN(left[0]);
    EXPECT_VISIBLE(left[1]);

    PressF8(panel, hidden[2]);
    EXPECT_VISIBLE(hidden[2]);
    EXPECT_IN_FRONT(hidden[2]);
    PressF3(panel, hidden[3], stale, true);
    EXPECT_VISIBLE(hidden[3]);
    EXPECT_IN_FRONT(hidden[3]);
    const std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, hidden[2], "    ");
    EXPECT_LISTED(items, hidden[3], "   D");
    EXPECT_LISTED(items, left[0], "H  D");

    far1host::DialogAnswer restore;
    restore.result = kFar1ConfigDialog.OkRow;
    restore.checks = {{DialogRowOf(kFar1ConfigDialog, &Settings::ShowAllWindowAtExit), 1}};
    far1host::QueueDialogAnswer(restore);
    EXPECT_EQ(1, Plugin().Configure(0));
    ClosePanel(panel);
    for (HWND window : windows_) {
        EXPECT_VISIBLE(window);
    }
}

} // namespace
} // namespace winetest
