// The panel against real windows with titles no ANSI or OEM code page holds: the listing
// (GetFindDataW), "hide:" typed on the command line (OpenW), F3/Alt+F3 (ProcessPanelInputW,
// with PanelControl's selection and its size protocol), F8 (DeleteFilesW) and leaving the panel
// (SetDirectoryW, FCTL_CLOSEPANEL closing it synchronously as FAR 3 does).
//
// Under Wine a SetForegroundWindow does not raise the window (see ../actions_test.cpp), so the
// foreground window is what proves an activation here.
#include "far3_fixture.h"

namespace far3test {
namespace {

using namespace far3host;

const std::wstring kJapanese = L"日本語 — résumé 🙂";
const std::wstring kRussian = L"Отчёт";
const std::wstring kPlain = L"Velumo plain window";
// What the two titles above become in the ANSI code page: a search that went through it would
// find this window too.
const std::wstring kDecoy = L"Velumo decoy ?? ?????";

std::vector<int> Commands() {
    std::vector<int> commands;
    for (const PanelCall& call : g_host.panelCalls) {
        commands.push_back(call.command);
    }
    return commands;
}

class Far3Panel : public Far3Test {};

TEST_F(Far3Panel, ListsUnicodeTitlesExactlyWithStatusHandleAndUserData) {
    ASSERT_EQ(1252u, GetACP()) << "the Wine prefix runs with LC_ALL=C";
    ASSERT_EQ(437u, GetOEMCP());
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, kRussian.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the titles must lie outside the ANSI code page";

    StartFar1();
    // Nothing of ours on the desktop yet: an empty list is still a listing (0 closes the panel).
    HANDLE panel = OpenFromPluginsMenu();
    ASSERT_NE(nullptr, panel);
    Listing empty = ListPanel(panel);
    EXPECT_EQ(1, empty.result);
    EXPECT_EQ(0u, empty.count);
    EXPECT_TRUE(empty.arrayNull) << "no items, no array";

    HWND japanese = MakeWindow(kJapanese);
    HWND russian = MakeWindow(kRussian);
    HWND plain = MakeWindow(kPlain);
    std::vector<ListedItem> items = OwnItems(panel);
    ASSERT_EQ(3u, items.size());
    struct Expected {
        HWND window;
        const std::wstring& title;
    };
    for (const Expected& e :
         {Expected{japanese, kJapanese}, Expected{russian, kRussian}, Expected{plain, kPlain}}) {
        EXPECT_LISTED(items, e.window, L"    ");
        ListedItem item = ITEM_OF(items, e.window);
        EXPECT_EQ(e.title, item.fileName) << "FileName is the whole UTF-16 title";
        EXPECT_EQ(0u, item.freeData) << "nothing for FAR to free";
        EXPECT_EQ(0u, item.attributes) << "no attribute FAR would filter on";
        EXPECT_TRUE(item.descriptionAndOwnerNull);
    }
}

TEST_F(Far3Panel, HideCommandTogglesExactlyTheWindowsWhoseTitleHoldsTheText) {
    HWND japanese = MakeWindow(kJapanese);
    HWND russian = MakeWindow(kRussian);
    HWND plain = MakeWindow(kPlain);
    HWND decoy = MakeWindow(kDecoy);
    StartFar1();

    struct Case {
        std::wstring text;
        bool japaneseVisible, russianVisible;
    };
    const Case cases[] = {
        {L"日本", false, true},
        {L"Отчёт", false, false},
        {L"", false, false},
        {std::wstring(100000, L'日'), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "hide:" << c.text.substr(0, 8) << " (" << c.text.size() << " units)");
        EXPECT_NE(nullptr, OpenFromCommandLine(c.text)) << "the panel opens";
        ExpectVisible(__FILE__, __LINE__, japanese, c.japaneseVisible);
        ExpectVisible(__FILE__, __LINE__, russian, c.russianVisible);
        EXPECT_VISIBLE(plain);
        EXPECT_VISIBLE(decoy);
    }
    EXPECT_EQ(4u, g_host.openPanels.size());
    CloseAllPanels(); // the last close shows them again
    EXPECT_VISIBLE(japanese);
    EXPECT_VISIBLE(russian);
}

TEST_F(Far3Panel, HideTypedInThePanelKeepsTheWindowHiddenUntilTheLastPanelCloses) {
    HWND japanese = MakeWindow(kJapanese);
    HWND russian = MakeWindow(kRussian);
    StartFar1();
    HANDLE first = OpenFromPluginsMenu();
    // FAR opens the new instance, then closes the one the panel held.
    HANDLE second = OpenFromCommandLine(L"日本");
    ASSERT_TRUE(first != nullptr && second != nullptr);
    ASSERT_TRUE(ClosePanel(first));
    EXPECT_HIDDEN(japanese);
    EXPECT_LISTED(OwnItems(second), japanese, L"H  D");
    ASSERT_TRUE(ClosePanel(second));
    EXPECT_VISIBLE(japanese);

    // ShowAllWindowAtExit 0: the last close leaves it hidden.
    g_host.store[L"ShowAllWindowAtExit"] = {kFstQword, 0};
    StartFar1();
    HANDLE third = OpenFromCommandLine(kRussian);
    ASSERT_NE(nullptr, third);
    EXPECT_HIDDEN(russian);
    ASSERT_TRUE(ClosePanel(third));
    EXPECT_HIDDEN(russian);
    EXPECT_VISIBLE(japanese);
}

TEST_F(Far3Panel, F3AndAltF3BringTheSelectedWindowForward) {
    HWND back = MakeWindow(kRussian);
    HWND front = MakeWindow(kJapanese);
    StartFar1();
    HANDLE panel = OpenFromPluginsMenu();
    std::vector<ListedItem> items = OwnItems(panel);
    const ListedItem backItem = ITEM_OF(items, back);
    const ListedItem frontItem = ITEM_OF(items, front);

    // F3 on the background window: PanelInfo, the item's size, the item, update, redraw.
    PutInFront(front);
    g_host.selection = {backItem};
    EXPECT_EQ(1, PressKey(panel, VK_F3, 0));
    harness::PumpMessages();
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 brings the selected window forward";
    ASSERT_EQ((std::vector<int>{kFctlGetPanelInfo, kFctlGetSelectedPanelItem,
                                kFctlGetSelectedPanelItem, kFctlUpdatePanel, kFctlRedrawPanel}),
              Commands());
    const std::vector<PanelCall>& calls = g_host.panelCalls;
    EXPECT_EQ(kPanelInfoSize, calls[0].structSize) << "PanelInfo.StructSize";
    EXPECT_TRUE(calls[1].param2Null) << "first the size: Param2 null";
    EXPECT_EQ(kGetItemSize, calls[2].structSize) << "FarGetPluginPanelItem.StructSize";
    EXPECT_EQ(kItemSize + (kRussian.size() + 1) * sizeof(wchar_t), calls[2].bufferSize)
        << "FarGetPluginPanelItem.Size: the size the host asked for";
    for (const PanelCall& call : calls) {
        EXPECT_EQ(panel, call.panel) << "command " << call.command << " names the panel";
    }

    // Alt+F3, with either Alt key.
    for (DWORD alt : {DWORD{LEFT_ALT_PRESSED}, DWORD{RIGHT_ALT_PRESSED}}) {
        HWND target = GetForegroundWindow() == back ? front : back;
        g_host.selection = {target == back ? backItem : frontItem};
        EXPECT_EQ(1, PressKey(panel, VK_F3, alt)) << "control state " << alt;
        harness::PumpMessages();
        EXPECT_EQ(target, GetForegroundWindow()) << "Alt+F3, control state " << alt;
    }

    // Keys that are FAR's: not handled, no host call, nothing activated.
    HWND foreground = GetForegroundWindow();
    g_host.selection = {foreground == back ? frontItem : backItem};
    g_host.panelCalls.clear();
    const std::pair<WORD, DWORD> hostKeys[] = {
        {VK_F3, LEFT_CTRL_PRESSED},
        {VK_F3, RIGHT_CTRL_PRESSED},
        {VK_F3, SHIFT_PRESSED},
        {VK_F3, LEFT_ALT_PRESSED | SHIFT_PRESSED},
        {VK_F4, 0},
        {VK_F8, 0},
    };
    for (const auto& key : hostKeys) {
        EXPECT_EQ(0, PressKey(panel, key.first, key.second))
            << "key " << key.first << " with control state " << key.second;
    }
    harness::PumpMessages();
    EXPECT_EQ(foreground, GetForegroundWindow());
    EXPECT_TRUE(g_host.panelCalls.empty());

    // On ".." nothing is selected: nothing is activated, the panel is still updated.
    g_host.selection.clear();
    EXPECT_EQ(1, PressKey(panel, VK_F3, 0));
    EXPECT_EQ((std::vector<int>{kFctlGetPanelInfo, kFctlUpdatePanel, kFctlRedrawPanel}),
              Commands());
    EXPECT_EQ(foreground, GetForegroundWindow());

    // F3 on a window Velumo hid shows it again.
    EXPECT_EQ(1, DeleteItems(panel, {backItem}));
    EXPECT_HIDDEN(back);
    g_host.selection = {backItem};
    EXPECT_EQ(1, PressKey(panel, VK_F3, 0));
    harness::PumpMessages();
    EXPECT_VISIBLE(back);
    EXPECT_EQ(back, GetForegroundWindow());
}

TEST_F(Far3Panel, F8TogglesTheItemsFarHandsOver) {
    HWND japanese = MakeWindow(kJapanese);
    HWND russian = MakeWindow(kRussian);
    HWND plain = MakeWindow(kPlain);
    StartFar1();
    HANDLE panel = OpenFromPluginsMenu();
    std::vector<ListedItem> items = OwnItems(panel);
    const std::vector<ListedItem> both = {ITEM_OF(items, japanese), ITEM_OF(items, russian)};

    EXPECT_EQ(1, DeleteItems(panel, both));
    EXPECT_HIDDEN(japanese);
    EXPECT_HIDDEN(russian);
    EXPECT_VISIBLE(plain);
    items = OwnItems(panel);
    EXPECT_LISTED(items, japanese, L"H  D");
    EXPECT_LISTED(items, russian, L"H  D");
    EXPECT_LISTED(items, plain, L"    ");

    EXPECT_EQ(1, DeleteItems(panel, both));
    EXPECT_VISIBLE(japanese);
    EXPECT_VISIBLE(russian);
    EXPECT_LISTED(OwnItems(panel), japanese, L"    ");
}

TEST_F(Far3Panel, LeavingThePanelGoesThroughFctlClosePanel) {
    HWND window = MakeWindow(kJapanese);
    StartFar1();

    // "..": the panel closes with no directory, before PanelControl returns; being the last
    // panel, it shows again the window it hid.
    HANDLE panel = OpenFromPluginsMenu();
    ASSERT_EQ(1, DeleteItems(panel, {ITEM_OF(OwnItems(panel), window)}));
    EXPECT_HIDDEN(window);
    g_host.panelCalls.clear();
    EXPECT_EQ(1, SetDirectory(panel, L"..", 0));
    ASSERT_EQ(std::vector<int>{kFctlClosePanel}, Commands());
    EXPECT_EQ(panel, g_host.panelCalls[0].panel);
    EXPECT_TRUE(g_host.panelCalls[0].param2Null) << "\"..\" is not passed on";
    EXPECT_TRUE(g_host.openPanels.empty()) << "ClosePanelW ran inside FCTL_CLOSEPANEL";
    EXPECT_VISIBLE(window);

    // Another directory is passed on for FAR to go to.
    panel = OpenFromPluginsMenu();
    g_host.panelCalls.clear();
    EXPECT_EQ(1, SetDirectory(panel, L"C:\\Temp", 0));
    ASSERT_EQ(std::vector<int>{kFctlClosePanel}, Commands());
    EXPECT_FALSE(g_host.panelCalls[0].param2Null);
    EXPECT_EQ(L"C:\\Temp", g_host.panelCalls[0].directory);
    EXPECT_TRUE(g_host.openPanels.empty());

    // The root, and any directory while FAR searches, stay in the panel.
    panel = OpenFromPluginsMenu();
    g_host.panelCalls.clear();
    EXPECT_EQ(0, SetDirectory(panel, L"\\", 0));
    EXPECT_EQ(0, SetDirectory(panel, L"C:\\Temp", kOpmFind));
    EXPECT_EQ(0, SetDirectory(panel, L"..", kOpmFind));
    EXPECT_TRUE(g_host.panelCalls.empty());
    EXPECT_EQ(std::vector<HANDLE>{panel}, g_host.openPanels);
}

} // namespace
} // namespace far3test
