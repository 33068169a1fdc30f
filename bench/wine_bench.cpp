// The listings of the real DLLs of both front ends on real windows, each against its floor: a
// loop in the same process that makes exactly the window-system calls that front end's listing
// makes, in the same order and with the same arguments (its filter is the listing's own
// IsEligibleWindow, compiled into the benchmark), and writes the same texts into a preallocated
// array, but allocates nothing. The difference between a listing and its floor is what the
// listing adds to the bare cost of asking the window system: its allocation scheme, its
// zero-filling and its release.
//   far1  the FAR 1.x plug-in (Velumo/Velumo.dll): GetFindData + FreeFindData through the host
//         stand-in's loader; the title read in ANSI (GetWindowTextA, 128) and turned into OEM.
//   far3  the FAR 3 plug-in (far3/Velumo/Velumo.dll): GetFindDataW + FreeFindDataW, driven with
//         a minimal host (GetMsg gives "", SettingsControl fails: the default settings); the
//         whole title read in UTF-16 (GetWindowTextLengthW, then GetWindowTextW).
//
// Two desktops, one after the other, on a desktop object of the benchmark's own (the window
// harness, harness/), so that the enumeration sees the benchmark's windows and Wine's few hidden
// helpers only:
//   other-process  the windows belong to velumo_window_owner.exe, started on that desktop, as a
//                  user's windows belong to other programs;
//   same-process   the windows belong to the benchmark's own thread.
// Each desktop grows from one count to the next (window creation is slow under Wine; measuring
// never depends on how a desktop came to its count).
//
//   velumo_wine_bench.exe FAR1-DLL FAR3-DLL OWNER-EXE REPETITIONS COUNT...
//
// Writes tab-separated result lines to stdout, progress to stderr (times in microseconds):
//   row    FRONT-END CASE COUNT FLOOR-MEDIAN LISTING-MEDIAN FLOOR-MIN LISTING-MIN
//          LISTINGS-PER-SAMPLE PAIRED-RATIO-MEDIAN
// Exits non-zero when a listing does not list exactly the windows of the desktop, or does not
// agree with its floor entry by entry.
#include "core/hidden_window_table.h"
#include "core/window_catalogue.h"
#include "far1/panel_items.h"
#include "far3/far3_plugin.h"
#include "host_record.h"
#include "window_harness.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// ---- Timing ----------------------------------------------------------------------------------

