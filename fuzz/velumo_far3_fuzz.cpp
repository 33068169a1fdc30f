// The FAR 3 plug-in's libFuzzer target: one input is one life of the plug-in in the FAR 3
// stand-in (sim/far3): a user's steps in FAR, the entry points called directly with what a host
// could pass (null, invalid, closed or unshown panels; null, short and long records) and desktop
// events. After every step it traps on a broken invariant: the hidden-window table against the
// windows (fuzz_common.h) and the plug-in's count of open panels against the host's; every
// listing well-formed, with whole UTF-16 titles and the program's texts; records refused when
// unusable and never written past Velumo's part; settings from FAR's store, else moved from the
// FAR 1.x key, and stored by a confirmed dialog only; one warning for the windows a failed
// realloc left visible; no anomaly of the plug-in's making, no settings handle, dialog or key
// left open (ASan's leak check does the rest).
//
// Input (little-endian; zeros past the end; text16 is a text in UTF-16 code units):
//   byte start: bit 0 SCTL_CREATE fails, bits 1-3 RegOpenKeyExA/RegQueryValueExA/RegCloseKey fail,
//        bit 6 the record of hidden windows is seeded
//   byte start-up record size (PickStartupSize), byte standard functions (PickFunctionsSize)
//   byte store value count (% 13), each: byte bit 0 local, byte name (fuzz::SettingName, text16),
//        byte type % 4: number (2 dwords), string (text16), data (text), other (2 dwords)
//   registry values (fuzz::SeedRegistry over the FAR 1.x key)
//   byte message override count (% 8), each: byte id, text16 (max 700)
//   with start bit 6: the record's entries (fuzz::SeedHiddenWindowRecord)
//   steps (fuzz::RunSteps): 0-13 a user's steps, 14 exit FAR, 15-23 entry points called
//          directly (kSteps), 24-30 desktop events 0-6; the operands as each reads them.
//   record: byte % 5: Velumo's size, null, StructSize 0, smaller (byte), larger (byte)
//   panel:  fuzz::PickPanel over the open panels (the shown ones first) and the closed ones
//   answers: byte count (% 4), each: byte end (Enter on an item, Esc, Ctrl+Break, a button),
//            then the check and edit changes (fuzz::ReadItemChanges)
// The seeds (fuzz/corpus_far3) are inputs in this format.
#include "far1_support.h"
#include "far3_host.h"
#include "far3_support.h"
#include "fuzz_common.h"
#include "heap_calls.h"
#include "sim_desktop.h"

#include "core/hidden_window_table.h"
#include "core/open_panels.h"
#include "core/settings.h"
#include "far3/guids.h"
#include "far3/panel_items.h"
#include "far3/panel_presentation.h"
#include "far3/settings_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using far3host::Text;
using fuzz::InputReader;
using fuzz::Require;

constexpr intptr_t kUnreadableData = 0x10; // faults when read as an address
constexpr unsigned char kTailByte = 0xCC;  // a larger record's bytes beyond Velumo's
const Text kParentDirectory = FAR3_TEXT("..");
const Text kRootDirectory = FAR3_TEXT("\\");

// The settings FAR 3's store keeps, in table order: the dialog's check boxes, in order, edit
// them.
std::vector<SettingField> Far3Settings() {
    std::vector<SettingField> kept;
    for (const SettingField& setting : kSettingFields) {
        if ((setting.FrontEnds & kFar3) != 0) {
            kept.push_back(setting);
        }
    }
    return kept;
}

Text Wide(const char* ascii) {
    return Text(ascii, ascii + strlen(ascii));
}

enum class PanelKind { None, Shown, Apart, Closed }; // None: a null or invalid handle

struct PanelPick {
    HANDLE handle;
    PanelKind kind;
};

