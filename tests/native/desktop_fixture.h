// A test fixture that gives every test a clean process: an empty simulated desktop and registry,
// no enumeration hook, zeroed call counts, the default settings and an empty hidden-window table.
#pragma once

#include "catalogue/hidden_window_table.h"
#include "settings/settings.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    static void ResetProcessState() {
        simwin::SetEnumerationHook({});
        simwin::ResetDesktop();
        simwin::ResetRegistry();
        simwin::ResetCallCounts();
        g_settings = kDefaultSettings;
        g_hiddenWindows = HiddenWindowTable{};
    }
};

// The six settings in record order, for comparing whole records in one expectation.
inline std::vector<int32_t> SettingsFields(const Settings& s) {
    return {s.AddToDisksMenu,  s.DisksMenuDigit,      s.ShowDesktopIcon,
            s.ShowOwnerWindow, s.ShowInvisibleWindow, s.ShowAllWindowAtExit};
}
