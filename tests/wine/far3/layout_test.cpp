// The real FAR 3 Velumo.dll against FAR 3's records as the host lays them out, byte by byte
// (far3_offsets.h). The rest of the suite goes through far3host, which is compiled from Velumo's
// own declarations of the records and so would agree with a wrong layout. Here every record
// crossing the boundary is a plain byte buffer, filled and read at the host's offsets, with
// guard bytes after the records the DLL writes; the services are the host's own, reading and
// writing the DLL's records at those offsets too. Each case covers one family of records.
#include "../raw_record.h"
#include "far3_fixture.h"
#include "far3_offsets.h"

#include <map>

namespace far3test {
namespace {

using namespace far3offsets;
using raw::Read;
using raw::Record;
using raw::Write;

std::wstring TextAt(const void* record, size_t offset) {
    return raw::TextAt<wchar_t>(record, offset);
}
std::string GuidAt(const void* guid) {
    return guid == nullptr ? "(null)" : std::string(static_cast<const char*>(guid), 16);
}
std::string Guid(const GuidBytes& guid) {
    return GuidAt(guid.bytes);
}

// What the byte-level host keeps and saw.
struct RawHost {
    HMODULE module = nullptr;
    std::vector<std::string> faults;
    std::vector<int> commands;    // PanelControl's, in order
    std::vector<bool> param2Null; // with each command
    std::vector<HWND> selection;  // what FCTL_GETSELECTEDPANELITEM hands over
    std::map<std::wstring, unsigned long long> store, pending;
    int openStores = 0;
    std::vector<unsigned char> dialogItems; // as DialogInit received them
    std::string dialogGuid;
    std::map<size_t, intptr_t> checks; // the check boxes' states as the user leaves them
    std::wstring clickLabel;           // the check box the user clicks before OK
    bool dialogOpen = false;
};
RawHost g_raw;

void Fault(const std::string& what) {
    g_raw.faults.push_back(what);
}

void CheckPluginGuid(const char* service, const void* guid) {
    if (GuidAt(guid) != Guid(kPluginGuid)) {
        Fault(std::string(service) + " with a GUID that is not the plug-in's");
    }
}

const wchar_t* WINAPI RawGetMsg(const void* guid, intptr_t id) {
    static std::map<intptr_t, std::wstring> texts;
    CheckPluginGuid("GetMsg", guid);
    return (texts[id] = Msg(static_cast<int>(id))).c_str();
}

HANDLE RawOpen(int from, const GuidBytes& guid, intptr_t data);
void RawClose(HANDLE panel);

intptr_t WINAPI RawPanelControl(HANDLE panel, int command, intptr_t param1, void* param2) {
    g_raw.commands.push_back(command);
    g_raw.param2Null.push_back(param2 == nullptr);
    switch (command) {
    case kFctlGetPanelInfo:
        if (param2 == nullptr || Read<size_t>(param2, 0) < kPanelInfoSize) {
            Fault("FCTL_GETPANELINFO without a PanelInfo of the host's size");
            return 0;
        }
        memset(param2, 0, kPanelInfoSize);
        Write<size_t>(param2, 0, kPanelInfoSize);
        Write<HANDLE>(param2, kPanelInfoPlugin, panel);
        Write<size_t>(param2, kPanelInfoItems, g_raw.selection.size() + 1); // with ".."
        Write<size_t>(param2, kPanelInfoSelected, g_raw.selection.size());
        return 1;
    case kFctlGetSelectedPanelItem: {
        if (param1 < 0 || static_cast<size_t>(param1) >= g_raw.selection.size()) {
            Fault("FCTL_GETSELECTEDPANELITEM beyond the selection");
            return 0;
        }
        // The size protocol: the bytes one item needs, the item only into a buffer that large.
        static const wchar_t kName[] = L"item";
        const size_t needed = kItemSize + sizeof kName;
        if (param2 == nullptr) {
            return static_cast<intptr_t>(needed);
        }
        unsigned char* buffer = Read<unsigned char*>(param2, kGetItemBuffer);
        if (Read<size_t>(param2, 0) < kGetItemSize || buffer == nullptr ||
            Read<size_t>(param2, kGetItemBufferSize) != needed) {
            Fault("FCTL_GETSELECTEDPANELITEM without a FarGetPluginPanelItem of the size asked");
            return static_cast<intptr_t>(needed);
        }
        memset(buffer, 0, needed);
        memcpy(buffer + kItemSize, kName, sizeof kName);
        Write<const void*>(buffer, kItemFileName, buffer + kItemSize);
        Write<HWND>(buffer, kItemUserData, g_raw.selection[static_cast<size_t>(param1)]);
        return static_cast<intptr_t>(needed);
    }
    case kFctlUpdatePanel:
    case kFctlRedrawPanel:
        return 1;
    case kFctlClosePanel:
        RawClose(panel); // FAR 3 closes the plug-in before FCTL_CLOSEPANEL returns
        return 1;
    }
    Fault("PanelControl command " + std::to_string(command));
    return 0;
}

intptr_t WINAPI RawSettingsControl(HANDLE handle, int command, intptr_t, void* param2) {
    if (command == kSctlCreate) {
        if (param2 == nullptr || Read<size_t>(param2, 0) < kSettingsCreateSize) {
            Fault("SCTL_CREATE without a FarSettingsCreate of the host's size");
            return 0;
        }
        CheckPluginGuid("SCTL_CREATE", static_cast<unsigned char*>(param2) + kSettingsCreateGuid);
        Write<HANDLE>(param2, kSettingsCreateHandle, reinterpret_cast<HANDLE>(0x5E70));
        ++g_raw.openStores;
        return 1;
    }
    if (handle != reinterpret_cast<HANDLE>(0x5E70) || g_raw.openStores != 1) {
        Fault("SettingsControl on a handle that is not open");
        return 0;
    }
    if (command == kSctlFree) {
        --g_raw.openStores;
        for (const auto& value : g_raw.pending) {
            g_raw.store[value.first] = value.second;
        }
        g_raw.pending.clear();
        return 1;
    }
    if (param2 == nullptr || Read<size_t>(param2, 0) < kSettingsItemSize ||
        Read<size_t>(param2, kSettingsItemRoot) != 0 ||
        Read<int>(param2, kSettingsItemType) != kFstQword) {
        Fault("SCTL_SET/GET without a FST_QWORD FarSettingsItem of the host's size at the root");
        return 0;
    }
    const std::wstring name = TextAt(param2, kSettingsItemName);
    if (command == kSctlSet) {
        g_raw.pending[name] = Read<unsigned long long>(param2, kSettingsItemNumber);
        return 1;
    }
    auto found = g_raw.store.find(name);
    if (found == g_raw.store.end()) {
        return 0; // a missing value leaves the item as it was
    }
    Write<unsigned long long>(param2, kSettingsItemNumber, found->second);
    return 1;
}

const unsigned char* DialogItem(size_t index) {
    return g_raw.dialogItems.data() + index * kDialogItemSize;
}
size_t DialogItemCount() {
    return g_raw.dialogItems.size() / kDialogItemSize;
}

HANDLE WINAPI RawDialogInit(const void* plugin, const void* id, intptr_t, intptr_t, intptr_t,
                            intptr_t, const wchar_t*, const void* items, size_t count, intptr_t,
                            unsigned long long, void*, void*) {
    CheckPluginGuid("DialogInit", plugin);
    g_raw.dialogGuid = GuidAt(id);
    const unsigned char* bytes = static_cast<const unsigned char*>(items);
    g_raw.dialogItems.assign(bytes, bytes + count * kDialogItemSize);
    g_raw.checks.clear();
    g_raw.dialogOpen = true;
    return reinterpret_cast<HANDLE>(0xD1A1);
}

bool IsOpenDialog(HANDLE dialog) {
    if (dialog != reinterpret_cast<HANDLE>(0xD1A1) || !g_raw.dialogOpen) {
        Fault("a dialog service on a handle that is not open");
        return false;
    }
    return true;
}

// The user clicks the check box labelled clickLabel, then presses Enter on OK ("m0").
intptr_t WINAPI RawDialogRun(HANDLE dialog) {
    intptr_t ok = -1;
    for (size_t i = 0; IsOpenDialog(dialog) && i < DialogItemCount(); ++i) {
        const int type = Read<int>(DialogItem(i), 0);
        const std::wstring text = TextAt(DialogItem(i), kDialogItemData);
        const intptr_t selected = Read<intptr_t>(DialogItem(i), kDialogItemSelected);
        if (type == kDiCheckBox) {
            g_raw.checks[i] = text == g_raw.clickLabel ? !selected : selected;
        }
        ok = type == kDiButton && text == Msg(0) ? static_cast<intptr_t>(i) : ok;
    }
    return ok;
}

void WINAPI RawDialogFree(HANDLE dialog) {
    if (IsOpenDialog(dialog)) {
        g_raw.dialogOpen = false;
    }
}

intptr_t WINAPI RawSendDlgMessage(HANDLE dialog, intptr_t message, intptr_t param1, void*) {
    if (!IsOpenDialog(dialog) || message != kDmGetCheck ||
        g_raw.checks.count(static_cast<size_t>(param1)) == 0) {
        Fault("SendDlgMessage other than DM_GETCHECK on a check box");
        return 0;
    }
    return g_raw.checks[static_cast<size_t>(param1)];
}

template <typename Function> void* Pointer(Function function) {
    return reinterpret_cast<void*>(function);
}

using Entry = intptr_t(WINAPI*)(void*);
Entry Export(const char* name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(g_raw.module, name)));
}
intptr_t Call(const char* name, Record& record) {
    const intptr_t result = Export(name)(record.data());
    EXPECT_EQ(0u, record.WrittenPast()) << name << " wrote past the host's record";
    return result;
}

