// Tests of the simulated Win32 subset itself, for the behaviours no product test pins down: what
// the enumeration reports when the desktop changes under it, the code pages' round trip, and the
// registry's refusals that the product's own calls never provoke.
#include "far1_fixture.h"
#include "windows_api.h"

#include <cstring>
#include <functional>

namespace {

using SimWin32 = DesktopTest;

std::vector<HWND> Enumerate(std::function<void(HWND)> during = {}) {
    struct Visit {
        std::vector<HWND> seen;
        std::function<void(HWND)> during;
    } visit{{}, std::move(during)};
    const auto record = [](HWND window, LPARAM context) -> BOOL {
        auto* v = reinterpret_cast<Visit*>(context);
        v->seen.push_back(window);
        if (v->during) {
            v->during(window);
        }
        return TRUE;
    };
    EXPECT_EQ(TRUE, EnumWindows(record, reinterpret_cast<LPARAM>(&visit)));
    return visit.seen;
}

// The enumeration walks a snapshot, top first, and passes over windows destroyed since; the hook
// runs before each window is reported and may destroy that very window.
TEST_F(SimWin32, EnumerationWalksASnapshotAndTheHookRunsBeforeEachWindow) {
    const HWND a = simwin::CreateTestWindow("a"), b = simwin::CreateTestWindow("b");
    const HWND c = simwin::CreateTestWindow("c"), d = simwin::CreateTestWindow("d");
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

    std::vector<HWND> hooked;
    simwin::SetEnumerationHook([&](HWND window) {
        hooked.push_back(window);
        if (window == d) {
            simwin::DestroyTestWindow(d);
        }
    });
    EXPECT_EQ((std::vector<HWND>{created, a, c}), Enumerate());
    EXPECT_EQ((std::vector<HWND>{created, a, d, c}), hooked);
}

// The two conversions undo each other for every ANSI letter that the OEM page has; a letter the
// other page lacks becomes '?', and a surrogate pair two of them.
TEST_F(SimWin32, CodePagesConvertAndRoundTrip) {
    const HWND window = simwin::CreateTestWindow(u"Отчёт — €ƒ 🙂");
    char ansi[32], oem[32];
    GetWindowTextA(window, ansi, sizeof ansi);
    EXPECT_STREQ("????? \x97 \x80\x83 ??", ansi);
    CharToOemA(ansi, oem);
    EXPECT_STREQ("????? ? ?\x9F ??", oem);
    int roundTrips = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char letter[2] = {static_cast<char>(byte), '\0'};
        char back[2];
        CharToOemA(letter, oem);
        if (oem[0] != '?') {
            OemToCharA(oem, back);
            EXPECT_EQ(letter[0], back[0]) << "ANSI byte " << byte << " came back changed";
            ++roundTrips;
        }
    }
    EXPECT_GT(roundTrips, 50) << "CP437 holds most of CP1252's accented letters";
}

TEST_F(SimWin32, RegistryRefusesWhatWindowsRefuses) {
    HKEY key = nullptr, again = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velumo", 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, &disposition));
    EXPECT_EQ(1u, disposition);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "software\\VELUMO", 0, nullptr, 0,
                                             KEY_QUERY_VALUE, nullptr, &again, &disposition));
    EXPECT_EQ(2u, disposition) << "key names ignore case";
    const BYTE value[] = {1, 0, 0, 0};
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(again, "Mode", 0, REG_DWORD, value, 4));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Mode", 0, REG_DWORD, value, 4));
    DWORD type = 0, size = 3;
    BYTE data[4] = {9};
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(again, "MODE", nullptr, &type, data, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(9, data[0]) << "nothing is written into a short buffer";
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\Velumo", 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(1, simwin::OpenRegistryKeyCount());
    simwin::ResetRegistry();
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(again));
}

} // namespace
