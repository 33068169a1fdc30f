// Which real windows the panel lists, and how: status marks, handle texts, titles cut and
// converted to the OEM code page, under the settings the plug-in loads from the registry.
#include "wine_fixture.h"

#include <cstring>

namespace winetest {
namespace {

class Listing : public WineDesktopTest {};

TEST_F(Listing, VisibleWindowIsListedWithBlankStatusTitleAndHandle) {
    StartFar1();
    HWND window = MakeWindow("Velumo visible window");
    ASSERT_NE(nullptr, window);
    EXPECT_VISIBLE(window);

    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, window, "    ");
    const far1host::ListedItem* item = FindItem(items, window);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ("Velumo visible window", item->title);
    EXPECT_EQ(8u, item->handleText.size());
    // The item's UserData carries the whole handle, in the host's pointer-wide field.
    EXPECT_EQ(window, WindowOf(*item));
    // Listing changes nothing.
    EXPECT_VISIBLE(window);
    ClosePanel(panel);
}

TEST_F(Listing, InvisibleWindowIsListedOnlyWithShowInvisibleWindow) {
    HWND invisible = MakeWindow("Velumo never shown", kInvisibleWindow);
    HWND visible = MakeWindow("Velumo shown");
    EXPECT_HIDDEN(invisible);

    StartFar1(); // defaults: ShowInvisibleWindow 0
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_NOT_LISTED(items, invisible);
    EXPECT_LISTED(items, visible, "    ");
    ClosePanel(panel);

    SeedDword("ShowInvisibleWindow", 1);
    StartFar1();
    panel = OpenPanel();
    items = OwnItems(panel);
    EXPECT_LISTED(items, invisible, "H   ");
    EXPECT_LISTED(items, visible, "    ");
    ClosePanel(panel);
    // Not hidden by the plug-in, so closing the panel does not show it.
    EXPECT_HIDDEN(invisible);
}

// GetParent reports the owner of an owned WS_POPUP window (so it never passes the no-parent
// test, whatever ShowOwnerWindow says) and nothing for an owned overlapped window, which
// ShowOwnerWindow lets through with "O". Wine's user32 behaves as Windows' here; the first
// checks below pin that.
TEST_F(Listing, OwnedWindowsFollowGetParentAndShowOwnerWindow) {
    HWND owner = MakeWindow("Velumo owner");
    HWND popup = MakeWindow("Velumo owned popup", WS_POPUP | WS_VISIBLE, owner);
    HWND overlapped = MakeWindow("Velumo owned overlapped", kVisibleWindow, owner);
    ASSERT_EQ(owner, GetParent(popup)) << "GetParent of an owned pop-up gives its owner";
    ASSERT_EQ(nullptr, GetParent(overlapped)) << "GetParent of an owned overlapped window";
    ASSERT_EQ(owner, GetWindow(overlapped, GW_OWNER));
    ASSERT_EQ(owner, GetWindow(popup, GW_OWNER));

    StartFar1(); // ShowOwnerWindow 0
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, owner, "    ");
    EXPECT_NOT_LISTED(items, popup);
    EXPECT_NOT_LISTED(items, overlapped);
    ClosePanel(panel);

    SeedDword("ShowOwnerWindow", 1);
    SeedDword("ShowAllWindowAtExit", 0);
    StartFar1();
    panel = OpenPanel();
    items = OwnItems(panel);
    EXPECT_LISTED(items, owner, "    ");
    EXPECT_LISTED(items, overlapped, " O  ");
    EXPECT_NOT_LISTED(items, popup);

    // Hidden by the plug-in, the owned window stays listed when ShowOwnerWindow is off again.
    const far1host::ListedItem* item = FindItem(items, overlapped);
    ASSERT_NE(nullptr, item);
    far1::PluginPanelItem toggled = far1host::PanelItemFrom(*item);
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, &toggled, 1, 0));
    EXPECT_HIDDEN(overlapped);
    ClosePanel(panel); // ShowAllWindowAtExit 0: stays hidden
    EXPECT_HIDDEN(overlapped);

    SeedDword("ShowOwnerWindow", 0);
    SeedDword("ShowAllWindowAtExit", 1);
    StartFar1();
    panel = OpenPanel();
    items = OwnItems(panel);
    EXPECT_LISTED(items, overlapped, "HO D");
    EXPECT_NOT_LISTED(items, popup);
    ClosePanel(panel); // restores it
    EXPECT_VISIBLE(overlapped);
    panel = OpenPanel();
    EXPECT_NOT_LISTED(OwnItems(panel), overlapped);
    ClosePanel(panel);
}

TEST_F(Listing, ProgramManagerIsLeftOutOnlyWithShowDesktopIconOff) {
    HWND desktop = MakeWindow("Program Manager");
    HWND lower = MakeWindow("program manager");
    HWND longer = MakeWindow("Program Manager ");

    StartFar1(); // ShowDesktopIcon 1
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, desktop, "    ");
    EXPECT_LISTED(items, lower, "    ");
    EXPECT_LISTED(items, longer, "    ");
    ClosePanel(panel);

    SeedDword("ShowDesktopIcon", 0);
    StartFar1();
    panel = OpenPanel();
    items = OwnItems(panel);
    EXPECT_NOT_LISTED(items, desktop);
    EXPECT_LISTED(items, lower, "    ");  // compared case-sensitively
    EXPECT_LISTED(items, longer, "    "); // whole titles compared
    ClosePanel(panel);
}