HANDLE RawOpen(int from, const GuidBytes& guid, intptr_t data) {
    Record info = Record::Sized(kOpenSize);
    info.Put<int>(kOpenFrom, from);
    info.Put<const void*>(kOpenGuid, guid.bytes);
    info.Put<intptr_t>(kOpenData, data);
    return reinterpret_cast<HANDLE>(Call("OpenW", info));
}

void RawClose(HANDLE panel) {
    Record info = Record::Sized(kCloseSize);
    info.Put<HANDLE>(kClosePanel, panel);
    Call("ClosePanelW", info);
}

class Far3Layout : public Far3Test {
  protected:
    void SetUp() override {
        Far3Test::SetUp();
        far3host::ExitFar(); // the byte-level host takes over the DLL
        g_raw = RawHost();
        g_raw.module = GetModuleHandleW(L"Velumo.dll");
        ASSERT_NE(nullptr, g_raw.module);
    }
    void TearDown() override {
        EXPECT_EQ(std::vector<std::string>(), g_raw.faults) << "what the host saw";
        EXPECT_EQ(0, g_raw.openStores) << "a settings handle never freed";
        EXPECT_FALSE(g_raw.dialogOpen) << "a dialog never freed";
        Far3Test::TearDown();
    }

    // SetStartupInfoW with a record on this call's stack, cleared as soon as the DLL returns
    // (FAR's record lives for the call only), then GetPluginInfoW, as FAR loads a plug-in.
    Record Start() {
        alignas(8) unsigned char startup[kStartupSize] = {};
        alignas(8) unsigned char standardFunctions[kFsfSize] = {};
        Write<size_t>(standardFunctions, 0, kFsfSize);
        Write<size_t>(startup, 0, kStartupSize);
        Write<const wchar_t*>(startup, kStartupModuleName, L"Velumo.dll");
        Write<void*>(startup, kStartupGetMsg, Pointer(RawGetMsg));
        Write<void*>(startup, kStartupPanelControl, Pointer(RawPanelControl));
        Write<void*>(startup, kStartupFsf, standardFunctions);
        Write<void*>(startup, kStartupDialogInit, Pointer(RawDialogInit));
        Write<void*>(startup, kStartupDialogRun, Pointer(RawDialogRun));
        Write<void*>(startup, kStartupDialogFree, Pointer(RawDialogFree));
        Write<void*>(startup, kStartupSendDlgMessage, Pointer(RawSendDlgMessage));
        Write<void*>(startup, kStartupSettingsControl, Pointer(RawSettingsControl));
        Write<HMODULE>(startup, kStartupInstance, g_raw.module);
        Export("SetStartupInfoW")(startup);
        SecureZeroMemory(startup, sizeof startup);
        SecureZeroMemory(standardFunctions, sizeof standardFunctions);
        Record info = Record::Sized(kPluginInfoSize);
        Call("GetPluginInfoW", info);
        return info;
    }

