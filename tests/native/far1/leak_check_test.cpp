// Ten thousand FAR 1.x listings taken and handed back over a desktop that changes between and
// during them, and ten thousand with an allocation failing, leave no block behind.
#include "far1_fixture.h"
#include "leak_check.h"

namespace {

constexpr int kCycles = 10000;
constexpr int kWindows = 36;

class LeakCheck : public Far1Test {
  protected:
    void SetUp() override {
        Far1Test::SetUp();
#ifndef VELUMO_HAVE_LSAN
        GTEST_SKIP() << "built without AddressSanitizer, so LeakSanitizer is not there to ask";
#endif
        ExpectNoLeakYet();
        heapcalls::ResetCounts();
    }

    // One listing as FAR takes it: the items are read, then handed back.
    int ListAndHandBack(HANDLE panel) {
        far1::PluginPanelItem* items = nullptr;
        int count = -1;
        EXPECT_EQ(1, far1host::Plugin().GetFindData(panel, &items, &count, 0));
        far1host::Plugin().FreeFindData(panel, items, count);
        return count;
    }

    std::vector<HWND> windows_;
};

TEST_F(LeakCheck, TenThousandListingsOverAChangingDesktopLeaveNothingBehind) {
    windows_ = MakeVariedDesktop(kWindows);
    g_settings.ShowOwnerWindow = 1;
    HANDLE panel = far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, panel);
    const int listedAtStart = ListAndHandBack(panel);
    ASSERT_GT(listedAtStart, 10) << "the desktop should list windows of several kinds";

    // Every 500 listings the desktop changes between listings (the plug-in hides or shows a
    // window, another program shows one, a title changes); every 1000 listings a window is
    // destroyed and another created while the enumeration is under way.
    long listed = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const HWND some = windows_[static_cast<size_t>(cycle / 500) % windows_.size()];
        if (cycle % 500 == 250) {
            far1::PluginPanelItem item = PanelItemFor(some);
            far1host::Plugin().DeleteFiles(panel, &item, 1, 0);
            simwin::SetTestWindowVisible(windows_[1], cycle % 1000 == 250);
            simwin::SetTestWindowTitle(some, "Renamed " + std::to_string(cycle));
        }
        if (cycle % 1000 == 999) {
            simwin::SetEnumerationHook([this](HWND reported) {
                if (reported == windows_.back()) {
                    simwin::DestroyTestWindow(reported);
                    windows_.push_back(simwin::CreateTestWindow("Created while listing"));
                }
            });
        }
        listed += ListAndHandBack(panel);
        simwin::SetEnumerationHook({});
    }
    far1host::Plugin().ClosePlugin(panel);

    EXPECT_GT(listed, 10L * kCycles) << "the listings should have gone on listing the desktop";
    ExpectNothingLeaked();
}

TEST_F(LeakCheck, TenThousandListingsWithFailingAllocationsLeaveNothingBehind) {
    windows_ = MakeVariedDesktop(kWindows);
    HANDLE panel = far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, panel);
    const int complete = ListAndHandBack(panel);

    // Fail one allocation at a different place in every listing: the growth of the array or
    // one of an entry's three small blocks, early and late in the enumeration.
    int shortened = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const int nth = 1 + cycle % (complete + 1);
        heapcalls::FailNthCall(cycle % 2 == 0 ? heapcalls::Call::Realloc : heapcalls::Call::Malloc,
                               cycle % 3 == 0 ? nth : 3 * nth);
        if (ListAndHandBack(panel) < complete) {
            ++shortened;
        }
        heapcalls::ClearFailures();
    }
    far1host::Plugin().ClosePlugin(panel);

    EXPECT_GT(shortened, kCycles / 4) << "the failures should have left windows out";
    EXPECT_EQ(complete, [&] {
        HANDLE again = far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
        const int count = ListAndHandBack(again);
        far1host::Plugin().ClosePlugin(again);
        return count;
    }()) << "a listing without failures lists every window again";
    ExpectNothingLeaked();
}

} // namespace
