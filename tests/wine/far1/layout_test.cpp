// The real Velumo.dll against the host's records as the host lays them out, byte by byte
// (far1_offsets.h). The rest of the suite goes through far1host, which is compiled from Velumo's
// own declarations of the records and so would agree with a wrong layout.
#include "../raw_record.h"
#include "far1_fixture.h"
#include "far1_offsets.h"

#include <map>
#include <string>
#include <vector>

namespace {

using namespace far1offsets;
using raw::Read;
using raw::Write;

std::string TextAt(const void* record, size_t offset) {
    return raw::TextAt<char>(record, offset);
}

// The host's module number for Velumo; in the x64 layout it is pointer-wide, so it has bits
// above the low 32 that an int would lose.
const intptr_t kModuleNumber = kHost64 ? static_cast<intptr_t>(0x3C00000000000015LL) : 0x15;

struct RawHost {
    std::vector<intptr_t> moduleNumbers; // as each service call received it
    std::vector<int> commands;           // Control's commands, in order
    std::vector<char> selection;         // the selected items far1::FCTL_GETPANELINFO reports
    int selectedCount = 0;
    std::vector<char> dialogItems; // as Dialog received them, before the edits
    int dialogCount = -1;
};
RawHost g_host;

// "m<id>", kept for as long as the plug-in may hold the pointer.
const char* WINAPI RawGetMsg(intptr_t moduleNumber, int id) {
    static std::map<int, std::string> texts;
    g_host.moduleNumbers.push_back(moduleNumber);
    return (texts[id] = "m" + std::to_string(id)).c_str();
}

int WINAPI RawControl(HANDLE, int command, void* param) {
    g_host.commands.push_back(command);
    if (command == 1 && param != nullptr) { // far1::FCTL_GETPANELINFO
        memset(param, 0, kPanelInfoSize);
        Write<void*>(param, kPanelSelected,
                     g_host.selection.empty() ? nullptr : g_host.selection.data());
        Write<int>(param, kPanelSelectedCount, g_host.selectedCount);
    }
    return 1;
}

// The user ticks item 6 (ShowOwnerWindow), types 3 into the digit field and confirms.
int WINAPI RawDialog(intptr_t moduleNumber, int, int, int, int, const char*, void* items,
                     int count) {
    g_host.moduleNumbers.push_back(moduleNumber);
    g_host.dialogCount = count;
    if (items == nullptr || count != 12) {
        return -1;
    }
    const char* bytes = static_cast<const char*>(items);
    g_host.dialogItems.assign(bytes, bytes + 12 * kDialogItemSize);
    char* item6 = static_cast<char*>(items) + 6 * kDialogItemSize;
    char* item2 = static_cast<char*>(items) + 2 * kDialogItemSize;
    Write<int>(item6, kDialogSelected, 1);
    memset(item2 + kDialogData, 0, 512);
    item2[kDialogData] = '3';
    return 10;
}

class HostLayout : public winetest::Far1Test {
  protected:
    // SetStartupInfo with the host's record: longer than the part Velumo keeps, as the real
    // host's is, and filled at the host's offsets only.
    void StartWithHostRecord() {
        g_host = RawHost();
        rootKey_ = RootKey();
        startup_.assign(1024, '\0');
        Write<int>(startup_.data(), 0, static_cast<int>(startup_.size()));
        memcpy(startup_.data() + kStartupModuleName, "Velumo.dll", 11);
        Write<intptr_t>(startup_.data(), kStartupModuleNumber, kModuleNumber);
        Write<const char*>(startup_.data(), kStartupRootKey, rootKey_.c_str());
        Write<void*>(startup_.data(), kStartupDialog, reinterpret_cast<void*>(RawDialog));
        Write<void*>(startup_.data(), kStartupGetMsg, reinterpret_cast<void*>(RawGetMsg));
        Write<void*>(startup_.data(), kStartupControl, reinterpret_cast<void*>(RawControl));
        Plugin().SetStartupInfo(reinterpret_cast<const far1::PluginStartupInfo*>(startup_.data()));
    }

    void ExpectEveryServiceCallHadTheModuleNumber() {
        EXPECT_FALSE(g_host.moduleNumbers.empty()) << "no service was called";
        for (intptr_t received : g_host.moduleNumbers) {
            EXPECT_EQ(kModuleNumber, received) << "a service got a cut or misread module number";
        }
    }

