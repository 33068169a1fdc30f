// A small FAR 3 host for the Wine suite of the native FAR 3 plug-in. It loads the real
// far3/Velumo/Velumo.dll of this build (LoadLibraryW, exports by plain name) and drives it as
// FAR 3 does, and it offers the services the DLL calls back (GetMsg, PanelControl,
// SettingsControl, DialogInit/Run/Free, SendDlgMessage) as WINAPI functions of its own.
//
// Every record crossing the boundary is a plain byte buffer, filled and read at the offsets and
// sizes the host documents for the build's word size (x86: 32-bit FAR 3, x64: 64-bit FAR 3),
// never through Velumo's own declarations: a record that Velumo lays out differently from the
// host fails here. Records the DLL writes into are followed by guard bytes; a write past the
// host's size is a fault.
//
// The host checks the DLL's side of the protocol as it goes (a service reached through the
// start-up record after SetStartupInfoW returned, a wrong plug-in GUID, a message id beyond the
// language file, a settings handle or dialog used when not open, an unknown command) and fails
// the running test at once on each violation, before a crash that may follow can hide it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace far3host {

// ---- the host's layout
// ---------------------------------------------------------------------------

constexpr bool kHost64 = sizeof(void*) == 8;
constexpr size_t Off(size_t x86, size_t x64) {
    return kHost64 ? x64 : x86;
}

// GlobalInfo, and VersionInfo inside it
constexpr size_t kGlobalSize = Off(76, 96), kGlobalMinFarVersion = Off(4, 8),
                 kGlobalGuid = Off(44, 48), kGlobalTitle = Off(60, 64),
                 kGlobalDescription = Off(64, 72), kGlobalAuthor = Off(68, 80);
constexpr size_t kVersionMajor = 0, kVersionMinor = 4, kVersionRevision = 8, kVersionBuild = 12;
// PluginStartupInfo and FarStandardFunctions
constexpr size_t kStartupSize = Off(140, 280), kStartupModuleName = Off(4, 8),
                 kStartupGetMsg = Off(16, 32), kStartupPanelControl = Off(20, 40),
                 kStartupFsf = Off(64, 128), kStartupDialogInit = Off(84, 168),
                 kStartupDialogRun = Off(88, 176), kStartupDialogFree = Off(92, 184),
                 kStartupSendDlgMessage = Off(96, 192), kStartupSettingsControl = Off(124, 248),
                 kStartupInstance = Off(132, 264);
constexpr size_t kFsfSize = Off(196, 392);
// PluginInfo and its three PluginMenuItem records
constexpr size_t kPluginInfoSize = Off(64, 104), kPluginInfoFlags = 8, kPluginInfoDiskMenu = 16,
                 kPluginInfoPluginMenu = Off(28, 40), kPluginInfoConfigMenu = Off(40, 64),
                 kPluginInfoPrefix = Off(52, 88);
constexpr size_t kMenuGuids = 0, kMenuStrings = Off(4, 8), kMenuCount = Off(8, 16);
// OpenInfo, OpenCommandLineInfo, ClosePanelInfo, ConfigureInfo
constexpr size_t kOpenSize = Off(20, 40), kOpenFrom = Off(4, 8), kOpenGuid = Off(8, 16),
                 kOpenData = Off(12, 24);
constexpr size_t kCommandLineSize = Off(8, 16), kCommandLineText = Off(4, 8);
constexpr size_t kCloseSize = Off(12, 24), kClosePanel = Off(4, 8);
constexpr size_t kConfigureSize = Off(12, 24), kConfigureGuid = Off(4, 8);
// GetFindDataInfo, FreeFindDataInfo
constexpr size_t kFindSize = Off(32, 48), kFindPanel = Off(4, 8), kFindItems = Off(8, 16),
                 kFindCount = Off(12, 24), kFindOpMode = Off(16, 32);
constexpr size_t kFreeFindSize = Off(20, 40), kFreeFindPanel = Off(4, 8),
                 kFreeFindItems = Off(8, 16), kFreeFindCount = Off(12, 24);
// PluginPanelItem (UserData is {Data, FreeData})
constexpr size_t kItemSize = Off(112, 160), kItemFileName = 48, kItemDescription = Off(56, 64),
                 kItemOwner = Off(60, 72), kItemColumns = Off(64, 80),
                 kItemColumnCount = Off(68, 88), kItemFlags = Off(72, 96),
                 kItemUserData = Off(80, 104), kItemFreeData = Off(84, 112),
                 kItemAttributes = Off(88, 120);
