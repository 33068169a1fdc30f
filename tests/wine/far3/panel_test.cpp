// The FAR 3 panel against real windows with titles no ANSI or OEM code page holds: "hide:" typed
// on the command line, and F3 with FAR's selection. The stress run checks the listing whole.
//
// Under Wine a SetForegroundWindow does not raise the window (see ../stress_run.h), so
// the foreground window is what proves an activation here.
#include "far3_fixture.h"

#include <algorithm>

namespace far3test {
namespace {

using namespace far3host;

const std::wstring kJapanese = L"日本語 — résumé 🙂";
const std::wstring kRussian = L"Отчёт";
const std::wstring kPlain = L"Velumo plain window";
// What the two titles above become in the ANSI code page: a search that went through it would
// find this window too.
const std::wstring kDecoy = L"Velumo decoy ?? ?????";

class Far3Panel : public Far3Test {};

TEST_F(Far3Panel, HideCommandTogglesExactlyTheWindowsWhoseTitleHoldsTheText) {
    ASSERT_EQ(1252u, GetACP()) << "the Wine prefix runs with LC_ALL=C";
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, kRussian.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the titles must lie outside the ANSI code page";
    HWND japanese = MakeWindowW(kJapanese);
    HWND russian = MakeWindowW(kRussian);
    HWND plain = MakeWindowW(kPlain);
    HWND decoy = MakeWindowW(kDecoy);
    struct Case {
        std::wstring text;
        bool japaneseVisible, russianVisible;
    };
    // Each typed in the Velumo panel: FAR opens the new instance, then closes the old one, so
    // the last panel never closes and nothing is shown again until FAR exits.
    const Case cases[] = {
        {L"日本", false, true},
        {L"Отчёт", false, false},
        {L"", false, false},
        {std::wstring(100000, L'日'), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "hide:" << c.text.substr(0, 8) << " (" << c.text.size() << " units)");
        EXPECT_NE(nullptr, TypeCommand(L"hide:" + c.text)) << "the panel opens";
        ExpectVisible(__FILE__, __LINE__, japanese, c.japaneseVisible);
        ExpectVisible(__FILE__, __LINE__, russian, c.russianVisible);
        EXPECT_VISIBLE(plain);
        EXPECT_VISIBLE(decoy);
    }
    ExitFar(); // shows what was recorded
    EXPECT_VISIBLE(japanese);
    EXPECT_VISIBLE(russian);

    // ShowAllWindowAtExit 0: the last close leaves it hidden.
    StartFar1({Setting(L"ShowAllWindowAtExit", 0)});
    ASSERT_NE(nullptr, TypeCommand(L"hide:" + kRussian));
    EXPECT_HIDDEN(russian);
    ExitFar();
    EXPECT_HIDDEN(russian);
    EXPECT_VISIBLE(japanese);
}

// F3 on a window in the background: FAR's selection comes forward, and FAR keeps the selection
// when the panel is updated. Alt+F3, F8 and the rest of the keys are the stress run's.
TEST_F(Far3Panel, F3BringsFarsSelectionForwardAndKeepsIt) {
    HWND back = MakeWindowW(kRussian);
    HWND front = MakeWindowW(kJapanese);
    ASSERT_NE(nullptr, OpenInActivePanel());
    PutInFront(front);
    Select({back});
    ClearRecords();
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    PumpMessages();
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 brings the selected window forward";
    EXPECT_EQ(5u, ControlCalls().size()) << "PanelInfo, the item twice, update, redraw";
    for (const ControlCall& call : ControlCalls()) {
        EXPECT_EQ(PanelAt(ActivePanel()).plugin, call.hPanel) << "command " << call.command;
        EXPECT_TRUE(call.command != far3::FCTL_UPDATEPANEL || call.param1 == 1)
            << "FCTL_UPDATEPANEL's Param1: 0 makes FAR drop the selection";
    }
    const std::vector<ListedItem>& items = PanelAt(ActivePanel()).items;
    EXPECT_EQ(1, std::count_if(items.begin(), items.end(),
                               [](const ListedItem& item) { return item.selected; }))
        << "the panel still shows the window selected";
}

} // namespace
} // namespace far3test
