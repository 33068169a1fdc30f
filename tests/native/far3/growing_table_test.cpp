// How many windows each front end can hide: FAR 3's table grows and names once what it left
// visible; FAR 1.x's keeps twenty slots.
#include "far3/guids.h"
#include "far3_fixture.h"

#include <cstring>
#include <functional>

namespace {

using far3host::Text;

// `count` visible windows titled "Bulk 4 <n>", the newest on top.
std::vector<HWND> MakeBulkWindows(int count) {
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        windows.push_back(simwin::CreateTestWindow("Bulk 4 " + std::to_string(1000 + i)));
    }
    return windows;
}

int VisibleCount(const std::vector<HWND>& windows) {
    int visible = 0;
    for (HWND window : windows) {
        visible += IsWindowVisible(window) ? 1 : 0;
    }
    return visible;
}

using Far3GrowingTable = Far3Test;

TEST_F(Far3GrowingTable, OneHideCommandHidesEveryMatchingWindowAndTheLastCloseShowsThemAll) {
    const std::vector<HWND> bulk = MakeBulkWindows(111);
    const HWND other = simwin::CreateTestWindow("Bulk 5");
    heapcalls::ResetCounts();
    ASSERT_NE(nullptr, far3host::TypeCommand(u"hide:Bulk 4"));
    EXPECT_EQ(0, VisibleCount(bulk));
    EXPECT_TRUE(IsWindowVisible(other));
    EXPECT_TRUE(far3host::MessageCalls().empty());

    ASSERT_TRUE(far3host::EnterDotDot()); // the last panel closes: every hidden window shows
    EXPECT_EQ(111, VisibleCount(bulk));
    EXPECT_EQ(0, heapcalls::Counted().balance) << "the table's slots were not given back";
}

// The table's memory follows the windows it holds: slots of destroyed windows are taken before
// it grows, and all it took goes back once it holds no window.
TEST_F(Far3GrowingTable, GrownTableReusesTheSlotsOfDestroyedWindowsBeforeGrowingAgain) {
    HiddenWindowTable table{};
    table.SetGrowing(true);
    heapcalls::ResetCounts();
    std::vector<HWND> recorded = MakeBulkWindows(2 * HiddenWindowTable::kSlotCount);
    for (HWND window : recorded) {
        ASSERT_EQ(1, table.Add(window));
    }
    EXPECT_EQ(2 * HiddenWindowTable::kSlotCount, table.SlotCount());
    simwin::DestroyTestWindow(recorded[25]);
    const HWND late = simwin::CreateTestWindow("late");
    ASSERT_EQ(1, table.Add(late));
    EXPECT_EQ(late, table.SlotAt(25));
    EXPECT_EQ(2 * HiddenWindowTable::kSlotCount, table.SlotCount());
    recorded[25] = late;

    for (HWND window : recorded) {
        table.Remove(window);
    }
    EXPECT_EQ(HiddenWindowTable::kSlotCount, table.SlotCount());
    EXPECT_EQ(0, heapcalls::Counted().balance);
}

// Twenty-five matching windows while the heap refuses to grow the table: twenty are hidden, five
// stay visible, and one message names them.
TEST_F(Far3GrowingTable, WindowsThatCannotBeRecordedAreNamedInOneMessage) {
    struct Case {
        const char* action;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"hide:", [] { far3host::TypeCommand(u"hide:Bulk 4"); }},
        {"F8 on a selection",
         [] {
             std::vector<size_t> all;
             for (size_t i = 1; i < far3host::PanelAt(far3host::kLeftPanel).items.size(); ++i) {
                 all.push_back(i);
             }
             far3host::SelectItems(all);
             far3host::PressKey(VK_F8, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        const std::vector<HWND> bulk = MakeBulkWindows(25);
        ASSERT_NE(nullptr, far3host::OpenInActivePanel());
        far3host::ClearRecords();
        heapcalls::FailEveryCall(heapcalls::Call::Realloc);
        c.run();
        heapcalls::ClearFailures();
        EXPECT_EQ(5, VisibleCount(bulk));
        ASSERT_EQ(1u, far3host::MessageCalls().size());
        const far3host::MessageCall& message = far3host::MessageCalls()[0];
        EXPECT_EQ(0, memcmp(&far3::kLeftVisibleMessageGuid, &message.messageId, sizeof(GUID)));
        EXPECT_EQ(far3::FMSG_WARNING | far3::FMSG_MB_OK, message.flags);
        EXPECT_EQ((std::vector<Text>{u"Velumo window list",
                                     u"Not enough memory to hide every window. Windows left "
                                     u"visible: 5"}),
                  message.items);
        ResetProcessState();
        ASSERT_TRUE(StartFar3());
    }
}

using Far1TwentySlots = Far1Test;

// The core is shared: a FAR 3 start earlier in the process must not leave FAR 1.x a growing table.
TEST_F(Far1TwentySlots, HideCommandStillStopsAtTwentyWindows) {
    g_hiddenWindows.SetGrowing(true);
    StartFar1();
    const std::vector<HWND> bulk = MakeBulkWindows(21);
    ASSERT_NE(nullptr, far1host::TypeCommand("hide:Bulk 4"));
    EXPECT_EQ(1, VisibleCount(bulk));
    EXPECT_EQ(HiddenWindowTable::kSlotCount, g_hiddenWindows.SlotCount());
}

} // namespace
