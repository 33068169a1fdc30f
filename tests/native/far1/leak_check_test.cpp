// Leak checks with LeakSanitizer: ten thousand listings taken and handed back through the host's
// entry points, over a desktop of a few dozen windows that changes between and during the
// listings, and with allocations failing in the middle of listings, must leave no block behind.
// A control test leaks one block on purpose and checks that the same leak check reports it, so
// that a pass of the others cannot come from a leak check that sees nothing.
//
// Each check scans the whole process, so a test starts by making sure that no earlier test in
// the same process left a leak behind (ctest runs every test in a process of its own).
#include "core/hidden_window_table.h"
#include "far1_host.h"
#include "far1_plugin.h"
#include "heap_calls.h"
#include "leak_check.h"
#include "far1_fixture.h"
#include "core/settings.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
        ASSERT_EQ(0, LeakedNow()) << "the process already holds leaked blocks (see the report "
                                     "above); run this test alone";
        heapcalls::ResetCounts();
    }

    // A desktop of a few dozen windows of every kind the listing treats differently: plain,
    // invisible, owned, child, titled "Program Manager", untitled, and titled beyond 127 bytes.
    void MakeDesktop() {
        for (int i = 0; i < kWindows; ++i) {
            simwin::WindowSpec spec;
            spec.title = "Window " + std::to_string(i);
            switch (i % 6) {
            case 1:
                spec.visible = false;
                break;
            case 2:
                spec.owner = windows_.front();
                break;
            case 3:
                spec.title = std::string(300, static_cast<char>('A' + i % 26));
                break;
            case 4:
                spec.style = WS_CHILD;
                spec.parent = windows_.front();
                break;
            case 5:
                spec.title = i == 5 ? "Program Manager" : "";
                break;
            default:
                break;
            }
            windows_.push_back(simwin::CreateTestWindow(spec));
        }
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
    MakeDesktop();
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
    EXPECT_EQ(0, heapcalls::Counted().balance) << "blocks taken by the listings and not given back";
    EXPECT_EQ(0, LeakedNow()) << "LeakSanitizer found leaked blocks; its report is above";
}

TEST_F(LeakCheck, TenThousandListingsWithFailingAllocationsLeaveNothingBehind) {
    MakeDesktop();
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
    EXPECT_EQ(0, heapcalls::Counted().balance) << "blocks taken by the listings and not given back";
    EXPECT_EQ(0, LeakedNow()) << "LeakSanitizer found leaked blocks; its report is above";
}

#ifdef VELUMO_HAVE_LSAN
// The block's address is kept only masked (kLeakAddressMask), so that LeakSanitizer finds no
// reference to it while it checks.
__attribute__((noinline)) uintptr_t AllocateUnreferencedBlock() {
    void* block = malloc(48);
    return reinterpret_cast<uintptr_t>(block) ^ kLeakAddressMask;
}
#endif

TEST_F(LeakCheck, ABlockLeakedOnPurposeIsReported) {
#ifdef VELUMO_HAVE_LSAN
    fprintf(stderr, "leak_check_test: the leak report of 48 bytes that follows is expected: "
                    "this test leaks one block on purpose\n");
    const uintptr_t masked = AllocateUnreferencedBlock();
    ASSERT_NE(kLeakAddressMask, masked) << "malloc failed";
    const int leaked = LeakedNow();
    free(reinterpret_cast<void*>(masked ^ kLeakAddressMask)); // the process ends without the leak
    EXPECT_NE(0, leaked) << "LeakSanitizer did not report a block nobody refers to";
    EXPECT_EQ(0, LeakedNow()) << "the freed block is still reported";
#endif
}

} // namespace
