// The real DLL's table of hidden windows grows with what the user hides (see the stress run), and
// a hide it cannot record (the heap refuses) is told once, with the count, through FAR's message
// service.
//
// The heap failure is made in the DLL itself: the entry of its import address table through
// which it calls the C runtime's realloc (the call that grows the table) is pointed at a
// function that always fails, and set back afterwards.
#include "far3/guids.h"
#include "far3_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace far3test {
namespace {

using namespace far3host;

void* __cdecl FailingRealloc(void*, size_t) {
    return nullptr; // as realloc without memory: the block passed in is left as it was
}

// The slot of `module`'s import address table through which it calls `function` of `dll`;
// null when it imports no such function.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    unsigned char* base = reinterpret_cast<unsigned char*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return nullptr;
    }
    for (const IMAGE_IMPORT_DESCRIPTOR* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) {
            continue;
        }
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base +
            (entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk));
        IMAGE_THUNK_DATA* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&addresses->u1.Function);
            }
        }
    }
    return nullptr;
}

// Writes `value` into an import slot (the table may be read-only); gives what it held.
void* Exchange(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) {
        return nullptr;
    }
    void* previous = *slot;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
    return previous;
}

using Far3GrowingTable = Far3Test;

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
    void** slot = ImportSlot(module, "msvcrt.dll", "realloc");
    ASSERT_NE(nullptr, slot) << "Velumo.dll imports no realloc from msvcrt.dll";
    void* realloc = Exchange(slot, reinterpret_cast<void*>(FailingRealloc));
    ASSERT_NE(nullptr, realloc);
    ClearRecords();
    HANDLE typed = TypeCommand(L"hide:Velumo refused 4");
    EXPECT_EQ(reinterpret_cast<void*>(FailingRealloc), Exchange(slot, realloc));
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
