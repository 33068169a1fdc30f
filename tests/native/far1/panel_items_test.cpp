// Which windows are listed, how their items look, and a changing desktop or failing heap.
#include "far1/panel_items.h"
#include "far1_fixture.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {

// One listed window as the host would show it.
struct Listed {
    std::string title;
    std::string status;
    std::string handleText;
    HWND window;
    bool operator==(const Listed& other) const {
        return title == other.title && status == other.status && handleText == other.handleText &&
               window == other.window;
    }
};

void PrintTo(const Listed& entry, std::ostream* out) {
    *out << "{\"" << entry.title << "\", \"" << entry.status << "\", " << entry.handleText << ", "
         << entry.window << "}";
}

Listed Expect(const std::string& title, const std::string& status, HWND window) {
    return Listed{title, status, HandleText(window), window};
}

// The host packs its records to 2 bytes: fields are read by value, never bound to a reference.
Listed Decode(const far1::PluginPanelItem& item) {
    const int columns = item.CustomColumnNumber;
    char** const texts = item.CustomColumnData;
    EXPECT_EQ(2, columns);
    EXPECT_NE(nullptr, texts);
    if (texts == nullptr) {
        return Listed{item.FindData.cFileName, "", "", far1::WindowFromUserData(item.UserData)};
    }
    return Listed{item.FindData.cFileName, texts[0], texts[1],
                  far1::WindowFromUserData(item.UserData)};
}

// Builds the list, decodes it, releases it and checks that the release freed every block.
std::vector<Listed> ListWindows() {
    heapcalls::ResetCounts();
    far1::PluginPanelItem* items = nullptr;
    int count = -1;
    EXPECT_EQ(1, far1::BuildWindowList(&items, &count));
    std::vector<Listed> listed;
    for (int i = 0; i < count; ++i) {
        listed.push_back(Decode(items[i]));
    }
    EXPECT_EQ(count == 0, items == nullptr) << "an empty list is a null array, and only that";
    far1::FreeWindowList(items, count);
    EXPECT_EQ(0, heapcalls::Counted().balance) << "blocks left allocated after FreeWindowList";
    return listed;
}

HWND MakeWindow(const std::string& title, bool visible = true, HWND owner = nullptr,
                DWORD style = 0, HWND parent = nullptr) {
    simwin::WindowSpec spec;
    spec.title = title;
    spec.visible = visible;
    spec.owner = owner;
    spec.style = style;
    spec.parent = parent;
    return simwin::CreateTestWindow(spec);
}

using WindowListTest = DesktopTest;

TEST_F(WindowListTest, EachFilterTestExcludesItsWindowUnlessRecorded) {
    g_settings.ShowDesktopIcon = 0;
    const HWND plain = MakeWindow("plain");
    const HWND parent = MakeWindow("parent");
    const HWND child = MakeWindow("child", true, nullptr, WS_CHILD, parent);
    const HWND orphanChild = MakeWindow("orphan child", true, nullptr, WS_CHILD);
    const HWND untitled = MakeWindow("");
    const HWND desktop = MakeWindow("Program Manager");
    const HWND owned = MakeWindow("owned", true, plain);
    const HWND invisible = MakeWindow("invisible", false);
    EXPECT_EQ(1, IsEligibleWindow(plain));
    EXPECT_EQ(1, IsEligibleWindow(parent));

    const HWND excluded[] = {child, orphanChild, untitled, desktop, owned, invisible};
    for (HWND window : excluded) {
        EXPECT_EQ(0, IsEligibleWindow(window)) << HandleText(window);
        ASSERT_EQ(1, g_hiddenWindows.Add(window));
        EXPECT_EQ(1, IsEligibleWindow(window)) << HandleText(window);
    }
    // The desktop is caught by its exact title alone, and only while its switch is off.
    for (const char* near : {"program manager", "Program Manager ", "Program Manage"}) {
        EXPECT_EQ(1, IsEligibleWindow(MakeWindow(near))) << near;
    }
    g_settings.ShowDesktopIcon = -1;
    EXPECT_EQ(1, IsEligibleWindow(MakeWindow("Program Manager")));
}

