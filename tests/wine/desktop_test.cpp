#include "desktop_test.h"

#include <algorithm>
#include <cstdio>

namespace winetest {

std::string g_desktopError = "main() did not set up the test desktop";

void DesktopTest::SetUp() {
    ASSERT_TRUE(g_desktopError.empty()) << g_desktopError;
}

void DesktopTest::TearDown() {
    for (HWND window : windows_) {
        DestroyWindow(window);
    }
    windows_.clear();
    PumpMessages();
}

HWND DesktopTest::Keep(HWND window, const std::string& shownTitle) {
    EXPECT_NE(nullptr, window) << "CreateWindowEx \"" << shownTitle << "\" failed, error "
                               << GetLastError();
    if (window != nullptr) {
        windows_.push_back(window);
    }
    PumpMessages();
    return window;
}

HWND DesktopTest::MakeWindow(const std::string& title, DWORD style, HWND owner) {
    return Keep(harness::MakeWindow(title, style, owner), Printable(title));
}

HWND DesktopTest::MakeWindowW(const std::wstring& title, DWORD style) {
    HWND window = Keep(harness::MakeWindowW(title, style), "(UTF-16)");
    EXPECT_TRUE(window == nullptr || WholeTitleOf(window) == title)
        << "Windows keeps another title than the one set";
    return window;
}

void DesktopTest::DestroyOwnWindow(HWND window) {
    auto at = std::find(windows_.begin(), windows_.end(), window);
    ASSERT_TRUE(at != windows_.end()) << "not a window of this test";
    windows_.erase(at);
    EXPECT_TRUE(DestroyWindow(window)) << "DestroyWindow failed, error " << GetLastError();
    PumpMessages();
}

bool DesktopTest::IsOwnWindow(HWND window) const {
    return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

std::vector<HWND> DesktopTest::OwnZOrder() const {
    std::vector<HWND> own;
    for (HWND window : harness::TopLevelWindows()) {
        if (IsOwnWindow(window)) {
            own.push_back(window);
        }
    }
    return own;
}

void DesktopTest::PutInFront(HWND window) {
    ASSERT_TRUE(SetForegroundWindow(window));
    ASSERT_TRUE(BringWindowToTop(window));
    PumpMessages();
    ASSERT_EQ(window, GetForegroundWindow());
    ASSERT_EQ(window, OwnZOrder().front());
}

std::string Printable(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        char escaped[8];
        snprintf(escaped, sizeof(escaped), c < 0x20 || c >= 0x7F ? "\\x%02X" : "%c", c);
        shown += escaped;
    }
    return shown;
}

std::string WindowTitle(HWND window) {
    char title[512];
    int length = GetWindowTextA(window, title, sizeof(title));
    return std::string(title, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring WholeTitleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring title(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const int copied = GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
    title.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return title;
}

std::string Named(HWND window) {
    return "window " + HandleText(window) + " \"" + Printable(WindowTitle(window)) + "\"";
}

void ExpectVisible(const char* file, int line, HWND window, bool visible) {
    const bool seen = IsWindowVisible(window) != FALSE;
    if (seen != visible) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected " << (visible ? "visible" : "hidden") << ", seen "
            << (seen ? "visible" : "hidden");
    }
}

} // namespace winetest
