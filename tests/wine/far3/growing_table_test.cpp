// The real DLL's table of hidden windows grows with what the user hides, and a hide it cannot
// record (the heap refuses) is told once, with the count, through FAR's message service.
//
// The heap failure is made in the DLL itself: the entry of its import address table through
// which it calls the C runtime's realloc (the call that grows the table) is pointed at a
// function that always fails, and set back afterwards.
#include "far3/guids.h"
#include "far3_fixture.h"
#include "import_slot.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace far3test {
namespace {

using namespace far3host;

void* __cdecl FailingRealloc(void*, size_t) {
    return nullptr; // as realloc without memory: the block passed in is left as it was
}

using Far3GrowingTable = Far3Test;

// More than twenty windows are hidden and recorded, nothing told. Items of a listing whose
// windows were destroyed since are harmless to F8 and F3. F8 on a hidden window shows it and
// brings it to the front. ShowAllWindowAtExit set in the dialog takes effect at the last close.
TEST_F(Far3GrowingTable, BeyondTwentyWindowsDestroyedItemsAndTheRestoreSetInTheDialog) {
    HWND front = MakeWindowW(L"Velumo in front");
    std::vector<HWND> grown;
    for (int i = 0; i < 45; ++i) {
        grown.push_back(MakeWindowW(L"Velumo grown " + std::to_wstring(i)));
    }
    StartFar3({Setting(L"ShowAllWindowAtExit", 0)});
    ClearRecords();
    ASSERT_NE(nullptr, TypeCommand(L"hide:Velumo grown"));
    EXPECT_TRUE(MessageCalls().empty()) << "a window was left visible";
    const std::vector<ListedItem> items = OwnItems();
    for (HWND window : grown) {
        EXPECT_HIDDEN(window);
        EXPECT_LISTED(items, window, L"H  D");
    }

    // Each window destroyed after the panel was read, just before its key.
    PutInFront(front);
    const WORD keys[] = {VK_F8, VK_F3};
    for (size_t i = 0; i < 2; ++i) {
        DestroyOwnWindow(grown[i]);
        Select({grown[i]});
        EXPECT_EQ(keys[i] == VK_F3 ? 1 : 0, PressKey(keys[i], 0)) << "key " << keys[i];
        PumpMessages();
        EXPECT_EQ(front, GetForegroundWindow()) << "a destroyed window's item activated a window";
    }
    EXPECT_TRUE(std::any_of(PluginCalls().begin(), PluginCalls().end(),
                            [](const PluginCall& call) { return call.call == Call::DeleteFiles; }));
    Select({grown[2]});
    EXPECT_EQ(0, PressKey(VK_F8, 0));
    PumpMessages();
    EXPECT_VISIBLE(grown[2]);
    EXPECT_IN_FRONT(grown[2]);

    EXPECT_EQ(1, ConfigureClicking({16}, true)) << "ShowAllWindowAtExit ticked";
    EXPECT_TRUE(EnterDotDot() && PanelAt(kLeftPanel).plugin == nullptr) << "the last panel closes";
    for (HWND window : windows_) {
        EXPECT_VISIBLE(window);
    }
}

// More matching windows than the table can have grown to in any earlier test of this process
// (the DLL stays loaded): the heap refuses every growth, so some are left visible, all of them
// named in one message.
TEST_F(Far3GrowingTable, WindowsThatCannotBeRecordedAreNamedInOneMessage) {
    std::vector<HWND> bulk;
    for (int i = 0; i < 200; ++i) {
        bulk.push_back(MakeWindowW(L"Velumo refused 4 " + std::to_wstring(1000 + i)));
    }
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(Plugin().OpenW), &module));
    void** slot = winetest::ImportSlot(module, "msvcrt.dll", "realloc");
    ASSERT_NE(nullptr, slot) << "Velumo.dll imports no realloc from msvcrt.dll";
    void* realloc = winetest::ExchangeImport(slot, reinterpret_cast<void*>(FailingRealloc));
    ASSERT_NE(nullptr, realloc);
    ClearRecords();
    HANDLE typed = TypeCommand(L"hide:Velumo refused 4");
    EXPECT_EQ(reinterpret_cast<void*>(FailingRealloc), winetest::ExchangeImport(slot, realloc));
    harness::PumpMessages();
    const int visible = static_cast<int>(std::count_if(bulk.begin(), bulk.end(), IsWindowVisible));
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
