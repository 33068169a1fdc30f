// Hiding, showing and activating real windows through the plug-in's exports: F8 (DeleteFiles),
// F3 and Alt+F3 (ProcessKey), the "hide:" command line (OpenPlugin, its text in the OEM code
// page), the restore when the last panel closes (ClosePlugin) and Enter on ".." (SetDirectory),
// against Wine's user32, with the host stand-in ordering the calls as FAR does.
//
// Two Wine facts shape these tests:
// - ShowWindow(SW_SHOW) on a hidden window already activates it (Windows does the same), and
//   BringWindowToTop activates a top-level window too (Windows again). So after a show, the
//   foreground window proves that the window was shown and raised, not which call did it;
//   activation is proved on a window that is already visible but in the background, where
//   ShowWindow has nothing to do.
// - Under Wine 8 (unmanaged X11 windows, no window manager) SetForegroundWindow makes the
//   window the foreground window without raising it in the z-order (seen: GetTopWindow
//   unchanged), where Windows also raises it. A window at the top of the z-order after an
//   action is therefore BringWindowToTop's doing.
#include "wine_fixture.h"

#include <cstdio>
#include <cstring>

namespace winetest {
namespace {

class Actions : public WineDesktopTest {
  protected:
    // F8 on the listed item of `window`, as FAR hands it to DeleteFiles.
    void PressF8(HANDLE panel, HWND window) {
        std::vector<far1host::ListedItem> items = OwnItems(panel);
        const far1host::ListedItem* item = FindItem(items, window);
        ASSERT_NE(nullptr, item) << "window " << HandleText(window) << " is not listed";
        far1::PluginPanelItem copy = far1host::PanelItemFrom(*item);
        EXPECT_EQ(1, Plugin().DeleteFiles(panel, &copy, 1, 0));
        PumpMessages();
    }

    // Makes `window` the foreground window and the top of this test's z-order, by hand.
    void PutInFront(HWND window) {
        ASSERT_TRUE(SetForegroundWindow(window));
        ASSERT_TRUE(BringWindowToTop(window));
        PumpMessages();
        ASSERT_EQ(window, GetForegroundWindow());
        ASSERT_EQ(window, OwnZOrder().front());
    }

    static std::vector<int> Commands() {
        std::vector<int> commands;
        for (const far1host::ControlCall& call : far1host::ControlCalls()) {
            commands.push_back(call.command);
        }
        return commands;
    }
};

TEST_F(Actions, F8HidesAndRecordsThenShowsAndBringsToFront) {
    StartFar1();
    HWND alpha = MakeWindow("Velumo alpha");
    HWND beta = MakeWindow("Velumo beta");
    HANDLE panel = OpenPanel();

    PressF8(panel, alpha);
    EXPECT_HIDDEN(alpha);
    EXPECT_VISIBLE(beta);
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "H  D");
    EXPECT_LISTED(items, beta, "    ");

    PutInFront(beta);
    PressF8(panel, alpha);
    EXPECT_VISIBLE(alpha);
    EXPECT_EQ(alpha, GetForegroundWindow()) << "the shown window is the foreground window";
    EXPECT_EQ(alpha, OwnZOrder().front()) << "the shown window is at the top";
    items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "    ");

    // Two items at once, each toggled by its own state at that moment.
    PressF8(panel, beta);
    EXPECT_HIDDEN(beta);
    items = OwnItems(panel);
    std::vector<far1::PluginPanelItem> both =
        PanelItemsOf({FindItem(items, alpha), FindItem(items, beta)});
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, both.data(), 2, 0));
    EXPECT_HIDDEN(alpha);
    EXPECT_VISIBLE(beta);
    items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "H  D");
    EXPECT_LISTED(items, beta, "    ");

    // No items: nothing happens.
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, both.data(), 0, 0));
    EXPECT_HIDDEN(alpha);
    EXPECT_VISIBLE(beta);

    ClosePanel(panel); // ShowAllWindowAtExit 1 by default
    EXPECT_VISIBLE(alpha);
    EXPECT_VISIBLE(beta);
    panel = OpenPanel();
    items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "    ");
    EXPECT_LISTED(items, beta, "    ");
    ClosePanel(panel);
}

