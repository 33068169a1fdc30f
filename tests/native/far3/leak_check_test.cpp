// The FAR 3 listings under LeakSanitizer: ten thousand over a changing desktop
// (ListOverAChangingDesktop, through F8 and typed commands), and ten thousand with each allocation
// of a listing or an open failing in turn, which must leave exactly one window out or give no
// panel. A control leaks a listing on purpose and checks that the same leak check reports it.
#include "core/open_panels.h"
#include "far3/entry_points.h"
#include "far3_fixture.h"
#include "leak_check.h"

#include <algorithm>
#include <cstdio>

namespace {

using far3host::kLeftPanel;
using far3host::kRightPanel;
using far3host::Text;

constexpr int kCycles = 10000;
constexpr int kWindows = 90; // more than 64 of them listed: the item array grows twice

// Whether `shorter` is `whole` with exactly one window left out, the others in their order.
bool OneLeftOut(const std::vector<HWND>& whole, const std::vector<HWND>& shorter) {
    if (shorter.size() + 1 != whole.size()) {
        return false;
    }
    const auto differ = std::mismatch(shorter.begin(), shorter.end(), whole.begin());
    return std::equal(differ.first, shorter.end(), differ.second + 1);
}

class Far3LeakCheck : public Far3Test {
  protected:
    // A listing of the panel the stand-in shows on the left.
    static far3::GetFindDataInfo TakeLeftListing() {
        return TakeListing(far3host::PanelAt(kLeftPanel).plugin);
    }
    // The windows of one listing, in order; the listing is handed back at once, as FAR does
    // after copying it.
    static std::vector<HWND> Listed() {
        const far3::GetFindDataInfo find = TakeLeftListing();
        std::vector<HWND> windows;
        for (size_t i = 0; i < find.ItemsNumber; ++i) {
            windows.push_back(static_cast<HWND>(find.PanelItem[i].UserData.Data));
        }
        GiveBack(find);
        return windows;
    }
    void SetUp() override {
        Far3Test::SetUp();
#ifndef VELUMO_HAVE_LSAN
        GTEST_SKIP() << "built without AddressSanitizer, so LeakSanitizer is not there to ask";
#endif
        ExpectNoLeakYet();
        g_settings.ShowOwnerWindow = 1;
        g_settings.ShowInvisibleWindow = 1;
        windows_ = MakeVariedDesktop(kWindows);
        // Counted from the open on: the array the listings keep is freed with the last panel.
        heapcalls::ResetCounts();
        ASSERT_NE(nullptr, far3host::OpenInActivePanel());
        complete_ = Listed();
        ASSERT_GT(complete_.size(), 64u) << "the item array should have to grow twice";
    }

    // F8 on the window's item (the cursor on it, nothing selected), as the user toggles it.
    static void ToggleWithF8(HWND window) {
        const std::vector<far3host::ListedItem>& items = far3host::PanelAt(kLeftPanel).items;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].userData.Data == window) {
                far3host::SetCursor(i);
                far3host::PressKey(VK_F8, 0);
                return;
            }
        }
    }

    std::vector<HWND> windows_;
    std::vector<HWND> complete_;
};

TEST_F(Far3LeakCheck, TenThousandListingsOverAChangingDesktopLeaveNothingBehind) {
    // F8 makes FAR re-read both panels; a typed command replaces the panel.
    int hiddenByF8 = 0;
    const auto toggle = [&](HWND window) {
        ToggleWithF8(window);
        hiddenByF8 += IsWindowVisible(window) ? 0 : 1;
    };
    const auto hide = [](const char* text) {
        ASSERT_NE(nullptr, far3host::TypeCommand(u"hide:" + simwin::Utf16FromUtf8(text)));
    };
    const size_t listed =
        ListOverAChangingDesktop(windows_, {[] { return Listed().size(); }, toggle, hide});
    far3host::ExitFar();

    EXPECT_GT(listed, 60u * kCycles) << "the listings should have gone on listing the desktop";
    EXPECT_GT(hiddenByF8, 0) << "F8 should have hidden windows between the listings";
    ExpectNothingLeaked();
}

