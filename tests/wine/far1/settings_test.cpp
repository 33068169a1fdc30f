// The six settings in Wine's real registry: loaded at SetStartupInfo from values the test
// seeds (odd types and sizes included), shown by the configuration dialog, written back by a
// confirmed dialog and left alone by a cancelled one.
//
// REG_SZ data reaches RegQueryValueExA converted to the ANSI code page (the registry holds it
// as UTF-16 on Windows and under Wine alike), so its size there is that of the ANSI text with
// its terminator: "abc" is 4 bytes and is taken, "abcd" is 5 and is not.
#include "far1_fixture.h"

#include <cstring>
#include <string>

namespace winetest {
namespace {

std::string Describe(const ShownSettings& shown) {
    return "AddToDisksMenu " + std::to_string(shown.addToDisksMenu) + ", DisksMenuDigit \"" +
           shown.disksMenuDigit + "\", ShowDesktopIcon " + std::to_string(shown.showDesktopIcon) +
           ", ShowOwnerWindow " + std::to_string(shown.showOwnerWindow) + ", ShowInvisibleWindow " +
           std::to_string(shown.showInvisibleWindow) + ", ShowAllWindowAtExit " +
           std::to_string(shown.showAllWindowAtExit);
}

const char* const kValueNames[] = {"AddToDisksMenu",  "DisksMenuDigit",      "ShowDesktopIcon",
                                   "ShowOwnerWindow", "ShowInvisibleWindow", "ShowAllWindowAtExit"};

class Settings : public Far1Test {
  protected:
    void ExpectShown(const ShownSettings& expected) {
        EXPECT_EQ(Describe(expected), Describe(SettingsShownByDialog()));
    }
    // The disks-menu entry as GetPluginInfo describes it: count and digit.
    std::pair<int, int> DisksMenu() {
        far1::PluginInfo info;
        memset(&info, 0, sizeof(info));
        Plugin().GetPluginInfo(&info);
        return {info.DiskMenuStringsNumber,
                info.DiskMenuNumbers != nullptr ? info.DiskMenuNumbers[0] : -1};
    }
    // All six values stored as REG_DWORD, and nothing else.
    void ExpectAllSixStored(const std::vector<DWORD>& values) {
        std::vector<std::string> names(std::begin(kValueNames), std::end(kValueNames));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, StoredValueNames());
        for (size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(StoredDword(values[i]), ReadStored(kValueNames[i])) << kValueNames[i];
        }
    }
};

TEST_F(Settings, MissingKeyGivesTheDefaultsAndCreatesNothing) {
    StartFar1();
    ExpectShown({1, "9", 1, 0, 0, 1});
    EXPECT_EQ(std::make_pair(1, 9), DisksMenu());
    HANDLE panel = OpenPanel();
    far1host::ListPanel(panel);
    ClosePanel(panel);
    EXPECT_FALSE(KeyExists(RootKey()))
        << "loading, listing or a cancelled dialog made " << RootKey();
}

TEST_F(Settings, ValuesOfOddTypesAndSizesLoadAsRawBytesOrDefaults) {
    const uint8_t five = 5;
    const uint64_t eightBytes = 0;
    SeedDword("AddToDisksMenu", 0);                          // REG_DWORD 0: 0, not the default
    SeedValue("DisksMenuDigit", REG_BINARY, &five, 1);       // one byte over the default 9
    SeedValue("ShowDesktopIcon", REG_QWORD, &eightBytes, 8); // 8 bytes: default 1
    SeedValue("ShowOwnerWindow", REG_SZ, "ab", 3);           // 61 62 00 over 00 00 00 00
    SeedDword("ShowInvisibleWindow", 7);                     // truth values kept as they are
    SeedValue("ShowAllWindowAtExit", REG_BINARY, &five, 0);  // no bytes: default 1
    const StoredValue qwordBefore = ReadStored("ShowDesktopIcon");
    const StoredValue stringBefore = ReadStored("ShowOwnerWindow");

    StartFar1();
    ExpectShown({0, "5", 1, 0x6261, 7, 1});
    EXPECT_EQ(std::make_pair(0, 5), DisksMenu());

    // The loaded values take effect: ShowOwnerWindow and ShowInvisibleWindow are on.
    HWND owner = MakeWindow("Velumo owner");
    HWND owned = MakeWindow("Velumo owned", kVisibleWindow, owner);
    HWND invisible = MakeWindow("Velumo invisible", kInvisibleWindow);
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, owned, " O  ");
    EXPECT_LISTED(items, invisible, "H   ");
    ClosePanel(panel);

    // Loading wrote nothing.
    EXPECT_EQ(qwordBefore, ReadStored("ShowDesktopIcon"));
    EXPECT_EQ(stringBefore, ReadStored("ShowOwnerWindow"));
    EXPECT_EQ(StoredDword(0), ReadStored("AddToDisksMenu"));
}