// OpenPanelInfo (UserData is {Data, FreeData}), PanelMode, KeyBarTitles, KeyBarLabel (FarKey at 0)
constexpr size_t kOpenPanelSize = Off(104, 176), kOpenPanelHandle = Off(4, 8),
                 kOpenPanelFlags = Off(8, 16), kOpenPanelHostFile = Off(16, 24),
                 kOpenPanelCurDir = Off(20, 32), kOpenPanelFormat = Off(24, 40),
                 kOpenPanelTitle = Off(28, 48), kOpenPanelInfoLines = Off(32, 56),
                 kOpenPanelInfoLineCount = Off(36, 64), kOpenPanelDescrFiles = Off(40, 72),
                 kOpenPanelDescrFileCount = Off(44, 80), kOpenPanelModes = Off(48, 88),
                 kOpenPanelModeCount = Off(52, 96), kOpenPanelStartMode = Off(56, 104),
                 kOpenPanelStartSortMode = Off(60, 112), kOpenPanelStartSortOrder = Off(64, 120),
                 kOpenPanelKeyBar = Off(68, 128), kOpenPanelShortcutData = Off(72, 136),
                 kOpenPanelFreeSize = Off(80, 144), kOpenPanelUserData = Off(88, 152),
                 kOpenPanelInstance = Off(96, 168);
constexpr size_t kPanelModeSize = Off(32, 48), kModeColumnTypes = 0, kModeColumnWidths = Off(4, 8),
                 kModeColumnTitles = Off(8, 16), kModeStatusTypes = Off(12, 24),
                 kModeStatusWidths = Off(16, 32), kModeFlags = Off(24, 40);
constexpr size_t kKeyBarCount = 0, kKeyBarLabels = Off(4, 8);
constexpr size_t kLabelSize = Off(16, 24), kLabelVirtualKey = 0, kLabelControlState = 4,
                 kLabelText = 8, kLabelLongText = Off(12, 16);
// SetDirectoryInfo, DeleteFilesInfo
constexpr size_t kSetDirSize = Off(40, 64), kSetDirPanel = Off(4, 8), kSetDirDir = Off(8, 16),
                 kSetDirOpMode = Off(16, 32);
constexpr size_t kDeleteSize = Off(32, 48), kDeletePanel = Off(4, 8), kDeleteItems = Off(8, 16),
                 kDeleteCount = Off(12, 24), kDeleteOpMode = Off(16, 32);
// ProcessPanelInputInfo with its INPUT_RECORD (KEY_EVENT_RECORD at Rec + 4)
constexpr size_t kInputSize = Off(32, 48), kInputPanel = Off(4, 8), kInputRec = Off(8, 16),
                 kInputKeyDown = kInputRec + 4, kInputRepeat = kInputRec + 8,
                 kInputVirtualKey = Off(18, 26), kInputControlState = Off(24, 32);
// PanelInfo, FarGetPluginPanelItem
constexpr size_t kPanelInfoSize = Off(80, 104), kPanelInfoPlugin = Off(4, 8),
                 kPanelInfoOwnerGuid = Off(8, 16), kPanelInfoFlags = Off(24, 32),
                 kPanelInfoItems = Off(32, 40), kPanelInfoSelected = Off(36, 48),
                 kPanelInfoCurrent = Off(56, 72);
constexpr size_t kGetItemSize = Off(12, 24), kGetItemBufferSize = Off(4, 8),
                 kGetItemBuffer = Off(8, 16);
// FarSettingsCreate, FarSettingsItem
constexpr size_t kSettingsCreateSize = Off(24, 32), kSettingsCreateGuid = Off(4, 8),
                 kSettingsCreateHandle = Off(20, 24);
constexpr size_t kSettingsItemSize = Off(24, 48), kSettingsItemRoot = Off(4, 8),
                 kSettingsItemName = Off(8, 16), kSettingsItemType = Off(12, 24),
                 kSettingsItemNumber = Off(16, 32);
// FarDialogItem
constexpr size_t kDialogItemSize = Off(64, 112), kDialogItemX1 = Off(4, 8),
                 kDialogItemY1 = Off(8, 16), kDialogItemX2 = Off(12, 24),
                 kDialogItemY2 = Off(16, 32), kDialogItemSelected = Off(20, 40),
                 kDialogItemFlags = Off(32, 64), kDialogItemData = Off(40, 72);

// ---- the host's constants -----------------------------------------------------------------------

constexpr int kOpenPluginsMenu = 1, kOpenCommandLine = 4;
constexpr unsigned long long kOpmFind = 0x2;
constexpr int kFctlClosePanel = 0, kFctlGetPanelInfo = 1, kFctlUpdatePanel = 2,
              kFctlRedrawPanel = 3, kFctlGetSelectedPanelItem = 22;