bool IsPanel(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

struct Run {
    fuzz::Desktop desktop;
    far3host::PluginExports plugin; // the front end's own exports, which the shims below call
    size_t startupSize = 0;
    size_t functionsSize = 0;
    bool noFunctions = false;
    bool started = false;      // SetStartupInfoW took the record
    bool createFails = false;  // SCTL_CREATE
    bool closeMayFail = false; // RegCloseKey was made to fail
    bool ended = false;        // FAR exited
    uint8_t reallocPlan = 0;   // in F8 and hide: calls: 0 none, 7 every realloc fails, n the nth
    std::vector<HANDLE> apart; // opened by a direct OpenW: no panel of the host shows them
    std::set<HANDLE> closed;   // closed since, and not handed out again
    std::vector<HWND> lastListing;
    bool hostUnawarePanel = false; // this step calls the plug-in with a panel no host panel shows
};

Run* g_run; // the input being run, for the shims the stand-in calls

struct RecordSize {
    bool null;
    size_t size;
};

RecordSize PickRecordSize(InputReader& in, size_t own) {
    const uint8_t pick = in.Byte() % 5; // Velumo's size, null, StructSize 0, smaller, larger
    if (pick >= 3) {
        const uint8_t extra = in.Byte();
        return {false, pick == 3 ? extra % own : own + 1 + extra % 64};
    }
    return {pick == 1, pick == 0 ? own : 0};
}

// The record in a buffer of exactly StructSize bytes (never less than the field itself), the
// fields Velumo knows as far as they fit, a fixed byte beyond them.
template <typename Record> class HostRecord {
  public:
    HostRecord(const Record& fields, RecordSize size)
        : null_(size.null), size_(size.size),
          bytes_(std::max(size.size, sizeof(size_t)), kTailByte) {
        memcpy(bytes_.data(), &fields, std::min(bytes_.size(), sizeof(Record)));
        memcpy(bytes_.data(), &size_, sizeof(size_t));
        written_ = bytes_;
    }

    Record* Get() { return null_ ? nullptr : reinterpret_cast<Record*>(bytes_.data()); }
    bool Usable() const { return !null_ && size_ >= sizeof(Record); }
    bool Untouched() const { return bytes_ == written_; }
    bool TailUntouched() const {
        return bytes_.size() <= sizeof(Record) ||
               std::equal(bytes_.begin() + sizeof(Record), bytes_.end(),
                          written_.begin() + sizeof(Record));
    }

  private:
    bool null_;
    size_t size_;
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> written_;
};

template <typename Record> Record Zeroed() {
    Record record;
    memset(&record, 0, sizeof(record));
    record.StructSize = sizeof(record);
    return record;
}

template <typename Record> Record ForPanel(HANDLE panel) {
    Record record = Zeroed<Record>();
    record.hPanel = panel;
    return record;
}

// The open panels, the shown ones first.
std::vector<HANDLE> OpenPanels(const Run& run) {
    std::vector<HANDLE> open;
    for (far3host::PanelSide side : {far3host::kLeftPanel, far3host::kRightPanel}) {
        if (far3host::PanelAt(side).plugin != nullptr) {
            open.push_back(far3host::PanelAt(side).plugin);
        }
    }
    open.insert(open.end(), run.apart.begin(), run.apart.end());
    return open;
}

PanelPick PickPanel(InputReader& in, const Run& run) {
    const HANDLE handle =
        fuzz::PickPanel(in, OpenPanels(run), {run.closed.begin(), run.closed.end()});
    const bool apart = std::find(run.apart.begin(), run.apart.end(), handle) != run.apart.end();
    const PanelKind kind = !IsPanel(handle)                ? PanelKind::None
                           : run.closed.count(handle) != 0 ? PanelKind::Closed
                           : apart                         ? PanelKind::Apart
                                                           : PanelKind::Shown;
    return {handle, kind};
}

bool IsLive(const PanelPick& panel) {
    return panel.kind == PanelKind::Shown || panel.kind == PanelKind::Apart;
}

Text WindowTitle(HWND window) {
    const int length = std::max(GetWindowTextLengthW(window), 0);
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return Text(buffer.data(), static_cast<size_t>(std::max(copied, 0)));
}

// A column text of at most `limit` ASCII characters, as bytes; false for anything else.
bool AsciiColumn(const WCHAR* text, size_t limit, std::string* ascii) {
    ascii->clear();
    for (size_t i = 0; text[i] != 0; ++i) {
        if (i >= limit || text[i] >= 0x80) {
            return false;
        }
        ascii->push_back(static_cast<char>(text[i]));
    }
    return true;
}

// A listing as the plug-in hands it to FAR. Titles and status marks are compared with the
// desktop only when nothing changed it during the listing.
void CheckListing(Run& run, const far3::PluginPanelItem* items, size_t count, bool steady) {
    Require((items == nullptr) == (count == 0), "an empty list must be a null array");
    std::set<HWND> seen;
    run.lastListing.clear();
    for (size_t i = 0; i < count; ++i) {
        const far3::PluginPanelItem& item = items[i];
        const uintptr_t data = reinterpret_cast<uintptr_t>(item.UserData.Data);
        const uint32_t value = static_cast<uint32_t>(data);
        Require(item.FileName != nullptr && item.Description != nullptr &&
                    item.CustomColumnNumber == far3::kItemColumnCount &&
                    item.CustomColumnData != nullptr &&
                    std::all_of(item.CustomColumnData,
                                item.CustomColumnData + far3::kItemColumnCount,
                                [](const WCHAR* text) { return text != nullptr; }),
                "item without its title, description or column texts", value);
        std::string status;
        std::string handle;
        Require(AsciiColumn(item.CustomColumnData[0], 4, &status) &&
                    AsciiColumn(item.CustomColumnData[1], 8, &handle),
                "a column text is not ASCII within its width", value);
        const HWND window = fuzz::CheckListedWindow(data, status, handle, &seen, steady);
        run.lastListing.push_back(window);
        Require(!steady || Text(item.FileName) == WindowTitle(window),
                "a listed title is not the window's whole title", value);
        if (steady) {
            fuzz::CheckProgramTexts(window, item.CustomColumnData[far3::kProgramColumn],
                                    item.Description,
                                    item.CustomColumnData[far3::kProcessIdColumn]);
        }
    }
}

// FAR hands the start-up record and its function table over on its stack; here they are heap
// blocks of the picked sizes that die when the call returns, so a pointer kept into either
// shows as a use after free.
void WINAPI StartWithPickedRecord(const far3::PluginStartupInfo* info) {
    Run& run = *g_run;
    const size_t functionsSize = run.functionsSize;
    std::vector<unsigned char> functions(std::max(functionsSize, sizeof(size_t)), kTailByte);
    memcpy(functions.data(), info->FSF, std::min(functions.size(), sizeof(*info->FSF)));
    memcpy(functions.data(), &functionsSize, sizeof(size_t));
    far3::PluginStartupInfo fields = *info;
    fields.FSF =
        run.noFunctions ? nullptr : reinterpret_cast<far3::FarStandardFunctions*>(functions.data());
    HostRecord<far3::PluginStartupInfo> record(fields, {false, run.startupSize});
    // The stand-in's Start resets its failures: SCTL_CREATE is made to fail from here on.
    far3host::FailSettingsCreate(run.createFails);
    run.plugin.SetStartupInfoW(record.Get());
    run.started = run.startupSize >= offsetof(far3::PluginStartupInfo, Private);
}

// A hide and a typed "hide:" run with the realloc failure plan armed. The growing hidden-window
// table is the only reallocation in them, so every failed realloc is a window left visible: FAR
// shows exactly one warning when there is any, and none otherwise.
template <typename Call> auto WithReallocPlan(Call call) {
    const Run& run = *g_run;
    const uint64_t reallocsBefore = heapcalls::Counted().reallocs;
    const size_t messagesBefore = far3host::MessageCalls().size();
    if (run.reallocPlan == 7) {
        heapcalls::FailEveryCall(heapcalls::Call::Realloc);
    } else if (run.reallocPlan != 0) {
        heapcalls::FailNthCall(heapcalls::Call::Realloc, run.reallocPlan);
    }
    const auto result = call();
    heapcalls::ClearFailures();
    const uint64_t reallocs = heapcalls::Counted().reallocs - reallocsBefore;
    const uint64_t leftVisible = run.reallocPlan == 7                                  ? reallocs
                                 : run.reallocPlan != 0 && reallocs >= run.reallocPlan ? 1
                                                                                       : 0;
    const size_t warnings = far3host::MessageCalls().size() - messagesBefore;
    Require(warnings == (run.started && leftVisible > 0 ? 1 : 0),
            "not exactly one warning for the windows left visible",
            static_cast<uint32_t>(warnings));
    return result;
}

intptr_t WINAPI DeleteChecked(const far3::DeleteFilesInfo* info) {
    return WithReallocPlan([&] { return g_run->plugin.DeleteFilesW(info); });
}

HANDLE WINAPI OpenTracked(const far3::OpenInfo* info) {
    const HANDLE panel = WithReallocPlan([&] { return g_run->plugin.OpenW(info); });
    const bool usable = info != nullptr && info->StructSize >= sizeof(*info);
    Require((panel != nullptr) == usable, "OpenW did not open exactly for a usable record");
    g_run->closed.erase(panel);
    return panel;
}

// Every close, by the host or by a direct call: the count drops by one panel, and only the last
// one shows the recorded windows again, when ShowAllWindowAtExit is set.
void WINAPI CloseChecked(const far3::ClosePanelInfo* info) {
    Run& run = *g_run;
    const int before = g_openPanelCount;
    const bool closes =
        info != nullptr && info->StructSize >= sizeof(*info) && IsPanel(info->hPanel);
    fuzz::CheckedClose(run.desktop, [&] {
        run.plugin.ClosePanelW(info);
        return closes && g_openPanelCount == 0 && g_settings.ShowAllWindowAtExit;
    });
    Require(g_openPanelCount == before - (closes ? 1 : 0),
            "ClosePanelW did not close exactly the panel it was given",
            static_cast<uint32_t>(g_openPanelCount));
    if (closes) {
        run.closed.insert(info->hPanel);
    }
}

intptr_t WINAPI ListingChecked(far3::GetFindDataInfo* info) {
    Run& run = *g_run;
    const uint64_t actionsBefore = run.desktop.hookActionsRun;
    const intptr_t result = run.plugin.GetFindDataW(info);
    if (result != 0) {
        Require(result == 1 && info->StructSize >= sizeof(*info),
                "GetFindDataW listed for a record it cannot have filled",
                static_cast<uint32_t>(result));
        CheckListing(run, info->PanelItem, info->ItemsNumber,
                     run.desktop.hookActionsRun == actionsBefore);
    }
    return result;
}

void WINAPI PanelInfoChecked(far3::OpenPanelInfo* info) {
    g_run->plugin.GetOpenPanelInfoW(info);
    if (info == nullptr || info->StructSize < sizeof(*info) || !IsPanel(info->hPanel)) {
        return;
    }
    const WCHAR* title = info->PanelTitle;
    Require(title != nullptr &&
                std::find(title, title + kPanelTitleCapacity, 0) != title + kPanelTitleCapacity,
            "panel title not terminated within its buffer");
}

// FAR exits: the table gives its heap slots back and forgets every record (the windows a user
// chose to keep hidden stay so).
void WINAPI ExitChecked(const far3::ExitInfo* info) {
    g_run->plugin.ExitFARW(info);
    bool empty = g_hiddenWindows.SlotCount() == HiddenWindowTable::kSlotCount;
    for (int i = 0; i < HiddenWindowTable::kSlotCount; ++i) {
        empty = empty && g_hiddenWindows.SlotAt(i) == nullptr;
    }
    Require(empty, "FAR's exit left records or heap slots in the hidden-window table");
    g_run->desktop.tableEmptied = true;
}

far3host::PluginExports CheckedExports(const far3host::PluginExports& plugin) {
    far3host::PluginExports checked = plugin;
    std::tie(checked.SetStartupInfoW, checked.OpenW, checked.ClosePanelW, checked.GetFindDataW,
             checked.GetOpenPanelInfoW, checked.DeleteFilesW, checked.ExitFARW) =
        std::make_tuple(StartWithPickedRecord, OpenTracked, CloseChecked, ListingChecked,
                        PanelInfoChecked, DeleteChecked, ExitChecked);
    return checked;
}

// Every anomaly the stand-in reports is the plug-in's, except an item index a scripted answer
// names that the dialog lacks and a panel no host panel shows, which are the fuzzer's doing.
void CheckAnomalies(const Run& run) {
    for (const far3host::AnomalyRecord& record : far3host::Anomalies()) {
        const bool fuzzers =
            record.anomaly == far3host::Anomaly::BadItemIndex ||
            (record.anomaly == far3host::Anomaly::UnknownPanelHandle && run.hostUnawarePanel);
        Require(fuzzers, "the stand-in reports an anomaly the plug-in caused",
                static_cast<uint32_t>(record.anomaly));
    }
}

void CheckAfterStep(Run& run) {
    CheckAnomalies(run);
    far3host::ClearRecords();
    run.hostUnawarePanel = false;
    Require(far3host::OpenSettingsHandles() == 0, "a settings handle was left open");
    Require(far3host::OpenDialogs() == 0, "a dialog was left open");
    const size_t held = OpenPanels(run).size();
    Require(g_openPanelCount >= 0 && static_cast<size_t>(g_openPanelCount) == held,
            "the plug-in's count of open panels differs from the panels the host holds",
            static_cast<uint32_t>(g_openPanelCount));
}

bool SameStore(const std::vector<far3host::StoredSetting>& a,
               const std::vector<far3host::StoredSetting>& b) {
    const auto fields = [](const far3host::StoredSetting& x) {
        return std::tie(x.location, x.name, x.value.type, x.value.number, x.value.string,
                        x.value.data);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const auto& x, const auto& y) { return fields(x) == fields(y); });
}