    // GetFindDataW on the host's record: the items by their UserData, at the host's stride.
    std::map<HWND, const unsigned char*> Listed(HANDLE panel, Record& find) {
        find.Put<HANDLE>(kFindPanel, panel);
        EXPECT_EQ(1, Call("GetFindDataW", find));
        std::map<HWND, const unsigned char*> items;
        const unsigned char* array = find.Get<const unsigned char*>(kFindItems);
        for (size_t i = 0; array != nullptr && i < find.Get<size_t>(kFindCount); ++i) {
            items[Read<HWND>(array + i * kItemSize, kItemUserData)] = array + i * kItemSize;
        }
        return items;
    }
};

TEST_F(Far3Layout, GlobalStartupAndPluginInfo) {
    Record global = Record::Sized(kGlobalSize);
    Call("GetGlobalInfoW", global);
    EXPECT_EQ(kGlobalSize, global.Get<size_t>(0)) << "StructSize is FAR's to set";
    std::vector<DWORD> version;
    for (size_t field : {kVersionMajor, kVersionMinor, kVersionRevision, kVersionBuild}) {
        version.push_back(global.Get<DWORD>(kGlobalMinFarVersion + field));
    }
    EXPECT_EQ((std::vector<DWORD>{3, 0, 0, 5242}), version) << "MinFarVersion";
    EXPECT_EQ(Guid(kPluginGuid), GuidAt(global.data() + kGlobalGuid));
    EXPECT_EQ(L"Velumo", TextAt(global.data(), kGlobalTitle));
    for (size_t field : {kGlobalDescription, kGlobalAuthor}) {
        EXPECT_NE(L"(null)", TextAt(global.data(), field)) << "FAR unloads a plug-in without it";
        EXPECT_NE(L"", TextAt(global.data(), field)) << "FAR unloads a plug-in without it";
    }

    struct Menu {
        size_t offset;
        const GuidBytes& guid;
        int message;
    };
    Record info = Start();
    EXPECT_EQ(0u, info.Get<unsigned long long>(kPluginInfoFlags)) << "no PF_* flag";
    for (const Menu& menu : {Menu{kPluginInfoDiskMenu, kDisksMenuGuid, 4},
                             Menu{kPluginInfoPluginMenu, kPluginsMenuGuid, 3},
                             Menu{kPluginInfoConfigMenu, kConfigMenuGuid, 3}}) {
        const unsigned char* at = info.data() + menu.offset;
        const void* const* strings = Read<const void* const*>(at, kMenuStrings);
        ASSERT_EQ(1u, Read<size_t>(at, kMenuCount)) << "menu at " << menu.offset;
        EXPECT_EQ(Guid(menu.guid), GuidAt(Read<const void*>(at, kMenuGuids)));
        EXPECT_EQ(Msg(menu.message), TextAt(strings, 0));
    }
    EXPECT_EQ(L"hide", TextAt(info.data(), kPluginInfoPrefix));

    // A value read through the host's FarSettingsItem: AddToDisksMenu off empties the disks menu.
    g_raw.store[L"AddToDisksMenu"] = 0;
    EXPECT_EQ(0u, Start().Get<size_t>(kPluginInfoDiskMenu + kMenuCount));
}

