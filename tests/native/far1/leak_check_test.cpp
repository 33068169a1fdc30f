// Ten thousand FAR 1.x listings taken and handed back over a desktop that changes between and
// during them (ListOverAChangingDesktop), and ten thousand with an allocation failing, leave no
// block behind.
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
    ASSERT_GT(ListAndHandBack(panel), 10) << "the desktop should list windows of several kinds";
    const auto toggle = [panel](HWND window) {
        far1::PluginPanelItem item = PanelItemFor(window);
        far1host::Plugin().DeleteFiles(panel, &item, 1, 0);
    };
    const auto hide = [](const char* text) {
        far1host::Plugin().ClosePlugin(far1host::OpenFromCommandLine(text));
    };
    const size_t listed = ListOverAChangingDesktop(
        windows_, {[&] { return static_cast<size_t>(ListAndHandBack(panel)); }, toggle, hide});
    far1host::Plugin().ClosePlugin(panel);

    EXPECT_GT(listed, 10u * kCycles) << "the listings should have gone on listing the desktop";
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