// An owned popup stays out whatever the switches: its owner is reported as its parent.
TEST_F(WindowListTest, OwnerAndInvisibleSwitchesTakeTheirTestsOut) {
    const HWND owner = MakeWindow("owner");
    const HWND owned = MakeWindow("owned", true, owner);
    const HWND invisible = MakeWindow("invisible", false);
    const HWND ownedInvisible = MakeWindow("both", false, owner);
    const HWND ownedPopup = MakeWindow("popup", true, owner, WS_POPUP);
    const HWND unownedPopup = MakeWindow("free popup", true, nullptr, WS_POPUP);
    struct Case {
        int32_t showOwner, showInvisible;
        int owned, invisible, ownedInvisible;
    };
    const Case cases[] = {{0, 0, 0, 0, 0}, {1, 0, 1, 0, 0},  {0, 1, 0, 1, 0},
                          {1, 1, 1, 1, 1}, {-3, 0, 1, 0, 0}, {0, 2, 0, 1, 0}};
    for (const Case& c : cases) {
        g_settings.ShowOwnerWindow = c.showOwner;
        g_settings.ShowInvisibleWindow = c.showInvisible;
        SCOPED_TRACE(testing::Message()
                     << "owner " << c.showOwner << " invisible " << c.showInvisible);
        EXPECT_EQ(1, IsEligibleWindow(owner));
        EXPECT_EQ(1, IsEligibleWindow(unownedPopup));
        EXPECT_EQ(0, IsEligibleWindow(ownedPopup));
        EXPECT_EQ(c.owned, IsEligibleWindow(owned));
        EXPECT_EQ(c.invisible, IsEligibleWindow(invisible));
        EXPECT_EQ(c.ownedInvisible, IsEligibleWindow(ownedInvisible));
    }
}

TEST_F(WindowListTest, StatusTextMarksInvisibleOwnedAndRecordedWindows) {
    const HWND owner = MakeWindow("owner");
    std::vector<Listed> everything{Expect("owner", "    ", owner)};
    std::vector<Listed> filtered = everything;
    for (int mask = 0; mask < 8; ++mask) {
        const bool hidden = mask & 1, owned = mask & 2, recorded = mask & 4;
        const std::string status =
            std::string(hidden ? "H" : " ") + (owned ? "O" : " ") + " " + (recorded ? "D" : " ");
        const HWND window =
            MakeWindow("w" + std::to_string(mask), !hidden, owned ? owner : nullptr);
        if (recorded) {
            ASSERT_EQ(1, g_hiddenWindows.Add(window));
        }
        // The newest window is on top: it comes first.
        const Listed entry = Expect("w" + std::to_string(mask), status, window);
        everything.insert(everything.begin(), entry);
        if (recorded || (!hidden && !owned)) {
            filtered.insert(filtered.begin(), entry);
        }
    }
    EXPECT_EQ(filtered, ListWindows()) << "switches off: recorded windows stay listed";
    g_settings.ShowOwnerWindow = 1;
    g_settings.ShowInvisibleWindow = 1;
    EXPECT_EQ(everything, ListWindows());
}

TEST_F(WindowListTest, TitleIsCutTo127CharactersAndConvertedToTheOemPage) {
    const std::string longTitle(100, 'a');
    const HWND exact = MakeWindow(std::string(127, 'x'));
    const HWND oneOver = MakeWindow(std::string(128, 'y'));
    const HWND veryLong = MakeWindow(longTitle + std::string(100, '\xE9'));
    const HWND letters = MakeWindow("Caf\xE9 \xC4pfel");
    EXPECT_EQ((std::vector<Listed>{Expect("Caf\x82 \x8Epfel", "    ", letters),
                                   Expect(longTitle + std::string(27, '\x82'), "    ", veryLong),
                                   Expect(std::string(127, 'y'), "    ", oneOver),
                                   Expect(std::string(127, 'x'), "    ", exact)}),
              ListWindows());
}