TEST_F(Actions, TwentyOneHidesAgainstTheTwentySlotTable) {
    StartFar1();
    std::vector<HWND> windows;
    for (int i = 0; i < 21; ++i) {
        char title[32];
        snprintf(title, sizeof(title), "Velumo slot %02d", i);
        windows.push_back(MakeWindow(title));
    }
    HANDLE panel = OpenPanel();
    for (HWND window : windows) {
        PressF8(panel, window);
    }
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    for (int i = 0; i < 20; ++i) {
        EXPECT_HIDDEN(windows[i]);
        EXPECT_LISTED(items, windows[i], "H  D");
    }
    EXPECT_VISIBLE(windows[20]); // the table is full: the 21st window stays visible
    EXPECT_LISTED(items, windows[20], "    ");

    // A slot comes free when its window is destroyed.
    DestroyOwnWindow(windows[5]);
    PressF8(panel, windows[20]);
    EXPECT_HIDDEN(windows[20]);
    EXPECT_LISTED(OwnItems(panel), windows[20], "H  D");

    // Twenty live hidden windows again: one more cannot be hidden.
    HWND extra = MakeWindow("Velumo one too many");
    PressF8(panel, extra);
    EXPECT_VISIBLE(extra);
    EXPECT_LISTED(OwnItems(panel), extra, "    ");

    ClosePanel(panel);
    for (HWND window : windows) {
        if (window != windows[5]) {
            EXPECT_VISIBLE(window);
        }
    }
    panel = OpenPanel();
    items = OwnItems(panel);
    for (HWND window : windows) {
        if (window != windows[5]) {
            EXPECT_LISTED(items, window, "    ");
        }
    }
    ClosePanel(panel);
}

TEST_F(Actions, ActionsOnADestroyedWindowAreHarmless) {
    StartFar1();
    HWND doomed = MakeWindow("Velumo doomed");
    HWND hiddenDoomed = MakeWindow("Velumo doomed after hiding");
    HWND bystander = MakeWindow("Velumo bystander");
    HANDLE panel = OpenPanel();
    PressF8(panel, hiddenDoomed);
    EXPECT_HIDDEN(hiddenDoomed);

    // The listing the actions below refer to; then the windows go.
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    ASSERT_NE(nullptr, FindItem(items, doomed));
    ASSERT_NE(nullptr, FindItem(items, hiddenDoomed));
    EXPECT_LISTED(items, hiddenDoomed, "H  D");
    far1::PluginPanelItem doomedItem = far1host::PanelItemFrom(*FindItem(items, doomed));
    far1::PluginPanelItem hiddenDoomedItem =
        far1host::PanelItemFrom(*FindItem(items, hiddenDoomed));
    DestroyOwnWindow(doomed);
    DestroyOwnWindow(hiddenDoomed);
    PutInFront(bystander);

    EXPECT_EQ(1, Plugin().DeleteFiles(panel, &doomedItem, 1, 0));
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, &hiddenDoomedItem, 1, 0));
    far1host::ClearRecords();
    far1host::SetPanelSelection({doomedItem});
    EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, 0));
    EXPECT_EQ(
        (std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL, far1::FCTL_REDRAWPANEL}),
        Commands());
    PumpMessages();
    EXPECT_VISIBLE(bystander);
    EXPECT_EQ(bystander, GetForegroundWindow()) << "nothing else was activated";
    std::vector<far1host::ListedItem> all = far1host::ListPanel(panel);
    EXPECT_NOT_LISTED(all, doomed);
    EXPECT_NOT_LISTED(all, hiddenDoomed);
    EXPECT_LISTED(all, bystander, "    ");

    // F8 on the dead recorded handle also takes its value out of the table. From outside that
    // cannot be told apart from a slot that still holds the dead handle: both count as free,
    // and Wine gives no new window the same handle value soon (the upper 16 bits of a handle
    // count the reuses of its slot). What shows is that all twenty slots are usable again.
    std::vector<HWND> fresh;
    for (int i = 0; i < 20; ++i) {
        char title[32];
        snprintf(title, sizeof(title), "Velumo fresh %02d", i);
        fresh.push_back(MakeWindow(title));
    }
    items = OwnItems(panel);
    std::vector<const far1host::ListedItem*> freshItems;
    for (HWND window : fresh) {
        freshItems.push_back(FindItem(items, window));
        ASSERT_NE(nullptr, freshItems.back());
    }
    std::vector<far1::PluginPanelItem> toggled = PanelItemsOf(freshItems);
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, toggled.data(), 20, 0));
    items = OwnItems(panel);
    for (HWND window : fresh) {
        EXPECT_HIDDEN(window);
        EXPECT_LISTED(items, window, "H  D");
    }
    ClosePanel(panel);
    for (HWND window : fresh) {
        EXPECT_VISIBLE(window);
    }
}