constexpr unsigned long long kPflagsPlugin = 0x800, kPflagsFocus = 0x2000;
constexpr unsigned long long kPpifSelected = 0x40000000;
constexpr unsigned long long kOpifAddDots = 0x8, kOpifRealNames = 0x20;
constexpr unsigned long long kPmflagsFullScreen = 0x1;
constexpr int kSctlCreate = 0, kSctlFree = 1, kSctlSet = 2, kSctlGet = 3;
constexpr int kFstQword = 2;
constexpr int kDiText = 0, kDiDoubleBox = 3, kDiButton = 7, kDiCheckBox = 8;
constexpr unsigned long long kDifCenterGroup = 0x4000, kDifSeparator = 0x10000,
                             kDifDefaultButton = 0x100000000ULL, kDifFocus = 0x200000000ULL;
constexpr intptr_t kDmGetCheck = 25;
constexpr intptr_t kBstateUnchecked = 0, kBstateChecked = 1;

// The host's English messages: message n is "m<n>", n from 0 to kMessageCount - 1.
constexpr int kMessageCount = 17;

// ---- GUIDs, as the 16 bytes of the GUID structure ----------------------------------------------

struct alignas(4) GuidBytes {
    unsigned char bytes[16];
};
// {1EE75230-9577-4DC6-A73E-F5E9185222E3}
constexpr GuidBytes kPluginGuid = {{0x30, 0x52, 0xE7, 0x1E, 0x77, 0x95, 0xC6, 0x4D, 0xA7, 0x3E,
                                    0xF5, 0xE9, 0x18, 0x52, 0x22, 0xE3}};
// {301A9A3D-3F06-4884-87DB-4CBA16CD8C88}
constexpr GuidBytes kPluginsMenuGuid = {{0x3D, 0x9A, 0x1A, 0x30, 0x06, 0x3F, 0x84, 0x48, 0x87, 0xDB,
                                         0x4C, 0xBA, 0x16, 0xCD, 0x8C, 0x88}};
// {D1649792-3953-4777-B2E3-5102B596EE9D}
constexpr GuidBytes kDisksMenuGuid = {{0x92, 0x97, 0x64, 0xD1, 0x53, 0x39, 0x77, 0x47, 0xB2, 0xE3,
                                       0x51, 0x02, 0xB5, 0x96, 0xEE, 0x9D}};
// {91A05812-6A3E-4A93-89B8-3D7939F4F9B7}
constexpr GuidBytes kConfigMenuGuid = {{0x12, 0x58, 0xA0, 0x91, 0x3E, 0x6A, 0x93, 0x4A, 0x89, 0xB8,
                                        0x3D, 0x79, 0x39, 0xF4, 0xF9, 0xB7}};
// {7496C542-BC83-4792-9035-24F912832711}
constexpr GuidBytes kConfigDialogGuid = {{0x42, 0xC5, 0x96, 0x74, 0x83, 0xBC, 0x92, 0x47, 0x90,
                                          0x35, 0x24, 0xF9, 0x12, 0x83, 0x27, 0x11}};
// What FAR passes with OPEN_COMMANDLINE.
constexpr GuidBytes kZeroGuid = {};

// "{1EE75230-9577-...}" of the 16 bytes at `guid`; "(null)" for a null pointer.
std::string GuidText(const void* guid);
inline std::string GuidText(const GuidBytes& guid) {
    return GuidText(guid.bytes);
}

// ---- byte access --------------------------------------------------------------------------------

template <typename T> T Read(const void* record, size_t offset) {
    T value;
    memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}
template <typename T> void Write(void* record, size_t offset, T value) {
    memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}
// The UTF-16 text a pointer at `offset` points to; kNullText for a null pointer.
extern const std::wstring kNullText;
std::wstring TextAt(const void* record, size_t offset);

// One record of the host's size, zero-filled, with StructSize (a size_t at 0) set to that size
// when it has one, followed by guard bytes.
class Record {
  public:
    explicit Record(size_t size, bool hasStructSize = true);
    unsigned char* data() { return bytes_.data(); }
    const unsigned char* data() const { return bytes_.data(); }
    template <typename T> T Get(size_t offset) const { return Read<T>(bytes_.data(), offset); }
    template <typename T> void Put(size_t offset, T value) { Write(bytes_.data(), offset, value); }
    // Records a fault when the DLL wrote past the host's size.
    void CheckGuard(const char* what) const;

  private:
    static constexpr size_t kGuardSize = 32;
    static constexpr unsigned char kGuardByte = 0xA5;
    size_t size_;
    std::vector<unsigned char> bytes_;
};

// ---- the DLL ------------------------------------------------------------------------------------

using VoidEntry = void(WINAPI*)(void* record);
using ValueEntry = intptr_t(WINAPI*)(void* record);
using HandleEntry = HANDLE(WINAPI*)(void* record);

