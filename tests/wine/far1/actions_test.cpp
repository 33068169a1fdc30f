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
#include "far1_fixture.h"

#include <cstdio>
#include <cstring>

namespace winetest {
namespace {

class Actions : public Far1Test {
  protected:
    // F8 on the listed items of `windows`, as FAR hands them to DeleteFiles.
    void PressF8(HANDLE panel, const std::vector<HWND>& windows) {
        std::vector<far1host::ListedItem> items = OwnItems(panel);
        std::vector<const far1host::ListedItem*> chosen;
        for (HWND window : windows) {
            chosen.push_back(FindItem(items, window));
        }
        std::vector<far1::PluginPanelItem> copies = PanelItemsOf(chosen);
        EXPECT_EQ(1,
                  Plugin().DeleteFiles(panel, copies.data(), static_cast<int>(copies.size()), 0));
        PumpMessages();
    }

    // F3 (with `state`) on the listed items of `selection`: what the plug-in asked of the host.
    std::vector<int> PressF3(HANDLE panel, const std::vector<far1::PluginPanelItem>& selection,
                             unsigned state = 0) {
        far1host::ClearRecords();
        far1host::SetPanelSelection(selection);
        EXPECT_EQ(1, far1host::PressKey(panel, VK_F3, state));
        PumpMessages();
        std::vector<int> commands;
        for (const far1host::ControlCall& call : far1host::ControlCalls()) {
            commands.push_back(call.command);
        }
        return commands;
    }

    far1::PluginPanelItem ItemOf(HANDLE panel, HWND window) {
        std::vector<far1host::ListedItem> items = OwnItems(panel);
        return PanelItemsOf({FindItem(items, window)}).at(0);
    }

    const std::vector<int> kActivation = {far1::FCTL_GETPANELINFO, far1::FCTL_UPDATEPANEL,
                                          far1::FCTL_REDRAWPANEL};
};

TEST_F(Actions, F8HidesAndRecordsThenShowsAndBringsToFront) {
    StartFar1();
    HWND alpha = MakeWindow("Velumo alpha");
    HWND beta = MakeWindow("Velumo beta");
    HANDLE panel = OpenPanel();

    PressF8(panel, {alpha});
    EXPECT_HIDDEN(alpha);
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "H  D");
    EXPECT_LISTED(items, beta, "    ");

    PutInFront(beta);
    PressF8(panel, {alpha});
    EXPECT_VISIBLE(alpha);
    EXPECT_EQ(alpha, GetForegroundWindow()) << "the shown window is the foreground window";
    EXPECT_EQ(alpha, OwnZOrder().front()) << "the shown window is at the top";
    EXPECT_LISTED(OwnItems(panel), alpha, "    ");

    // Two items at once, each toggled by its own state at that moment; no items: nothing.
    PressF8(panel, {beta});
    PressF8(panel, {alpha, beta});
    PressF8(panel, {});
    EXPECT_HIDDEN(alpha);
    EXPECT_VISIBLE(beta);
    items = OwnItems(panel);
    EXPECT_LISTED(items, alpha, "H  D");
    EXPECT_LISTED(items, beta, "    ");
}

// Twenty slots: a 21st hide is refused until a slot's window is destroyed. F8 and F3 on items
// of destroyed windows do nothing else; F8 on a dead recorded handle also frees its slot, which
// from outside cannot be told from a slot holding the dead handle (both count as free, and Wine
// gives no new window the same handle value soon).
TEST_F(Actions, TwentySlotsAndItemsOfDestroyedWindows) {
    StartFar1();
    std::vector<HWND> windows;
    for (int i = 0; i < 21; ++i) {
        windows.push_back(MakeWindow("Velumo slot " + std::to_string(100 + i)));
    }
    HWND doomed = MakeWindow("Velumo doomed");
    HWND bystander = MakeWindow("Velumo bystander");
    HANDLE panel = OpenPanel();
    for (HWND window : windows) {
        PressF8(panel, {window});
    }
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    for (int i = 0; i < 20; ++i) {
        EXPECT_LISTED(items, windows[i], "H  D");
    }
    EXPECT_LISTED(items, windows[20], "    "); // the table is full
    EXPECT_VISIBLE(windows[20]);

    far1::PluginPanelItem doomedItem = ItemOf(panel, doomed);
    far1::PluginPanelItem hiddenDoomedItem = ItemOf(panel, windows[5]);
    DestroyOwnWindow(doomed);
    DestroyOwnWindow(windows[5]);
    PutInFront(bystander);
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, &doomedItem, 1, 0));
    EXPECT_EQ(kActivation, PressF3(panel, {doomedItem}));
    EXPECT_EQ(bystander, GetForegroundWindow()) << "nothing else was activated";
    items = far1host::ListPanel(panel);
    EXPECT_NOT_LISTED(items, doomed);
    EXPECT_NOT_LISTED(items, windows[5]);
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, &hiddenDoomedItem, 1, 0));

    PressF8(panel, {windows[20]});
    EXPECT_LISTED(OwnItems(panel), windows[20], "H  D");
    HWND extra = MakeWindow("Velumo one too many");
    PressF8(panel, {extra});
    EXPECT_LISTED(OwnItems(panel), extra, "    ");

    ClosePanel(panel);
    windows.erase(windows.begin() + 5);
    panel = OpenPanel();
    items = OwnItems(panel);
    for (HWND window : windows) {
        EXPECT_VISIBLE(window);
        EXPECT_LISTED(items, window, "    ");
    }
}

