// The real DLL's table of hidden windows grows with what the user hides, and a hide it cannot
// record (the heap refuses) is told once, with the count, through FAR's message service. F3 asks
// FAR to keep the user's selection when it updates the panel.
//
// The heap failure is made in the DLL itself: the entry of its import address table through
// which it calls the C runtime's realloc (the call that grows the table) is pointed at a
// function that always fails, and set back afterwards.
#include "far3/guids.h"
#include "far3_fixture.h"
#include "import_slot.h"

#include <cstring>
#include <string>

namespace far3test {
namespace {

using namespace far3host;

int VisibleCount(const std::vector<HWND>& windows) {
    int visible = 0;
    for (HWND window : windows) {
        visible += IsWindowVisible(window) ? 1 : 0;
    }
    return visible;
}

void* __cdecl FailingRealloc(void*, size_t) {
    return nullptr; // as realloc without memory: the block passed in is left as it was
}

class Far3GrowingTable : public Far3Test {
  protected:
    // `count` visible windows titled `prefix` and a number.
    std::vector<HWND> MakeWindows(const std::wstring& prefix, int count) {
        std::vector<HWND> windows;
        for (int i = 0; i < count; ++i) {
            windows.push_back(MakeWindowW(prefix + std::to_wstring(1000 + i)));
        }
        return windows;
    }
};

TEST_F(Far3GrowingTable, F3WithASelectionKeepsIt) {
    HWND first = MakeWindowW(L"Velumo selected one");
    HWND second = MakeWindowW(L"Velumo selected two");
    ASSERT_NE(nullptr, OpenInActivePanel());
    OwnItems();
    Select({first, second});
    ClearRecords();
    EXPECT_EQ(1, PressKey(VK_F3, 0));
    int updates = 0;
    for (const ControlCall& call : ControlCalls()) {
        if (call.command == far3::FCTL_UPDATEPANEL) {
            ++updates;
            EXPECT_EQ(1, call.param1)
                << "FCTL_UPDATEPANEL's Param1: 0 makes FAR drop the selection";
        }
    }
    EXPECT_EQ(1, updates);
    size_t selected = 0;
    for (const ListedItem& item : PanelAt(ActivePanel()).items) {
        selected += item.selected ? 1 : 0;
    }
    EXPECT_EQ(2u, selected) << "the panel still shows both windows selected";
}

TEST_F(Far3GrowingTable, OneHideCommandHidesAHundredAndElevenWindowsAndTheLastCloseShowsThem) {
    const std::vector<HWND> bulk = MakeWindows(L"Velumo bulk 4 ", 111);
    ASSERT_NE(nullptr, TypeCommand(L"hide:Velumo bulk 4"));
    harness::PumpMessages();
    EXPECT_EQ(0, VisibleCount(bulk)) << "every matching window is hidden";
    EXPECT_TRUE(MessageCalls().empty());
    ASSERT_TRUE(EnterDotDot()) << "the last panel closes";
    harness::PumpMessages();
    EXPECT_EQ(111, VisibleCount(bulk)) << "the last close shows every one of them again";
}

// More matching windows than the table can have grown to in any earlier test of this process
// (the DLL stays loaded): the heap refuses every growth, so some are left visible, all of them
// named in one message.
TEST_F(Far3GrowingTable, WindowsThatCannotBeRecordedAreNamedInOneMessage) {
    const std::vector<HWND> bulk = MakeWindows(L"Velumo refused 4 ", 200);
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(Plugin().OpenW), &module));
    void** slot = ImportSlot(module, "msvcrt.dll", "realloc");
    ASSERT_NE(nullptr, slot) << "Velumo.dll imports no realloc from msvcrt.dll";
    void* realloc = ExchangeImport(slot, reinterpret_cast<void*>(FailingRealloc));
    ASSERT_NE(nullptr, realloc);
    ClearRecords();
    HANDLE typed = TypeCommand(L"hide:Velumo refused 4");
    EXPECT_EQ(reinterpret_cast<void*>(FailingRealloc), ExchangeImport(slot, realloc));
    harness::PumpMessages();
    const int visible = VisibleCount(bulk);
    EXPECT_NE(nullptr, typed);
    EXPECT_GT(visible, 0) << "the table grew although realloc failed";
    EXPECT_LT(visible, 200) << "nothing was hidden";
    ASSERT_EQ(1u, MessageCalls().size());
    const MessageCall& message = MessageCalls()[0];
    EXPECT_EQ(0, memcmp(&far3::kLeftVisibleMessageGuid, &message.messageId, sizeof(GUID)));
    EXPECT_EQ(far3::FMSG_WARNING | far3::FMSG_MB_OK, message.flags);
    // This host's texts are "m<id>", without the marker: the count follows the text.
    EXPECT_EQ((std::vector<Text>{Msg(3), Msg(17) + L" " + std::to_wstring(visible)}),
              message.items);
}

} // namespace
} // namespace far3test
