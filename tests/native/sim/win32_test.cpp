// Tests of the simulated Win32 subset itself: the product's tests trust these behaviours.
#include "far1_fixture.h"
#include "windows_api.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace {

using SimWin32 = DesktopTest;

struct Visit {
    std::vector<HWND> seen;
    std::function<void(HWND)> during; // what the callback does to the desktop
    size_t stopAfter;                 // the callback returns FALSE for this many-th window
};

BOOL CALLBACK Record(HWND window, LPARAM context) {
    auto* visit = reinterpret_cast<Visit*>(context);
    visit->seen.push_back(window);
    if (visit->during) {
        visit->during(window);
    }
    return visit->seen.size() != visit->stopAfter;
}

std::vector<HWND> Enumerate(std::function<void(HWND)> during = {}, size_t stopAfter = 0) {
    Visit visit{{}, std::move(during), stopAfter};
    EXPECT_EQ(TRUE, EnumWindows(Record, reinterpret_cast<LPARAM>(&visit)));
    return visit.seen;
}

TEST_F(SimWin32, EnumerationWalksASnapshotTopFirst) {
    const HWND a = simwin::CreateTestWindow("a"), b = simwin::CreateTestWindow("b");
    const HWND c = simwin::CreateTestWindow("c"), d = simwin::CreateTestWindow("d");
    EXPECT_EQ((std::vector<HWND>{d, c, b, a}), Enumerate());
    EXPECT_EQ((std::vector<HWND>{d, c}), Enumerate({}, 2)); // the callback's FALSE stops it

    // While visiting d: destroy b, hide c, raise a to the top, create a window.
    HWND created = nullptr;
    const auto seen = Enumerate([&](HWND window) {
        if (window == d) {
            simwin::DestroyTestWindow(b);
            ShowWindow(c, SW_HIDE);
            BringWindowToTop(a);
            created = simwin::CreateTestWindow("new");
        }
    });
    EXPECT_EQ((std::vector<HWND>{d, c, a}), seen);
    EXPECT_EQ((std::vector<HWND>{created, a, d, c}), simwin::ZOrder());
}

TEST_F(SimWin32, HookRunsBeforeEachWindowAndMayChangeTheDesktop) {
    const HWND a = simwin::CreateTestWindow("a"), b = simwin::CreateTestWindow("b");
    const HWND c = simwin::CreateTestWindow("c");
    std::vector<HWND> hooked;
    simwin::SetEnumerationHook([&](HWND window) {
        hooked.push_back(window);
        if (window == c) {
            BringWindowToTop(a);
            ShowWindow(b, SW_HIDE);
        } else if (window == b) {
            simwin::DestroyTestWindow(b); // the window about to be reported
        }
    });
    EXPECT_EQ((std::vector<HWND>{c, a}), Enumerate());
    EXPECT_EQ((std::vector<HWND>{c, b, a}), hooked);
    EXPECT_EQ((std::vector<HWND>{a, c}), simwin::ZOrder());
}

TEST_F(SimWin32, DeadHandlesAreHarmlessAndNeverReused) {
    const HWND dead = simwin::CreateTestWindow("gone");
    EXPECT_LE(reinterpret_cast<uintptr_t>(dead), 0xFFFFFFFFu);
    simwin::DestroyTestWindow(dead);
    for (const HWND window : {dead, HWND{}}) {
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_FALSE(ShowWindow(window, SW_SHOW));
        EXPECT_FALSE(SetForegroundWindow(window));
        EXPECT_FALSE(BringWindowToTop(window));
        EXPECT_EQ(nullptr, GetWindow(window, GW_OWNER));
        EXPECT_EQ(nullptr, GetParent(window));
        EXPECT_EQ(0, GetWindowLongA(window, GWL_STYLE));
        EXPECT_EQ(0, GetWindowTextLengthA(window));
        EXPECT_EQ(0, GetWindowTextLengthW(window));
        char title[8] = "junk";
        EXPECT_EQ(0, GetWindowTextA(window, title, sizeof title));
        EXPECT_STREQ("", title);
        WCHAR wideTitle[8] = u"junk";
        EXPECT_EQ(0, GetWindowTextW(window, wideTitle, 8));
        EXPECT_EQ(u"", std::u16string(wideTitle));
    }
    EXPECT_TRUE(simwin::ZOrder().empty());
    EXPECT_EQ(nullptr, simwin::ForegroundWindow());
    simwin::ResetDesktop();
    EXPECT_NE(dead, simwin::CreateTestWindow("gone"));
    EXPECT_FALSE(IsWindow(dead));
}