// The store as the stand-in keeps the values seeded in this order: by location and name, the
// last value of a name winning.
std::vector<far3host::StoredSetting> StoreOf(const std::vector<far3host::StoredSetting>& seeds) {
    std::map<std::pair<far3::PLUGINSETTINGSLOCATION, Text>, far3host::SettingValue> store;
    for (const far3host::StoredSetting& seed : seeds) {
        store[{seed.location, seed.name}] = seed.value;
    }
    std::vector<far3host::StoredSetting> sorted;
    for (const auto& value : store) {
        sorted.push_back({value.first.first, value.first.second, value.second});
    }
    return sorted;
}

// `store` with the settings FAR 3 keeps written over it as the numbers they hold in memory.
std::vector<far3host::StoredSetting>
WithSettingsWritten(std::vector<far3host::StoredSetting> store) {
    for (const SettingField& setting : Far3Settings()) {
        store.push_back(
            Far3Number(Wide(setting.Name), static_cast<uint32_t>(g_settings.*setting.Field)));
    }
    return StoreOf(store);
}

// What SetStartupInfoW must have loaded: the numbers in the roaming store, defaults elsewhere;
// with none of them there and the FAR 1.x key readable, that key's values (at most 4 bytes
// over the default, as the registry store reads them) and they are then written to the store.
// `start` is the input's first byte: bit 1 RegOpenKeyExA fails, bit 2 RegQueryValueExA.
void CheckLoadedSettings(const Run& run, uint8_t start,
                         const std::vector<far3host::StoredSetting>& seeds) {
    const std::vector<far3host::StoredSetting> seeded = StoreOf(seeds);
    Settings expected = kDefaultSettings;
    bool migrates = false;
    if (run.started && !run.createFails) {
        bool anyStored = false;
        for (const SettingField& setting : Far3Settings()) {
            for (const far3host::StoredSetting& value : seeded) {
                if (value.location == far3::PSL_ROAMING && value.name == Wide(setting.Name) &&
                    value.value.type == far3::FST_QWORD) {
                    expected.*setting.Field =
                        static_cast<int32_t>(static_cast<uint32_t>(value.value.number));
                    anyStored = true;
                }
            }
        }
        migrates =
            !anyStored && (start & 2) == 0 && simwin::RegistryKeyExists(far3::kOldRegistryKeyPath);
        for (const SettingField& setting :
             migrates ? Far3Settings() : std::vector<SettingField>()) {
            expected.*setting.Field = (start & 4) != 0
                                          ? setting.Default
                                          : fuzz::RegistryValueOver(far3::kOldRegistryKeyPath,
                                                                    setting.Name, setting.Default);
        }
    }
    Require(memcmp(&expected, &g_settings, sizeof(Settings)) == 0,
            "the settings did not load as FAR's store and the FAR 1.x key hold them");
    Require(SameStore(far3host::StoredSettings(), migrates ? WithSettingsWritten(seeded) : seeded),
            "FAR's store after the start is not the seeded one (with the FAR 1.x values moved)");
}

