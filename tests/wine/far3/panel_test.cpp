// The FAR 3 panel against real windows with titles no ANSI or OEM code page holds: the menus
// and prefix FAR reads, the listing, "hide:" typed on the command line, F3/Alt+F3 and F8 with
// FAR's selection, and leaving the panel (FCTL_CLOSEPANEL closes it before it returns).
//
// Under Wine a SetForegroundWindow does not raise the window (see ../far1/actions_test.cpp), so
// the foreground window is what proves an activation here.
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

std::vector<far3::FILE_CONTROL_COMMANDS> Commands() {
    std::vector<far3::FILE_CONTROL_COMMANDS> commands;
    for (const ControlCall& call : ControlCalls()) {
        commands.push_back(call.command);
    }
    return commands;
}

class Far3Panel : public Far3Test {};

TEST_F(Far3Panel, MenusPrefixAndListingOfUnicodeTitles) {
    ASSERT_EQ(1252u, GetACP()) << "the Wine prefix runs with LC_ALL=C";
    BOOL lossy = FALSE;
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, kRussian.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the titles must lie outside the ANSI code page";

    PluginInfoCopy info = ReadPluginInfo();
    EXPECT_EQ(0u, info.flags);
    EXPECT_EQ(std::vector<Text>{Msg(4)}, info.diskMenu.strings);
    EXPECT_EQ(std::vector<Text>{Msg(3)}, info.pluginMenu.strings);
    EXPECT_EQ(std::vector<Text>{Msg(3)}, info.pluginConfig.strings);
    EXPECT_EQ(L"hide", info.commandPrefix);
    StartFar1({Setting(L"AddToDisksMenu", 0)});
    EXPECT_TRUE(ReadPluginInfo().diskMenu.strings.empty()) << "AddToDisksMenu off";

    ASSERT_NE(nullptr, OpenInActivePanel());
    EXPECT_TRUE(OwnItems().empty());
    EXPECT_NE(nullptr, PanelAt(ActivePanel()).plugin) << "a listing without our windows is kept";
    HWND japanese = MakeWindowW(kJapanese);
    HWND russian = MakeWindowW(kRussian);
    HWND plain = MakeWindowW(kPlain);
    std::vector<ListedItem> items = OwnItems();
    ASSERT_EQ(3u, items.size());
    for (HWND window : {japanese, russian, plain}) {
        EXPECT_LISTED(items, window, L"    ");
    }
    for (const ListedItem& item : items) {
        EXPECT_EQ(WholeTitleOf(WindowOf(item)), item.fileName) << "the whole UTF-16 title";
        EXPECT_EQ(nullptr, item.userData.FreeData) << "nothing for FAR to free";
        EXPECT_EQ(0u, item.fileAttributes) << "no attribute FAR would filter on";
        EXPECT_FALSE(item.description || item.owner);
    }
}

