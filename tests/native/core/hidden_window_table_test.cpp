// The hidden-window table's slots: Add, the full table, Remove and Contains of dead handles.
#include "far1_fixture.h"

#include <array>

namespace {

using Slots = std::array<HWND, HiddenWindowTable::kSlotCount>;

Slots SlotsOf(const HiddenWindowTable& table) {
    Slots slots;
    for (int i = 0; i < HiddenWindowTable::kSlotCount; ++i) {
        slots[i] = table.SlotAt(i);
    }
    return slots;
}

HWND NewWindow(int number) {
    return simwin::CreateTestWindow("window " + std::to_string(number));
}

// Records twenty live windows, slot i holding the i-th returned handle.
Slots FillTable(HiddenWindowTable& table) {
    Slots recorded;
    for (int i = 0; i < HiddenWindowTable::kSlotCount; ++i) {
        recorded[i] = NewWindow(i);
        EXPECT_EQ(1, table.Add(recorded[i])) << "slot " << i;
    }
    return recorded;
}

// Adds the windows in turn, each into a free slot.
void AddAll(HiddenWindowTable& table, std::initializer_list<HWND> windows) {
    for (HWND window : windows) {
        EXPECT_EQ(1, table.Add(window)) << HandleText(window);
    }
}

const HWND kNeverCreated = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x2F4));

using HiddenWindowTableTest = DesktopTest;

TEST_F(HiddenWindowTableTest, TwentyLiveWindowsFillTheTableAndStrangersChangeNothing) {
    HiddenWindowTable table{};
    const Slots recorded = FillTable(table);
    EXPECT_EQ(recorded, SlotsOf(table));

    const HWND extra = NewWindow(20);
    EXPECT_EQ(0, table.Add(extra));
    EXPECT_EQ(0, table.Add(kNeverCreated));
    EXPECT_EQ(recorded, SlotsOf(table));
    EXPECT_EQ(0, table.Contains(extra));
    EXPECT_EQ(0, table.Contains(kNeverCreated));
    // Removing what no slot holds changes nothing; no slot of a full table holds 0.
    for (HWND stranger : {extra, kNeverCreated, HWND{}}) {
        table.Remove(stranger);
    }
    EXPECT_EQ(recorded, SlotsOf(table));
}

TEST_F(HiddenWindowTableTest, AddReusesTheLowestSlotWhoseWindowIsGone) {
    HiddenWindowTable table{};
    const Slots recorded = FillTable(table);
    simwin::DestroyTestWindow(recorded[11]);
    simwin::DestroyTestWindow(recorded[4]);

    const HWND first = NewWindow(100), second = NewWindow(101), third = NewWindow(102);
    simwin::ResetCallCounts();
    EXPECT_EQ(1, table.Add(first));
    EXPECT_EQ(5u, simwin::Calls().isWindow);
    Slots expected = recorded;
    expected[4] = first;
    EXPECT_EQ(expected, SlotsOf(table));

    EXPECT_EQ(1, table.Add(second));
    expected[11] = second;
    EXPECT_EQ(expected, SlotsOf(table));

    EXPECT_EQ(0, table.Add(third)) << "every slot holds a live window again";
    EXPECT_EQ(expected, SlotsOf(table));
}

TEST_F(HiddenWindowTableTest, DestroyedWindowStaysContainedUntilOverwrittenOrRemoved) {
    HiddenWindowTable table{};
    const HWND overwritten = NewWindow(1), removed = NewWindow(2), live = NewWindow(3);
    AddAll(table, {overwritten, removed, live});
    simwin::DestroyTestWindow(overwritten);
    simwin::DestroyTestWindow(removed);
    EXPECT_EQ(1, table.Contains(overwritten));
    EXPECT_EQ(1, table.Contains(removed));

    const HWND newcomer = NewWindow(4);
    ASSERT_EQ(1, table.Add(newcomer));
    EXPECT_EQ(newcomer, table.SlotAt(0));
    EXPECT_EQ(0, table.Contains(overwritten));
    EXPECT_EQ(1, table.Contains(removed));

    simwin::ResetCallCounts();
    table.Remove(removed);
    EXPECT_EQ(0u, simwin::Calls().isWindow) << "Remove compares values only";
    EXPECT_EQ(0, table.Contains(removed));
    EXPECT_EQ(nullptr, table.SlotAt(1));
    EXPECT_EQ(live, table.SlotAt(2));
}

TEST_F(HiddenWindowTableTest, HandleAddedTwiceFillsTwoSlotsAndRemoveClearsTheLowerOnly) {
    HiddenWindowTable table{};
    const HWND twice = NewWindow(1), other = NewWindow(2), third = NewWindow(3);
    AddAll(table, {other, twice, third, twice});
    Slots expected{other, twice, third, twice};
    EXPECT_EQ(expected, SlotsOf(table));

    table.Remove(twice);
    expected[1] = nullptr;
    EXPECT_EQ(expected, SlotsOf(table));
    EXPECT_EQ(1, table.Contains(twice));

    table.Remove(twice);
    expected[3] = nullptr;
    EXPECT_EQ(expected, SlotsOf(table));
    EXPECT_EQ(0, table.Contains(twice));

    // Cleared slots are free again, the lowest first.
    ASSERT_EQ(1, table.Add(twice));
    EXPECT_EQ(twice, table.SlotAt(1));
}

} // namespace
