// Tests of the simulated Win32 subset itself: the product's tests trust these behaviours.
#include "far1_fixture.h"
#include "sim_desktop.h"
#include "windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using SimWin32 = DesktopTest;

struct Visit {
    std::vector<HWND> seen;
    std::function<void(HWND)> during; // what the callback does to the desktop
};

BOOL CALLBACK Record(HWND window, LPARAM context) {
    auto* visit = reinterpret_cast<Visit*>(context);
    visit->seen.push_back(window);
    if (visit->during) {
        visit->during(window);
    }
    return TRUE;
}

std::vector<HWND> Enumerate(std::function<void(HWND)> during = {}) {
    Visit visit{{}, std::move(during)};
    EXPECT_EQ(TRUE, EnumWindows(Record, reinterpret_cast<LPARAM>(&visit)));
    return visit.seen;
}

TEST_F(SimWin32, EnumerationWalksASnapshotTopFirst) {
    const HWND a = simwin::CreateTestWindow("a"), b = simwin::CreateTestWindow("b");
    const HWND c = simwin::CreateTestWindow("c"), d = simwin::CreateTestWindow("d");
    EXPECT_EQ((std::vector<HWND>{d, c, b, a}), Enumerate());

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

BOOL CALLBACK StopAtFirst(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return FALSE;
}

TEST_F(SimWin32, CallbackReturningZeroStops) {
    simwin::CreateTestWindow("a");
    const HWND b = simwin::CreateTestWindow("b");
    std::vector<HWND> seen;
    EnumWindows(StopAtFirst, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ((std::vector<HWND>{b}), seen);
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
    EXPECT_EQ(0u, simwin::LiveWindowCount());
    EXPECT_EQ(nullptr, simwin::ForegroundWindow());
    simwin::ResetDesktop();
    EXPECT_NE(dead, simwin::CreateTestWindow("gone"));
    EXPECT_FALSE(IsWindow(dead));
}

TEST_F(SimWin32, ParentAndOwnerRules) {
    const HWND top = simwin::CreateTestWindow("top");
    auto make = [&](DWORD style) {
        simwin::WindowSpec wanted;
        wanted.owner = wanted.parent = top;
        wanted.style = style;
        return simwin::CreateTestWindow(wanted);
    };
    const HWND child = make(WS_CHILD), popup = make(WS_POPUP), owned = make(0);
    EXPECT_EQ(top, GetParent(child));
    EXPECT_EQ(top, GetParent(popup));
    EXPECT_EQ(nullptr, GetParent(owned));
    EXPECT_EQ(top, GetWindow(owned, GW_OWNER));
    EXPECT_EQ(nullptr, GetWindow(owned, 0));
    EXPECT_EQ(nullptr, GetParent(top));

    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child)); // a child shows only inside a visible parent
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), GetWindowLongA(popup, GWL_STYLE));
    EXPECT_EQ(0, GetWindowLongA(popup, 0));
}

TEST_F(SimWin32, ShowingLeavesForegroundAndForegroundRaises) {
    const HWND a = simwin::CreateTestWindow("a", false), b = simwin::CreateTestWindow("b");
    EXPECT_FALSE(ShowWindow(a, SW_SHOW)); // it was hidden
    EXPECT_TRUE(ShowWindow(a, SW_SHOW));
    EXPECT_EQ(nullptr, simwin::ForegroundWindow());
    EXPECT_TRUE(SetForegroundWindow(a));
    EXPECT_EQ(a, simwin::ForegroundWindow());
    EXPECT_EQ((std::vector<HWND>{a, b}), simwin::ZOrder());
    EXPECT_EQ(2u, simwin::Calls().showWindow);
}

TEST_F(SimWin32, WindowTextLimitCountsTheTerminator) {
    const HWND window = simwin::CreateTestWindow(std::string("Hello\0hidden", 12));
    EXPECT_EQ(5, GetWindowTextLengthA(window));
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(4, GetWindowTextA(window, buffer, 5));
    EXPECT_STREQ("Hell", buffer);
    EXPECT_EQ('x', buffer[5]);
    EXPECT_EQ(0, GetWindowTextA(window, buffer, 1));
    EXPECT_STREQ("", buffer);
    buffer[0] = 'x';
    EXPECT_EQ(0, GetWindowTextA(window, buffer, 0));
    EXPECT_EQ('x', buffer[0]);
    EXPECT_EQ(5, GetWindowTextA(window, buffer, sizeof buffer));
    EXPECT_STREQ("Hello", buffer);
}

std::u16string WideText(HWND window) {
    WCHAR buffer[64];
    const int length = GetWindowTextW(window, buffer, 64);
    return std::u16string(buffer, static_cast<size_t>(length));
}

std::string AnsiText(HWND window) {
    char buffer[64];
    const int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(length));
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
    EXPECT_THROW(simwin::Utf16FromUtf8("caf\xE9"), std::invalid_argument);
}

