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
#include "core/settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace winetest {

// The six settings as the configuration dialog shows them when it opens: AddToDisksMenu, the
// digit field's text, ShowDesktopIcon, ShowOwnerWindow, ShowInvisibleWindow, ShowAllWindowAtExit.
using ShownSettings = std::vector<std::string>;

class Far1Test : public DesktopTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    const far1host::PluginExports& Plugin() const;

    // ---- registry: HKCU\Software\VelumoWineTests\<suite>.<test>, deleted after the test ----
    std::string RootKey() const;     // the root key handed to the plug-in
    std::string SettingsKey() const; // RootKey()\Velumo, where the plug-in keeps its values
    void SeedDword(const char* name, DWORD value);
    std::map<std::string, StoredValue> Stored() const; // every value in the settings key

    // ---- the plug-in ----
    void StartFar1();   // SetStartupInfo with this test's root key: the settings load anew
    HANDLE OpenPanel(); // OpenPlugin from the plug-ins menu
    HANDLE OpenFromCommandLine(const std::string& ansiText); // converted to OEM, as FAR does
    HANDLE OpenFromCommandLineOem(const std::string& oemText);
    void ClosePanel(HANDLE panel);
    // The listing, reduced to the items whose windows this test created.
    std::vector<far1host::ListedItem> OwnItems(HANDLE panel);
    // The settings as the configuration dialog shows them; the dialog is closed with Esc.
    ShownSettings SettingsShownByDialog();

    std::vector<HANDLE> openPanels_;
};

HWND WindowOf(const far1host::ListedItem& item);
// The item for `window`, or null when it is not listed.
const far1host::ListedItem* FindItem(const std::vector<far1host::ListedItem>& items, HWND window);

// A null status: the window is not listed.
void ExpectListed(const char* file, int line, const std::vector<far1host::ListedItem>& items,
                  HWND window, const char* status);

} // namespace winetest

// The window is listed once, with this status text, its handle text and its handle as UserData.
#define EXPECT_LISTED(items, window, status)                                                       \
    ::winetest::ExpectListed(__FILE__, __LINE__, items, window, status)
#define EXPECT_NOT_LISTED(items, window) EXPECT_LISTED(items, window, nullptr)
