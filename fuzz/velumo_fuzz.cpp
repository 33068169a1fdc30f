// The FAR 1.x plug-in's libFuzzer target: one input is one life of the plug-in in the FAR 1.x
// stand-in: the registry and the host's texts set up, then the entry points called with valid,
// null and invalid handles, made-up items, scripted dialogs, failing registry calls and Control,
// between desktop events. After every step it traps on a broken invariant: the hidden-window
// table against the windows (fuzz_common.h); settings loaded from the registry's usable values
// and stored by a confirmed dialog only; no key left open; every listing well-formed and
// matching the windows, a refused one writing nothing; every listing handed back and every
// panel closed by the end (ASan's leak check does the rest).
//
// Input (little-endian; zeros past the end; a text is cut at its first NUL):
//   byte start: bit 0 no root key, bits 1-5 RegOpenKeyExA, RegCreateKeyExA, RegQueryValueExA,
//        RegSetValueExA, RegCloseKey fail, bit 6 the record of hidden windows is seeded;
//        text root key (max 1000)
//   registry values (fuzz::SeedRegistry over <root>\Velumo)
//   byte message override count (% 8), each: byte id (% 20), text (max 700)
//   with start bit 6: the record's entries (fuzz::SeedHiddenWindowRecord)
//   steps (fuzz::RunSteps): 0-10 the entry points of kSteps, 11 a registry call fails (byte
//          call, byte error), 12 Control's result (dword), 13-19 desktop events 0-6; the
//          operands as each step reads them.
//   panel: fuzz::PickPanel over the open panels
//   items: fuzz::PickItemWindows
// The seeds (fuzz/corpus) are inputs in this format.
#include "far1_host.h"
#include "far1_support.h"
#include "fuzz_common.h"
#include "sim_desktop.h"

#include "core/settings.h"
#include "core/settings_dialog.h"
#include "far1/panel_items.h"
#include "far1/panel_presentation.h"
#include "far1/window_panel.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using fuzz::InputReader;
using fuzz::Require;

constexpr size_t kMaxOpenListings = 32; // the oldest is handed back beyond this
constexpr size_t kRegistryCallKinds = 5;
constexpr char kPluginKeyName[] = "Velumo";
constexpr intptr_t kUnreadableItem = 0x10; // faults when read as an address

struct Listing {
    HANDLE panel;
    far1::PluginPanelItem* items;
    int count;
};

struct Run {
    fuzz::Desktop desktop;      // titles are ANSI bytes
    std::vector<HANDLE> panels; // open panels
    std::vector<Listing> listings;
    std::vector<HWND> lastListing; // the windows of the most recent listing
    LONG failures[kRegistryCallKinds] = {};
    bool closeMayFail = false; // RegCloseKey was made to fail
    bool rootKeyNull = false;
    bool ended = false;  // never: ExitFAR is one more call that the steps may make
    std::string keyPath; // "<root>\Velumo"
};

bool IsOpenPanel(const Run& run, HANDLE panel) {
    return std::find(run.panels.begin(), run.panels.end(), panel) != run.panels.end();
}

std::vector<far1::PluginPanelItem> PickItems(InputReader& in, const Run& run) {
    std::vector<far1::PluginPanelItem> items;
    for (HWND window : fuzz::PickItemWindows(in, run.lastListing, run.desktop)) {
        items.push_back(PanelItemFor(window));
    }
    return items;
}

void SetRegistryFailure(Run& run, size_t kind, LONG error) {
    run.failures[kind] = error;
    simwin::FailRegistryCall(static_cast<simwin::RegistryCall>(kind), error);
    if (kind == static_cast<size_t>(simwin::RegistryCall::Close) && error != ERROR_SUCCESS) {
        run.closeMayFail = true;
    }
}

uint32_t SettingIndex(const SettingField& setting) {
    return static_cast<uint32_t>(&setting - kSettingFields);
}

// A path the registry accepts: every component 1 to 255 characters.
bool IsUsableKeyPath(const std::string& path) {
    size_t start = 0;
    for (size_t end; (end = path.find('\\', start)) != std::string::npos; start = end + 1) {
        if (end == start || end - start > 255) {
            return false;
        }
    }
    return start < path.size() && path.size() - start <= 255;
}