TEST_F(Far3LeakCheck, TenThousandListingsWithFailingAllocationsLeaveNothingBehind) {
    // Each listing is taken while FAR holds another (both panels list Velumo), which has the
    // array the listings keep: so every listing makes and grows an array of its own.
    far3::GetFindDataInfo held = TakeLeftListing();
    const heapcalls::Counts before = heapcalls::Counted();
    Listed();
    heapcalls::Counts perListing = heapcalls::Counted();
    perListing.mallocs -= before.mallocs;
    perListing.reallocs -= before.reallocs;
    ASSERT_EQ(perListing.mallocs, 2u) << "the texts should have outgrown their first block";
    ASSERT_GE(perListing.reallocs, 2u) << "the item array should have grown twice";
    GiveBack(held); // the measured listing's storage, kept, goes into the held listing
    held = TakeLeftListing();

    // The cycles go round every allocation a listing makes, each failing once: each block of
    // the texts, every growth of the array, and the panel object of an open in the other panel.
    const uint64_t places = perListing.mallocs + perListing.reallocs + 1;
    int wrong = 0;
    int firstWrong = -1;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const uint64_t place = static_cast<uint64_t>(cycle) % places;
        bool asSaid = false;
        if (place < perListing.mallocs + perListing.reallocs) {
            const bool growth = place >= perListing.mallocs;
            heapcalls::FailNthCall(
                growth ? heapcalls::Call::Realloc : heapcalls::Call::Malloc,
                static_cast<int>(growth ? place - perListing.mallocs + 1 : place + 1));
            asSaid = OneLeftOut(complete_, Listed());
        } else {
            heapcalls::FailNthCall(heapcalls::Call::NothrowNew, 1);
            asSaid = far3host::OpenFromDiskMenu(kRightPanel) == nullptr &&
                     far3host::PanelAt(kRightPanel).plugin == nullptr && g_openPanelCount == 1 &&
                     Listed() == complete_;
        }
        heapcalls::ClearFailures();
        GiveBack(held); // and the next listing is held: the kept array is in it again
        held = TakeLeftListing();
        if (!asSaid && wrong++ == 0) {
            firstWrong = cycle;
        }
    }

    EXPECT_EQ(0, wrong) << "cycles whose failed allocation did not leave exactly one window out "
                           "(or no panel); the first: "
                        << firstWrong;
    EXPECT_EQ(complete_, Listed()) << "a listing without failures lists every window";
    GiveBack(held);
    far3host::ExitFar();
    ExpectNothingLeaked();
}

// A listing taken straight from GetFindDataW, its address kept only masked. Not inlined, so that
// no copy of the address stays behind in the caller's frame.
__attribute__((noinline)) uintptr_t TakeListingAndDropIt(HANDLE panel, size_t* count) {
    far3::GetFindDataInfo info = {sizeof(info), panel, nullptr, 0, 0, nullptr};
    GetFindDataW(&info);
    *count = info.ItemsNumber;
    return reinterpret_cast<uintptr_t>(info.PanelItem) ^ kLeakAddressMask;
}

// Overwrites the stack below the caller's frame, where the finished calls that built the listing
// left copies of its address that LeakSanitizer would take for references.
__attribute__((noinline)) void ClearDeadFrames() {
    volatile unsigned char frames[64 * 1024];
    for (size_t i = 0; i < sizeof(frames); ++i) {
        frames[i] = 0;
    }
}

TEST_F(Far3LeakCheck, AListingNeverHandedBackIsReported) {
    fprintf(stderr, "far3_leak_check_test: the leak report that follows is expected: this test "
                    "keeps a listing from FreeFindDataW on purpose\n");
    const HANDLE panel = far3host::PanelAt(kLeftPanel).plugin;
    size_t count = 0;
    const uintptr_t masked = TakeListingAndDropIt(panel, &count);
    ClearDeadFrames();
    ASSERT_EQ(complete_.size(), count);
    const long balance = heapcalls::Counted().balance;
    const int leaked = LeakedNow();

    far3::FreeFindDataInfo back = {
        sizeof(back), panel, reinterpret_cast<far3::PluginPanelItem*>(masked ^ kLeakAddressMask),
        count, nullptr};
    FreeFindDataW(&back); // the process ends without the leak
    far3host::ExitFar();
    EXPECT_GT(balance, 0) << "the listing's blocks should be outstanding";
    EXPECT_NE(0, leaked) << "LeakSanitizer did not report a listing nobody refers to";
    EXPECT_EQ(0, heapcalls::Counted().balance);
    EXPECT_EQ(0, LeakedNow()) << "the handed-back listing is still reported";
}

} // namespace
