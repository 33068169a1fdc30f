// Which real windows the panel lists, and how: status marks, handle texts, titles cut and
// converted to the OEM code page, under the settings the plug-in loads from the registry.
#include "far1_fixture.h"

namespace winetest {
namespace {

class Listing : public Far1Test {};

// GetParent reports the owner of an owned WS_POPUP window (so it never passes the no-parent
// test, whatever ShowOwnerWindow says) and nothing for an owned overlapped window, which
// ShowOwnerWindow lets through with "O". Wine's user32 behaves as Windows' here; the first
// checks below pin that. "Program Manager" is left out only with ShowDesktopIcon off, compared
// case-sensitively and whole.
TEST_F(Listing, WhichWindowsAreListedFollowsTheSettings) {
    HWND visible = MakeWindow("Velumo visible window");
    HWND invisible = MakeWindow("Velumo never shown", kInvisibleWindow);
    HWND owner = MakeWindow("Velumo owner");
    HWND popup = MakeWindow("Velumo owned popup", WS_POPUP | WS_VISIBLE, owner);
    HWND overlapped = MakeWindow("Velumo owned overlapped", kVisibleWindow, owner);
    HWND desktop = MakeWindow("Program Manager");
    HWND lower = MakeWindow("program manager");
    HWND longer = MakeWindow("Program Manager ");
    HWND untitled = MakeWindow("");
    ASSERT_EQ(owner, GetParent(popup)) << "GetParent of an owned pop-up gives its owner";
    ASSERT_EQ(nullptr, GetParent(overlapped)) << "GetParent of an owned overlapped window";
    ASSERT_EQ(owner, GetWindow(overlapped, GW_OWNER));
    const std::vector<HWND> windows = {visible, invisible, owner,  popup,   overlapped,
                                       desktop, lower,     longer, untitled};
    const struct {
        DWORD showInvisible, showOwner, showDesktop;
        std::vector<const char*> statuses; // by window; null: not listed
    } cases[] = {
        {0, 0, 1, {"    ", nullptr, "    ", nullptr, nullptr, "    ", "    ", "    ", nullptr}},
        {1, 1, 0, {"    ", "H   ", "    ", nullptr, " O  ", nullptr, "    ", "    ", nullptr}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "ShowInvisibleWindow " << c.showInvisible << ", ShowOwnerWindow "
                     << c.showOwner << ", ShowDesktopIcon " << c.showDesktop);
        SeedDword("ShowInvisibleWindow", c.showInvisible);
        SeedDword("ShowOwnerWindow", c.showOwner);
        SeedDword("ShowDesktopIcon", c.showDesktop);
        StartFar1();
        HANDLE panel = OpenPanel();
        std::vector<far1host::ListedItem> items = OwnItems(panel);
        for (size_t i = 0; i < windows.size(); ++i) {
            EXPECT_LISTED(items, windows[i], c.statuses[i]);
        }
        const far1host::ListedItem* item = FindItem(items, visible);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ("Velumo visible window", item->title);
        EXPECT_EQ(8u, item->handleText.size());
        ClosePanel(panel);
    }
    // Not hidden by the plug-in, so closing the panel did not show it.
    EXPECT_HIDDEN(invisible);
}

// Listed titles hold the first 127 characters, converted from the ANSI code page user32 gives
// them in to the OEM one. Wine takes both code pages from the Unix locale's name (LC_ALL, else
// LC_CTYPE, else LANG; the locale need not be installed): C, POSIX and en_US give 1252 and 437,
// de_DE 1252 and 850, ru_RU 1251 and 866. run_suite.sh sets LC_ALL=C, so this suite runs as a
// US English Windows.
TEST_F(Listing, TitlesAreCutTo127CharactersAndConvertedFromAnsiToOem) {
    ASSERT_EQ(1252u, GetACP()) << "ANSI code page: Wine takes it from the locale, see run_suite.sh";
    ASSERT_EQ(437u, GetOEMCP()) << "OEM code page: Wine takes it from the locale";
    std::string over127;
    for (int i = 0; i < 200; ++i) {
        over127 += static_cast<char>('A' + i % 26);
    }
    const std::string over255 = "Program Manager" + std::string(285, 'p');
    const struct {
        std::string title, listed;
    } cases[] = {
        {std::string(127, 'e'), std::string(127, 'e')},
        {over127, over127.substr(0, 127)},
        {over255, over255.substr(0, 127)}, // ShowDesktopIcon 0 reads a title of over 255 bytes
        {"Caf\xE9", "Caf\x82"},
        {std::string(140, '\xE9'), std::string(127, '\x82')},
        {"\xC4rger \xFC\xDF", "\x8Erger \x81\xE1"},
    };
    std::vector<HWND> windows;
    for (const auto& c : cases) {
        windows.push_back(MakeWindow(c.title));
    }
    // Letters code page 437 lacks are whatever Wine's own CharToOemA makes of them.
    HWND others = MakeWindow("\xA9 \x80 \xE6\xF8\xE5");
    SeedDword("ShowDesktopIcon", 0);
    StartFar1();
    std::vector<far1host::ListedItem> items = OwnItems(OpenPanel());
    for (size_t i = 0; i < windows.size(); ++i) {
        const far1host::ListedItem* item = FindItem(items, windows[i]);
        ASSERT_NE(nullptr, item) << "case " << i;
        EXPECT_EQ(Printable(cases[i].listed), Printable(item->title)) << "case " << i;
    }
    char oem[256];
    ASSERT_TRUE(CharToOemA(WindowTitle(others).c_str(), oem));
    ASSERT_NE(nullptr, FindItem(items, others));
    EXPECT_EQ(Printable(oem), Printable(FindItem(items, others)->title));
}

} // namespace
} // namespace winetest