// Every setting as the registry holds it when the key and its values can be read (see
// fuzz::RegistryValueOver), else its default.
void CheckLoadedSettings(const Run& run) {
    const bool readable =
        !run.rootKeyNull && run.failures[0] == ERROR_SUCCESS && run.failures[2] == ERROR_SUCCESS;
    for (const SettingField& setting : kSettingFields) {
        Require(g_settings.*setting.Field ==
                    (readable ? fuzz::RegistryValueOver(run.keyPath, setting.Name, setting.Default)
                              : setting.Default),
                "a setting did not load as the registry holds it", SettingIndex(setting));
    }
}

void CheckSavedSettings(const Run& run) {
    if (run.rootKeyNull || run.failures[1] != ERROR_SUCCESS || run.failures[3] != ERROR_SUCCESS ||
        !IsUsableKeyPath(run.keyPath)) {
        return;
    }
    for (const SettingField& setting : kSettingFields) {
        DWORD type = 0;
        std::vector<uint8_t> data;
        Require(simwin::ReadRegistryValue(run.keyPath, setting.Name, &type, &data) &&
                    type == REG_DWORD && data.size() == 4,
                "a confirmed dialog did not store a setting as a REG_DWORD", SettingIndex(setting));
        Require(fuzz::RegistryValueOver(run.keyPath, setting.Name, 0) == g_settings.*setting.Field,
                "a stored setting differs from the one in memory", SettingIndex(setting));
    }
}

// The listing as the host receives it. Status marks are compared with the desktop only when
// no hook changed it during the listing.
void CheckListing(Run& run, const far1::PluginPanelItem* items, int count) {
    Require(count >= 0, "negative item count", static_cast<uint32_t>(count));
    Require((items == nullptr) == (count == 0), "an empty list must be a null array");
    std::set<HWND> seen;
    run.lastListing.clear();
    for (int i = 0; i < count; ++i) {
        const far1::PluginPanelItem& item = items[i];
        const uint32_t userData = static_cast<uint32_t>(item.UserData);
        Require(memchr(item.FindData.cFileName, '\0', far1::kListedTitleCapacity) != nullptr,
                "title not terminated within 128 bytes", userData);
        Require(item.CustomColumnNumber == 2 && item.CustomColumnData != nullptr &&
                    item.CustomColumnData[0] != nullptr && item.CustomColumnData[1] != nullptr,
                "entry without its two column texts", userData);
        run.lastListing.push_back(fuzz::CheckListedWindow(item.UserData, item.CustomColumnData[0],
                                                          item.CustomColumnData[1], &seen,
                                                          !run.desktop.hookArmed));
    }
}

void HandBack(Run& run, size_t index) {
    const Listing listing = run.listings[index];
    run.listings.erase(run.listings.begin() + static_cast<std::ptrdiff_t>(index));
    fuzz::AroundPluginCall(run.desktop, [&] {
        far1host::Plugin().FreeFindData(listing.panel, listing.items, listing.count);
    });
}

// The host hands back every listing of a panel before it closes the panel.
void ClosePanel(Run& run, HANDLE panel) {
    const bool isOpen = IsOpenPanel(run, panel);
    if (isOpen) {
        for (size_t i = run.listings.size(); i-- > 0;) {
            if (run.listings[i].panel == panel) {
                HandBack(run, i);
            }
        }
        run.panels.erase(std::find(run.panels.begin(), run.panels.end(), panel));
    }
    // Only the close of the last open panel shows the hidden windows again.
    const bool restores = isOpen && g_settings.ShowAllWindowAtExit != 0 && run.panels.empty();
    fuzz::AroundPluginCall(run.desktop, [&] {
        fuzz::CheckedClose(run.desktop, [&] {
            far1host::Plugin().ClosePlugin(panel);
            return restores;
        });
    });
}

void StepOpenPlugin(InputReader& in, Run& run) {
    const uint8_t code = in.Byte();
    const int openFrom = code <= far1::OPEN_COMMANDLINE ? code : static_cast<int>(in.Dword());
    const uint8_t itemPick = in.Byte();
    const std::string command = in.Text(600);
    intptr_t item = reinterpret_cast<intptr_t>(command.c_str());
    if (itemPick & 1) {
        item = 0;
    } else if ((itemPick & 2) && openFrom != far1::OPEN_COMMANDLINE) {
        item = kUnreadableItem; // only a command line passes a text: any other item is not read
    }
    HANDLE panel = nullptr;
    fuzz::AroundPluginCall(run.desktop,
                           [&] { panel = far1host::Plugin().OpenPlugin(openFrom, item); });
    Require(panel != nullptr && panel != INVALID_HANDLE_VALUE, "OpenPlugin gave no panel");
    run.panels.push_back(panel);
}