    std::string rootKey_;
    std::vector<char> startup_;
};

TEST_F(HostLayout, StartupRecordAndPluginInfoFollowTheHostsOffsets) {
    SeedDword("DisksMenuDigit", 5); // read through RootKey: proves where RootKey was taken from
    StartWithHostRecord();
    std::vector<char> info(kInfoSize + 16, '\xA5');
    Plugin().GetPluginInfo(reinterpret_cast<far1::PluginInfo*>(info.data()));

    EXPECT_EQ(static_cast<int>(kInfoSize), Read<int>(info.data(), 0)) << "StructSize";
    EXPECT_EQ(0u, Read<uint32_t>(info.data(), 4)) << "Flags";
    const char* const* disk = Read<const char* const*>(info.data(), kInfoDiskStrings);
    const int* digits = Read<const int*>(info.data(), kInfoDiskNumbers);
    const char* const* menu = Read<const char* const*>(info.data(), kInfoMenuStrings);
    const char* const* config = Read<const char* const*>(info.data(), kInfoConfigStrings);
    ASSERT_TRUE(disk != nullptr && digits != nullptr && menu != nullptr && config != nullptr);
    EXPECT_STREQ("m4", disk[0]);
    EXPECT_EQ(5, digits[0]) << "the DisksMenuDigit stored under the host's root key";
    EXPECT_EQ(1, Read<int>(info.data(), kInfoDiskCount));
    EXPECT_STREQ("m3", menu[0]);
    EXPECT_EQ(1, Read<int>(info.data(), kInfoMenuCount));
    EXPECT_STREQ("m3", config[0]);
    EXPECT_EQ(1, Read<int>(info.data(), kInfoConfigCount));
    EXPECT_EQ("hide", TextAt(info.data(), kInfoPrefix));
    EXPECT_EQ(std::string(16, '\xA5'), std::string(info.data() + kInfoSize, 16))
        << "written past the host's record";
    ExpectEveryServiceCallHadTheModuleNumber();
}

TEST_F(HostLayout, OpenPluginInfoModesAndKeyBarFollowTheHostsOffsets) {
    StartWithHostRecord();
    HANDLE panel = OpenPanel();
    std::vector<char> info(kOpenSize + 16, '\xA5');
    Plugin().GetOpenPluginInfo(panel, reinterpret_cast<far1::OpenPluginInfo*>(info.data()));

    EXPECT_EQ(static_cast<int>(kOpenSize), Read<int>(info.data(), 0)) << "StructSize";
    EXPECT_EQ(0x31Cu, Read<uint32_t>(info.data(), kOpenFlags));
    EXPECT_EQ(nullptr, Read<const char*>(info.data(), kOpenHostFile));
    EXPECT_EQ("Velumo", TextAt(info.data(), kOpenCurDir));
    EXPECT_EQ("m6", TextAt(info.data(), kOpenFormat));
    EXPECT_EQ(" m6 ", TextAt(info.data(), kOpenTitle));
    EXPECT_EQ(10, Read<int>(info.data(), kOpenModesCount));
    EXPECT_EQ('2', Read<int>(info.data(), kOpenStartMode));
    EXPECT_EQ(std::string(16, '\xA5'), std::string(info.data() + kOpenSize, 16))
        << "written past the host's record";

    // Ten view modes, indexed by FAR's digit; 2, 4 and 5 show the columns, the others are zero.
    // Each mode has a title for each of its columns: m7 name, m8 status, m9 handle.
    const unsigned char* modes = Read<const unsigned char*>(info.data(), kOpenModes);
    ASSERT_NE(nullptr, modes);
    EXPECT_EQ((std::map<size_t, std::string>{{2, "N,C0,C1 0,4,8 0: m7 m8 m9"},
                                             {4, "N,C0 0,4 0: m7 m8"},
                                             {5, "N,C0,C1 0,4,0 1: m7 m8 m9"}}),
              (raw::ViewModes<char, int>(modes, 10, kModeSize, kModeTypes, kModeWidths, kModeTitles,
                                         kModeFullScreen)));

    const char* keyBar = Read<const char*>(info.data(), kOpenKeyBar);
    ASSERT_NE(nullptr, keyBar);
    EXPECT_EQ("m5", TextAt(keyBar, 7 * kPointer)) << "the F8 label";
    for (int key = 0; key < 8; ++key) {
        EXPECT_EQ("", TextAt(keyBar, kKeyBarShift + key * kPointer)) << "Shift+F" << key + 1;
    }
    // The host reads all seven groups; those Velumo does not label must hold null pointers.
    for (size_t at = kKeyBarShift + 12 * kPointer; at < kKeyBarSize; at += kPointer) {
        EXPECT_EQ(nullptr, Read<const char*>(keyBar, at)) << "key-bar label at byte " << at;
    }
    ExpectEveryServiceCallHadTheModuleNumber();
}

TEST_F(HostLayout, PanelItemsDeleteFilesAndSelectionFollowTheHostsOffsets) {
    // Two windows, so that an item beyond the first is found only at the host's item size.
    HWND window = MakeWindow("Velumo layout window");
    HWND other = MakeWindow("Velumo second layout window");
    StartWithHostRecord();
    HANDLE panel = OpenPanel();

    void* items = nullptr;
    int count = 0;
    ASSERT_EQ(1, Plugin().GetFindData(panel, reinterpret_cast<far1::PluginPanelItem**>(&items),
                                      &count, 0));
    const char* own = nullptr;
    const char* second = nullptr;
    for (int i = 0; i < count; ++i) {
        const char* item = static_cast<const char*>(items) + i * kItemSize;
        const uintptr_t userData = Read<uintptr_t>(item, kItemUserData);
        if (userData == reinterpret_cast<uintptr_t>(window)) {
            own = item;
        } else if (userData == reinterpret_cast<uintptr_t>(other)) {
            second = item;
        }
    }
    ASSERT_TRUE(own != nullptr && second != nullptr)
        << "the windows' handles are not in UserData at byte " << kItemUserData << " of "
        << kItemSize << "-byte items";
    EXPECT_EQ("Velumo second layout window", std::string(second + kItemFileName));
    EXPECT_EQ("Velumo layout window", std::string(own + kItemFileName));
    EXPECT_EQ(nullptr, Read<const char*>(own, kItemDescription));
    EXPECT_EQ(nullptr, Read<const char*>(own, kItemOwner));
    EXPECT_EQ(2, Read<int>(own, kItemColumnCount));
    char** columns = Read<char**>(own, kItemColumns);
    ASSERT_NE(nullptr, columns);
    EXPECT_STREQ("    ", columns[0]);
    EXPECT_EQ(winetest::HandleText(window), columns[1]);
    EXPECT_EQ(0u, Read<uint32_t>(own, kItemCrc));
    EXPECT_EQ(std::string(kItemSize - kItemReserved, '\0'),
              std::string(own + kItemReserved, kItemSize - kItemReserved))
        << "Reserved words";
    Plugin().FreeFindData(panel, static_cast<far1::PluginPanelItem*>(items), count);

    // The host's own copy of the item, as it hands it to DeleteFiles (F8).
    std::vector<char> item(kItemSize, '\0');
    Write<uintptr_t>(item.data(), kItemUserData, reinterpret_cast<uintptr_t>(window));
    EXPECT_EQ(1, Plugin().DeleteFiles(panel, reinterpret_cast<far1::PluginPanelItem*>(item.data()),
                                      1, 0));
    EXPECT_HIDDEN(window);

    // F3 with the item selected: the handle comes from the host's PanelInfo and item records.
    g_host.selection = item;
    g_host.selectedCount = 1;
    g_host.commands.clear();
    EXPECT_EQ(1, Plugin().ProcessKey(panel, VK_F3, 0));
    EXPECT_VISIBLE(window);
    EXPECT_EQ((std::vector<int>{1, 3, 5}), g_host.commands)
        << "FCTL_GETPANELINFO, FCTL_UPDATEPANEL, FCTL_REDRAWPANEL";
    ClosePanel(panel);
}

TEST_F(HostLayout, DialogItemsFollowTheHostsOffsets) {
    StartWithHostRecord();
    EXPECT_EQ(1, Plugin().Configure(0));
    ASSERT_EQ(12, g_host.dialogCount);
    ASSERT_EQ(12 * kDialogItemSize, g_host.dialogItems.size());
    const char* items = g_host.dialogItems.data();
    auto item = [&](int index) { return items + index * kDialogItemSize; };
    EXPECT_EQ(3, Read<int>(item(0), kDialogType)) << "DI_DOUBLEBOX";
    EXPECT_EQ("m10", std::string(item(0) + kDialogData));
    EXPECT_EQ(8, Read<int>(item(1), kDialogType)) << "DI_CHECKBOX";
    EXPECT_EQ(1, Read<int>(item(1), kDialogSelected)) << "AddToDisksMenu at its default";
    EXPECT_EQ(1, Read<int>(item(2), kDialogFocus)) << "the digit field has the focus";
    EXPECT_EQ("9", std::string(item(2) + kDialogData));
    EXPECT_EQ(0x10200u, Read<uint32_t>(item(4), kDialogFlags)) << "separator";
    EXPECT_EQ(1, Read<int>(item(8), kDialogSelected)) << "ShowAllWindowAtExit at its default";
    EXPECT_EQ(0x4000u, Read<uint32_t>(item(10), kDialogFlags));
    EXPECT_EQ(1, Read<int>(item(10), kDialogDefault));
    EXPECT_EQ("m0", std::string(item(10) + kDialogData));
    EXPECT_EQ(0, Read<int>(item(11), kDialogDefault));

    // What the user changed came back from the host's records.
    using winetest::StoredDword;
    const std::map<std::string, winetest::StoredValue> stored = {
        {"AddToDisksMenu", StoredDword(1)},      {"DisksMenuDigit", StoredDword(3)},
        {"ShowDesktopIcon", StoredDword(1)},     {"ShowOwnerWindow", StoredDword(1)},
        {"ShowInvisibleWindow", StoredDword(0)}, {"ShowAllWindowAtExit", StoredDword(1)}};
    EXPECT_EQ(stored, Stored());
    ExpectEveryServiceCallHadTheModuleNumber();
}

} // namespace