std::vector<far3host::StoredSetting> ReadStore(InputReader& in) {
    std::vector<far3host::StoredSetting> store;
    const size_t values = in.Byte() % 13;
    for (size_t i = 0; i < values; ++i) {
        far3host::StoredSetting setting;
        setting.location = (in.Byte() & 1) != 0 ? far3::PSL_LOCAL : far3::PSL_ROAMING;
        setting.name = fuzz::SettingName(in.Byte(), [&] { return in.Text16(64); });
        static const far3::FARSETTINGSTYPES kTypes[] = {far3::FST_QWORD, far3::FST_STRING,
                                                        far3::FST_DATA};
        const uint8_t type = in.Byte() % 4; // a number, a string, data, another type
        setting.value.type =
            type < 3 ? kTypes[type] : static_cast<far3::FARSETTINGSTYPES>(in.Dword());
        if (type == 1) {
            setting.value.string = in.Text16(64);
        } else if (type == 2) {
            const std::string data = in.Text(64);
            setting.value.data.assign(data.begin(), data.end());
        } else {
            const uint64_t low = in.Dword();
            setting.value.number = low | (type == 0 ? static_cast<uint64_t>(in.Dword()) << 32 : 0);
        }
        store.push_back(setting);
    }
    return store;
}

void ReadAnswers(InputReader& in) {
    const size_t answers = in.Byte() % 4;
    for (size_t a = 0; a < answers; ++a) {
        far3host::DialogAnswer answer;
        const int end = in.Byte() % 4; // Enter on an item, Esc (-1), Ctrl+Break (-2), a button
        if (end == 0) {
            answer.enterOnItem = static_cast<int8_t>(in.Byte());
        } else {
            answer.result = end == 3 ? static_cast<int32_t>(in.Dword()) : -end;
        }
        fuzz::ReadItemChanges(in, answer, 3, [&] { return in.Text16(600); });
        far3host::QueueDialogAnswer(answer);
    }
}