TEST_F(Listing, WindowWithoutTitleIsLeftOutUntilItHasOne) {
    HWND untitled = MakeWindow("");
    ASSERT_EQ(0, GetWindowTextLengthA(untitled));
    SeedDword("ShowInvisibleWindow", 1);
    SeedDword("ShowOwnerWindow", 1);
    StartFar1();

    HANDLE panel = OpenPanel();
    EXPECT_NOT_LISTED(OwnItems(panel), untitled);
    ASSERT_TRUE(SetWindowTextA(untitled, "Velumo titled later"));
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, untitled, "    ");
    ASSERT_NE(nullptr, FindItem(items, untitled));
    EXPECT_EQ("Velumo titled later", FindItem(items, untitled)->title);
    ClosePanel(panel);
}

// Listed titles hold at most 127 characters: the first 127 of a longer title.
TEST_F(Listing, LongTitlesAreCutTo127Characters) {
    std::string exact(127, 'e');
    std::string over127;
    for (int i = 0; i < 200; ++i) {
        over127 += static_cast<char>('A' + i % 26);
    }
    std::string over255 = "Program Manager" + std::string(285, 'p');
    HWND exactWindow = MakeWindow(exact);
    HWND over127Window = MakeWindow(over127);
    HWND over255Window = MakeWindow(over255);
    ASSERT_EQ(300, GetWindowTextLengthA(over255Window));
    SeedDword("ShowDesktopIcon", 0); // the desktop test reads a title of over 255 bytes
    StartFar1();

    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, exactWindow, "    ");
    EXPECT_LISTED(items, over127Window, "    ");
    EXPECT_LISTED(items, over255Window, "    ");
    ASSERT_NE(nullptr, FindItem(items, exactWindow));
    ASSERT_NE(nullptr, FindItem(items, over127Window));
    ASSERT_NE(nullptr, FindItem(items, over255Window));
    EXPECT_EQ(exact, FindItem(items, exactWindow)->title);
    EXPECT_EQ(over127.substr(0, 127), FindItem(items, over127Window)->title);
    EXPECT_EQ(over255.substr(0, 127), FindItem(items, over255Window)->title);
    ClosePanel(panel);
}

// Titles come from user32 in the ANSI code page and are listed in the OEM code page. Wine
// takes both code pages from the Unix locale's name (LC_ALL, else LC_CTYPE, else LANG; the
// locale need not be installed): C, POSIX and en_US give 1252 and 437, de_DE 1252 and 850,
// ru_RU 1251 and 866. run_suite.sh sets LC_ALL=C, so this suite runs as a US English Windows.
TEST_F(Listing, TitlesAreConvertedFromAnsiToOem) {
    ASSERT_EQ(1252u, GetACP()) << "ANSI code page: Wine takes it from the locale, see run_suite.sh";
    ASSERT_EQ(437u, GetOEMCP()) << "OEM code page: Wine takes it from the locale";

    const std::string cafe = "Caf\xE9";
    const std::string letters = "\xC4rger \xFC\xDF \xA9 \x80 \xE6\xF8\xE5";
    const std::string longAccented(140, '\xE9');
    HWND cafeWindow = MakeWindow(cafe);
    HWND lettersWindow = MakeWindow(letters);
    HWND longWindow = MakeWindow(longAccented);
    StartFar1();

    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    ASSERT_NE(nullptr, FindItem(items, cafeWindow));
    ASSERT_NE(nullptr, FindItem(items, lettersWindow));
    ASSERT_NE(nullptr, FindItem(items, longWindow));

    // Against the literal bytes of code page 437...
    EXPECT_EQ("Caf\x82", FindItem(items, cafeWindow)->title)
        << "seen \"" << Printable(FindItem(items, cafeWindow)->title) << "\"";
    EXPECT_EQ(std::string(127, '\x82'), FindItem(items, longWindow)->title);
    EXPECT_EQ("\x8Erger \x81\xE1", FindItem(items, lettersWindow)->title.substr(0, 8))
        << "seen \"" << Printable(FindItem(items, lettersWindow)->title) << "\"";
    // ...and against Wine's own CharToOemA, which also decides letters that code page 437
    // lacks (the euro sign, a copyright sign).
    for (HWND window : {cafeWindow, lettersWindow}) {
        std::string title = WindowTitle(window);
        char oem[256];
        ASSERT_TRUE(CharToOemA(title.c_str(), oem));
        EXPECT_EQ(std::string(oem), FindItem(items, window)->title)
            << "expected \"" << Printable(oem) << "\", seen \""
            << Printable(FindItem(items, window)->title) << "\"";
    }
    ClosePanel(panel);
}

} // namespace
} // namespace winetest