TEST_F(Actions, F3AndAltF3ActivateAVisibleBackgroundWindow) {
    StartFar1();
    HWND back = MakeWindow("Velumo in the background");
    HWND front = MakeWindow("Velumo in front");
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    ASSERT_NE(nullptr, FindItem(items, back));
    ASSERT_NE(nullptr, FindItem(items, front));
    const far1::PluginPanelItem backItem = far1host::PanelItemFrom(*FindItem(items, back));
    const far1::PluginPanelItem frontItem = far1host::PanelItemFrom(*FindItem(items, front));

    // F3 with two items selected: the first one is activated.
    PutInFront(front);
    far1host::ClearRecords();
    far1host::SetPanelSelection({backItem, frontItem});
    EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, 0));
    PumpMessages();
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 makes the visible background window foreground";
    EXPECT_EQ(back, OwnZOrder().front()) << "F3 brings it to the top";
    EXPECT_EQ(
        (std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL, far1::FCTL_REDRAWPANEL}),
        Commands());
    EXPECT_LISTED(OwnItems(panel), back, "    "); // activation records nothing

    // Alt+F3 does the same.
    far1host::ClearRecords();
    far1host::SetPanelSelection({frontItem});
    EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, far1::PKF_ALT));
    PumpMessages();
    EXPECT_EQ(front, GetForegroundWindow()) << "Alt+F3";
    EXPECT_EQ(front, OwnZOrder().front());

    // Ctrl+F3 and other keys are the host's: no request, nothing activated.
    far1host::ClearRecords();
    far1host::SetPanelSelection({backItem});
    EXPECT_EQ(0, far1host::PressKey(panel, VK_F3, kPkfControl));
    EXPECT_EQ(0, far1host::PressKey(panel, VK_F4, 0));
    PumpMessages();
    EXPECT_EQ(front, GetForegroundWindow());
    EXPECT_TRUE(Commands().empty());

    // F3 with nothing selected activates nothing and still updates and redraws the panel.
    far1host::ClearRecords();
    far1host::SetPanelSelection({});
    EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, 0));
    PumpMessages();
    EXPECT_EQ(front, GetForegroundWindow());
    EXPECT_EQ(
        (std::vector<int>{far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL, far1::FCTL_REDRAWPANEL}),
        Commands());
    ClosePanel(panel);
}

TEST_F(Actions, F3ShowsAHiddenWindowAndLeavesItRecorded) {
    StartFar1();
    HWND window = MakeWindow("Velumo hidden, then activated");
    HWND other = MakeWindow("Velumo other");
    HANDLE panel = OpenPanel();
    PressF8(panel, window);
    EXPECT_HIDDEN(window);

    std::vector<far1host::ListedItem> items = OwnItems(panel);
    ASSERT_NE(nullptr, FindItem(items, window));
    far1host::SetPanelSelection({far1host::PanelItemFrom(*FindItem(items, window))});
    EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, 0));
    PumpMessages();
    EXPECT_VISIBLE(window);
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_LISTED(OwnItems(panel), window, "   D");

    // Visible at the close, so the restore passes it over and it stays recorded.
    ClosePanel(panel);
    EXPECT_VISIBLE(window);
    panel = OpenPanel();
    EXPECT_LISTED(OwnItems(panel), window, "   D");

    // Hidden again it takes a second slot; shown by F8, one slot is cleared, one stays.
    PressF8(panel, window);
    EXPECT_HIDDEN(window);
    EXPECT_LISTED(OwnItems(panel), window, "H  D");
    PressF8(panel, window);
    EXPECT_VISIBLE(window);
    EXPECT_LISTED(OwnItems(panel), window, "   D");
    EXPECT_LISTED(OwnItems(panel), other, "    ");
    ClosePanel(panel);
}