far3host::PanelSide PickSide(InputReader& in) {
    return (in.Byte() & 1) != 0 ? far3host::kRightPanel : far3host::kLeftPanel;
}

WORD PickKey(InputReader& in) {
    static const WORD kKeys[] = {VK_F3, VK_F8};
    return fuzz::PickOrRead(in, kKeys, [&] { return in.Word(); });
}

DWORD PickKeyState(InputReader& in) {
    static const DWORD kStates[] = {0, LEFT_ALT_PRESSED, SHIFT_PRESSED, RIGHT_ALT_PRESSED};
    return fuzz::PickOrRead(in, kStates, [&] { return in.Dword(); });
}

Text ReadCommand(InputReader& in, const Run& run) {
    switch (in.Byte() % 4) {
    case 1:
        return FAR3_TEXT("HIDE:") + in.Text16(600);
    case 2:
        return in.Text16(600);
    case 3: {
        const Text title = WindowTitle(fuzz::PickWindow(in, run.desktop));
        const size_t start = in.Byte() % (title.size() + 1);
        return FAR3_TEXT("hide:") + title.substr(start, in.Byte());
    }
    default:
        return FAR3_TEXT("hide:") + in.Text16(600);
    }
}

// Runs a call that may show the configuration dialog. Confirmed (a non-zero result), FAR's store
// then holds the settings as they are in memory unless SCTL_CREATE failed; otherwise neither
// memory nor store changed.
template <typename Call> void ConfigureStep(Run& run, Call call) {
    const Settings before = g_settings;
    const std::vector<far3host::StoredSetting> storeBefore = far3host::StoredSettings();
    intptr_t result = 0;
    fuzz::AroundPluginCall(run.desktop, [&] { result = call(); });
    Require(result != 0 || memcmp(&before, &g_settings, sizeof(Settings)) == 0,
            "a dialog that was not confirmed changed the settings");
    Require(SameStore(far3host::StoredSettings(), result != 0 && !run.createFails
                                                      ? WithSettingsWritten(storeBefore)
                                                      : storeBefore),
            "FAR's store does not hold the settings in memory after the dialog");
}

void StepConfigure(InputReader& in, Run& run) {
    const size_t item = in.Byte() % 3;
    ReadAnswers(in);
    ConfigureStep(run, [&] { return far3host::Configure(item); });
}

void StepChangeDirectory(InputReader& in, Run& run) {
    const uint8_t form = in.Byte() % 3;
    const Text directory = form == 1   ? kParentDirectory
                           : form == 2 ? kRootDirectory
                                       : in.Text16(300);
    fuzz::AroundPluginCall(run.desktop, [&] { far3host::ChangeDirectory(directory); });
}

void DirectOpen(InputReader& in, Run& run) {
    far3::OpenInfo fields = Zeroed<far3::OpenInfo>();
    const RecordSize size = PickRecordSize(in, sizeof(fields));
    const uint8_t from = in.Byte();
    fields.OpenFrom = from < 12    ? static_cast<far3::OPENFROM>(from)
                      : from == 12 ? far3::OPEN_LUAMACRO
                                   : static_cast<far3::OPENFROM>(in.Dword());
    static const GUID kZeroGuid = {};
    const GUID* guids[4] = {&far3::kPluginsMenuGuid, &far3::kDisksMenuGuid, &kZeroGuid, nullptr};
    fields.Guid = guids[in.Byte() % 4];
    const uint8_t dataPick = in.Byte() % 3;
    far3::OpenCommandLineInfo commandFields = Zeroed<far3::OpenCommandLineInfo>();
    const RecordSize commandSize =
        dataPick == 2 ? PickRecordSize(in, sizeof(commandFields)) : RecordSize{false, 0};
    const bool nullText = dataPick == 2 && (in.Byte() & 1) != 0;
    const Text text = dataPick == 2 ? in.Text16(600) : Text();
    commandFields.CommandLine = nullText ? nullptr : text.c_str();
    HostRecord<far3::OpenCommandLineInfo> command(commandFields, commandSize);
    if (dataPick == 1 && fields.OpenFrom != far3::OPEN_COMMANDLINE) {
        fields.Data = kUnreadableData; // only a command line passes a record: nothing else is read
    } else if (dataPick == 2) {
        fields.Data = reinterpret_cast<intptr_t>(command.Get());
    }
    HostRecord<far3::OpenInfo> record(fields, size);
    HANDLE panel = nullptr;
    fuzz::AroundPluginCall(run.desktop, [&] { panel = far3host::Plugin().OpenW(record.Get()); });
    Require(record.Untouched() && command.Untouched(), "OpenW wrote into the host's records");
    if (panel != nullptr) {
        run.apart.push_back(panel);
    }
}

