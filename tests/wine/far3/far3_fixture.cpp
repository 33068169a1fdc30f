#include "far3_fixture.h"

#include <algorithm>

namespace far3test {

std::string g_desktopError = "main() did not set up the test desktop";

namespace {

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring TitleOf(HWND window) {
    wchar_t title[512];
    int length = GetWindowTextW(window, title, 512);
    return std::wstring(title, length > 0 ? static_cast<size_t>(length) : 0);
}

// "window 0001009A "Отчёт"" for the messages.
::testing::Message Named(HWND window) {
    ::testing::Message message;
    message << "window " << harness::HandleText(window) << " \"" << TitleOf(window) << "\"";
    return message;
}

} // namespace

void Far3Test::SetUp() {
    ASSERT_TRUE(g_desktopError.empty()) << g_desktopError;
    const std::wstring path = Widen(harness::BesideProgram(VELUMO_FAR3_DLL_RELATIVE_PATH));
    const std::string& error = far3host::LoadPlugin(path);
    ASSERT_TRUE(error.empty()) << error << " (the FAR 3 Velumo.dll expected at "
                               << harness::BesideProgram(VELUMO_FAR3_DLL_RELATIVE_PATH) << ")";
    far3host::g_host = far3host::HostState();
}

void Far3Test::TearDown() {
    far3host::CloseAllPanels();
    for (HWND window : windows_) {
        DestroyWindow(window);
    }
    windows_.clear();
    harness::PumpMessages();
    far3host::CheckNothingLeftOpen();
}

HWND Far3Test::MakeWindow(const std::wstring& title, DWORD style) {
    HWND window = harness::MakeWindowW(title, style);
    EXPECT_NE(nullptr, window) << "CreateWindowExW failed, error " << GetLastError();
    if (window != nullptr) {
        windows_.push_back(window);
        EXPECT_EQ(title, TitleOf(window)) << "the title as Windows keeps it";
    }
    harness::PumpMessages();
    return window;
}

std::vector<ListedItem> Far3Test::OwnItems(HANDLE panel) {
    far3host::Listing listing = far3host::ListPanel(panel);
    EXPECT_EQ(1, listing.result) << "GetFindDataW";
    std::vector<ListedItem> own;
    for (const ListedItem& item : listing.items) {
        if (std::find(windows_.begin(), windows_.end(), WindowOf(item)) != windows_.end()) {
            own.push_back(item);
        }
    }
    return own;
}

void Far3Test::PutInFront(HWND window) {
    ASSERT_TRUE(SetForegroundWindow(window));
    ASSERT_TRUE(BringWindowToTop(window));
    harness::PumpMessages();
    ASSERT_EQ(window, GetForegroundWindow());
}

std::vector<HWND> Far3Test::OwnZOrder() const {
    std::vector<HWND> own;
    for (HWND window : harness::TopLevelWindows()) {
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) {
            own.push_back(window);
        }
    }
    return own;
}

HWND WindowOf(const ListedItem& item) {
    return reinterpret_cast<HWND>(item.data);
}

std::wstring HandleTextOf(HWND window) {
    return Widen(harness::HandleText(window));
}

std::wstring WholeTitleOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring title(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const int copied = GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
    title.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return title;
}

ListedItem ItemOf(const char* file, int line, const std::vector<ListedItem>& items, HWND window) {
    const ListedItem* found = nullptr;
    size_t times = 0;
    for (const ListedItem& item : items) {
        if (WindowOf(item) == window) {
            found = &item;
            ++times;
        }
    }
    if (times != 1) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected listed once, seen " << times << " times";
        return ListedItem();
    }
    return *found;
}

void ExpectListed(const char* file, int line, const std::vector<ListedItem>& items, HWND window,
                  const std::wstring& status) {
    ListedItem item = ItemOf(file, line, items, window);
    if (WindowOf(item) != window) {
        return;
    }
    const std::wstring handle = HandleTextOf(window);
    if (item.status != status || item.handleText != handle || item.columnCount != 2) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected status \"" << status << "\", handle \"" << handle
            << "\", 2 columns; seen \"" << item.status << "\", \"" << item.handleText << "\", "
            << item.columnCount;
    }
}

void ExpectNotListed(const char* file, int line, const std::vector<ListedItem>& items,
                     HWND window) {
    for (const ListedItem& item : items) {
        if (WindowOf(item) == window) {
            ADD_FAILURE_AT(file, line) << Named(window) << ": expected not listed, seen with "
                                       << "status \"" << item.status << "\"";
            return;
        }
    }
}

void ExpectVisible(const char* file, int line, HWND window, bool visible) {
    const bool seen = IsWindowVisible(window) != FALSE;
    if (seen != visible) {
        ADD_FAILURE_AT(file, line)
            << Named(window) << ": expected " << (visible ? "visible" : "hidden") << ", seen "
            << (seen ? "visible" : "hidden");
    }
}

} // namespace far3test