TEST_F(Actions, CommandLineTogglesWindowsWhoseTitleContainsTheText) {
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    HWND reportOne = MakeWindow("Report one");
    HWND finalReport = MakeWindow("Final Report");
    HWND lower = MakeWindow("report lower");
    HWND invisible = MakeWindow("Reporter never shown", kInvisibleWindow);
    HANDLE panel = OpenPanel();
    PressF8(panel, finalReport);
    ClosePanel(panel);
    EXPECT_HIDDEN(finalReport);

    // hide:Report
    HANDLE command = OpenFromCommandLine("Report");
    EXPECT_HIDDEN(reportOne);
    EXPECT_VISIBLE(finalReport);
    EXPECT_VISIBLE(lower);
    EXPECT_HIDDEN(invisible); // not hidden by the plug-in and ShowInvisibleWindow 0: not eligible
    std::vector<far1host::ListedItem> items = OwnItems(command);
    EXPECT_LISTED(items, reportOne, "H  D");
    EXPECT_LISTED(items, finalReport, "    ");
    EXPECT_LISTED(items, lower, "    ");
    EXPECT_NOT_LISTED(items, invisible);
    ClosePanel(command); // ShowAllWindowAtExit 0
    EXPECT_HIDDEN(reportOne);

    // Case-sensitive.
    command = OpenFromCommandLine("report");
    EXPECT_HIDDEN(lower);
    EXPECT_HIDDEN(reportOne);
    EXPECT_VISIBLE(finalReport);
    ClosePanel(command);

    // An empty text toggles nothing and still opens the panel.
    command = OpenFromCommandLine("");
    EXPECT_HIDDEN(reportOne);
    EXPECT_HIDDEN(lower);
    EXPECT_VISIBLE(finalReport);
    ClosePanel(command);

    // The recorded windows are eligible, so the same text shows them again.
    command = OpenFromCommandLine("Report one");
    EXPECT_VISIBLE(reportOne);
    EXPECT_HIDDEN(lower);
    ClosePanel(command);

    SeedDword("ShowAllWindowAtExit", 1);
    StartFar1();
    ClosePanel(OpenPanel());
    EXPECT_VISIBLE(lower);
    EXPECT_VISIBLE(reportOne);
    EXPECT_HIDDEN(invisible);
}

// The command text is matched against at most the first 254 bytes of the title (read with the
// limit 255), in the ANSI code page, byte for byte.
TEST_F(Actions, CommandLineMatchesTheFirst254AnsiBytesOfTheTitle) {
    StartFar1();
    HWND early = MakeWindow(std::string(240, 'x') + "NEEDLE" + std::string(54, 'x'));
    HWND edge = MakeWindow(std::string(248, 'x') + "NEEDLE" + std::string(46, 'x'));
    HWND late = MakeWindow(std::string(249, 'x') + "NEEDLE" + std::string(45, 'x'));
    HWND cafe = MakeWindow("Caf\xE9 society");
    ASSERT_EQ(300, GetWindowTextLengthA(late));

    HANDLE command = OpenFromCommandLine("NEEDLE");
    EXPECT_HIDDEN(early);
    EXPECT_HIDDEN(edge);  // bytes 248 to 253: the last ones read
    EXPECT_VISIBLE(late); // ends at byte 254, which is not read
    EXPECT_VISIBLE(cafe);
    ClosePanel(command); // restores
    EXPECT_VISIBLE(early);
    EXPECT_VISIBLE(edge);

    command = OpenFromCommandLine("f\xE9 soc"); // typed in CP1252, handed over in CP437
    EXPECT_HIDDEN(cafe);
    ClosePanel(command);
    EXPECT_VISIBLE(cafe);
}