void CloseApart(Run& run, HANDLE panel, RecordSize size) {
    far3::ClosePanelInfo fields = ForPanel<far3::ClosePanelInfo>(panel);
    HostRecord<far3::ClosePanelInfo> record(fields, size);
    fuzz::AroundPluginCall(run.desktop, [&] { far3host::Plugin().ClosePanelW(record.Get()); });
    if (record.Usable() && IsPanel(panel)) {
        run.apart.erase(std::remove(run.apart.begin(), run.apart.end(), panel), run.apart.end());
    }
}

void DirectClose(InputReader& in, Run& run) {
    const uint8_t pick = in.Byte();
    HANDLE panel = pick == 0xFF                        ? INVALID_HANDLE_VALUE
                   : pick == 0xFE || run.apart.empty() ? nullptr
                                                       : run.apart[pick % run.apart.size()];
    CloseApart(run, panel, PickRecordSize(in, sizeof(far3::ClosePanelInfo)));
}

// The hand-back FAR makes right after copying a listing, sometimes preceded by one the plug-in
// must ignore (it would free the listing twice otherwise).
void HandBack(InputReader& in, Run& run, HANDLE panel, far3::PluginPanelItem* items, size_t count) {
    far3::FreeFindDataInfo fields = ForPanel<far3::FreeFindDataInfo>(panel);
    fields.PanelItem = items;
    fields.ItemsNumber = count;
    const uint8_t odd = in.Byte() % 4;
    RecordSize size = PickRecordSize(in, sizeof(fields));
    if (odd != 0) {
        far3::FreeFindDataInfo oddFields = fields;
        if (odd == 3) {
            oddFields.hPanel = nullptr;
        }
        const RecordSize oddSize = odd == 1   ? RecordSize{true, 0}
                                   : odd == 2 ? RecordSize{false, size.size % sizeof(fields)}
                                              : RecordSize{false, sizeof(fields)};
        HostRecord<far3::FreeFindDataInfo> record(oddFields, oddSize);
        fuzz::AroundPluginCall(run.desktop,
                               [&] { far3host::Plugin().FreeFindDataW(record.Get()); });
    }
    if (size.null || size.size < sizeof(fields)) {
        size = RecordSize{false, sizeof(fields)};
    }
    HostRecord<far3::FreeFindDataInfo> record(fields, size);
    fuzz::AroundPluginCall(run.desktop, [&] { far3host::Plugin().FreeFindDataW(record.Get()); });
}

// An entry point called directly for a picked panel, with a record of a picked size whose other
// fields `fill` sets (reading their operands). A null or short record, or a panel that is not
// open, is left alone and refused (a closed panel's usable record is not judged); a usable one
// is written at most within Velumo's part. With `unknownHandle` the call may ask the stand-in
// about a panel no host panel shows, the fuzzer's doing. `picked` and `written` receive the
// panel and what the plug-in left in a usable record.
template <typename Record, typename Entry, typename Fill>
intptr_t CallForPanel(InputReader& in, Run& run, Entry entry, bool unknownHandle, Fill fill,
                      PanelPick* picked = nullptr, Record* written = nullptr) {
    const PanelPick panel = PickPanel(in, run);
    Record fields = ForPanel<Record>(panel.handle);
    const RecordSize size = PickRecordSize(in, sizeof(fields));
    fill(fields);
    HostRecord<Record> record(fields, size);
    run.hostUnawarePanel =
        unknownHandle && (panel.kind == PanelKind::Apart || panel.kind == PanelKind::Closed);
    intptr_t result = 0;
    fuzz::AroundPluginCall(run.desktop, [&] { result = entry(record.Get()); });
    if (!record.Usable() || (panel.kind != PanelKind::Closed && !IsLive(panel))) {
        Require(record.Untouched() && result == 0, "an entry point took a record it must refuse",
                static_cast<uint32_t>(result));
    }
    Require(record.TailUntouched(), "an entry point wrote beyond Velumo's record");
    if (picked != nullptr) {
        *picked = panel;
    }
    if (written != nullptr && record.Usable()) {
        *written = *record.Get();
    }
    return result;
}

void DirectGetFindData(InputReader& in, Run& run) {
    PanelPick panel = {};
    far3::GetFindDataInfo written = {};
    const auto fill = [&](far3::GetFindDataInfo& fields) { fields.OpMode = in.Dword(); };
    if (CallForPanel<far3::GetFindDataInfo>(in, run, far3host::Plugin().GetFindDataW, false, fill,
                                            &panel, &written)) {
        HandBack(in, run, panel.handle, written.PanelItem, written.ItemsNumber);
    }
}

void DirectGetOpenPanelInfo(InputReader& in, Run& run) {
    const auto entry = [](far3::OpenPanelInfo* info) {
        far3host::Plugin().GetOpenPanelInfoW(info);
        return intptr_t{0};
    };
    CallForPanel<far3::OpenPanelInfo>(in, run, entry, false, [](far3::OpenPanelInfo&) {});
}