TEST_F(Far3Layout, OpenPanelInfoWithViewModesAndKeyBar) {
    Start();
    HANDLE panel = RawOpen(kOpenPluginsMenu, kPluginsMenuGuid, 0);
    ASSERT_NE(nullptr, panel);
    Record info = Record::Sized(kOpenPanelSize);
    info.Put<HANDLE>(kOpenPanelHandle, panel);
    Call("GetOpenPanelInfoW", info);
    EXPECT_EQ(kOpenPanelSize, info.Get<size_t>(0)) << "StructSize is FAR's";
    EXPECT_EQ(panel, info.Get<HANDLE>(kOpenPanelHandle)) << "hPanel is FAR's";
    const unsigned long long flags = info.Get<unsigned long long>(kOpenPanelFlags);
    EXPECT_EQ(0x8u, flags & 0x28) << "OPIF_ADDDOTS, and no OPIF_REALNAMES (so that F8 reaches "
                                  << "DeleteFilesW); flags " << flags;
    EXPECT_EQ(L"(null)", TextAt(info.data(), kOpenPanelHostFile));
    EXPECT_EQ(L"Velumo", TextAt(info.data(), kOpenPanelCurDir));
    EXPECT_EQ(Msg(6), TextAt(info.data(), kOpenPanelFormat));
    EXPECT_EQ(L" " + Msg(6) + L" ", TextAt(info.data(), kOpenPanelTitle));
    // What Velumo has no use for stays as FAR zeroed it: InfoLines up to the modes, the sort
    // fields, and from ShortcutData to the end (FreeSize, UserData, Instance).
    const std::pair<size_t, size_t> unused[] = {{kOpenPanelInfoLines, kOpenPanelModes},
                                                {kOpenPanelStartSortMode, kOpenPanelKeyBar},
                                                {kOpenPanelShortcutData, kOpenPanelSize}};
    for (const auto& range : unused) {
        const char* bytes = reinterpret_cast<const char*>(info.data()) + range.first;
        EXPECT_EQ(std::string(range.second - range.first, '\0'),
                  std::string(bytes, range.second - range.first))
            << "bytes " << range.first << " to " << range.second;
    }
    EXPECT_EQ(intptr_t{'2'}, info.Get<intptr_t>(kOpenPanelStartMode)) << "the digit's character";

    // Ten view modes, indexed by FAR's digit; 2, 4 and 5 show the columns, the others are zero.
    // The titles are messages: 7 name, 8 status, 9 handle, 18 program, 19 process id.
    const unsigned char* modes = info.Get<const unsigned char*>(kOpenPanelModes);
    ASSERT_NE(nullptr, modes);
    ASSERT_EQ(10u, info.Get<size_t>(kOpenPanelModeCount));
    EXPECT_EQ(
        (std::map<size_t, std::wstring>{{2, L"N,C2,C0 0,12,4 0: m7 m18 m8"},
                                        {4, L"N,C0 0,4 0: m7 m8"},
                                        {5, L"N,C2,C3,C0,C1 0,16,7,4,8 1: m7 m18 m19 m8 m9"}}),
        (raw::ViewModes<wchar_t, unsigned long long>(modes, 10, kPanelModeSize, kModeColumnTypes,
                                                     kModeColumnWidths, kModeColumnTitles,
                                                     kModeFlags)));
    for (size_t i : {2, 4, 5}) {
        EXPECT_EQ(nullptr, Read<const void*>(modes + i * kPanelModeSize, kModeStatusTypes));
    }

    // The key bar: F8 labelled, the labels of FAR's own F4..F7, Alt+F4..F6 and Shift+F1..F8
    // cleared, each given once and its long text the same.
    const unsigned char* keyBar = info.Get<const unsigned char*>(kOpenPanelKeyBar);
    ASSERT_NE(nullptr, keyBar);
    const size_t count = Read<size_t>(keyBar, kKeyBarCount);
    const unsigned char* labels = Read<const unsigned char*>(keyBar, kKeyBarLabels);
    ASSERT_TRUE(labels != nullptr && count < 100) << count << " labels";
    std::map<std::pair<WORD, DWORD>, std::wstring> seen;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* label = labels + i * kLabelSize;
        const auto key = std::make_pair(Read<WORD>(label, kLabelVirtualKey),
                                        Read<DWORD>(label, kLabelControlState));
        EXPECT_EQ(TextAt(label, kLabelText), TextAt(label, kLabelLongText));
        EXPECT_TRUE(seen.emplace(key, TextAt(label, kLabelText)).second) << "a key given twice";
    }
    std::map<std::pair<WORD, DWORD>, std::wstring> expected = {{{VK_F8, 0}, Msg(5)}};
    for (WORD key = VK_F1; key <= VK_F8; ++key) {
        expected[{key, SHIFT_PRESSED}] = L"";
        if (key >= VK_F4 && key <= VK_F7) {
            expected[{key, 0}] = L"";
        }
        if (key >= VK_F4 && key <= VK_F6) {
            expected[{key, LEFT_ALT_PRESSED}] = L"";
        }
    }
    EXPECT_EQ(expected, seen);

    // A record FAR cannot have meant is left alone: one field short, StructSize 0, no panel.
    const std::pair<size_t, HANDLE> odd[] = {
        {kOpenPanelSize - sizeof(void*), panel}, {0, panel}, {kOpenPanelSize, nullptr}};
    for (const auto& record : odd) {
        Record filled(kOpenPanelSize);
        memset(filled.data(), 0x5A, kOpenPanelSize);
        filled.Put<size_t>(0, record.first);
        filled.Put<HANDLE>(kOpenPanelHandle, record.second);
        const std::string before(reinterpret_cast<const char*>(filled.data()), kOpenPanelSize);
        Call("GetOpenPanelInfoW", filled);
        EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(filled.data()), kOpenPanelSize))
            << "StructSize " << record.first << ", hPanel " << record.second;
    }
    RawClose(panel);
}