// FAR hands the command text over in the OEM code page (437 here), the titles come in the ANSI
// one (1252): the text is converted before it is looked for. A text longer than the 254 bytes
// read of a title matches none, however long it is.
TEST_F(Actions, CommandLineTextComesInTheOemCodePage) {
    ASSERT_EQ(1252u, GetACP()) << "the runner sets LC_ALL=C, which Wine maps to code page 1252";
    ASSERT_EQ(437u, GetOEMCP()) << "and to the OEM code page 437";
    StartFar1();
    HWND cafe = MakeWindow("Caf\xE9 R\xE9sum\xE9");             // Café Résumé
    HWND naive = MakeWindow("Caf\xE9 R\xE9sum\xE9 - na\xEFve"); // Café Résumé - naïve
    HWND accents = MakeWindow(std::string(254, '\xE9'));        // 254 times é
    ASSERT_EQ("Caf\xE9 R\xE9sum\xE9", WindowTitle(cafe));

    HANDLE command = OpenFromCommandLineOem("R\x82sum\x82"); // Résumé in CP437
    EXPECT_HIDDEN(cafe);
    EXPECT_HIDDEN(naive);
    std::vector<far1host::ListedItem> items = OwnItems(command);
    EXPECT_LISTED(items, cafe, "H  D");
    EXPECT_LISTED(items, naive, "H  D");
    ClosePanel(command);
    EXPECT_VISIBLE(cafe);
    EXPECT_VISIBLE(naive);

    command = OpenFromCommandLineOem("na\x8Bve"); // naïve
    EXPECT_VISIBLE(cafe);
    EXPECT_HIDDEN(naive);
    ClosePanel(command);

    // The ANSI bytes handed over as they are mean other letters in CP437 (0xE9 is a Theta).
    command = OpenFromCommandLineOem("R\xE9sum\xE9");
    EXPECT_VISIBLE(cafe);
    EXPECT_VISIBLE(naive);
    ClosePanel(command);

    command = OpenFromCommandLineOem(std::string(254, '\x82'));
    EXPECT_HIDDEN(accents);
    ClosePanel(command);
    for (size_t length : {255u, 4096u}) {
        command = OpenFromCommandLineOem(std::string(length, '\x82'));
        SCOPED_TRACE(std::to_string(length) + " letters");
        EXPECT_VISIBLE(accents);
        ClosePanel(command);
    }
}

// A hide: command typed while the Velumo panel is the active panel: FAR opens the new
// instance, then closes the one the panel held, then shows the new one. The window the new
// one hid stays hidden, and so does one hidden before, until the last Velumo panel closes.
TEST_F(Actions, HideTypedInTheVelumoPanelStaysHiddenUntilTheLastPanelCloses) {
    StartFar1();
    HWND earlier = MakeWindow("Velumo hidden with F8");
    HWND notepad = MakeWindow("Untitled - Velumo Notepad");
    HWND other = MakeWindow("Velumo other");
    HANDLE old = OpenInActivePanel();
    PressF8(old, earlier);
    EXPECT_HIDDEN(earlier);

    HANDLE typed = TypeCommand("hide:Velumo Notepad");
    EXPECT_NE(old, typed);
    EXPECT_EQ(typed, far1host::PanelAt(far1host::kLeftPanel).plugin)
        << "the panel shows the new one";
    EXPECT_HIDDEN(notepad);
    EXPECT_HIDDEN(earlier);
    std::vector<far1host::ListedItem> items = OwnItems(typed);
    EXPECT_LISTED(items, notepad, "H  D");
    EXPECT_LISTED(items, earlier, "H  D");

    // In the other panel, a file panel, the command only opens another instance.
    far1host::SetActivePanel(far1host::kRightPanel);
    HANDLE right = TypeCommand("hide:Velumo other");
    EXPECT_HIDDEN(other);
    EXPECT_EQ(typed, far1host::PanelAt(far1host::kLeftPanel).plugin);
    EXPECT_EQ(right, far1host::PanelAt(far1host::kRightPanel).plugin);
    EXPECT_EQ(1, EnterDirectory(".."));
    EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kRightPanel).plugin);
    EXPECT_HIDDEN(other); // the left panel is still open
    EXPECT_HIDDEN(notepad);
    EXPECT_LISTED(OwnItems(typed), other, "H  D");

    far1host::SetActivePanel(far1host::kLeftPanel);
    EXPECT_EQ(1, EnterDirectory(".."));
    EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kLeftPanel).plugin);
    EXPECT_VISIBLE(earlier);
    EXPECT_VISIBLE(notepad);
    EXPECT_VISIBLE(other);
}