TEST_F(SimWin32, ParentAndOwnerRules) {
    const HWND top = simwin::CreateTestWindow("top"), boss = simwin::CreateTestWindow("boss");
    auto make = [&](DWORD style) {
        simwin::WindowSpec wanted;
        wanted.parent = top;
        wanted.owner = boss;
        wanted.style = style;
        return simwin::CreateTestWindow(wanted);
    };
    const HWND child = make(WS_CHILD), popup = make(WS_POPUP), owned = make(0);
    EXPECT_EQ(top, GetParent(child));
    EXPECT_EQ(boss, GetParent(popup));
    EXPECT_EQ(nullptr, GetParent(owned));
    EXPECT_EQ(boss, GetWindow(owned, GW_OWNER));
    EXPECT_EQ(nullptr, GetWindow(owned, 0));
    EXPECT_EQ(nullptr, GetParent(top));

    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child)); // a child shows only inside a visible parent
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), GetWindowLongA(popup, GWL_STYLE));
    EXPECT_EQ(0, GetWindowLongA(popup, 0));
}

std::u16string WideText(HWND window, int limit = 64) {
    std::vector<WCHAR> buffer(static_cast<size_t>(limit));
    const int length = GetWindowTextW(window, buffer.data(), limit);
    return std::u16string(buffer.data(), static_cast<size_t>(length));
}

std::string AnsiText(HWND window, int limit = 64) {
    std::vector<char> buffer(static_cast<size_t>(limit));
    const int length = GetWindowTextA(window, buffer.data(), limit);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

TEST_F(SimWin32, WideTitlesReadBackExactlyAndAsAnsiAndOem) {
    // CP1252 has é, the em dash, € and ƒ; no Cyrillic, no CJK, no emoji (a surrogate pair: one
    // '?' for each half). CP437 has é and ƒ.
    struct Case {
        std::u16string title;
        const char* ansi;
        const char* oem;
    };
    const Case cases[] = {
        {u"Отчёт", "?????", "?????"},
        {u"日本語 — résumé 🙂", "??? \x97 r\xE9sum\xE9 ??", "??? ? r\x82sum\x82 ??"},
        {u"Café € ƒ", "Caf\xE9 \x80 \x83", "Caf\x82 ? \x9F"},
    };
    for (const Case& c : cases) {
        for (const bool created : {true, false}) {
            const HWND window = created ? simwin::CreateTestWindow(c.title)
                                        : simwin::CreateTestWindow(u"old title");
            if (!created) {
                simwin::SetTestWindowTitle(window, c.title);
            }
            EXPECT_EQ(static_cast<int>(c.title.size()), GetWindowTextLengthW(window));
            EXPECT_EQ(c.title, WideText(window));
            EXPECT_EQ(static_cast<int>(std::strlen(c.ansi)), GetWindowTextLengthA(window));
            EXPECT_EQ(c.ansi, AnsiText(window));
            char oem[64];
            CharToOemA(AnsiText(window).c_str(), oem);
            EXPECT_STREQ(c.oem, oem);
        }
    }
    EXPECT_EQ(cases[1].title, simwin::Utf16FromUtf8("日本語 — résumé 🙂"));

    // Every ANSI byte reads back unchanged; the five CP1252 leaves unassigned stand for the code
    // units of the same value, as Windows maps them.
    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every += static_cast<char>(byte);
    }
    const HWND window = simwin::CreateTestWindow(every);
    const std::u16string wide = WideText(window, 300);
    EXPECT_EQ(every, AnsiText(window, 300));
    EXPECT_EQ(u"é€\x81\x8D\x8F\x90\x9D",
              (std::u16string{wide[0xE9 - 1], wide[0x80 - 1], wide[0x81 - 1], wide[0x8D - 1],
                              wide[0x8F - 1], wide[0x90 - 1], wide[0x9D - 1]}));
    EXPECT_THROW(simwin::Utf16FromUtf8("caf\xE9"), std::invalid_argument);
}

// Both title calls: the title is cut at its NUL, the limit counts the terminator, a limit of 0
// or less (or no buffer) writes nothing, and W may end inside a surrogate pair.
TEST_F(SimWin32, TitleLimitsCountTheTerminator) {
    const HWND window = simwin::CreateTestWindow(std::u16string(u"ab🙂c\0hidden", 12));
    EXPECT_EQ(5, GetWindowTextLengthA(window));
    EXPECT_EQ(5, GetWindowTextLengthW(window));
    EXPECT_EQ(5, GetWindowTextLengthA(simwin::CreateTestWindow(std::string("Hello\0hidden", 12))));
    const struct {
        int limit;
        const char* ansi;
        std::u16string wide;
    } cases[] = {{8, "ab??c", u"ab🙂c"},
                 {4, "ab?", u"ab\xD83D"},
                 {1, "", u""},
                 {0, "xxxxxxx", u"xxxxxxx"},
                 {-1, "xxxxxxx", u"xxxxxxx"}};
    for (const auto& c : cases) {
        char ansi[8] = "xxxxxxx";
        WCHAR wide[8] = u"xxxxxxx";
        const int written = c.limit <= 0 ? 0 : static_cast<int>(std::strlen(c.ansi));
        EXPECT_EQ(written, GetWindowTextA(window, ansi, c.limit)) << c.limit;
        EXPECT_EQ(written, GetWindowTextW(window, wide, c.limit)) << c.limit;
        EXPECT_STREQ(c.ansi, ansi) << c.limit;
        EXPECT_EQ(c.wide, std::u16string(wide)) << c.limit;
        const int past = c.limit <= 0 ? 0 : std::min(c.limit, 6); // untouched: after the limit
        EXPECT_EQ('x', ansi[past]) << c.limit;
        EXPECT_EQ(u'x', wide[past]) << c.limit;
    }
    EXPECT_EQ(0, GetWindowTextW(window, nullptr, 8));
    EXPECT_EQ(6u, simwin::Calls().getWindowTextW);
    EXPECT_EQ(1u, simwin::Calls().getWindowTextLengthW);
}

