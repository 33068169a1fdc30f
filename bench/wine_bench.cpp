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
#include "plugin_calls.h"
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

// ---- The plug-ins and their floors -----------------------------------------------------------

far1host::PluginExports g_far1;
HANDLE g_far1Panel;
far3host::PluginExports g_far3;
HANDLE g_far3Panel;

// A floor's entries, allocated before it runs; `count` is the entries seen, those past the
// capacity overwrite the last slot.
template <typename Entry> struct Floor {
    std::vector<Entry> entries;
    int count;
};

// Long enough for every FAR 3 title the benchmark makes; a longer one would be read shorter than
// the listing reads it, and the agreement check would say so.
constexpr int kFar3FloorTitleCapacity = 256;

// What a floor writes for one window, in its front end's character type.
template <typename Char, int TitleCapacity> struct FloorEntry {
    Char title[TitleCapacity];
    Char status[kStatusTextSize];
    Char handle[kHandleTextSize];
    HWND window;
};
using Far1FloorEntry = FloorEntry<char, far1::kListedTitleCapacity>;
using Far3FloorEntry = FloorEntry<WCHAR, kFar3FloorTitleCapacity>;

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

Floor<Far1FloorEntry> g_far1Floor;
Floor<Far3FloorEntry> g_far3Floor;

// One window: the listing's own filter, then the entry as that front end's listing fills it.
template <typename Entry> BOOL CALLBACK VisitFloor(HWND window, LPARAM context) {
    Floor<Entry>* floor = reinterpret_cast<Floor<Entry>*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    Entry* entry = &floor->entries[std::min(floor->entries.size() - 1, size_t(floor->count))];
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

// Whether a listed item shows what the floor wrote for its window.
bool SameEntry(const far1::PluginPanelItem& item, const Far1FloorEntry& entry) {
    return item.CustomColumnNumber == 2 && item.CustomColumnData != nullptr &&
           strcmp(item.FindData.cFileName, entry.title) == 0 &&
           strcmp(item.CustomColumnData[0], entry.status) == 0 &&
           strcmp(item.CustomColumnData[1], entry.handle) == 0 &&
           item.UserData == far1::UserDataFromWindow(entry.window);
}

bool SameText(const WCHAR* text, const WCHAR* expected) {
    return text != nullptr && wcscmp(text, expected) == 0;
}

bool SameEntry(const far3::PluginPanelItem& item, const Far3FloorEntry& entry) {
    return item.CustomColumnNumber == 2 && item.CustomColumnData != nullptr &&
           SameText(item.FileName, entry.title) &&
           SameText(item.CustomColumnData[0], entry.status) &&
           SameText(item.CustomColumnData[1], entry.handle) &&
           item.UserData.Data == reinterpret_cast<void*>(entry.window) &&
           item.UserData.FreeData == nullptr;
}

// Whether the listing's items and the floor (given room for one entry more than the desktop's
// `count` windows, so that a floor that sees more says so) saw every window of the desktop and
// show the same entries; if not, `why` says where they part.
template <typename Item, typename Entry>
bool AgreesWithFloor(const Item* items, int listed, Floor<Entry>* floor, int count,
                     std::string* why) {
    floor->entries.resize(static_cast<size_t>(count) + 1);
    const int seen = RunFloor(floor);
    if (listed != count || seen != count) {
        *why = "listed " + std::to_string(listed) + ", floor " + std::to_string(seen) +
               ", desktop " + std::to_string(count) + " windows";
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!SameEntry(items[i], floor->entries[static_cast<size_t>(i)])) {
            *why = "entry " + std::to_string(i) + " differs from the floor's";
            return false;
        }
    }
    return true;
}

bool Far1AgreesWithFloor(int count, std::string* why) {
    far1::PluginPanelItem* items = nullptr;
    int listed = 0;
    g_far1.GetFindData(g_far1Panel, &items, &listed, 0);
    const bool agrees = AgreesWithFloor(items, listed, &g_far1Floor, count, why);
    g_far1.FreeFindData(g_far1Panel, items, listed);
    return agrees;
}

bool Far3AgreesWithFloor(int count, std::string* why) {
    const far3::GetFindDataInfo found = GetFar3Items(g_far3, g_far3Panel);
    const bool agrees = AgreesWithFloor(found.PanelItem, static_cast<int>(found.ItemsNumber),
                                        &g_far3Floor, count, why);
    FreeFar3Items(g_far3, g_far3Panel, found);
    return agrees;
}

// A front end as the benchmark measures it: its listing (the number of items it gave), its
// floor (the number of windows it saw), and the check that both agree on the desktop's `count`
// windows.
struct FrontEnd {
    const char* name; // the result rows' FRONT-END
    int (*list)();
    int (*runFloor)();
    bool (*agreesWithFloor)(int count, std::string* why);
};