// The release frees three blocks an entry whatever the text count says, and for a count of zero
// or less only the array.
TEST_F(WindowListTest, ReleaseFreesWhatTheListingTookAndNoMore) {
    far1::FreeWindowList(nullptr, 0);
    far1::FreeWindowList(nullptr, -1);
    // Texts the release must not touch: freeing them would be an invalid free.
    char status[] = "    ";
    char handle[] = "00000000";
    char* texts[2] = {status, handle};
    for (int count : {0, -1}) {
        heapcalls::ResetCounts();
        auto* items =
            static_cast<far1::PluginPanelItem*>(malloc(2 * sizeof(far1::PluginPanelItem)));
        ASSERT_NE(nullptr, items);
        memset(items, 0, 2 * sizeof(far1::PluginPanelItem));
        items[0].CustomColumnData = texts;
        items[1].CustomColumnData = texts;
        far1::FreeWindowList(items, count);
        EXPECT_EQ(0, heapcalls::Counted().balance) << "count " << count;
    }
    MakeWindow("a");
    MakeWindow("b");
    heapcalls::ResetCounts();
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    ASSERT_EQ(1, far1::BuildWindowList(&items, &count));
    ASSERT_EQ(2, count);
    EXPECT_EQ(7, heapcalls::Counted().balance) << "the array and three blocks per entry";
    items[0].CustomColumnNumber = 0;
    items[1].CustomColumnNumber = 5;
    far1::FreeWindowList(items, count);
    EXPECT_EQ(0, heapcalls::Counted().balance);
}

TEST_F(WindowListTest, DesktopChangedDuringTheEnumerationIsListedAsFound) {
    const HWND destroyed = MakeWindow("destroyed");
    const HWND emptied = MakeWindow("emptied");
    const HWND hidden = MakeWindow("hidden");
    const HWND renamed = MakeWindow("renamed");
    const HWND first = MakeWindow("first");
    simwin::SetEnumerationHook([&](HWND window) {
        if (window == first) {
            simwin::DestroyTestWindow(destroyed);
            simwin::SetTestWindowTitle(emptied, "");
            simwin::SetTestWindowVisible(hidden, false);
            simwin::SetTestWindowTitle(renamed, "new name");
            simwin::SetTestWindowTitle(first, "first, retitled");
        }
    });
    EXPECT_EQ((std::vector<Listed>{Expect("first, retitled", "    ", first),
                                   Expect("new name", "    ", renamed)}),
              ListWindows());
}

// A failed growth of the array leaves the window it was for out; a failed text allocation (three
// an entry: the text array, the status and the handle) drops its entry without leaking. With
// every call failing, the list is empty.
TEST_F(WindowListTest, FailedGrowthLeavesThatWindowOutAndKeepsTheRest) {
    const HWND d = MakeWindow("d"), c = MakeWindow("c"), b = MakeWindow("b");
    const HWND a = MakeWindow("a");
    const Listed all[] = {Expect("a", "    ", a), Expect("b", "    ", b), Expect("c", "    ", c),
                          Expect("d", "    ", d)};
    struct Case {
        heapcalls::Call call;
        int nth;     // 0: every call
        int dropped; // the index into `all` left out; -1 every one
    };
    std::vector<Case> cases = {{heapcalls::Call::Realloc, 1, 0},
                               {heapcalls::Call::Realloc, 2, 1},
                               {heapcalls::Call::Realloc, 4, 3},
                               {heapcalls::Call::Realloc, 0, -1},
                               {heapcalls::Call::Malloc, 0, -1}};
    for (int nth = 1; nth <= 12; ++nth) {
        cases.push_back({heapcalls::Call::Malloc, nth, (nth - 1) / 3});
    }
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(k.call) << " " << k.nth);
        std::vector<Listed> expected;
        for (int i = 0; i < 4; ++i) {
            if (k.dropped >= 0 && i != k.dropped) {
                expected.push_back(all[i]);
            }
        }
        if (k.nth == 0) {
            heapcalls::FailEveryCall(k.call);
        } else {
            heapcalls::FailNthCall(k.call, k.nth);
        }
        EXPECT_EQ(expected, ListWindows());
        heapcalls::ClearFailures();
    }
}

} // namespace
