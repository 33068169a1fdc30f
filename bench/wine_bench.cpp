// The listing of the real Velumo.dll on real windows, against its floor: a loop in the same
// process that makes exactly the window-system calls the listing makes, in the same order and
// with the same arguments (its filter is the listing's own IsEligibleWindow, compiled into the
// benchmark), and writes the same texts into a preallocated array, but allocates nothing. The
// difference between the two is what the listing adds to the bare cost of asking the window system:
// its allocation scheme, its zero-filling and its release.
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
// Besides: the cost of each window-system call on its own (per call, over the same windows), and
// the listing's allocation scheme on its own (realloc by one element per window, three small
// blocks per entry, then the release), with the number of reallocs that moved the array.
//
//   velumo_wine_bench.exe VELUMO-DLL OWNER-EXE REPETITIONS COUNT...
//
// Writes tab-separated result lines to stdout, progress to stderr:
//   row    CASE COUNT FLOOR-MEDIAN LISTING-MEDIAN FLOOR-MIN LISTING-MIN LISTINGS-PER-SAMPLE (us)
//   call   CASE COUNT CALL NANOSECONDS-PER-CALL
//   alloc  COUNT MEDIAN-US REALLOC-MOVES BYTES-COPIED-BY-MOVES ELEMENT-SIZE
//   page   MICROSECONDS-PER-FRESH-PAGE
//   block  BYTES MICROSECONDS-TO-ALLOCATE-TOUCH-AND-FREE
// Exits non-zero when a listing does not list exactly the windows of the desktop, or does not
// agree with the floor entry by entry.
#include "core/hidden_window_table.h"
#include "far1/window_list.h"
#include "window_harness.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// ---- The floor -------------------------------------------------------------------------------

struct FloorEntry {
    char title[kListedTitleCapacity];
    char status[kStatusTextSize];
    char handle[kHandleTextSize];
    HWND window;
};

struct FloorList {
    FloorEntry* entries;
    int capacity;
    int count; // entries seen; those past the capacity overwrite the last slot
};