TEST_F(Far3Layout, ItemsKeysDirectoriesOpeningAndClosing) {
    HWND window = MakeWindowW(L"Velumo layout window");
    HWND other = MakeWindowW(L"Velumo second layout window");
    Start();
    HANDLE panel = RawOpen(kOpenPluginsMenu, kPluginsMenuGuid, 0);
    ASSERT_NE(nullptr, panel);

    // Two windows, so that an item beyond the first is found only at the host's item stride.
    Record find = Record::Sized(kFindSize);
    std::map<HWND, const unsigned char*> items = Listed(panel, find);
    ASSERT_TRUE(items.count(window) != 0 && items.count(other) != 0)
        << "the handles are not in UserData at byte " << kItemUserData << " of " << kItemSize;
    const unsigned char* item = items[window];
    EXPECT_EQ(L"Velumo layout window", TextAt(item, kItemFileName));
    EXPECT_EQ(L"Velumo second layout window", TextAt(items[other], kItemFileName));
    const ProgramColumns program = OwnProgram();
    EXPECT_EQ(program.path, TextAt(item, kItemDescription));
    EXPECT_EQ(nullptr, Read<const void*>(item, kItemOwner));
    EXPECT_EQ(nullptr, Read<const void*>(item, kItemFreeData));
    EXPECT_EQ(0u, Read<uint32_t>(item, kItemAttributes));
    ASSERT_EQ(4u, Read<size_t>(item, kItemColumnCount));
    std::vector<std::wstring> columns; // CustomColumnData: four text pointers
    for (size_t column = 0; column < 4; ++column) {
        columns.push_back(TextAt(Read<const void*>(item, kItemColumns), column * sizeof(void*)));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"    ", Widen(HandleText(window)), program.fileName,
                                         program.processId}),
              columns);
    Record release = Record::Sized(kFreeFindSize);
    release.Put<HANDLE>(kFreeFindPanel, panel);
    release.Put<const void*>(kFreeFindItems, find.Get<const void*>(kFindItems));
    release.Put<size_t>(kFreeFindCount, find.Get<size_t>(kFindCount));
    Call("FreeFindDataW", release);

    // F8: the host's own copy of the item in DeleteFilesInfo.
    Record copy(kItemSize);
    copy.Put<const wchar_t*>(kItemFileName, L"Velumo layout window");
    copy.Put<HWND>(kItemUserData, window);
    Record remove = Record::Sized(kDeleteSize);
    remove.Put<HANDLE>(kDeletePanel, panel);
    remove.Put<const void*>(kDeleteItems, copy.data());
    remove.Put<size_t>(kDeleteCount, 1);
    EXPECT_EQ(1, Call("DeleteFilesW", remove));
    EXPECT_HIDDEN(window);

    // F3 in ProcessPanelInputInfo: the window comes from PanelInfo and FarGetPluginPanelItem.
    g_raw.selection = {window};
    Record input = Record::Sized(kInputSize);
    input.Put<HANDLE>(kInputPanel, panel);
    input.Put<WORD>(kInputRec, KEY_EVENT);
    input.Put<BOOL>(kInputKeyDown, TRUE);
    input.Put<WORD>(kInputRepeat, 1);
    input.Put<WORD>(kInputVirtualKey, VK_F3);
    input.Put<DWORD>(kInputControlState, LEFT_ALT_PRESSED);
    EXPECT_EQ(1, Call("ProcessPanelInputW", input));
    PumpMessages();
    EXPECT_VISIBLE(window);
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ((std::vector<int>{kFctlGetPanelInfo, kFctlGetSelectedPanelItem,
                                kFctlGetSelectedPanelItem, kFctlUpdatePanel, kFctlRedrawPanel}),
              g_raw.commands);

    // SetDirectoryInfo: while FAR searches, any directory stays in the panel; ".." closes it.
    const struct {
        const wchar_t* directory;
        unsigned long long opMode;
        intptr_t result;
    } changes[] = {{L"..", kOpmFind, 0}, {L"C:\\Temp", kOpmFind, 0}, {L"..", 0, 1}};
    for (const auto& change : changes) {
        g_raw.commands.clear();
        g_raw.param2Null.clear();
        Record directory = Record::Sized(kSetDirSize);
        directory.Put<HANDLE>(kSetDirPanel, panel);
        directory.Put<const wchar_t*>(kSetDirDir, change.directory);
        directory.Put<unsigned long long>(kSetDirOpMode, change.opMode);
        EXPECT_EQ(change.result, Call("SetDirectoryW", directory)) << change.opMode;
    }
    EXPECT_EQ(std::vector<int>{kFctlClosePanel}, g_raw.commands);
    EXPECT_EQ(std::vector<bool>{true}, g_raw.param2Null) << "\"..\" is not passed on";

    // OpenCommandLineInfo: "hide:" with the text after the prefix; ClosePanelInfo on the last
    // panel shows again what was hidden.
    Record command = Record::Sized(kCommandLineSize);
    command.Put<const wchar_t*>(kCommandLineText, L"second layout");
    const GuidBytes none = {};
    HANDLE typed = RawOpen(kOpenCommandLine, none, reinterpret_cast<intptr_t>(command.data()));
    ASSERT_NE(nullptr, typed);
    EXPECT_HIDDEN(other);
    RawClose(typed);
    EXPECT_VISIBLE(other);
}