double NowMicroseconds() {
    static LARGE_INTEGER frequency = []() {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Progress on stderr, with the seconds since the start.
void Progress(const char* desktopCase, const char* what, int count) {
    static const double start = NowMicroseconds();
    fprintf(stderr, "[%7.1f s] %s: %s, %d windows\n", (NowMicroseconds() - start) / 1e6,
            desktopCase, what, count);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// ---- The FAR 1.x floor -----------------------------------------------------------------------

struct Far1FloorEntry {
    char title[far1::kListedTitleCapacity];
    char status[kStatusTextSize];
    char handle[kHandleTextSize];
    HWND window;
};

// A floor's entries; `count` is the entries seen, those past the capacity overwrite the last slot.
template <typename Entry> struct Floor {
    Entry* entries;
    int capacity;
    int count;
};
using Far1Floor = Floor<Far1FloorEntry>;

// The status marks in the listing's order of calls (the elements of a braced list are evaluated
// in order): not visible, owned, blank, hidden by Velumo. The benchmark's copies of the
// plug-ins' globals hold the default settings and an empty table of hidden windows, as each DLL
// has them here.
void ReadStatus(HWND window, char (&status)[kStatusTextSize]) {
    const char marks[kStatusTextSize] = {IsWindowVisible(window) ? ' ' : 'H',
                                         GetWindow(window, GW_OWNER) != nullptr ? 'O' : ' ', ' ',
                                         g_hiddenWindows.Contains(window) ? 'D' : ' ', '\0'};
    memcpy(status, marks, kStatusTextSize);
}

// The status and handle, then the ANSI title turned OEM.
void FillFloorEntry(HWND window, Far1FloorEntry* entry) {
    ReadStatus(window, entry->status);
    FormatHandleText(window, entry->handle);
    char title[far1::kListedTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(window, title, far1::kListedTitleCapacity);
    title[far1::kListedTitleCapacity - 1] = '\0';
    CharToOemA(title, entry->title);
}

// ---- The FAR 3 floor -------------------------------------------------------------------------

// Long enough for every title the benchmark makes; a longer one would be read shorter than the
// listing reads it, and the agreement check would say so.
constexpr int kFar3FloorTitleCapacity = 256;

struct Far3FloorEntry {
    WCHAR title[kFar3FloorTitleCapacity];
    WCHAR status[kStatusTextSize];
    WCHAR handle[kHandleTextSize];
    HWND window;
};

using Far3Floor = Floor<Far3FloorEntry>;

template <size_t Size> void Widen(const char (&from)[Size], WCHAR (&to)[Size]) {
    for (size_t i = 0; i < Size; ++i) {
        to[i] = static_cast<WCHAR>(static_cast<unsigned char>(from[i]));
    }
}

// The status and handle, then the whole UTF-16 title in the listing's two calls, the length and
// then the text with room for exactly that length.
void FillFloorEntry(HWND window, Far3FloorEntry* entry) {
    char status[kStatusTextSize];
    char handle[kHandleTextSize];
    ReadStatus(window, status);
    FormatHandleText(window, handle);
    const int length = std::max(0, GetWindowTextLengthW(window));
    const int limit = std::min(length + 1, kFar3FloorTitleCapacity);
    int copied = GetWindowTextW(window, entry->title, limit);
    if (copied < 0 || copied >= limit) {
        copied = 0;
    }
    entry->title[copied] = 0;
    Widen(status, entry->status);
    Widen(handle, entry->handle);
}

// ---- Both floors ------------------------------------------------------------------------------

// One window: the listing's own filter, then the entry as that front end's listing fills it.
template <typename Entry> BOOL CALLBACK VisitFloor(HWND window, LPARAM context) {
    Floor<Entry>* floor = reinterpret_cast<Floor<Entry>*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    Entry* entry = &floor->entries[std::min(floor->count, floor->capacity - 1)];
    FillFloorEntry(window, entry);
    entry->window = window;
    ++floor->count;
    return TRUE;
}

template <typename Entry> int RunFloor(Floor<Entry>* floor) {
    floor->count = 0;
    EnumWindows(VisitFloor<Entry>, reinterpret_cast<LPARAM>(floor));
    return floor->count;
}

// Whether the listing and its floor saw every window of the desktop; if not, `why` says so.
bool SameCounts(int listed, int floorCount, int expected, std::string* why) {
    if (listed == expected && floorCount == expected) {
        return true;
    }
    char text[100];
    snprintf(text, sizeof text, "listed %d, floor %d, desktop %d windows", listed, floorCount,
             expected);
    *why = text;
    return false;
}

// ---- The FAR 1.x plug-in ---------------------------------------------------------------------

struct Far1Plugin {
    far1host::PluginExports exports;
    HANDLE panel;
};

int RunFar1Listing(const Far1Plugin& plugin) {
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    plugin.exports.GetFindData(plugin.panel, &items, &count, 0);
    plugin.exports.FreeFindData(plugin.panel, items, count);
    return count;
}

// The listing and the floor must see the same windows and produce the same texts.
bool Far1AgreesWithFloor(const Far1Plugin& plugin, Far1Floor* floor, int expected,
                         std::string* why) {
    far1::PluginPanelItem* items = nullptr;
    int count = 0;
    plugin.exports.GetFindData(plugin.panel, &items, &count, 0);
    char text[200];
    bool agrees = SameCounts(count, RunFloor(floor), expected, why);
    for (int i = 0; agrees && i < count; ++i) {
        const far1::PluginPanelItem& item = items[i];
        const Far1FloorEntry& entry = floor->entries[i];
        agrees = item.CustomColumnNumber == 2 && item.CustomColumnData != nullptr &&
                 strcmp(item.FindData.cFileName, entry.title) == 0 &&
                 strcmp(item.CustomColumnData[0], entry.status) == 0 &&
                 strcmp(item.CustomColumnData[1], entry.handle) == 0 &&
                 item.UserData == far1::UserDataFromWindow(entry.window);
        if (!agrees) {
            snprintf(text, sizeof text, "entry %d: listed \"%s\" [%s] %s, floor \"%s\" [%s] %s", i,
                     item.FindData.cFileName,
                     item.CustomColumnData != nullptr ? item.CustomColumnData[0] : "-",
                     item.CustomColumnData != nullptr ? item.CustomColumnData[1] : "-", entry.title,
                     entry.status, entry.handle);
            *why = text;
        }
    }
    plugin.exports.FreeFindData(plugin.panel, items, count);
    return agrees;
}

// ---- The FAR 3 plug-in -----------------------------------------------------------------------

// The FAR 3 DLL's entry points the listing needs, and its open panel.
struct Far3Plugin {
    far3::SetStartupInfoWFn SetStartupInfoW;
    far3::OpenWFn OpenW;
    far3::GetFindDataWFn GetFindDataW;
    far3::FreeFindDataWFn FreeFindDataW;
    far3::ClosePanelWFn ClosePanelW;
    HANDLE panel;
};

template <typename Function>
bool FindExport(HMODULE module, const char* name, Function* function, std::string* error) {
    FARPROC address = GetProcAddress(module, name);
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    if (address == nullptr) {
        *error = std::string("the FAR 3 DLL lacks the export ") + name;
    }
    return address != nullptr;
}

const WCHAR kNoText[] = {0};

// The minimal host: no messages (the listing shows none) and no settings store, so the plug-in
// runs at its default settings, as the floor does.
const WCHAR* WINAPI NoMessage(const GUID*, intptr_t) {
    return kNoText;
}

intptr_t WINAPI NoSettingsStore(HANDLE, far3::FAR_SETTINGS_CONTROL_COMMANDS, intptr_t, void*) {
    return 0;
}

// Loads the DLL, starts it as FAR 3 does (the records live only during the call) and opens a
// panel from the plug-ins menu.
bool OpenFar3Plugin(const std::string& dllPath, Far3Plugin* plugin, std::string* error) {
    HMODULE module = LoadLibraryA(dllPath.c_str());
    if (module == nullptr) {
        *error = "cannot load " + dllPath + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (!FindExport(module, "SetStartupInfoW", &plugin->SetStartupInfoW, error) ||
        !FindExport(module, "OpenW", &plugin->OpenW, error) ||
        !FindExport(module, "GetFindDataW", &plugin->GetFindDataW, error) ||
        !FindExport(module, "FreeFindDataW", &plugin->FreeFindDataW, error) ||
        !FindExport(module, "ClosePanelW", &plugin->ClosePanelW, error)) {
        return false;
    }
    WCHAR modulePath[MAX_PATH];
    if (GetModuleFileNameW(module, modulePath, MAX_PATH) == 0) {
        modulePath[0] = 0;
    }
    far3::PluginStartupInfo startup = HostRecord<far3::PluginStartupInfo>();
    startup.ModuleName = modulePath;
    startup.GetMsg = NoMessage;
    startup.SettingsControl = NoSettingsStore;
    startup.Instance = module;
    plugin->SetStartupInfoW(&startup);

    far3::OpenInfo open = HostRecord<far3::OpenInfo>();
    open.OpenFrom = far3::OPEN_PLUGINSMENU;
    open.Instance = module;
    plugin->panel = plugin->OpenW(&open);
    if (plugin->panel == nullptr || plugin->panel == INVALID_HANDLE_VALUE) {
        *error = "the FAR 3 plug-in opened no panel";
        return false;
    }
    return true;
}

void CloseFar3Panel(const Far3Plugin& plugin) {
    far3::ClosePanelInfo close = HostRecord<far3::ClosePanelInfo>();
    close.hPanel = plugin.panel;
    plugin.ClosePanelW(&close);
}

// GetFindDataW; the items and their number, both zero when it fails.
far3::GetFindDataInfo GetFar3Items(const Far3Plugin& plugin) {
    far3::GetFindDataInfo find = HostRecord<far3::GetFindDataInfo>();
    find.hPanel = plugin.panel;
    if (!plugin.GetFindDataW(&find)) {
        find.PanelItem = nullptr;
        find.ItemsNumber = 0;
    }
    return find;
}

void FreeFar3Items(const Far3Plugin& plugin, const far3::GetFindDataInfo& found) {
    far3::FreeFindDataInfo release = HostRecord<far3::FreeFindDataInfo>();
    release.hPanel = plugin.panel;
    release.PanelItem = found.PanelItem;
    release.ItemsNumber = found.ItemsNumber;
    plugin.FreeFindDataW(&release);
}

int RunFar3Listing(const Far3Plugin& plugin) {
    const far3::GetFindDataInfo found = GetFar3Items(plugin);
    FreeFar3Items(plugin, found);
    return static_cast<int>(found.ItemsNumber);
}

bool SameText(const WCHAR* text, const WCHAR* expected) {
    return text != nullptr && wcscmp(text, expected) == 0;
}

bool Far3AgreesWithFloor(const Far3Plugin& plugin, Far3Floor* floor, int expected,
                         std::string* why) {
    const far3::GetFindDataInfo found = GetFar3Items(plugin);
    const int count = static_cast<int>(found.ItemsNumber);
    char text[400];
    bool agrees = SameCounts(count, RunFloor(floor), expected, why);
    for (int i = 0; agrees && i < count; ++i) {
        const far3::PluginPanelItem& item = found.PanelItem[i];
        const Far3FloorEntry& entry = floor->entries[i];
        const WCHAR* const* columns = item.CustomColumnData;
        agrees = item.CustomColumnNumber == 2 && columns != nullptr &&
                 SameText(item.FileName, entry.title) && SameText(columns[0], entry.status) &&
                 SameText(columns[1], entry.handle) &&
                 item.UserData.Data == reinterpret_cast<void*>(entry.window) &&
                 item.UserData.FreeData == nullptr;
        if (!agrees) {
            snprintf(text, sizeof text,
                     "entry %d: listed \"%ls\" [%ls] %ls, floor \"%ls\" [%ls] %ls", i,
                     item.FileName != nullptr ? item.FileName : L"-",
                     columns != nullptr ? columns[0] : L"-", columns != nullptr ? columns[1] : L"-",
                     entry.title, entry.status, entry.handle);
            *why = text;
        }
    }
    FreeFar3Items(plugin, found);
    return agrees;
}

// ---- Windows of the benchmark's own thread ---------------------------------------------------

constexpr DWORD kSettleMilliseconds = 300;

// Document windows of the thread's own until it has `count` of them, given time to settle.
bool GrowOwnWindows(int count, int* made) {
    if (!harness::GrowDocumentWindows(count, made)) {
        fprintf(stderr, "own window %d not created (error %lu)\n", *made, GetLastError());
        return false;
    }
    Sleep(kSettleMilliseconds);
    harness::PumpMessages();
    return true;
}

// ---- Windows of another process --------------------------------------------------------------

// velumo_window_owner.exe, started on our desktop: it grows to each of the counts in turn,
// signalling `ready` when it owns that many windows and waiting for `next` to go on.
struct Owner {
    PROCESS_INFORMATION process;
    HANDLE ready;
    HANDLE next;
};

bool StartOwner(const std::string& ownerExe, const std::string& desktop,
                const std::vector<int>& counts, Owner* owner) {
    char readyName[64];
    char nextName[64];
    const DWORD id = GetCurrentProcessId();
    snprintf(readyName, sizeof readyName, "VelumoBenchReady-%lu", id);
    snprintf(nextName, sizeof nextName, "VelumoBenchNext-%lu", id);
    owner->ready = CreateEventA(nullptr, FALSE, FALSE, readyName);
    owner->next = CreateEventA(nullptr, FALSE, FALSE, nextName);
    if (owner->ready == nullptr || owner->next == nullptr) {
        fprintf(stderr, "cannot create the events\n");
        return false;
    }
    std::string commandLine = "\"" + ownerExe + "\" " + readyName + " " + nextName;
    for (int count : counts) {
        commandLine += " " + std::to_string(count);
    }
    std::vector<char> commandBuffer(commandLine.begin(), commandLine.end());
    commandBuffer.push_back('\0');
    std::vector<char> desktopBuffer(desktop.begin(), desktop.end());
    desktopBuffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktopBuffer.data();
    if (!CreateProcessA(nullptr, commandBuffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &owner->process)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", ownerExe.c_str(), GetLastError());
        return false;
    }
    return true;
}

bool WaitOwnerReady(Owner* owner) {
    HANDLE waited[2] = {owner->ready, owner->process.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, waited, FALSE, 600000);
    if (woke != WAIT_OBJECT_0) {
        fprintf(stderr, "the window owner did not get ready (wait result %lu)\n", woke);
        return false;
    }
    // Let the owner and the X server finish mapping and painting the windows before timing.
    WaitForInputIdle(owner->process.hProcess, 30000);
    Sleep(kSettleMilliseconds);
    return true;
}

// Tells the owner to go on; after its last count that ends it.
void AdvanceOwner(Owner* owner) {
    SetEvent(owner->next);
}

void StopOwner(Owner* owner) {
    if (WaitForSingleObject(owner->process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(owner->process.hProcess, 1);
    }
    CloseHandle(owner->process.hProcess);
    CloseHandle(owner->process.hThread);
    CloseHandle(owner->ready);
    CloseHandle(owner->next);
}

// ---- Measurements ----------------------------------------------------------------------------

constexpr double kWarmUpMicroseconds = 500000;

// Listings timed in one sample: enough for about 20 ms, so that the clock and the scheduler's
// noise stay small against a sample of a few hundred windows.
int ListingsPerSample(double oneListingMicroseconds) {
    const double wanted = 20000.0 / std::max(oneListingMicroseconds, 1.0);
    return std::max(1, std::min(200, static_cast<int>(wanted + 0.5)));
}

// One row: medians and minima, per listing, of the floor and of the listing, sampled
// alternately (which goes first alternates too), after untimed runs of each; and the median of
// the ratios of each pair of samples taken one after the other, which the machine's slower
// drifts do not move. `runFloor` and `runListing` return the number of windows they saw.
template <typename RunFloor, typename RunListing>
bool MeasureListing(const char* frontEnd, const char* desktopCase, int count, int repetitions,
                    bool ownWindows, RunFloor runFloor, RunListing runListing) {
    // Untimed runs first, until both have run and kWarmUpMicroseconds have passed: the window
    // system's caches, the heap and the virtual CPUs' wake-up latency settle meanwhile.
    const double warmStart = NowMicroseconds();
    double oneListing = 0;
    for (int run = 0; run < 2 || NowMicroseconds() - warmStart < kWarmUpMicroseconds; ++run) {
        const double start = NowMicroseconds();
        if (run % 2 == 0) {
            runFloor();
        } else {
            runListing();
            oneListing = NowMicroseconds() - start;
        }
    }
    const int batch = ListingsPerSample(oneListing);
    std::vector<double> floorTimes;
    std::vector<double> listingTimes;
    std::vector<double> pairRatios;
    bool allListed = true;
    for (int run = 0; run < repetitions; ++run) {
        for (int half = 0; half < 2; ++half) {
            if (ownWindows) {
                harness::PumpMessages();
            }
            const bool floorNow = (half == 0) == (run % 2 == 0);
            const double start = NowMicroseconds();
            for (int i = 0; i < batch; ++i) {
                const int seen = floorNow ? runFloor() : runListing();
                allListed = allListed && seen == count;
            }
            const double elapsed = (NowMicroseconds() - start) / batch;
            (floorNow ? floorTimes : listingTimes).push_back(elapsed);
        }
        pairRatios.push_back(listingTimes.back() / floorTimes.back());
    }
    if (!allListed) {
        fprintf(stderr, "%s, %s, %d windows: a timed run missed windows\n", frontEnd, desktopCase,
                count);
        return false;
    }
    printf("row\t%s\t%s\t%d\t%.1f\t%.1f\t%.1f\t%.1f\t%d\t%.4f\n", frontEnd, desktopCase, count,
           Median(floorTimes), Median(listingTimes), Minimum(floorTimes), Minimum(listingTimes),
           batch, Median(pairRatios));
    fflush(stdout);
    return true;
}

// Both front ends on the desktop as it is: each listing checked against its floor, then timed.
bool MeasureListings(const char* desktopCase, const Far1Plugin& far1, const Far3Plugin& far3,
                     int count, int repetitions, bool ownWindows) {
    const size_t slots = static_cast<size_t>(count) + 1;
    std::vector<Far1FloorEntry> far1Entries(slots);
    Far1Floor far1Floor = {far1Entries.data(), static_cast<int>(slots), 0};
    std::vector<Far3FloorEntry> far3Entries(slots);
    Far3Floor far3Floor = {far3Entries.data(), static_cast<int>(slots), 0};
    std::string why;
    if (!Far1AgreesWithFloor(far1, &far1Floor, count, &why) ||
        !Far3AgreesWithFloor(far3, &far3Floor, count, &why)) {
        fprintf(stderr, "%s, %d windows: a listing does not agree with its floor: %s\n",
                desktopCase, count, why.c_str());
        return false;
    }
    const bool measured =
        MeasureListing(
            "far1", desktopCase, count, repetitions, ownWindows,
            [&]() { return RunFloor(&far1Floor); }, [&]() { return RunFar1Listing(far1); }) &&
        MeasureListing(
            "far3", desktopCase, count, repetitions, ownWindows,
            [&]() { return RunFloor(&far3Floor); }, [&]() { return RunFar3Listing(far3); });
    if (measured) {
        Progress(desktopCase, "listings and floors timed", count);
    }
    return measured;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6 || atoi(argv[4]) <= 0) {
        fprintf(stderr, "usage: velumo_wine_bench FAR1-DLL FAR3-DLL OWNER-EXE REPETITIONS "
                        "COUNT...\n");
        return 2;
    }
    const std::string far1Path = argv[1];
    const std::string far3Path = argv[2];
    const std::string ownerExe = argv[3];
    const int repetitions = atoi(argv[4]);
    std::vector<int> counts;
    for (int i = 5; i < argc; ++i) {
        counts.push_back(atoi(argv[i]));
        if (counts.back() <= 0) {
            fprintf(stderr, "not a window count: %s\n", argv[i]);
            return 2;
        }
    }
    // Both desktops grow from one count to the next, so the counts go in ascending order.
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());

    const std::string desktopName = harness::ProcessDesktopName("VelumoBench");
    const std::string desktopError = harness::UseOwnDesktop(desktopName);
    if (!desktopError.empty()) {
        fprintf(stderr, "cannot switch to a desktop of our own: %s\n", desktopError.c_str());
        return 1;
    }

    Far1Plugin far1 = {};
    std::string error;
    if (!far1host::LoadPlugin(far1Path, &far1.exports, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // A root key that does not exist: the plug-in runs at its default settings, as the floor.
    far1host::Start(far1.exports, {}, "Software\\VelumoBench\\Plugins");
    far1.panel = far1.exports.OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
    if (far1.panel == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "OpenPlugin failed\n");
        return 1;
    }
    Far3Plugin far3 = {};
    if (!OpenFar3Plugin(far3Path, &far3, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    Owner owner = {};
    if (!StartOwner(ownerExe, desktopName, counts, &owner)) {
        return 1;
    }
    for (int count : counts) {
        if (!WaitOwnerReady(&owner)) {
            TerminateProcess(owner.process.hProcess, 1);
            return 1;
        }
        Progress("other-process", "owner ready", count);
        if (!MeasureListings("other-process", far1, far3, count, repetitions, false)) {
            TerminateProcess(owner.process.hProcess, 1);
            return 1;
        }
        AdvanceOwner(&owner);
    }
    StopOwner(&owner);
    Progress("other-process", "owner gone", counts.back());

    // The windows stay until the process ends: each count adds to the last one's.
    int made = 0;
    for (int count : counts) {
        if (!GrowOwnWindows(count, &made)) {
            return 1;
        }
        Progress("same-process", "windows created", count);
        if (!MeasureListings("same-process", far1, far3, count, repetitions, true)) {
            return 1;
        }
    }

    far1.exports.ClosePlugin(far1.panel);
    CloseFar3Panel(far3);
    return 0;
}