// One window: the listing's own filter, which reads the benchmark's copies of the plug-in's
// globals (the settings at their defaults, as the plug-in loads them from a fresh registry key;
// the table of hidden windows with nothing hidden), then the entry's texts.
BOOL CALLBACK FloorVisit(HWND window, LPARAM context) {
    FloorList* list = reinterpret_cast<FloorList*>(context);
    if (!IsEligibleWindow(window)) {
        return TRUE;
    }
    FloorEntry* entry = &list->entries[std::min(list->count, list->capacity - 1)];
    char title[kListedTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(window, title, kListedTitleCapacity);
    title[kListedTitleCapacity - 1] = '\0';
    CharToOemA(title, entry->title);
    entry->window = window;
    // The marks in the listing's order of calls (the elements of a braced list are evaluated
    // in order): not visible, owned, blank, hidden by Velumo.
    const char status[kStatusTextSize] = {IsWindowVisible(window) ? ' ' : 'H',
                                          GetWindow(window, GW_OWNER) != nullptr ? 'O' : ' ', ' ',
                                          g_hiddenWindows.Contains(window) ? 'D' : ' ', '\0'};
    memcpy(entry->status, status, kStatusTextSize);
    snprintf(entry->handle, kHandleTextSize, "%08X",
             static_cast<unsigned>(UserDataFromWindow(window)));
    ++list->count;
    return TRUE;
}

int RunFloor(FloorList* list) {
    list->count = 0;
    EnumWindows(FloorVisit, reinterpret_cast<LPARAM>(list));
    return list->count;
}

// ---- The plug-in -----------------------------------------------------------------------------

struct Plugin {
    farhost::PluginExports exports;
    HANDLE panel;
};

int RunListing(const Plugin& plugin) {
    PluginPanelItem* items = nullptr;
    int count = 0;
    plugin.exports.GetFindData(plugin.panel, &items, &count, 0);
    plugin.exports.FreeFindData(plugin.panel, items, count);
    return count;
}

// The listing and the floor must see the same windows and produce the same texts.
bool AgreesWithFloor(const Plugin& plugin, FloorList* floor, int expected, std::string* why) {
    PluginPanelItem* items = nullptr;
    int count = 0;
    plugin.exports.GetFindData(plugin.panel, &items, &count, 0);
    const int floorCount = RunFloor(floor);
    char text[160];
    bool agrees = count == expected && floorCount == expected;
    if (!agrees) {
        snprintf(text, sizeof text, "listed %d, floor %d, desktop %d windows", count, floorCount,
                 expected);
        *why = text;
    }
    for (int i = 0; agrees && i < count; ++i) {
        const PluginPanelItem& item = items[i];
        const FloorEntry& entry = floor->entries[i];
        agrees = item.CustomColumnNumber == 2 && item.CustomColumnData != nullptr &&
                 strcmp(item.FindData.cFileName, entry.title) == 0 &&
                 strcmp(item.CustomColumnData[0], entry.status) == 0 &&
                 strcmp(item.CustomColumnData[1], entry.handle) == 0 &&
                 item.UserData == UserDataFromWindow(entry.window);
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
// alternately (which goes first alternates too), after one untimed run of each.
bool MeasureListing(const char* desktopCase, const Plugin& plugin, int count, int repetitions,
                    bool ownWindows) {
    std::vector<FloorEntry> entries(static_cast<size_t>(count) + 1);
    FloorList floor = {entries.data(), static_cast<int>(entries.size()), 0};
    std::string why;
    if (!AgreesWithFloor(plugin, &floor, count, &why)) {
        fprintf(stderr, "%s, %d windows: the listing does not agree: %s\n", desktopCase, count,
                why.c_str());
        return false;
    }
    // Untimed runs first, until both have run and kWarmUpMicroseconds have passed: the window
    // system's caches, the heap and the virtual CPUs' wake-up latency settle meanwhile.
    const double warmStart = NowMicroseconds();
    double oneListing = 0;
    for (int run = 0; run < 2 || NowMicroseconds() - warmStart < kWarmUpMicroseconds; ++run) {
        const double start = NowMicroseconds();
        if (run % 2 == 0) {
            RunFloor(&floor);
        } else {
            RunListing(plugin);
            oneListing = NowMicroseconds() - start;
        }
    }
    const int batch = ListingsPerSample(oneListing);
    std::vector<double> floorTimes;
    std::vector<double> listingTimes;
    bool allListed = true;
    for (int run = 0; run < repetitions; ++run) {
        for (int half = 0; half < 2; ++half) {
            if (ownWindows) {
                harness::PumpMessages();
            }
            const bool floorNow = (half == 0) == (run % 2 == 0);
            const double start = NowMicroseconds();
            for (int i = 0; i < batch; ++i) {
                const int seen = floorNow ? RunFloor(&floor) : RunListing(plugin);
                allListed = allListed && seen == count;
            }
            const double elapsed = (NowMicroseconds() - start) / batch;
            (floorNow ? floorTimes : listingTimes).push_back(elapsed);
        }
    }
    if (!allListed) {
        fprintf(stderr, "%s, %d windows: a timed run missed windows\n", desktopCase, count);
        return false;
    }
    printf("row\t%s\t%d\t%.1f\t%.1f\t%.1f\t%.1f\t%d\n", desktopCase, count, Median(floorTimes),
           Median(listingTimes), Minimum(floorTimes), Minimum(listingTimes), batch);
    Progress(desktopCase, "listing and floor timed", count);
    fflush(stdout);
    return true;
}

BOOL CALLBACK VisitNothing(HWND, LPARAM) {
    return TRUE;
}

volatile intptr_t g_sink;

// Each window-system call on its own, over every eligible window of the desktop: the best of
// three passes, in nanoseconds per call.
void MeasureCalls(const char* desktopCase, int count) {
    std::vector<HWND> windows;
    for (HWND window : harness::TopLevelWindows()) {
        if (IsEligibleWindow(window)) {
            windows.push_back(window);
        }
    }
    const double perCall = 1000.0 / static_cast<double>(windows.size());
    auto best = [&](auto pass) {
        double fastest = 0;
        for (int round = 0; round < 3; ++round) {
            const double start = NowMicroseconds();
            pass();
            const double elapsed = NowMicroseconds() - start;
            fastest = round == 0 ? elapsed : std::min(fastest, elapsed);
        }
        return fastest * perCall;
    };
    auto eachWindow = [&](auto call) {
        return best([&]() {
            for (HWND window : windows) {
                g_sink = call(window);
            }
        });
    };
    char title[kListedTitleCapacity];
    char converted[kListedTitleCapacity];
    char handle[kHandleTextSize];
    strcpy(title, "Document 00042.txt - Editor");
    struct Cost {
        const char* name;
        double nanoseconds;
    };
    const Cost costs[] = {
        {"EnumWindows (per window)", best([]() { EnumWindows(VisitNothing, 0); }) *
                                         static_cast<double>(windows.size()) /
                                         static_cast<double>(count)},
        {"GetWindowLongA(GWL_STYLE)",
         eachWindow([](HWND window) { return intptr_t{GetWindowLongA(window, GWL_STYLE)}; })},
        {"GetParent",
         eachWindow([](HWND window) { return reinterpret_cast<intptr_t>(GetParent(window)); })},
        {"GetWindowTextLengthA",
         eachWindow([](HWND window) { return intptr_t{GetWindowTextLengthA(window)}; })},
        {"GetWindow(GW_OWNER)", eachWindow([](HWND window) {
             return reinterpret_cast<intptr_t>(GetWindow(window, GW_OWNER));
         })},
        {"IsWindowVisible",
         eachWindow([](HWND window) { return intptr_t{IsWindowVisible(window)}; })},
        {"GetWindowTextA(128)", eachWindow([&](HWND window) {
             return intptr_t{GetWindowTextA(window, title, kListedTitleCapacity)};
         })},
        {"CharToOemA", eachWindow([&](HWND) { return intptr_t{CharToOemA(title, converted)}; })},
        {"snprintf(%08X)", eachWindow([&](HWND window) {
             return intptr_t{snprintf(handle, sizeof handle, "%08X",
                                      static_cast<unsigned>(UserDataFromWindow(window)))};
         })},
    };
    for (const Cost& cost : costs) {
        printf("call\t%s\t%d\t%s\t%.0f\n", desktopCase, count, cost.name, cost.nanoseconds);
    }
    Progress(desktopCase, "calls timed", count);
    fflush(stdout);
}

// The listing's allocation scheme alone, on this process's C runtime heap (the one Velumo.dll
// uses too): grow the array by one element per window, zero the element, allocate the three
// small blocks; then free it all as FreeWindowList does. Reports the median time, how many
// reallocs moved the array and the bytes such moves had to copy.
void MeasureAllocationScheme(int count, int repetitions) {
    std::vector<double> times;
    uint64_t moves = 0;
    uint64_t copied = 0;
    for (int run = 0; run <= repetitions; ++run) {
        uint64_t runMoves = 0;
        uint64_t runCopied = 0;
        const double start = NowMicroseconds();
        PluginPanelItem* items = nullptr;
        for (int i = 0; i < count; ++i) {
            PluginPanelItem* grown = static_cast<PluginPanelItem*>(
                realloc(items, (static_cast<size_t>(i) + 1) * sizeof(PluginPanelItem)));
            if (grown == nullptr) {
                fprintf(stderr, "realloc failed at %d elements\n", i + 1);
                free(items);
                return;
            }
            if (items != nullptr && grown != items) {
                ++runMoves;
                runCopied += static_cast<uint64_t>(i) * sizeof(PluginPanelItem);
            }
            items = grown;
            memset(&items[i], 0, sizeof(PluginPanelItem));
            char** texts = static_cast<char**>(malloc(2 * sizeof(char*)));
            texts[0] = static_cast<char*>(malloc(kStatusTextSize));
            texts[1] = static_cast<char*>(malloc(kHandleTextSize));
            memcpy(texts[0], "    ", kStatusTextSize);
            snprintf(texts[1], kHandleTextSize, "%08X", static_cast<unsigned>(i));
            items[i].CustomColumnData = texts;
        }
        for (int i = 0; i < count; ++i) {
            free(items[i].CustomColumnData[0]);
            free(items[i].CustomColumnData[1]);
            free(items[i].CustomColumnData);
        }
        free(items);
        const double elapsed = NowMicroseconds() - start;
        if (run > 0) { // the first run only warms the heap up
            times.push_back(elapsed);
            moves = runMoves;
            copied = runCopied;
        }
    }
    printf("alloc\t%d\t%.1f\t%llu\t%llu\t%u\n", count, Median(times),
           static_cast<unsigned long long>(moves), static_cast<unsigned long long>(copied),
           static_cast<unsigned>(sizeof(PluginPanelItem)));
    fflush(stdout);
}

// The first touch of fresh memory, in microseconds per 4 KiB page: what a heap pays for every
// page it takes back from the system after having given it up. Best of three passes over 16 MiB.
void MeasureFreshPages() {
    constexpr SIZE_T kBytes = 16u << 20;
    constexpr SIZE_T kPage = 4096;
    double fastest = 0;
    for (int round = 0; round < 3; ++round) {
        const double start = NowMicroseconds();
        char* memory = static_cast<char*>(
            VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (memory == nullptr) {
            fprintf(stderr, "VirtualAlloc of %u bytes failed\n", static_cast<unsigned>(kBytes));
            return;
        }
        for (SIZE_T at = 0; at < kBytes; at += kPage) {
            memory[at] = 1;
        }
        const double elapsed = NowMicroseconds() - start;
        VirtualFree(memory, 0, MEM_RELEASE);
        fastest = round == 0 ? elapsed : std::min(fastest, elapsed);
    }
    printf("page\t%.2f\n", fastest / static_cast<double>(kBytes / kPage));
    Progress("-", "fresh pages timed", 0);
    fflush(stdout);
}

// One block of `bytes` from the C runtime's heap: allocated, every page touched, freed; best of
// ten, in microseconds. A heap that keeps such a block for reuse answers in well under a
// microsecond; one that hands it back to the system pays for every page again each time.
void MeasureBlockReuse(size_t bytes) {
    constexpr size_t kPage = 4096;
    double fastest = 0;
    for (int round = 0; round < 10; ++round) {
        const double start = NowMicroseconds();
        char* block = static_cast<char*>(malloc(bytes));
        if (block == nullptr) {
            fprintf(stderr, "malloc of %u bytes failed\n", static_cast<unsigned>(bytes));
            return;
        }
        for (size_t at = 0; at < bytes; at += kPage) {
            block[at] = 1;
        }
        g_sink = block[bytes / 2];
        free(block);
        const double elapsed = NowMicroseconds() - start;
        fastest = round == 0 ? elapsed : std::min(fastest, elapsed);
    }
    printf("block\t%u\t%.1f\n", static_cast<unsigned>(bytes), fastest);
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || atoi(argv[3]) <= 0) {
        fprintf(stderr, "usage: velumo_wine_bench VELUMO-DLL OWNER-EXE REPETITIONS COUNT...\n");
        return 2;
    }
    const std::string dllPath = argv[1];
    const std::string ownerExe = argv[2];
    const int repetitions = atoi(argv[3]);
    std::vector<int> counts;
    for (int i = 4; i < argc; ++i) {
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

    Plugin plugin = {};
    std::string error;
    if (!farhost::LoadPlugin(dllPath, &plugin.exports, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // A root key that does not exist: the plug-in runs at its default settings, as the floor.
    farhost::Start(plugin.exports, {}, "Software\\VelumoBench\\Plugins");
    plugin.panel = plugin.exports.OpenPlugin(OPEN_PLUGINSMENU, 0);
    if (plugin.panel == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "OpenPlugin failed\n");
        return 1;
    }

    MeasureFreshPages();
    MeasureBlockReuse(64u << 10);
    for (int count : counts) {
        MeasureBlockReuse(static_cast<size_t>(count) * sizeof(PluginPanelItem));
    }
    for (int count : counts) {
        MeasureAllocationScheme(count, repetitions);
        Progress("-", "allocation scheme timed", count);
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
        const bool measured = MeasureListing("other-process", plugin, count, repetitions, false);
        if (measured) {
            MeasureCalls("other-process", count);
        }
        if (!measured) {
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
        if (!MeasureListing("same-process", plugin, count, repetitions, true)) {
            return 1;
        }
        MeasureCalls("same-process", count);
    }

    plugin.exports.ClosePlugin(plugin.panel);
    return 0;
}
