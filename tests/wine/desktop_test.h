// What both Wine suites share: a desktop of the test process's own (made by wine_main.cpp
// before any window exists), the test's own real top-level windows, and checks on them that
// keep the caller's file and line, in the manner of Wine's ok() helpers.
//
// Wine puts hidden helper windows of its own on every desktop ("Default IME", WineDdeServerName,
// Shell_TrayWnd...). The plug-in may list some of them, so the suites look only at listed items
// whose windows the test made itself (IsOwnWindow). TearDown destroys the test's windows, which
// frees their slots in Velumo's process-wide table of hidden windows.
#pragma once

#include "window_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace winetest {

using harness::HandleText;
using harness::PumpMessages;

constexpr DWORD kVisibleWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr DWORD kInvisibleWindow = WS_OVERLAPPEDWINDOW;

// Set by main() before the tests run: empty when the test desktop could be made, else why not.
extern std::string g_desktopError;

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A window titled in the ANSI code page, or in UTF-16 exactly as given.
    HWND MakeWindow(const std::string& title, DWORD style = kVisibleWindow, HWND owner = nullptr);
    HWND MakeWindowW(const std::wstring& title, DWORD style = kVisibleWindow);
    bool IsOwnWindow(HWND window) const;
    // This test's live windows in z-order, topmost first, as EnumWindows reports them.
    std::vector<HWND> OwnZOrder() const;
    // Makes `window` the foreground window and the top of this test's z-order, by hand.
    void PutInFront(HWND window);
    // Whether `window` is the foreground window and the top of this test's z-order. Under Wine
    // SetForegroundWindow does not raise a window in the z-order (Windows does), so a window at
    // the top after an action is BringWindowToTop's doing.
    void ExpectInFront(const char* file, int line, HWND window) const;
    void DestroyOwnWindow(HWND window); // destroyed between a listing and an action, say

    std::vector<HWND> windows_;

  private:
    HWND Keep(HWND window, const std::string& shownTitle);
};

// A copy of a test program started on the test's desktop (its command line given whole), its
// standard output and error to `output` when one is given; ended when it goes. An emulated
// 32-bit process takes about a minute to start: waits allow five.
class ChildProcess {
  public:
    static constexpr DWORD kMilliseconds = 300000;
    ChildProcess(std::wstring commandLine, HANDLE output);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    HANDLE Handle() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }
    bool End(); // TerminateProcess, and waits until it has ended

  private:
    PROCESS_INFORMATION process_ = {};
};

// Waits for `object` while serving this process's windows (another process's ShowWindow on them
// waits for that); false when `orElse` (a process, or null) ends first or the time is up.
bool WaitServing(HANDLE object, HANDLE orElse);

// One registry value as stored, for comparisons that print what was seen.
struct StoredValue {
    DWORD type;
    std::vector<uint8_t> data;
};
bool operator==(const StoredValue& a, const StoredValue& b);
void PrintTo(const StoredValue& value, std::ostream* out); // how gtest shows it
StoredValue StoredDword(DWORD value);                      // a REG_DWORD of 4 bytes
// Every value of HKCU\<key> by name; empty when the key does not exist.
std::map<std::string, StoredValue> StoredValues(const std::string& key);
bool KeyExists(const std::string& key); // HKCU\<key>
void SeedValue(const std::string& key, const char* name, const StoredValue& value);

std::string Printable(const std::string& bytes); // bytes >= 0x80 and controls as \xNN
std::wstring Widen(const std::string& ascii);
std::string WindowTitle(HWND window);   // in the ANSI code page
std::wstring WholeTitleOf(HWND window); // in UTF-16, however long
// "window 0001009A "Report"" for the messages.
std::string Named(HWND window);
void ExpectVisible(const char* file, int line, HWND window, bool visible);

} // namespace winetest

#define EXPECT_VISIBLE(window) ::winetest::ExpectVisible(__FILE__, __LINE__, window, true)
#define EXPECT_HIDDEN(window) ::winetest::ExpectVisible(__FILE__, __LINE__, window, false)
#define EXPECT_IN_FRONT(window) ExpectInFront(__FILE__, __LINE__, window)