void DirectSetDirectory(InputReader& in, Run& run) {
    PanelPick panel = {};
    Text directory;
    const auto fill = [&](far3::SetDirectoryInfo& fields) {
        const uint8_t form = in.Byte() % 4;
        directory = form == 0 ? in.Text16(300) : form == 2 ? kParentDirectory : kRootDirectory;
        fields.Dir = form == 1 ? nullptr : directory.c_str();
        fields.OpMode = in.Dword();
    };
    if (CallForPanel<far3::SetDirectoryInfo>(in, run, far3host::Plugin().SetDirectoryW, true, fill,
                                             &panel) != 0 &&
        panel.kind == PanelKind::Apart) {
        // FAR closes the panel inside FCTL_CLOSEPANEL; no host panel shows this one, so the
        // fuzzer closes it as FAR would have.
        CloseApart(run, panel.handle, RecordSize{false, sizeof(far3::ClosePanelInfo)});
    }
}

std::vector<far3::PluginPanelItem> PickItems(InputReader& in, const Run& run) {
    std::vector<far3::PluginPanelItem> items;
    for (HWND window : fuzz::PickItemWindows(in, run.lastListing, run.desktop)) {
        far3::PluginPanelItem item = {};
        item.FileName = FAR3_TEXT("");
        item.Flags = far3::PPIF_SELECTED;
        item.UserData.Data = window;
        items.push_back(item);
    }
    return items;
}

void DirectDeleteFiles(InputReader& in, Run& run) {
    std::vector<far3::PluginPanelItem> items;
    const auto fill = [&](far3::DeleteFilesInfo& fields) {
        items = PickItems(in, run);
        fields.PanelItem = items.empty() ? nullptr : items.data();
        fields.ItemsNumber = items.size();
        const uint8_t countPick = in.Byte() % 4; // all, null array, fewer, none
        if (countPick == 1) {
            fields.PanelItem = nullptr;
        } else if (countPick > 1) {
            fields.ItemsNumber = countPick == 2 ? in.Byte() % (items.size() + 1) : 0;
        }
    };
    CallForPanel<far3::DeleteFilesInfo>(in, run, far3host::Plugin().DeleteFilesW, false, fill);
}

void DirectProcessInput(InputReader& in, Run& run) {
    const auto fill = [&](far3::ProcessPanelInputInfo& fields) {
        KEY_EVENT_RECORD& key = fields.Rec.Event.KeyEvent;
        static const WORD kKeyEvent[] = {KEY_EVENT};
        static const BOOL kDown[] = {TRUE, FALSE};
        fields.Rec.EventType = fuzz::PickOrRead(in, kKeyEvent, [&] { return in.Word(); });
        key.bKeyDown = fuzz::PickOrRead(in, kDown, [&] { return in.Dword(); });
        key.wRepeatCount = 1;
        key.wVirtualKeyCode = PickKey(in);
        key.dwControlKeyState = PickKeyState(in);
    };
    CallForPanel<far3::ProcessPanelInputInfo>(in, run, far3host::Plugin().ProcessPanelInputW, true,
                                              fill);
}

void DirectConfigure(InputReader& in, Run& run) {
    far3::ConfigureInfo fields = Zeroed<far3::ConfigureInfo>();
    const RecordSize size = PickRecordSize(in, sizeof(fields));
    const GUID* const guids[] = {&far3::kConfigMenuGuid, &far3::kPluginsMenuGuid, nullptr};
    fields.Guid = guids[in.Byte() % 3];
    ReadAnswers(in);
    HostRecord<far3::ConfigureInfo> record(fields, size);
    ConfigureStep(run, [&] { return far3host::Plugin().ConfigureW(record.Get()); });
    Require(record.Untouched(), "ConfigureW wrote into the host's record");
    Require(record.Usable() || far3host::DialogCalls().empty(),
            "ConfigureW showed a dialog for a record it cannot read");
}

// GetGlobalInfoW or GetPluginInfoW: a usable record filled within Velumo's part, any other left
// alone.
template <typename Record, typename Entry> void InfoCall(InputReader& in, Run& run, Entry entry) {
    Record fields = Zeroed<Record>();
    HostRecord<Record> record(fields, PickRecordSize(in, sizeof(fields)));
    fuzz::AroundPluginCall(run.desktop, [&] { entry(record.Get()); });
    Require(record.Usable() ? record.TailUntouched() : record.Untouched(),
            "an information call wrote where it had to leave the record alone");
}

void DirectInfo(InputReader& in, Run& run) {
    if ((in.Byte() & 1) != 0) {
        InfoCall<far3::GlobalInfo>(in, run, far3host::Plugin().GetGlobalInfoW);
    } else {
        InfoCall<far3::PluginInfo>(in, run, far3host::Plugin().GetPluginInfoW);
    }
}

