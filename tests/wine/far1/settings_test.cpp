// The six settings in Wine's real registry: loaded at SetStartupInfo from values the test
// seeds (odd types and sizes included), shown by the configuration dialog, left alone by a
// dialog left with Esc and written back by a confirmed one.
//
// REG_SZ data reaches RegQueryValueExA converted to the ANSI code page (the registry holds it
// as UTF-16 on Windows and under Wine alike), so its size there is that of the ANSI text with
// its terminator: "abc" is 4 bytes and is taken, "abcd" is 5 and is not.
#include "far1_fixture.h"

#include <cstring>
#include <string>

namespace winetest {
namespace {

StoredValue Bytes(DWORD type, std::vector<uint8_t> data) {
    return StoredValue{type, std::move(data)};
}

class Settings : public Far1Test {
  protected:
    // The disks-menu entry as GetPluginInfo describes it: count and digit.
    std::pair<int, int> DisksMenu() {
        far1::PluginInfo info;
        memset(&info, 0, sizeof(info));
        Plugin().GetPluginInfo(&info);
        return {info.DiskMenuStringsNumber,
                info.DiskMenuNumbers != nullptr ? info.DiskMenuNumbers[0] : -1};
    }
};

// Each case starts from a key of its own; loading, listing and a dialog left with Esc write
// nothing, and the loaded values take effect in the listing (an owned and an invisible window).
TEST_F(Settings, ValuesOfOddTypesAndSizesLoadAsRawBytesOrDefaults) {
    HWND owner = MakeWindow("Velumo owner");
    HWND owned = MakeWindow("Velumo owned", kVisibleWindow, owner);
    HWND invisible = MakeWindow("Velumo invisible", kInvisibleWindow);
    const struct {
        std::map<std::string, StoredValue> seeded;
        ShownSettings shown;
        std::pair<int, int> disksMenu;
        const char *ownedStatus, *invisibleStatus; // null: not listed
    } cases[] = {
        {{}, {"1", "9", "1", "0", "0", "1"}, {1, 9}, nullptr, nullptr}, // no key: the defaults
        {{
             {"AddToDisksMenu", StoredDword(0)},                              // 0, not the default
             {"DisksMenuDigit", Bytes(REG_BINARY, {5})},                      // one byte over 9
             {"ShowDesktopIcon", Bytes(REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0})}, // 8 bytes: 1
             {"ShowOwnerWindow", Bytes(REG_SZ, {'a', 'b', 0})}, // 61 62 00 over 00 00 00 00
             {"ShowInvisibleWindow", StoredDword(7)},           // truth values kept as they are
             {"ShowAllWindowAtExit", Bytes(REG_BINARY, {})},    // no bytes: default 1
         },
         {"0", "5", "1", std::to_string(0x6261), "7", "1"},
         {0, 5},
         " O  ",
         "H   "},
        {{
             {"AddToDisksMenu", Bytes(REG_SZ, {'a', 'b', 'c', 'd', 0})},      // 5 bytes: 1
             {"DisksMenuDigit", Bytes(REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0})}, // 8 bytes: 9
             {"ShowDesktopIcon", Bytes(REG_SZ, {'a', 'b', 'c', 0})},          // 61 62 63 00
         }, // the other three values are missing: defaults 0, 0, 1
         {"1", "9", std::to_string(0x00636261), "0", "0", "1"},
         {1, 9},
         nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.seeded.size() << " values seeded");
        RegDeleteTreeA(HKEY_CURRENT_USER, RootKey().c_str());
        for (const auto& value : c.seeded) {
            SeedValue(SettingsKey(), value.first.c_str(), value.second);
        }
        ASSERT_EQ(c.seeded, Stored());
        StartFar1();
        EXPECT_EQ(c.shown, SettingsShownByDialog());
        EXPECT_EQ(c.disksMenu, DisksMenu());
        HANDLE panel = OpenPanel();
        std::vector<far1host::ListedItem> items = OwnItems(panel);
        EXPECT_LISTED(items, owned, c.ownedStatus);
        EXPECT_LISTED(items, invisible, c.invisibleStatus);
        ClosePanel(panel);
        EXPECT_EQ(c.seeded, Stored());
        EXPECT_EQ(!c.seeded.empty(), KeyExists(RootKey())) << "no key is made";
    }
}

// A confirmed dialog writes all six as REG_DWORD, replacing a value of another type and keeping
// truth values as they are; a digit field holding "-" stores 0, shown empty after a restart.
TEST_F(Settings, ConfirmedDialogWritesAllSixDwordValues) {
    SeedValue(SettingsKey(), "ShowOwnerWindow", Bytes(REG_BINARY, {1}));
    SeedDword("ShowInvisibleWindow", 9);
    StartFar1();
    far1host::DialogAnswer answer;
    answer.result = kFar1ConfigDialog.OkRow;
    answer.checks = {{DialogRowOf(kFar1ConfigDialog, &::Settings::AddToDisksMenu), 0},
                     {DialogRowOf(kFar1ConfigDialog, &::Settings::ShowDesktopIcon), 0},
                     {DialogRowOf(kFar1ConfigDialog, &::Settings::ShowAllWindowAtExit), 0}};
    answer.texts = {{DialogRowOf(kFar1ConfigDialog, &::Settings::DisksMenuDigit), "-"}};
    far1host::QueueDialogAnswer(answer);
    EXPECT_EQ(1, Plugin().Configure(0));
    const std::map<std::string, StoredValue> written = {
        {"AddToDisksMenu", StoredDword(0)},      {"DisksMenuDigit", StoredDword(0)},
        {"ShowDesktopIcon", StoredDword(0)},     {"ShowOwnerWindow", StoredDword(1)},
        {"ShowInvisibleWindow", StoredDword(9)}, {"ShowAllWindowAtExit", StoredDword(0)}};
    EXPECT_EQ(written, Stored());
    EXPECT_EQ(std::make_pair(0, 0), DisksMenu()) << "in effect at once";
    StartFar1();
    EXPECT_EQ((ShownSettings{"0", "", "0", "1", "9", "0"}), SettingsShownByDialog());
}

} // namespace
} // namespace winetest
