// The FAR 1.x Wine suite's fixture. Every test makes its own real top-level windows
// (desktop_test.h), starts the real Velumo.dll through far1host, the FAR 1.x stand-in in sim/far1,
// with a registry root key of its own, acts only through the plug-in's exports, and checks real
// effects with user32 and advapi32.
//
// Velumo's table of hidden windows and its count of open panels are process-wide and live as
// long as the DLL, which stays loaded for the whole process. ctest runs every case in a process
// of its own; so that the cases also hold when the executable runs them all in one process,
// TearDown closes every panel still open (the host's and the test's own) before the windows go.
#pragma once

#include "../desktop_test.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace winetest {

constexpr unsigned kPkfControl = 1; // the host's PKF_CONTROL: Ctrl held with the key

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

class Far1Test : public DesktopTest {
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

    std::vector<HANDLE> openPanels_;
};

// The host's copies of listed items, as FAR hands them to DeleteFiles or reports them selected.
std::vector<far1::PluginPanelItem>
PanelItemsOf(const std::vector<const far1host::ListedItem*>& items);
HWND WindowOf(const far1host::ListedItem& item);
// The item for `window`, or null when it is not listed.
const far1host::ListedItem* FindItem(const std::vector<far1host::ListedItem>& items, HWND window);

void ExpectListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                  HWND window, const char* status);
void ExpectNotListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                     HWND window);

} // namespace winetest

// The window is listed once, with this status text, its handle text and its handle as UserData.
#define EXPECT_LISTED(items, window, status)                                                       \
    ::winetest::ExpectListed(__FILE__, __LINE__, items, window, status)
#define EXPECT_NOT_LISTED(items, window)                                                           \
    ::winetest::ExpectNotListed(__FILE__, __LINE__, items, window)