// Enter on "..": Velumo asks the host to close the panel with a null parameter, and FAR's file
// panel shows the folder Velumo was opened from again, a drive root included (where ".." would
// have brought up the Change drive menu). A directory typed in the panel is passed on.
TEST_F(Actions, EnterOnDotDotClosesThePanelWithANullParameter) {
    StartFar1();
    struct Case {
        const char* folder;
        const char* directory;
        const char* landsIn;
    };
    for (const Case& c :
         {Case{"C:\\Users\\far\\Documents", "..", "C:\\Users\\far\\Documents"},
          Case{"C:\\", "..", "C:\\"}, Case{"C:\\Users\\far", "C:\\Temp", "C:\\Temp"}}) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.directory);
        far1host::ShowFolder(far1host::kLeftPanel, c.folder);
        HANDLE panel = OpenInActivePanel();
        far1host::ClearRecords();
        EXPECT_EQ(0, Plugin().SetDirectory(panel, "..", far1::OPM_FIND))
            << "a search stays in the panel";
        EXPECT_EQ(0, EnterDirectory("\\")) << "the root stays in the panel";
        EXPECT_TRUE(Commands().empty());
        EXPECT_EQ(1, EnterDirectory(c.directory));
        ASSERT_EQ(1u, far1host::ControlCalls().size());
        const far1host::ControlCall& call = far1host::ControlCalls()[0];
        EXPECT_EQ(panel, call.plugin);
        EXPECT_EQ(far1::FCTL_CLOSEPLUGIN, call.command);
        EXPECT_EQ(strcmp(c.directory, "..") != 0, call.hasParam);
        EXPECT_EQ(call.hasParam ? c.directory : "", call.directory);
        EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kLeftPanel).plugin);
        EXPECT_EQ(c.landsIn, far1host::PanelAt(far1host::kLeftPanel).folder);
        EXPECT_FALSE(far1host::PanelAt(far1host::kLeftPanel).driveMenuShown);
    }
}

TEST_F(Actions, ClosingThePanelRestoresOnlyWithShowAllWindowAtExit) {
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    HWND kept = MakeWindow("Velumo kept hidden");
    HWND other = MakeWindow("Velumo other window");
    HANDLE panel = OpenPanel();
    PressF8(panel, kept);
    ClosePanel(panel);
    EXPECT_HIDDEN(kept);
    panel = OpenPanel();
    EXPECT_LISTED(OwnItems(panel), kept, "H  D");
    ClosePanel(panel);
    EXPECT_HIDDEN(kept);

    // ShowAllWindowAtExit 1 at the next start. Closing one of two panels leaves the window
    // hidden and listed by the other; the last close shows it and brings it to the front.
    SeedDword("ShowAllWindowAtExit", 1);
    StartFar1();
    HANDLE first = OpenPanel();
    HANDLE second = OpenPanel();
    PutInFront(other);
    ClosePanel(second);
    EXPECT_HIDDEN(kept);
    EXPECT_LISTED(OwnItems(first), kept, "H  D");
    ClosePanel(first);
    EXPECT_VISIBLE(kept);
    EXPECT_EQ(kept, GetForegroundWindow());
    EXPECT_EQ(kept, OwnZOrder().front());
    HANDLE again = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(again);
    EXPECT_LISTED(items, kept, "    ");
    EXPECT_LISTED(items, other, "    ");
    ClosePanel(again);
}

} // namespace
} // namespace winetest
