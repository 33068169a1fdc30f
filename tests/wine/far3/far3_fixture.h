// The fixture of the FAR 3 Wine suite. Every test starts from a fresh host (an empty settings
// store, no calls seen), makes its own real top-level windows with UTF-16 titles (the window
// harness) on the process's own desktop, drives the real DLL through far3host and checks real
// effects with user32. TearDown closes every panel still open (the last close shows again what
// Velumo hid), destroys the windows and fails the test on a settings handle or dialog left open.
//
// Wine's own hidden helper windows share the desktop, so checks of a listing look only at the
// items of windows the test made (OwnItems).
#pragma once

#include "far3_host.h"
#include "window_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace far3test {

using far3host::ListedItem;

constexpr DWORD kVisibleWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr DWORD kInvisibleWindow = WS_OVERLAPPEDWINDOW;

// Set by main() before the tests run: empty when the test desktop could be made, else why not.
extern std::string g_desktopError;

class Far3Test : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    HWND MakeWindow(const std::wstring& title, DWORD style = kVisibleWindow);
    // The listing reduced to the items of this test's windows.
    std::vector<ListedItem> OwnItems(HANDLE panel);
    // Makes `window` the foreground window and the top of the z-order, by hand.
    void PutInFront(HWND window);
    // This test's live windows in z-order, topmost first, as EnumWindows reports them.
    std::vector<HWND> OwnZOrder() const;

    std::vector<HWND> windows_;
};

HWND WindowOf(const ListedItem& item);
// The item of `window`; a failure at the caller's line when it is not listed exactly once.
ListedItem ItemOf(const char* file, int line, const std::vector<ListedItem>& items, HWND window);
std::wstring HandleTextOf(HWND window);
// The whole title as Windows keeps it, however long.
std::wstring WholeTitleOf(HWND window);

void ExpectListed(const char* file, int line, const std::vector<ListedItem>& items, HWND window,
                  const std::wstring& status);
void ExpectNotListed(const char* file, int line, const std::vector<ListedItem>& items, HWND window);
void ExpectVisible(const char* file, int line, HWND window, bool visible);

} // namespace far3test

#define ITEM_OF(items, window) ::far3test::ItemOf(__FILE__, __LINE__, items, window)
// Listed once, with this status text, its handle text and its handle in UserData.Data.
#define EXPECT_LISTED(items, window, status)                                                       \
    ::far3test::ExpectListed(__FILE__, __LINE__, items, window, status)
#define EXPECT_NOT_LISTED(items, window)                                                           \
    ::far3test::ExpectNotListed(__FILE__, __LINE__, items, window)
#define EXPECT_VISIBLE(window) ::far3test::ExpectVisible(__FILE__, __LINE__, window, true)
#define EXPECT_HIDDEN(window) ::far3test::ExpectVisible(__FILE__, __LINE__, window, false)