void StepGetFindData(InputReader& in, Run& run) {
    HANDLE panel = fuzz::PickPanel(in, run.panels);
    const uint8_t flags = in.Byte();
    const int opMode = static_cast<int>(in.Dword());
    if (run.listings.size() >= kMaxOpenListings) {
        HandBack(run, 0);
    }
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    int result = 0;
    fuzz::AroundPluginCall(run.desktop, [&] {
        result = far1host::Plugin().GetFindData(panel, (flags & 1) ? nullptr : &items,
                                                (flags & 2) ? nullptr : &count, opMode);
    });
    const bool valid = IsOpenPanel(run, panel) && (flags & 3) == 0;
    Require(result == (valid ? 1 : 0), "GetFindData gave an unexpected result",
            static_cast<uint32_t>(result));
    if (!valid) {
        Require(items == nullptr && count == 0, "a refused GetFindData wrote its places");
        return;
    }
    CheckListing(run, items, count);
    run.listings.push_back(Listing{panel, items, count});
}

void StepGetOpenPluginInfo(InputReader& in, Run& run) {
    HANDLE panel = fuzz::PickPanel(in, run.panels);
    const bool nullRecord = (in.Byte() & 1) != 0;
    far1::OpenPluginInfo info;
    memset(&info, 0, sizeof(info));
    fuzz::AroundPluginCall(run.desktop, [&] {
        far1host::Plugin().GetOpenPluginInfo(panel, nullRecord ? nullptr : &info);
    });
    if (IsOpenPanel(run, panel) && !nullRecord) {
        Require(info.PanelTitle != nullptr &&
                    memchr(info.PanelTitle, '\0', kPanelTitleCapacity) != nullptr,
                "panel title not terminated within its buffer");
    }
}

void StepSetDirectory(InputReader& in, Run& run) {
    HANDLE panel = fuzz::PickPanel(in, run.panels);
    const bool nullDirectory = (in.Byte() & 1) != 0;
    const std::string directory = in.Text(300);
    const int opMode = static_cast<int>(in.Dword());
    int result = -1;
    fuzz::AroundPluginCall(run.desktop, [&] {
        result = far1host::Plugin().SetDirectory(panel, nullDirectory ? nullptr : directory.c_str(),
                                                 opMode);
    });
    Require((IsOpenPanel(run, panel) && !nullDirectory) || result == 0,
            "SetDirectory took a null directory or no open panel", static_cast<uint32_t>(result));
}

void StepDeleteFiles(InputReader& in, Run& run) {
    HANDLE panel = fuzz::PickPanel(in, run.panels);
    std::vector<far1::PluginPanelItem> items = PickItems(in, run);
    const int size = static_cast<int>(items.size());
    int count = size;
    far1::PluginPanelItem* array = items.empty() ? nullptr : items.data();
    const uint8_t countPick = in.Byte() % 4; // all, null array, negative, fewer
    if (countPick == 1) {
        array = nullptr;
    } else if (countPick > 1) {
        count = countPick == 2 ? -static_cast<int>(in.Byte()) : in.Byte() % (size + 1);
    }
    int result = -1;
    fuzz::AroundPluginCall(
        run.desktop, [&] { result = far1host::Plugin().DeleteFiles(panel, array, count, 0); });
    Require(result == (IsOpenPanel(run, panel) ? 1 : 0), "DeleteFiles gave an unexpected result",
            static_cast<uint32_t>(result));
}

void StepProcessKey(InputReader& in, Run& run) {
    HANDLE panel = fuzz::PickPanel(in, run.panels);
    static const int kKeys[] = {VK_F3, 'A'};
    static const unsigned kStates[] = {0, far1::PKF_ALT};
    const int key = fuzz::PickOrRead(in, kKeys, [&] { return in.Dword(); });
    const unsigned state = fuzz::PickOrRead(in, kStates, [&] { return in.Dword(); });
    far1host::SetPanelSelection(PickItems(in, run));
    int result = -1;
    fuzz::AroundPluginCall(run.desktop,
                           [&] { result = far1host::Plugin().ProcessKey(panel, key, state); });
    Require(IsOpenPanel(run, panel) || result == 0, "ProcessKey took a key for no open panel",
            static_cast<uint32_t>(result));
}