TEST_F(Far3Layout, ConfigureDialogItemsAndSettingsItems) {
    Start();
    g_raw.clickLabel = Msg(16); // ShowAllWindowAtExit
    Record configure = Record::Sized(kConfigureSize);
    configure.Put<const void*>(kConfigureGuid, kConfigMenuGuid.bytes);
    EXPECT_EQ(1, Call("ConfigureW", configure));
    EXPECT_EQ(Guid(kConfigDialogGuid), g_raw.dialogGuid);
    // The items as the host reads them: kind, label, check state, and of the flags
    // DIF_SEPARATOR, DIF_FOCUS and DIF_DEFAULTBUTTON.
    const unsigned long long kSeparator = 0x10000, kFocus = 0x200000000, kDefault = 0x100000000;
    const struct {
        int type;
        int message; // -1: no label
        intptr_t selected;
        unsigned long long flags;
    } expected[] = {
        {3, 10, 0, 0},       {8, 11, 1, kFocus}, {0, -1, 0, kSeparator}, {8, 13, 1, 0},
        {8, 14, 0, 0},       {8, 15, 0, 0},      {8, 16, 1, 0},          {0, -1, 0, kSeparator},
        {7, 0, 0, kDefault}, {7, 1, 0, 0},
    };
    ASSERT_EQ(std::size(expected), DialogItemCount());
    for (size_t i = 0; i < DialogItemCount(); ++i) {
        SCOPED_TRACE(::testing::Message() << "item " << i);
        EXPECT_EQ(expected[i].type, Read<int>(DialogItem(i), 0));
        EXPECT_EQ(expected[i].message < 0 ? L"" : Msg(expected[i].message),
                  TextAt(DialogItem(i), kDialogItemData));
        EXPECT_EQ(expected[i].selected, Read<intptr_t>(DialogItem(i), kDialogItemSelected));
        EXPECT_EQ(expected[i].flags, Read<unsigned long long>(DialogItem(i), kDialogItemFlags) &
                                         (kSeparator | kFocus | kDefault));
    }
    // What the user changed came back through DM_GETCHECK and went out in FarSettingsItem.
    const std::map<std::wstring, unsigned long long> stored = {
        {L"AddToDisksMenu", 1},      {L"ShowDesktopIcon", 1},     {L"ShowOwnerWindow", 0},
        {L"ShowInvisibleWindow", 0}, {L"ShowAllWindowAtExit", 0},
    };
    EXPECT_EQ(stored, g_raw.store);
}

} // namespace
} // namespace far3test