TEST_F(Settings, StringsOfUpToFourBytesAreTakenAndMissingValuesDefault) {
    const uint8_t eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    SeedValue("AddToDisksMenu", REG_SZ, "abcd", 5);    // 5 bytes: default 1
    SeedValue("DisksMenuDigit", REG_BINARY, eight, 8); // 8 bytes: default 9
    SeedValue("ShowDesktopIcon", REG_SZ, "abc", 4);    // 61 62 63 00
    // The other three values are missing: defaults 0, 0, 1.

    StartFar1();
    ExpectShown({1, "9", 0x00636261, 0, 0, 1});
    EXPECT_EQ(std::make_pair(1, 9), DisksMenu());
}

TEST_F(Settings, ConfirmedDialogWritesAllSixDwordValues) {
    StartFar1(); // from the defaults, no key yet

    // Confirmed without a change: the key is made and all six values are written.
    far1host::DialogAnswer asShown;
    asShown.result = 10;
    far1host::QueueDialogAnswer(asShown);
    EXPECT_EQ(1, Plugin().Configure(0));
    ExpectAllSixStored({1, 9, 1, 0, 0, 1});

    // With edits.
    far1host::DialogAnswer answer;
    answer.result = 10;
    answer.checks = {{1, 0}, {5, 0}, {6, 1}, {7, 1}, {8, 0}};
    answer.texts = {{2, "3"}};
    far1host::QueueDialogAnswer(answer);
    EXPECT_EQ(1, Plugin().Configure(0));

    ExpectAllSixStored({0, 3, 0, 1, 1, 0});

    // In effect at once, before any restart...
    EXPECT_EQ(std::make_pair(0, 3), DisksMenu());
    HWND invisible = MakeWindow("Velumo invisible", kInvisibleWindow);
    HWND desktop = MakeWindow("Program Manager");
    HANDLE panel = OpenPanel();
    std::vector<far1host::ListedItem> items = OwnItems(panel);
    EXPECT_LISTED(items, invisible, "H   ");
    EXPECT_NOT_LISTED(items, desktop);
    ClosePanel(panel);

    // ...and read back by the next start.
    StartFar1();
    ExpectShown({0, "3", 0, 1, 1, 0});

    // A confirmation without edits writes all six again, replacing a value of another type
    // and keeping truth values as they are; a digit field holding "-" stores 0.
    const uint8_t oneByte = 1;
    SeedValue("ShowOwnerWindow", REG_BINARY, &oneByte, 1);
    SeedDword("ShowInvisibleWindow", 9);
    StartFar1();
    far1host::DialogAnswer unchanged;
    unchanged.result = 10;
    unchanged.texts = {{2, "-"}};
    far1host::QueueDialogAnswer(unchanged);
    EXPECT_EQ(1, Plugin().Configure(0));
    ExpectAllSixStored({0, 0, 0, 1, 9, 0});
    ExpectShown({0, "", 0, 1, 9, 0}); // DisksMenuDigit 0 shows an empty field
}

TEST_F(Settings, CancelledDialogWritesNothing) {
    // No key: closing on the second button (11) or with Esc (-1) creates none.
    StartFar1();
    far1host::DialogAnswer cancel;
    cancel.result = 11;
    cancel.checks = {{1, 0}, {5, 0}, {6, 1}};
    cancel.texts = {{2, "4"}};
    far1host::QueueDialogAnswer(cancel);
    EXPECT_EQ(0, Plugin().Configure(0));
    EXPECT_FALSE(KeyExists(RootKey()));
    ExpectShown({1, "9", 1, 0, 0, 1}); // Esc, and nothing changed in memory either
    EXPECT_FALSE(KeyExists(RootKey()));

    // Seeded values stay exactly as they were, types and sizes included.
    const uint8_t twoBytes[2] = {2, 0};
    SeedDword("DisksMenuDigit", 4);
    SeedValue("ShowOwnerWindow", REG_BINARY, twoBytes, 2);
    StartFar1();
    const StoredValue digitBefore = ReadStored("DisksMenuDigit");
    const StoredValue ownerBefore = ReadStored("ShowOwnerWindow");
    far1host::QueueDialogAnswer(cancel);
    EXPECT_EQ(0, Plugin().Configure(0));
    EXPECT_EQ((std::vector<std::string>{"DisksMenuDigit", "ShowOwnerWindow"}), StoredValueNames());
    EXPECT_EQ(digitBefore, ReadStored("DisksMenuDigit"));
    EXPECT_EQ(ownerBefore, ReadStored("ShowOwnerWindow"));
    ExpectShown({1, "4", 1, 2, 0, 1});

    // Configuration item 1 does not exist: no dialog.
    far1host::ClearRecords();
    EXPECT_EQ(0, Plugin().Configure(1));
    EXPECT_TRUE(far1host::DialogCalls().empty());
}

} // namespace
} // namespace winetest
