// The Wine suite's fixture. Every test makes its own top-level windows (the window harness,
// harness/) on a desktop of the test process's own (see wine_test_main.cpp), starts the real
// Velumo.dll through far1host with a registry root key of its own, acts only through the
// plug-in's exports, and checks real effects with user32 and advapi32.
//
// Wine puts hidden helper windows of its own on every desktop (seen under Wine 8: "Default
// IME" windows of class IME, WineDdeServerName, WineDdeEventClass, Shell_TrayWnd). The plug-in
// may list some of them (with ShowInvisibleWindow set, the titled "Default IME" ones), so the
// tests look only at listed items whose handles they created themselves (OwnItems).
//
// Velumo's table of hidden windows and its count of open panels are process-wide and live as
// long as the DLL, which stays loaded for the whole process. ctest runs every case in a process
// of its own; so that the cases also hold when the executable runs them all in one process,
// each test restores what it hid (closing its last panel with ShowAllWindowAtExit set) and
// TearDown closes every panel still open (the host's and the test's own) and destroys its
// windows, which frees their slots.
#pragma once

#include "window_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace winetest {

using harness::HandleText;
using harness::PumpMessages;

constexpr DWORD kVisibleWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr DWORD kInvisibleWindow = WS_OVERLAPPEDWINDOW;
constexpr unsigned kPkfControl = 1; // the host's PKF_CONTROL: Ctrl held with the key

// Set by main() before the tests run: empty when the test desktop could be made, else why not.
extern std::string g_desktopError;

// The value of one registry value as stored, for comparisons that print what was seen.
struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::vector<uint8_t> data;
};
bool operator==(const StoredValue& a, const StoredValue& b);
void PrintTo(const StoredValue& value, std::ostream* out); // how gtest shows it
StoredValue StoredDword(DWORD value);                      // a present REG_DWORD of 4 bytes

// The six settings as the configuration dialog shows them when it opens.
struct ShownSettings {
    int addToDisksMenu;
    std::string disksMenuDigit; // the digit field's text
    int showDesktopIcon;
    int showOwnerWindow;
    int showInvisibleWindow;
    int showAllWindowAtExit;
};

class WineDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    const far1host::PluginExports& Plugin() const;

    // ---- registry: HKCU\Software\VelumoWineTests\<suite>.<test>, deleted after the test ----
    std::string RootKey() const;     // the root key handed to the plug-in
    std::string SettingsKey() const; // RootKey()\Velumo, where the plug-in keeps its values
    void SeedValue(const char* name, DWORD type, const void* data, DWORD size);
    void SeedDword(const char* name, DWORD value);
    StoredValue ReadStored(const char* name) const;
    std::vector<std::string> StoredValueNames() const; // every value in the settings key
    bool KeyExists(const std::string& path) const;

    // ---- the plug-in ----
    void StartFar1();   // SetStartupInfo with this test's root key: the settings load anew
    HANDLE OpenPanel(); // OpenPlugin from the plug-ins menu
    HANDLE OpenFromCommandLine(const std::string& ansiText); // converted to OEM, as FAR does
    HANDLE OpenFromCommandLineOem(const std::string& oemText);
    void ClosePanel(HANDLE panel);
    // The host's panels (far1host::PanelAt): what a FAR user does in the active panel, with the
    // messages handled afterwards. The host closes the instances it replaces or is asked to.
    HANDLE OpenInActivePanel();                       // F11, Velumo
    HANDLE TypeCommand(const std::string& command);   // a command line, ANSI as typed
    int EnterDirectory(const std::string& directory); // Enter on a directory
    // The listing, reduced to the items whose windows this test created.
    std::vector<far1host::ListedItem> OwnItems(HANDLE panel);
    // The settings as the configuration dialog shows them; the dialog is closed with Esc.
    ShownSettings SettingsShownByDialog();

    // ---- windows ----
    HWND MakeWindow(const std::string& title, DWORD style = kVisibleWindow, HWND owner = nullptr);
    void DestroyOwnWindow(HWND window);
    bool IsOwnWindow(HWND window) const;
    // This test's live windows in z-order, topmost first, as EnumWindows reports them.
    std::vector<HWND> OwnZOrder() const;

    std::vector<HWND> windows_;
    std::vector<HANDLE> openPanels_;
};

// The host's copies of listed items, as FAR hands them to DeleteFiles or reports them selected.
std::vector<far1::PluginPanelItem>
PanelItemsOf(const std::vector<const far1host::ListedItem*>& items);
HWND WindowOf(const far1host::ListedItem& item);
// The item for `window`, or null when it is not listed.
const far1host::ListedItem* FindItem(const std::vector<far1host::ListedItem>& items, HWND window);
std::string Printable(const std::string& bytes); // bytes >= 0x80 and controls as \xNN
std::string WindowTitle(HWND window);

// Checks that keep the caller's file and line, in the manner of Wine's ok() helpers.
void ExpectListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                  HWND window, const char* status);
void ExpectNotListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                     HWND window);
void ExpectVisible(const char* file, int line, HWND window, bool visible);

} // namespace winetest

// The window is listed once, with this status text, its handle text and its handle as UserData.
#define EXPECT_LISTED(items, window, status)                                                       \
    ::winetest::ExpectListed(__FILE__, __LINE__, items, window, status)
#define EXPECT_NOT_LISTED(items, window)                                                           \
    ::winetest::ExpectNotListed(__FILE__, __LINE__, items, window)
#define EXPECT_VISIBLE(window) ::winetest::ExpectVisible(__FILE__, __LINE__, window, true)
#define EXPECT_HIDDEN(window) ::winetest::ExpectVisible(__FILE__, __LINE__, window, false)