TEST_F(Actions, F3AndAltF3ActivateTheFirstSelectedWindow) {
    StartFar1();
    HWND back = MakeWindow("Velumo in the background");
    HWND front = MakeWindow("Velumo in front");
    HANDLE panel = OpenPanel();
    const far1::PluginPanelItem backItem = ItemOf(panel, back);
    const far1::PluginPanelItem frontItem = ItemOf(panel, front);

    PutInFront(front);
    EXPECT_EQ(kActivation, PressF3(panel, {backItem, frontItem}));
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 makes the visible background window foreground";
    EXPECT_EQ(back, OwnZOrder().front()) << "F3 brings it to the top";
    EXPECT_LISTED(OwnItems(panel), back, "    "); // activation records nothing
    PressF3(panel, {frontItem}, far1::PKF_ALT);
    EXPECT_EQ(front, GetForegroundWindow()) << "Alt+F3";
    EXPECT_EQ(front, OwnZOrder().front());

    // Ctrl+F3 and other keys are the host's: no request, nothing activated.
    far1host::ClearRecords();
    far1host::SetPanelSelection({backItem});
    EXPECT_EQ(0, far1host::PressKey(panel, VK_F3, kPkfControl));
    EXPECT_EQ(0, far1host::PressKey(panel, VK_F4, 0));
    PumpMessages();
    EXPECT_EQ(front, GetForegroundWindow());
    EXPECT_TRUE(far1host::ControlCalls().empty());
    // Nothing selected: nothing activated, the panel still updated and redrawn.
    EXPECT_EQ(kActivation, PressF3(panel, {}));
    EXPECT_EQ(front, GetForegroundWindow());

    // F3 on a window Velumo hid shows it and leaves it recorded; the close passes it over.
    PressF8(panel, {back});
    EXPECT_HIDDEN(back);
    PressF3(panel, {backItem});
    EXPECT_VISIBLE(back);
    EXPECT_EQ(back, GetForegroundWindow());
    ClosePanel(panel);
    panel = OpenPanel();
    EXPECT_LISTED(OwnItems(panel), back, "   D");
    // Hidden again it takes a second slot; shown by F8, one slot is cleared, one stays.
    PressF8(panel, {back});
    EXPECT_LISTED(OwnItems(panel), back, "H  D");
    PressF8(panel, {back});
    EXPECT_VISIBLE(back);
    EXPECT_LISTED(OwnItems(panel), back, "   D");
}

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

    // A recorded hidden window is eligible: the same text shows it again.
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    HANDLE panel = OpenPanel();
    PressF8(panel, {windows[0]});
    ClosePanel(panel);
    EXPECT_HIDDEN(windows[0]);
    ClosePanel(OpenFromCommandLine("Report one"));
    EXPECT_VISIBLE(windows[0]);
    EXPECT_HIDDEN(invisible);
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
    PressF8(old, {earlier});
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
    EXPECT_LISTED(OwnItems(typed), other, "H  D");

    far1host::SetActivePanel(far1host::kLeftPanel);
    EXPECT_EQ(1, EnterDirectory(".."));
    EXPECT_EQ(nullptr, far1host::PanelAt(far1host::kLeftPanel).plugin);
    for (HWND window : {earlier, notepad, other}) {
        EXPECT_VISIBLE(window);
    }
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
        EXPECT_TRUE(far1host::ControlCalls().empty());
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
    PressF8(panel, {kept});
    ClosePanel(panel);
    EXPECT_HIDDEN(kept);
    panel = OpenPanel();
    EXPECT_LISTED(OwnItems(panel), kept, "H  D");
    ClosePanel(panel);
    EXPECT_HIDDEN(kept);

    // The value gone, ShowAllWindowAtExit is 1 by default at the next start. Closing one of two
    // panels leaves the window hidden and listed by the other; the last close shows it and
    // brings it to the front.
    RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey().c_str());
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
    EXPECT_LISTED(OwnItems(OpenPanel()), kept, "    ");
}

} // namespace
} // namespace winetest