// CP1252 <-> CP437, in place or not, '?' where the other page lacks the letter.
TEST_F(SimWin32, OemConversionsInPlaceAndBack) {
    const struct {
        BOOL (*convert)(LPCSTR, LPSTR);
        const char* from;
        const char* to;
    } cases[] = {
        {CharToOemA, "caf\xE9 \x80 \x81 ok", "caf\x82 ? ? ok"},
        {CharToOemA, "\xC4\xFC", "\x8E\x81"},                                  // Ä ü
        {OemToCharA, "R\x82sum\x82 \xB0 na\x8Bve", "R\xE9sum\xE9 ? na\xEFve"}, // no shade in CP1252
        {OemToCharA, "\x8E\xE1", "\xC4\xDF"},                                  // Ä ß
    };
    for (const auto& c : cases) {
        char text[32], out[32];
        std::strcpy(text, c.from);
        EXPECT_TRUE(c.convert(c.from, out));
        EXPECT_TRUE(c.convert(text, text));
        EXPECT_STREQ(c.to, out);
        EXPECT_STREQ(c.to, text);
        EXPECT_FALSE(c.convert(nullptr, out));
        EXPECT_FALSE(c.convert("a", nullptr));
    }
    EXPECT_EQ(8u, simwin::Calls().charToOem);
    EXPECT_EQ(8u, simwin::Calls().oemToChar);
    EXPECT_LT(lstrcmpA(nullptr, "a"), 0);
    EXPECT_EQ(0, lstrcmpA(nullptr, nullptr));
    EXPECT_GT(lstrcmpA("\xE9", "z"), 0);

    // The two conversions undo each other for every ANSI letter that the OEM page has.
    int roundTrips = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char ansi[2] = {static_cast<char>(byte), '\0'};
        char oem[2], back[2];
        CharToOemA(ansi, oem);
        if (oem[0] != '?') {
            OemToCharA(oem, back);
            EXPECT_EQ(ansi[0], back[0]) << "ANSI byte " << byte << " came back changed";
            ++roundTrips;
        }
    }
    EXPECT_GT(roundTrips, 50) << "CP437 holds most of CP1252's accented letters";
}

TEST_F(SimWin32, RegistryCreatesParentsAndIgnoresCase) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velumo", 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, &disposition));
    EXPECT_EQ(1u, disposition);
    EXPECT_TRUE(simwin::RegistryKeyExists("SOFTWARE"));
    const BYTE value[] = {1, 0, 0, 0};
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Mode", 0, REG_DWORD, value, sizeof value));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "MODE", 0, REG_SZ, value, 2));
    ASSERT_EQ(2u, simwin::RegistryWrites().size());
    EXPECT_EQ("Software\\Velumo", simwin::RegistryWrites()[1].keyPath);
    EXPECT_EQ("Mode", simwin::RegistryWrites()[1].name);

    HKEY again = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "software\\VELUMO", 0, nullptr, 0,
                                             KEY_QUERY_VALUE, nullptr, &again, &disposition));
    EXPECT_EQ(2u, disposition);
    EXPECT_NE(key, again);
    EXPECT_EQ(2, simwin::OpenRegistryKeyCount());
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(again, "Mode", 0, REG_DWORD, value, 4));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\Velumo", 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(again, "Missing\\Deeper", 0, KEY_QUERY_VALUE, &key));
    simwin::ResetRegistry();
    EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(again));
}

TEST_F(SimWin32, RegistryQueryReportsSizesAndMissingValues) {
    simwin::SeedRegistryValue("Software\\Velumo", "Title", REG_SZ, {'a', 'b', 'c', 0});
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "software\\velumo", 0, KEY_QUERY_VALUE, &key));
    DWORD type = 0, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "TITLE", nullptr, &type, nullptr, &size));
    EXPECT_EQ(4u, size);
    BYTE data[8] = {9, 9, 9, 9};
    size = 3;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Title", nullptr, &type, data, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(9, data[0]);
    size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Title", nullptr, &type, data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ("abc", reinterpret_cast<const char*>(data));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Other", nullptr, &type, data, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, nullptr, nullptr, &type, data, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

} // namespace
