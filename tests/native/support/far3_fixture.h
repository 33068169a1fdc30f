// The gtest fixture of the FAR 3 tests: the linked-in FAR 3 front end started in the FAR 3
// stand-in as FAR 3 starts it, with the helpers the tests share.
#pragma once

#include "far1_fixture.h"
#include "far3/entry_points.h"
#include "far3_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Starts the linked-in FAR 3 front end in the stand-in with the English messages and `settings`
// in FAR's store: GetGlobalInfoW, SetStartupInfoW, GetPluginInfoW. False when FAR would refuse it.
bool StartFar3(const std::vector<far3host::StoredSetting>& settings = {});

// What the stand-in noted that FAR would warn about, one line each; empty when nothing.
std::string Far3Anomalies();

// Every test starts with the plug-in loaded over an empty store and must end with nothing FAR
// would complain about, every settings handle freed and no dialog left open.
class Far3Test : public DesktopTest {
  protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_GE(Far3EnglishMessages().size(), kMessageCount)
            << "VelumoEng.lng (VELUMO_LANG_DIR_FAR3) not read";
        ASSERT_TRUE(StartFar3()) << Far3Anomalies();
    }
    void TearDown() override {
        EXPECT_EQ("", Far3Anomalies());
        EXPECT_EQ(0u, far3host::OpenSettingsHandles());
        EXPECT_EQ(0u, far3host::OpenDialogs());
        DesktopTest::TearDown();
    }

    static const far3host::Text& Msg(int id) { return Far3EnglishMessages()[id]; }
    // A listing straight from GetFindDataW, held until GiveBack hands it back as FAR does.
    static far3::GetFindDataInfo TakeListing(HANDLE panel) {
        far3::GetFindDataInfo find = {sizeof(find), panel, nullptr, 0, 0, nullptr};
        EXPECT_EQ(1, GetFindDataW(&find)) << "0 would close the panel";
        EXPECT_EQ(find.ItemsNumber == 0, find.PanelItem == nullptr);
        return find;
    }
    static void GiveBack(const far3::GetFindDataInfo& find) {
        far3::FreeFindDataInfo release = {sizeof(release), find.hPanel, find.PanelItem,
                                          find.ItemsNumber, nullptr};
        FreeFindDataW(&release);
    }
    // '1' for a visible window, '0' for a hidden one, in the order given.
    static std::string Visibility(const std::vector<HWND>& windows) {
        std::string marks;
        for (HWND window : windows) {
            marks += IsWindowVisible(window) ? '1' : '0';
        }
        return marks;
    }
};