// By opcode: what a user does in FAR, FAR's exit, then the entry points called directly.
using StepCall = void (*)(InputReader&, Run&);
const StepCall kSteps[] = {
    [](InputReader& in, Run& run) {
        const size_t item = in.Byte() % 3;
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::OpenInActivePanel(item); });
    },
    [](InputReader& in, Run& run) {
        const far3host::PanelSide side = PickSide(in);
        const size_t item = in.Byte() % 2;
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::OpenFromDiskMenu(side, item); });
    },
    [](InputReader& in, Run& run) {
        const Text command = ReadCommand(in, run);
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::TypeCommand(command); });
    },
    [](InputReader& in, Run& run) {
        const far3host::PanelSide side = PickSide(in);
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::ListPanel(side); });
    },
    [](InputReader& in, Run& run) {
        const far3host::PanelSide side = PickSide(in);
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::RedrawPanel(side); });
    },
    [](InputReader& in, Run&) {
        std::vector<size_t> indices(in.Byte() % 9);
        for (size_t& index : indices) {
            index = in.Byte();
        }
        far3host::SelectItems(indices);
    },
    [](InputReader& in, Run&) { far3host::SetCursor(in.Byte()); },
    [](InputReader& in, Run& run) {
        const WORD key = PickKey(in);
        const DWORD state = PickKeyState(in);
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::PressKey(key, state); });
    },
    [](InputReader&, Run& run) {
        fuzz::AroundPluginCall(run.desktop, [] { far3host::EnterDotDot(); });
    },
    StepChangeDirectory,
    [](InputReader&, Run&) {
        far3host::SetActivePanel(far3host::ActivePanel() == far3host::kLeftPanel
                                     ? far3host::kRightPanel
                                     : far3host::kLeftPanel);
    },
    [](InputReader& in, Run& run) {
        const far3host::PanelSide side = PickSide(in);
        fuzz::AroundPluginCall(run.desktop, [&] { far3host::ShowFolder(side, FAR3_TEXT("D:\\")); });
    },
    StepConfigure,
    [](InputReader& in, Run& run) {
        const uint8_t failures = in.Byte();
        run.createFails = (failures & 1) != 0;
        far3host::FailSettingsCreate(run.createFails);
        far3host::FailDialogInit((failures & 2) != 0);
        run.reallocPlan = (failures >> 2) & 7;
    },
    [](InputReader&, Run& run) { run.ended = true; },
    DirectOpen,
    DirectClose,
    DirectGetFindData,
    DirectGetOpenPanelInfo,
    DirectSetDirectory,
    DirectDeleteFiles,
    DirectProcessInput,
    DirectConfigure,
    DirectInfo,
};

// The start-up record's size: Velumo's, up to Private, one byte less, zero, larger, StructSize.
size_t PickStartupSize(InputReader& in) {
    constexpr size_t kWhole = sizeof(far3::PluginStartupInfo);
    constexpr size_t kUpToPrivate = offsetof(far3::PluginStartupInfo, Private);
    constexpr size_t kSizes[] = {kWhole, kUpToPrivate, kUpToPrivate - 1,
                                 0,      kWhole + 1,   sizeof(size_t)};
    const size_t pick = in.Byte() % 6;
    return kSizes[pick] + (pick == 4 ? in.Byte() % 64 : 0);
}

// The standard functions' table: whole, none (null), StructSize only, half, larger.
void PickFunctionsSize(InputReader& in, Run& run) {
    constexpr size_t kWhole = sizeof(far3::FarStandardFunctions);
    constexpr size_t kSizes[] = {kWhole, kWhole, sizeof(size_t), kWhole / 2, kWhole + 1};
    const size_t pick = in.Byte() % 5;
    run.noFunctions = pick == 1;
    run.functionsSize = kSizes[pick] + (pick == 4 ? in.Byte() % 64 : 0);
}

void WINAPI RefuseToLoad(far3::GlobalInfo*) {}

// FAR exits: it closes every panel, then calls ExitFARW. Then the stand-in is emptied (a start
// FAR refuses resets it and loads nothing), so that what an input allocated is freed by its end.
void EndRun(Run& run) {
    while (!run.apart.empty()) {
        CloseApart(run, run.apart.back(), RecordSize{false, sizeof(far3::ClosePanelInfo)});
    }
    fuzz::AroundPluginCall(run.desktop, [] { far3host::ExitFar(); });
    CheckAfterStep(run);
    fuzz::CheckNoKeyLeftOpen(run.closeMayFail);
    far3host::PluginExports none = {};
    none.GetGlobalInfoW = RefuseToLoad;
    far3host::Start(none, {}, {}, Text());
    far3host::ClearRecords();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetProcessState();
    InputReader in(data, size);
    Run run;
    run.desktop.wideTitles = true;
    run.plugin = far3host::LinkedPlugin();
    g_run = &run;

    const uint8_t start = in.Byte();
    run.createFails = (start & 1) != 0;
    run.closeMayFail = (start & 8) != 0;
    run.startupSize = PickStartupSize(in);
    PickFunctionsSize(in, run);
    const std::vector<far3host::StoredSetting> seeded = ReadStore(in);
    const std::string oldKey = far3::kOldRegistryKeyPath;
    fuzz::SeedRegistry(in, &oldKey);
    const std::vector<Text> messages = fuzz::OverrideMessages(
        in, Far3EnglishMessages(), Far3EnglishMessages().size(), [&] { return in.Text16(700); });
    const simwin::RegistryCall failing[3] = {
        simwin::RegistryCall::Open, simwin::RegistryCall::Query, simwin::RegistryCall::Close};
    for (int i = 0; i < 3; ++i) {
        if (start & (2 << i)) {
            simwin::FailRegistryCall(failing[i], ERROR_ACCESS_DENIED);
        }
    }

    if ((start & 0x40) != 0) {
        fuzz::SeedHiddenWindowRecord(in, run.desktop);
    }

    Require(far3host::Start(CheckedExports(run.plugin), messages, seeded,
                            FAR3_TEXT("C:\\Far\\Plugins\\Velumo\\Velumo.dll")),
            "the stand-in refused to load the plug-in");
    fuzz::CheckRecordAdoption(run.desktop, run.started && (start & 0xE) == 0);
    CheckLoadedSettings(run, start, seeded);
    CheckAfterStep(run);
    fuzz::CheckNoKeyLeftOpen(run.closeMayFail);
    fuzz::RunSteps(in, run, kSteps, CheckAfterStep);
    EndRun(run);
    g_run = nullptr;
    ResetProcessState();
    return 0;
}