TEST_F(SimWin32, EveryAnsiTitleByteSurvivesTheWideTitle) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every += static_cast<char>(byte);
    }
    const HWND window = simwin::CreateTestWindow(every);
    char ansi[300];
    ASSERT_EQ(255, GetWindowTextA(window, ansi, sizeof ansi));
    EXPECT_EQ(every, std::string(ansi, 255));
    WCHAR wide[300];
    ASSERT_EQ(255, GetWindowTextW(window, wide, 300));
    EXPECT_EQ(u'é', wide[0xE9 - 1]);
    EXPECT_EQ(u'€', wide[0x80 - 1]);
    for (const int unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(unassigned, wide[unassigned - 1]) << "as Windows maps the unassigned bytes";
    }
}

TEST_F(SimWin32, WideTextLimitCountsTheTerminatorAndMaySplitAPair) {
    std::u16string title = u"ab🙂c";
    title += u'\0';
    title += u"hidden";
    const HWND window = simwin::CreateTestWindow(title);
    EXPECT_EQ(5, GetWindowTextLengthW(window));
    EXPECT_EQ("ab??c", AnsiText(window));
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    EXPECT_EQ(3, GetWindowTextW(window, buffer, 4)); // ends inside the pair: its first half stays
    EXPECT_EQ(std::u16string(u"ab\xD83D"), std::u16string(buffer));
    EXPECT_EQ(u'x', buffer[4]);
    EXPECT_EQ(0, GetWindowTextW(window, buffer, 1));
    EXPECT_EQ(u'\0', buffer[0]);
    for (const int limit : {0, -1}) {
        buffer[0] = u'x';
        EXPECT_EQ(0, GetWindowTextW(window, buffer, limit));
        EXPECT_EQ(u'x', buffer[0]);
    }
    EXPECT_EQ(0, GetWindowTextW(window, nullptr, 8));
    EXPECT_EQ(5, GetWindowTextW(window, buffer, 8));
    EXPECT_EQ(u"ab🙂c", std::u16string(buffer));
    EXPECT_EQ(6u, simwin::Calls().getWindowTextW);
    EXPECT_EQ(1u, simwin::Calls().getWindowTextLengthW);
}

TEST_F(SimWin32, CharToOemConvertsCp1252ToCp437InPlace) {
    char text[] = "caf\xE9 \x80 \x81 ok";
    EXPECT_TRUE(CharToOemA(text, text));
    EXPECT_STREQ("caf\x82 ? ? ok", text);
    char out[4];
    EXPECT_TRUE(CharToOemA("\xC4\xFC", out)); // Ä ü
    EXPECT_STREQ("\x8E\x81", out);
    EXPECT_FALSE(CharToOemA(nullptr, out));
    EXPECT_EQ(3u, simwin::Calls().charToOem);
    EXPECT_LT(lstrcmpA(nullptr, "a"), 0);
    EXPECT_EQ(0, lstrcmpA(nullptr, nullptr));
    EXPECT_GT(lstrcmpA("\xE9", "z"), 0);
}

TEST_F(SimWin32, OemToCharConvertsCp437ToCp1252InPlace) {
    char text[] = "R\x82sum\x82 \xB0 na\x8Bve"; // é é, a light shade, ï
    EXPECT_TRUE(OemToCharA(text, text));
    EXPECT_STREQ("R\xE9sum\xE9 ? na\xEFve", text); // no shade in CP1252
    char out[4];
    EXPECT_TRUE(OemToCharA("\x8E\xE1", out)); // Ä ß
    EXPECT_STREQ("\xC4\xDF", out);
    EXPECT_FALSE(OemToCharA(nullptr, out));
    EXPECT_FALSE(OemToCharA("a", nullptr));
    EXPECT_EQ(4u, simwin::Calls().oemToChar);
    EXPECT_EQ(0u, simwin::Calls().charToOem);

    // The two conversions undo each other for every ANSI letter that the OEM page has.
    int roundTrips = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char ansi[2] = {static_cast<char>(byte), '\0'};
        char oem[2], back[2];
        CharToOemA(ansi, oem);
        if (oem[0] == '?') {
            continue;
        }
        OemToCharA(oem, back);
        EXPECT_EQ(ansi[0], back[0]) << "ANSI byte " << byte << " came back changed";
        ++roundTrips;
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

TEST_F(SimWin32, RegistryFailureKnobs) {
    HKEY key = nullptr;
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &key, nullptr));
    EXPECT_FALSE(simwin::RegistryKeyExists("A"));
    simwin::FailRegistryCall(simwin::RegistryCall::Create, ERROR_SUCCESS);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    simwin::FailRegistryCall(simwin::RegistryCall::Close, ERROR_INVALID_HANDLE);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(1, simwin::OpenRegistryKeyCount()); // a failed close leaks the key
    simwin::FailRegistryCall(simwin::RegistryCall::Close, ERROR_SUCCESS);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(0, simwin::OpenRegistryKeyCount());
}

} // namespace