struct Exports {
    VoidEntry GetGlobalInfoW;
    VoidEntry SetStartupInfoW;
    VoidEntry GetPluginInfoW;
    HandleEntry OpenW;
    VoidEntry ClosePanelW;
    ValueEntry GetFindDataW;
    VoidEntry FreeFindDataW;
    VoidEntry GetOpenPanelInfoW;
    ValueEntry SetDirectoryW;
    ValueEntry DeleteFilesW;
    ValueEntry ProcessPanelInputW;
    ValueEntry ConfigureW;
    VoidEntry ExitFARW;
};

// Loads the DLL once for the process (FAR keeps it loaded): its table of hidden windows and
// count of open panels live across the tests. Empty when loaded, else what failed.
const std::string& LoadPlugin(const std::wstring& path);
const Exports& Plugin();

// ---- what the host keeps and what it saw --------------------------------------------------------

// FAR's copy of one panel item, as GetFindDataW gave it.
struct ListedItem {
    std::wstring fileName;
    std::wstring status;     // custom column 0
    std::wstring handleText; // custom column 1
    size_t columnCount = 0;
    uintptr_t data = 0;     // UserData.Data
    uintptr_t freeData = 0; // UserData.FreeData
    uint32_t attributes = 0;
    unsigned long long flags = 0;
    bool descriptionAndOwnerNull = true;
};

struct Listing {
    intptr_t result = 0;
    bool arrayNull = true;
    size_t count = 0;
    std::vector<ListedItem> items;
};

struct PanelCall {
    HANDLE panel = nullptr;
    int command = -1;
    intptr_t param1 = 0;
    bool param2Null = true;
    size_t structSize = 0;  // the record's StructSize as the DLL set it
    size_t bufferSize = 0;  // FarGetPluginPanelItem.Size
    std::wstring directory; // FCTL_CLOSEPANEL's text
};

struct StoredSetting {
    int type;
    unsigned long long number;
    bool operator==(const StoredSetting& other) const {
        return type == other.type && number == other.number;
    }
};
using Store = std::map<std::wstring, StoredSetting>;
std::string Describe(const Store& store); // "{Name=2:5, ...}": type, then value

struct DialogItemSeen {
    int type;
    intptr_t x1, y1, x2, y2;
    intptr_t selected;
    unsigned long long flags;
    std::wstring text;
};

struct DialogSeen {
    std::string dialogGuid;
    intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::wstring helpTopic;
    std::vector<DialogItemSeen> items;
    std::vector<intptr_t> states; // check states as the user leaves them
    bool freed = false;
};

struct HostState {
    // What the user does: the items FCTL_GETSELECTEDPANELITEM hands over (selected, or the one
    // under the cursor), the check boxes clicked in a dialog (by text), and OK or Esc.
    std::vector<ListedItem> selection;
    std::vector<std::wstring> checkBoxesClicked;
    bool dialogConfirmed = false;
    // FAR's settings store for Velumo's GUID; SCTL_CREATE fails while storeRefuses.
    Store store;
    bool storeRefuses = false;

    // What the DLL did.
    std::vector<PanelCall> panelCalls;
    std::vector<DialogSeen> dialogs;
    int storeOpens = 0;
    std::vector<HANDLE> openPanels;

    // Settings handles open now, with the values set through them and not yet committed.
    std::map<HANDLE, Store> openStores;
    uintptr_t nextStoreHandle = 0x5E70;
};
extern HostState g_host;

// A protocol violation seen by the host: a failure of the running test.
void Fault(const std::string& what);
// The faults left at the end of a test: settings handles and dialogs still open.
void CheckNothingLeftOpen();

// ---- FAR's calls into the DLL -------------------------------------------------------------------

// GetGlobalInfoW / GetPluginInfoW on a zeroed record with StructSize set.
Record GlobalInfoRecord();
Record PluginInfoRecord();
// GetOpenPanelInfoW as FAR calls it: on a zeroed record with StructSize and hPanel set.
Record OpenPanelInfoRecord(HANDLE panel);
// SetStartupInfoW with a record on this call's stack, overwritten as soon as the DLL returns,
// then GetPluginInfoW, as FAR loads a plug-in.
void StartFar1();
HANDLE OpenPanel(int openFrom, const GuidBytes& guid, intptr_t data);
HANDLE OpenFromPluginsMenu();
HANDLE OpenFromCommandLine(const std::wstring& text);
// ClosePanelW; false when the panel was not open.
bool ClosePanel(HANDLE panel);
void CloseAllPanels();
// GetFindDataW, the host's copies of the items, then FreeFindDataW with the same array.
Listing ListPanel(HANDLE panel);
intptr_t PressKey(HANDLE panel, WORD virtualKey, DWORD controlState);
// DeleteFilesW with the host's copies of the items, flagged selected, as F8 hands them over.
intptr_t DeleteItems(HANDLE panel, const std::vector<ListedItem>& items);
intptr_t SetDirectory(HANDLE panel, const wchar_t* directory, unsigned long long opMode);
intptr_t Configure(const GuidBytes& guid);

} // namespace far3host