void StepConfigure(InputReader& in, Run& run) {
    static const int kFirstItem[] = {0};
    static const int kDialogEnds[] = {kFar1ConfigDialog.OkRow, kFar1ConfigDialog.CancelRow, -1};
    const int itemNumber = fuzz::PickOrRead(in, kFirstItem, [&] { return in.Dword(); });
    const size_t answers = in.Byte() % 4;
    for (size_t a = 0; a < answers; ++a) {
        far1host::DialogAnswer answer;
        answer.result = fuzz::PickOrRead(in, kDialogEnds, [&] { return in.Dword(); });
        fuzz::ReadItemChanges(in, answer, 5, [&] { return in.Text(600); });
        far1host::QueueDialogAnswer(answer);
    }
    const Settings before = g_settings;
    const size_t writesBefore = simwin::RegistryWrites().size();
    int result = -1;
    fuzz::AroundPluginCall(run.desktop, [&] { result = far1host::Plugin().Configure(itemNumber); });
    if (result == 0) {
        Require(memcmp(&before, &g_settings, sizeof(Settings)) == 0 &&
                    simwin::RegistryWrites().size() == writesBefore,
                "a dialog that was not confirmed changed the settings");
        return;
    }
    CheckSavedSettings(run);
}

// The host's calls and the failures it can be made to have, by opcode.
using StepCall = void (*)(InputReader&, Run&);
const StepCall kSteps[] = {
    StepOpenPlugin,
    [](InputReader& in, Run& run) { ClosePanel(run, fuzz::PickPanel(in, run.panels)); },
    StepGetFindData,
    [](InputReader& in, Run& run) {
        const uint8_t pick = in.Byte();
        if (!run.listings.empty()) {
            HandBack(run, pick % run.listings.size());
        }
    },
    StepGetOpenPluginInfo,
    StepSetDirectory,
    StepDeleteFiles,
    StepProcessKey,
    StepConfigure,
    [](InputReader& in, Run& run) {
        far1::PluginInfo info = {};
        const bool nullRecord = (in.Byte() & 1) != 0;
        fuzz::AroundPluginCall(
            run.desktop, [&] { far1host::Plugin().GetPluginInfo(nullRecord ? nullptr : &info); });
    },
    [](InputReader&, Run& run) {
        fuzz::AroundPluginCall(run.desktop, [] { far1host::Plugin().ExitFAR(); });
    },
    [](InputReader& in, Run& run) {
        static const LONG kErrors[] = {ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND,
                                       ERROR_MORE_DATA};
        const size_t kind = in.Byte() % kRegistryCallKinds;
        SetRegistryFailure(run, kind, fuzz::PickOrRead(in, kErrors, [&] { return in.Dword(); }));
    },
    [](InputReader& in, Run&) { far1host::SetControlResult(static_cast<int>(in.Dword())); },
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetProcessState();
    InputReader in(data, size);
    Run run;

    const uint8_t startup = in.Byte();
    run.rootKeyNull = (startup & 1) != 0;
    std::string rootKey = in.Text(1000);
    rootKey.resize(std::min(rootKey.size(), rootKey.find('\0')));
    run.keyPath = rootKey + "\\" + kPluginKeyName;
    fuzz::SeedRegistry(in, run.rootKeyNull ? nullptr : &run.keyPath);
    const std::vector<std::string> messages =
        fuzz::OverrideMessages(in, EnglishMessages(), 20, [&] { return in.Text(700); });
    for (size_t kind = 0; kind < kRegistryCallKinds; ++kind) {
        if (startup & (2u << kind)) {
            SetRegistryFailure(run, kind, ERROR_ACCESS_DENIED);
        }
    }

    if ((startup & 0x40) != 0) {
        fuzz::SeedHiddenWindowRecord(in, run.desktop);
    }

    far1host::Start(far1host::LinkedPlugin(), messages, rootKey, "Velumo.dll", run.rootKeyNull);
    fuzz::CheckRecordAdoption(run.desktop, (startup & 0x3E) == 0);
    CheckLoadedSettings(run);
    fuzz::CheckNoKeyLeftOpen(run.closeMayFail);
    fuzz::RunSteps(in, run, kSteps, [](Run&) { far1host::ClearRecords(); });

    // The host hands back every listing and closes every panel before it unloads the module.
    while (!run.listings.empty()) {
        HandBack(run, run.listings.size() - 1);
    }
    while (!run.panels.empty()) {
        ClosePanel(run, run.panels.back());
    }
    fuzz::CheckNoKeyLeftOpen(run.closeMayFail);
    far1host::SetPanelSelection({});
    far1host::ClearRecords();
    ResetProcessState();
    return 0;
}
