// Hiding, showing, toggling, activating and restoring windows, and the toggle by title.
#include "far1_fixture.h"

#include "core/visibility_actions.h"
#include "far1/panel_items.h"

namespace {

bool Visible(HWND window) {
    return IsWindowVisible(window) != 0;
}

int SlotsHolding(HWND window) {
    int held = 0;
    for (int i = 0; i < HiddenWindowTable::kSlotCount; ++i) {
        held += g_hiddenWindows.SlotAt(i) == window ? 1 : 0;
    }
    return held;
}

// The status text a fresh listing shows for the window; empty when it is not listed.
std::string ListedStatus(HWND window) {
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    far1::BuildWindowList(&items, &count);
    std::string status;
    for (int i = 0; i < count; ++i) {
        if (far1::WindowFromUserData(items[i].UserData) == window) {
            status = items[i].CustomColumnData[0];
        }
    }
    far1::FreeWindowList(items, count);
    return status;
}

HWND MakeOwnedWindow(const std::string& title, HWND owner) {
    simwin::WindowSpec spec;
    spec.title = title;
    spec.owner = owner;
    return simwin::CreateTestWindow(spec);
}

using VisibilityActionsTest = DesktopTest;

// The window-system calls `action` makes, in order: "<title> <call>", marked '*' when the
// window is in the hidden-window table at the moment of the call.
template <typename Action> std::string CallsMadeBy(Action action) {
    simwin::LogWindowCalls(true, [](HWND window) { return g_hiddenWindows.Contains(window); });
    action();
    static const char* const kNames[] = {"visible?", "ShowWindow", "foreground", "top"};
    std::string calls;
    for (const simwin::WindowCall& call : simwin::WindowCallLog()) {
        char title[8];
        GetWindowTextA(call.window, title, sizeof(title));
        const char* name = kNames[static_cast<int>(call.kind)];
        if (call.kind == simwin::WindowCallKind::ShowWindow) {
            name = call.showCommand == SW_HIDE   ? "hide"
                   : call.showCommand == SW_SHOW ? "show"
                                                 : name;
        }
        calls +=
            std::string(calls.empty() ? "" : ", ") + title + " " + name + (call.marked ? "*" : "");
    }
    simwin::LogWindowCalls(false);
    return calls;
}

// A window is recorded before it is hidden, so that no hidden window is missing from the table,
// and forgotten only once it is shown.
TEST_F(VisibilityActionsTest, EachActionMakesItsWindowSystemCallsInOrder) {
    const HWND a = simwin::CreateTestWindow("a"), b = simwin::CreateTestWindow("b");
    const HWND c = simwin::CreateTestWindow("c");
    EXPECT_EQ("a visible?, a hide*", CallsMadeBy([&] { HideWindow(a); }));
    // Shown, then its durable entry dropped once it is seen visible.
    EXPECT_EQ("a visible?*, a show*, a foreground*, a top*, a visible?",
              CallsMadeBy([&] { RestoreWindow(a); }));
    EXPECT_EQ("b visible?, b visible?, b hide*", CallsMadeBy([&] { ToggleWindow(b); }));
    EXPECT_EQ("b visible?*, b visible?*, b show*, b foreground*, b top*, b visible?",
              CallsMadeBy([&] { ToggleWindow(b); }));
    EXPECT_EQ(0, g_hiddenWindows.Contains(a) + g_hiddenWindows.Contains(b));
    EXPECT_EQ("c show, c foreground, c top, c visible?", CallsMadeBy([&] { ActivateWindow(c); }));
    HideWindow(a);
    HideWindow(c);
    // The durable record is gone through first (its entries judged by their styles, without a
    // visibility call), then the windows top first: c, b, a. The unrecorded b is passed over.
    EXPECT_EQ("c visible?*, c show*, c foreground*, c top*, c visible?, "
              "a visible?*, a show*, a foreground*, a top*, a visible?",
              CallsMadeBy([] { RestoreAllWindows(); }));
    EXPECT_EQ(0, g_hiddenWindows.Contains(a) + g_hiddenWindows.Contains(c));
    // Hiding an invisible window and restoring a visible one make no change at all.
    const HWND d = simwin::CreateTestWindow("d", false);
    EXPECT_EQ("d visible?", CallsMadeBy([&] { HideWindow(d); }));
    ASSERT_EQ(1, g_hiddenWindows.Add(b));
    EXPECT_EQ("b visible?*, b visible?*", CallsMadeBy([&] { RestoreWindow(b); }));
    EXPECT_EQ(0, g_hiddenWindows.Contains(d));
    EXPECT_EQ(1, g_hiddenWindows.Contains(b));
    // Activating a window Velumo hid shows it and keeps its record.
    HideWindow(c);
    EXPECT_EQ("c show*, c foreground*, c top*, c visible?*",
              CallsMadeBy([&] { ActivateWindow(c); }));
    EXPECT_EQ(1, g_hiddenWindows.Contains(c));
}

TEST_F(VisibilityActionsTest, FullTableLeavesTheWindowVisibleAndUnrecorded) {
    std::vector<HWND> recorded;
    for (int i = 0; i < HiddenWindowTable::kSlotCount; ++i) {
        recorded.push_back(simwin::CreateTestWindow("recorded " + std::to_string(i), false));
        ASSERT_EQ(1, g_hiddenWindows.Add(recorded.back()));
    }
    const HWND window = simwin::CreateTestWindow("one too many");
    simwin::ResetCallCounts();
    ToggleWindow(window);
    HideWindow(window);
    EXPECT_TRUE(Visible(window));
    EXPECT_EQ(0, g_hiddenWindows.Contains(window));
    EXPECT_EQ(0u, simwin::Calls().showWindow);
    EXPECT_EQ("    ", ListedStatus(window));

    simwin::DestroyTestWindow(recorded[6]);
    ToggleWindow(window);
    EXPECT_FALSE(Visible(window));
    EXPECT_EQ(window, g_hiddenWindows.SlotAt(6));
}

TEST_F(VisibilityActionsTest, ToggleActsOnTheWindowsStateAtThatMoment) {
    // Hidden by Velumo, then shown by another program: the toggle hides it again and the
    // window is recorded a second time.
    const HWND window = simwin::CreateTestWindow("editor");
    ToggleWindow(window);
    simwin::SetTestWindowVisible(window, true);
    ToggleWindow(window);
    EXPECT_FALSE(Visible(window));
    EXPECT_EQ(2, SlotsHolding(window));

    // Hidden by another program: shown and raised like one Velumo hid; the table is unchanged.
    const HWND foreign = simwin::CreateTestWindow("foreign", false);
    simwin::CreateTestWindow("above");
    ToggleWindow(foreign);
    EXPECT_TRUE(Visible(foreign));
    EXPECT_EQ(foreign, simwin::ForegroundWindow());
    EXPECT_EQ(foreign, simwin::ZOrder().front());
    EXPECT_EQ(0, g_hiddenWindows.Contains(foreign));
    EXPECT_EQ(2, SlotsHolding(window));
}

TEST_F(VisibilityActionsTest, RestoreAllShowsEveryInvisibleRecordedWindowInEnumerationOrder) {
    g_settings.ShowOwnerWindow = 0;
    g_settings.ShowInvisibleWindow = 0;
    const HWND bottom = simwin::CreateTestWindow("bottom");
    const HWND owned = MakeOwnedWindow("owned", bottom);
    const HWND stayedVisible = simwin::CreateTestWindow("shown by someone else");
    const HWND untitled = simwin::CreateTestWindow("untitled");
    const HWND foreign = simwin::CreateTestWindow("hidden by someone else", false);
    const HWND gone = simwin::CreateTestWindow("gone");
    const HWND top = simwin::CreateTestWindow("top");
    for (HWND window : {bottom, owned, stayedVisible, untitled, gone, top}) {
        HideWindow(window);
    }
    simwin::SetTestWindowTitle(untitled, "");
    simwin::SetTestWindowVisible(stayedVisible, true);
    simwin::DestroyTestWindow(gone);

    RestoreAllWindows();
    for (HWND window : {bottom, owned, untitled, top}) {
        EXPECT_TRUE(Visible(window)) << window;
        EXPECT_EQ(0, g_hiddenWindows.Contains(window));
    }
    // Each restored window was raised in turn, from the top one down.
    EXPECT_EQ((std::vector<HWND>{bottom, owned, untitled, top, foreign, stayedVisible}),
              simwin::ZOrder());
    EXPECT_EQ(bottom, simwin::ForegroundWindow());
    EXPECT_EQ(1, g_hiddenWindows.Contains(stayedVisible));
    EXPECT_EQ(1, g_hiddenWindows.Contains(gone)) << "a window no longer there is not visited";
    EXPECT_FALSE(Visible(foreign));
}

TEST_F(VisibilityActionsTest, WindowRecordedTwiceIsRestoredOnceAndKeepsOneEntry) {
    const HWND window = simwin::CreateTestWindow("editor");
    HideWindow(window);
    simwin::SetTestWindowVisible(window, true);
    HideWindow(window);
    ASSERT_EQ(2, SlotsHolding(window));
    simwin::ResetCallCounts();
    RestoreAllWindows();
    EXPECT_EQ(1u, simwin::Calls().showWindow);
    EXPECT_TRUE(Visible(window));
    EXPECT_EQ(1, SlotsHolding(window));
    EXPECT_EQ("   D", ListedStatus(window));
}

// The text comes in the OEM code page (CP437 here) and is converted to the ANSI one (CP1252),
// whatever its length and within its buffers (AddressSanitizer watches), then looked for as a
// case-sensitive substring anywhere in the first 254 characters of the unconverted title. A match
// that starts inside a partial one: the search must fall back to the longest prefix the partial
// match ends with, not start again after it.
TEST_F(VisibilityActionsTest, ToggleByTitleReadsAtMost254CharactersOfTheTitle) {
    const std::string e254(254, '\xE9'), oem254(254, '\x82');
    const struct {
        std::vector<std::string> titles;
        std::string text;
        const char* visibleAfter;
    } cases[] = {
        {{"aaab", "abababc", "xxabcabcabd", "aabaabaaab"}, "aab", "0110"},
        {{"abababc", "abab"}, "ababc", "01"},
        {{"xxabcabcabd", "aabaabaaab"}, "abcabd", "01"},
        {{"aabaabaaab", "abab"}, "aabaaab", "01"},
        {{"abab", "ab"}, "abb", "11"},
        {{"ab", "Final Report"}, "abc", "11"},
        {{"Final Report", "Repor t"}, "Report", "01"},
        {{"Final Report"}, "report", "1"},
        {{std::string(250, 'x') + "Tail" + "yyyy", std::string(251, 'x') + "Tail"}, "Tail", "01"},
        // Café Résumé - naïve; 5€ (CP437 lacks the euro sign: the title is not converted)
        {{"Caf\xE9 R\xE9sum\xE9 - na\xEFve", "Price 5\x80"}, "R\x82sum\x82", "01"},
        {{"Caf\xE9 R\xE9sum\xE9 - na\xEFve"}, "na\x8Bve", "0"},
        {{"Caf\xE9 R\xE9sum\xE9 - na\xEFve"}, "R\xE9sum\xE9", "1"}, // ANSI bytes: a Theta
        {{"Price 5\x80"}, "5?", "1"},
        {{e254, std::string(300, '\xE9')}, oem254, "00"}, // the first 254 characters match
        {{e254, std::string(300, '\xE9')}, oem254 + "\x82", "11"},
        {{e254}, std::string(100000, '\x82'), "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        std::vector<HWND> windows;
        for (const std::string& title : c.titles) {
            windows.push_back(simwin::CreateTestWindow(title));
        }
        far1::ToggleWindowsByOemText(c.text.c_str());
        std::string visible;
        for (HWND window : windows) {
            visible += Visible(window) ? '1' : '0';
            EXPECT_EQ(!Visible(window), g_hiddenWindows.Contains(window) != 0);
            simwin::DestroyTestWindow(window);
        }
        EXPECT_EQ(c.visibleAfter, visible);
        g_hiddenWindows.Reset();
    }
}

TEST_F(VisibilityActionsTest, ToggleByTitleOnlyTouchesEligibleWindows) {
    g_settings.ShowDesktopIcon = 0;
    const HWND owner = simwin::CreateTestWindow("Match owner");
    const HWND foreign = simwin::CreateTestWindow("Match hidden elsewhere", false);
    const HWND owned = MakeOwnedWindow("Match owned", owner);
    const HWND recordedOwned = MakeOwnedWindow("Match recorded owned", owner);
    HideWindow(recordedOwned);
    const HWND desktop = simwin::CreateTestWindow("Program Manager");

    far1::ToggleWindowsByOemText("Match");
    EXPECT_FALSE(Visible(owner));
    EXPECT_FALSE(Visible(foreign));
    EXPECT_TRUE(Visible(owned));
    EXPECT_TRUE(Visible(recordedOwned)) << "a recorded window is eligible whatever the switches";
    EXPECT_EQ(0, g_hiddenWindows.Contains(recordedOwned));
    far1::ToggleWindowsByOemText("Program");
    EXPECT_TRUE(Visible(desktop));

    g_settings.ShowInvisibleWindow = 1;
    far1::ToggleWindowsByOemText("hidden elsewhere");
    EXPECT_TRUE(Visible(foreign));
    EXPECT_EQ(0, g_hiddenWindows.Contains(foreign));
}

TEST_F(VisibilityActionsTest, EmptyOrNullTextDoesNothing) {
    simwin::CreateTestWindow("anything");
    simwin::ResetCallCounts();
    far1::ToggleWindowsByOemText("");
    far1::ToggleWindowsByOemText(nullptr);
    EXPECT_EQ(0u, simwin::Calls().enumWindows);
    EXPECT_EQ(0u, simwin::Calls().showWindow);
}

TEST_F(VisibilityActionsTest, DeadHandlesAreHarmless) {
    const HWND window = simwin::CreateTestWindow("editor");
    HideWindow(window);
    const HWND live = simwin::CreateTestWindow("live");
    SetForegroundWindow(live);
    simwin::DestroyTestWindow(window);
    const std::vector<HWND> zOrder = simwin::ZOrder();

    HideWindow(window);
    ActivateWindow(window);
    EXPECT_EQ(1, SlotsHolding(window));
    ToggleWindow(window); // goes to RestoreWindow, whose Remove clears the stale entry
    EXPECT_EQ(0, SlotsHolding(window));
    RestoreWindow(window);
    RestoreAllWindows();
    EXPECT_EQ(live, simwin::ForegroundWindow());
    EXPECT_EQ(zOrder, simwin::ZOrder());
    EXPECT_TRUE(Visible(live));
}

} // namespace
