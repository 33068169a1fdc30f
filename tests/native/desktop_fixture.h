// A test fixture that gives every test a clean process: an empty simulated desktop and registry,
// no enumeration hook, zeroed call counts, the default settings, an empty hidden-window table
// and no open panel.
#pragma once

#include "catalogue/hidden_window_table.h"
#include "host/window_panel.h"
#include "settings/settings.h"
#include "far_host.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#ifndef VELUMO_LANG_DIR
#error "VELUMO_LANG_DIR must be defined as a string literal"
#endif

// The plug-in root key the tests give Velumo as FAR would, and Velumo's settings key below it.
inline constexpr char kFarPluginsRoot[] = "Software\\Far\\Plugins";
inline constexpr char kVelumoKeyPath[] = "Software\\Far\\Plugins\\Velumo";

// The messages of lang/VelumoEng.lng, as the host stand-in serves them.
inline std::vector<std::string> EnglishMessages() {
    std::vector<std::string> messages;
    std::string language;
    EXPECT_TRUE(farhost::LoadLanguageFile(VELUMO_LANG_DIR "/VelumoEng.lng", &messages, &language));
    return messages;
}

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
        g_openPanelCount = 0;
    }
};

// The six settings in record order, for comparing whole records in one expectation.
inline std::vector<int32_t> SettingsFields(const Settings& s) {
    return {s.AddToDisksMenu,  s.DisksMenuDigit,      s.ShowDesktopIcon,
            s.ShowOwnerWindow, s.ShowInvisibleWindow, s.ShowAllWindowAtExit};
}