TEST_F(Far3Panel, HideCommandTogglesExactlyTheWindowsWhoseTitleHoldsTheText) {
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
    EXPECT_LISTED(OwnItems(), japanese, L"H  D");
    ExitFar();
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

TEST_F(Far3Panel, F3AltF3AndF8ActOnFarsSelection) {
    HWND back = MakeWindowW(kRussian);
    HWND front = MakeWindowW(kJapanese);
    HWND plain = MakeWindowW(kPlain);
    ASSERT_NE(nullptr, OpenInActivePanel());

    // F3 on the background window: PanelInfo, the item's size, the item, update, redraw.
    PutInFront(front);
    Select({back});
    ClearRecords();
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    PumpMessages();
    EXPECT_EQ(back, GetForegroundWindow()) << "F3 brings the selected window forward";
    EXPECT_EQ((std::vector<far3::FILE_CONTROL_COMMANDS>{
                  far3::FCTL_GETPANELINFO, far3::FCTL_GETSELECTEDPANELITEM,
                  far3::FCTL_GETSELECTEDPANELITEM, far3::FCTL_UPDATEPANEL, far3::FCTL_REDRAWPANEL}),
              Commands());
    for (const ControlCall& call : ControlCalls()) {
        EXPECT_EQ(PanelAt(ActivePanel()).plugin, call.hPanel) << "command " << call.command;
    }
    // Alt+F3, with either Alt key.
    for (DWORD alt : {DWORD{LEFT_ALT_PRESSED}, DWORD{RIGHT_ALT_PRESSED}}) {
        HWND target = GetForegroundWindow() == back ? front : back;
        Select({target});
        EXPECT_EQ(1, PressKey(VK_F3, alt)) << "control state " << alt;
        PumpMessages();
        EXPECT_EQ(target, GetForegroundWindow()) << "Alt+F3, control state " << alt;
    }

    // Keys that are FAR's: not handled, no PanelControl, nothing activated.
    HWND foreground = GetForegroundWindow();
    Select({foreground == back ? front : back});
    ClearRecords();
    const std::pair<WORD, DWORD> hostKeys[] = {
        {VK_F3, LEFT_CTRL_PRESSED},
        {VK_F3, RIGHT_CTRL_PRESSED},
        {VK_F3, SHIFT_PRESSED},
        {VK_F3, LEFT_ALT_PRESSED | SHIFT_PRESSED},
        {VK_F4, 0},
    };
    for (const auto& key : hostKeys) {
        EXPECT_EQ(0, PressKey(key.first, key.second))
            << "key " << key.first << " with control state " << key.second;
    }
    PumpMessages();
    EXPECT_EQ(foreground, GetForegroundWindow());
    EXPECT_TRUE(ControlCalls().empty());

    // On ".." nothing is selected: nothing is activated, the panel is still updated.
    SelectItems({});
    far3host::SetCursor(0);
    ClearRecords();
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    EXPECT_EQ((std::vector<far3::FILE_CONTROL_COMMANDS>{
                  far3::FCTL_GETPANELINFO, far3::FCTL_UPDATEPANEL, far3::FCTL_REDRAWPANEL}),
              Commands());
    EXPECT_EQ(foreground, GetForegroundWindow());

    // F8 is FAR's to hand to DeleteFilesW: each selected item is toggled.
    Select({back, front});
    EXPECT_EQ(0, PressKey(VK_F8, 0));
    EXPECT_HIDDEN(back);
    EXPECT_HIDDEN(front);
    std::vector<ListedItem> items = OwnItems();
    EXPECT_LISTED(items, back, L"H  D");
    EXPECT_LISTED(items, plain, L"    ");
    Select({front});
    EXPECT_EQ(0, PressKey(VK_F8, 0));
    EXPECT_VISIBLE(front);
    EXPECT_LISTED(OwnItems(), front, L"    ");

    // F3 on a window Velumo hid shows it again.
    Select({back});
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    PumpMessages();
    EXPECT_VISIBLE(back);
    EXPECT_EQ(back, GetForegroundWindow());
}

TEST_F(Far3Panel, LeavingThePanelGoesThroughFctlClosePanel) {
    HWND window = MakeWindowW(kJapanese);
    const struct {
        const wchar_t* directory; // null: Enter on ".."
        bool closes;
    } cases[] = {{nullptr, true}, {L"C:\\Temp", true}, {L"\\", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory != nullptr ? c.directory : L"..");
        HANDLE panel = OpenInActivePanel();
        Select({window});
        ASSERT_EQ(0, PressKey(VK_F8, 0));
        EXPECT_HIDDEN(window);
        ClearRecords();
        if (c.directory == nullptr) {
            EXPECT_TRUE(EnterDotDot());
        } else {
            EXPECT_EQ(c.closes ? 1 : 0, ChangeDirectory(c.directory));
        }
        if (!c.closes) {
            EXPECT_TRUE(ControlCalls().empty()) << "the root stays in the panel";
            EXPECT_EQ(panel, PanelAt(ActivePanel()).plugin);
            ExitFar();
            RestartPlugin();
            continue;
        }
        // Closed before PanelControl returned; the last panel shows again what it hid.
        ASSERT_EQ(1u, ControlCalls().size());
        const ControlCall& call = ControlCalls()[0];
        EXPECT_EQ(far3::FCTL_CLOSEPANEL, call.command);
        EXPECT_EQ(panel, call.hPanel);
        EXPECT_EQ(c.directory != nullptr, call.hasParam2) << "\"..\" is not passed on";
        EXPECT_EQ(c.directory != nullptr ? c.directory : L"", call.directory);
        EXPECT_EQ(nullptr, PanelAt(ActivePanel()).plugin);
        EXPECT_VISIBLE(window);
    }
}

} // namespace
} // namespace far3test