const FrontEnd kFrontEnds[] = {
    {"far1", [] { return ListFar1(g_far1, g_far1Panel); }, [] { return RunFloor(&g_far1Floor); },
     Far1AgreesWithFloor},
    {"far3", [] { return ListFar3(g_far3, g_far3Panel); }, [] { return RunFloor(&g_far3Floor); },
     Far3AgreesWithFloor},
};

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
    std::string desktopName = desktop; // both writable, as CreateProcessA wants them
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = &desktopName[0];
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
// drifts do not move.
bool MeasureListing(const FrontEnd& frontEnd, const char* desktopCase, int count, int repetitions,
                    bool ownWindows) {
    // Untimed runs first, until both have run and kWarmUpMicroseconds have passed: the window
    // system's caches, the heap and the virtual CPUs' wake-up latency settle meanwhile.
    const double warmStart = NowMicroseconds();
    double oneListing = 0;
    for (int run = 0; run < 2 || NowMicroseconds() - warmStart < kWarmUpMicroseconds; ++run) {
        const double start = NowMicroseconds();
        if (run % 2 == 0) {
            frontEnd.runFloor();
        } else {
            frontEnd.list();
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
                const int seen = floorNow ? frontEnd.runFloor() : frontEnd.list();
                allListed = allListed && seen == count;
            }
            const double elapsed = (NowMicroseconds() - start) / batch;
            (floorNow ? floorTimes : listingTimes).push_back(elapsed);
        }
        pairRatios.push_back(listingTimes.back() / floorTimes.back());
    }
    if (!allListed) {
        fprintf(stderr, "%s, %s, %d windows: a timed run missed windows\n", frontEnd.name,
                desktopCase, count);
        return false;
    }
    printf("row\t%s\t%s\t%d\t%.1f\t%.1f\t%.1f\t%.1f\t%d\t%.4f\n", frontEnd.name, desktopCase, count,
           Median(floorTimes), Median(listingTimes), Minimum(floorTimes), Minimum(listingTimes),
           batch, Median(pairRatios));
    fflush(stdout);
    return true;
}

// Every front end on the desktop as it is: each listing checked against its floor, then timed.
bool MeasureListings(const char* desktopCase, int count, int repetitions, bool ownWindows) {
    std::string why;
    for (const FrontEnd& frontEnd : kFrontEnds) {
        if (!frontEnd.agreesWithFloor(count, &why)) {
            fprintf(stderr, "%s, %s, %d windows: the listing does not agree with its floor: %s\n",
                    frontEnd.name, desktopCase, count, why.c_str());
            return false;
        }
    }
    for (const FrontEnd& frontEnd : kFrontEnds) {
        if (!MeasureListing(frontEnd, desktopCase, count, repetitions, ownWindows)) {
            return false;
        }
    }
    Progress(desktopCase, "listings and floors timed", count);
    return true;
}

// Loads both DLLs and opens a panel of each at the default settings: FAR 1.x's through the host
// stand-in under a root key that does not exist, FAR 3's with the minimal host.
bool OpenPlugins(const char* far1Path, const char* far3Path) {
    std::string error;
    WCHAR far3WidePath[MAX_PATH];
    if (!far1host::LoadPlugin(far1Path, &g_far1, &error) ||
        MultiByteToWideChar(CP_ACP, 0, far3Path, -1, far3WidePath, MAX_PATH) == 0 ||
        !far3host::LoadPlugin(far3WidePath, &g_far3, &error)) {
        fprintf(stderr, "cannot load the plug-ins: %s\n", error.c_str());
        return false;
    }
    far1host::Start(g_far1, {}, "Software\\VelumoBench\\Plugins");
    g_far1Panel = g_far1.OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
    g_far3Panel = OpenFar3Panel(g_far3, far3WidePath);
    for (HANDLE panel : {g_far1Panel, g_far3Panel}) {
        if (panel == nullptr || panel == INVALID_HANDLE_VALUE) {
            fprintf(stderr, "a plug-in opened no panel\n");
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6 || atoi(argv[4]) <= 0) {
        fprintf(stderr, "usage: velumo_wine_bench FAR1-DLL FAR3-DLL OWNER-EXE REPETITIONS "
                        "COUNT...\n");
        return 2;
    }
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
    Owner owner = {};
    if (!OpenPlugins(argv[1], argv[2]) || !StartOwner(ownerExe, desktopName, counts, &owner)) {
        return 1;
    }
    for (int count : counts) {
        if (!WaitOwnerReady(&owner)) {
            TerminateProcess(owner.process.hProcess, 1);
            return 1;
        }
        Progress("other-process", "owner ready", count);
        if (!MeasureListings("other-process", count, repetitions, false)) {
            TerminateProcess(owner.process.hProcess, 1);
            return 1;
        }
        SetEvent(owner.next); // the owner goes on; after its last count that ends it
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
        if (!MeasureListings("same-process", count, repetitions, true)) {
            return 1;
        }
    }
    g_far1.ClosePlugin(g_far1Panel);
    CloseFar3Panel(g_far3, g_far3Panel);
    return 0;
}
