// The listings of the real DLLs of both front ends on real windows, each against its floor: the
// least a correct listing of that front end can cost. A floor is a loop in the same process that
// makes exactly the window-system calls that front end's listing makes, in the same order and
// with the same arguments, each fact of a window asked once (style, parent, title length, owner,
// visibility: the same eligibility decision at the default settings), and writes the same texts
// into preallocated memory, allocating nothing. The difference between a listing and its floor
// is what the listing adds to the bare cost of asking the window system: its allocation scheme,
// its zero-filling and its release.
//   far1  the FAR 1.x plug-in (Velumo/Velumo.dll): GetFindData + FreeFindData through the host
//         stand-in's loader; the title read in ANSI (GetWindowTextA, 128) and turned into OEM.
//   far3  the FAR 3 plug-in (far3/Velumo/Velumo.dll): GetFindDataW + FreeFindDataW, driven with
//         a minimal host (GetMsg gives "", SettingsControl fails: the default settings); the
//         title length read in UTF-16, the window's process (GetWindowThreadProcessId), then the
//         whole title (GetWindowTextW); each process's program read once per run (OpenProcess,
//         QueryFullProcessImageNameW, CloseHandle) into a preallocated table.
//
// The desktops, one after the other, on a desktop object of the benchmark's own (the window
// harness, harness/), so that the enumeration sees the benchmark's windows and Wine's few hidden
// helpers only:
//   other-process  the windows belong to velumo_window_owner.exe, started on that desktop, as a
//                  user's windows belong to other programs;
//   P-processes    WINDOWS windows shared out among P owners started together;
//   same-process   the windows belong to the benchmark's own thread.
// The first and the last grow from one count to the next (window creation is slow under Wine;
// measuring never depends on how a desktop came to its count).
//
//   velumo_wine_bench.exe FAR1-DLL FAR3-DLL OWNER-EXE REPETITIONS COUNT... [WINDOWS/P...]
//
// Writes tab-separated result lines to stdout, progress to stderr (times in microseconds):
//   row    FRONT-END CASE COUNT FLOOR-MEDIAN LISTING-MEDIAN FLOOR-MIN LISTING-MIN
//          LISTINGS-PER-SAMPLE PAIRED-RATIO-MEDIAN
// Exits non-zero when a listing does not list exactly the windows of the desktop, or does not
// agree with its floor entry by entry (FAR 3: the program's name, process id and path too).
#include "core/hidden_window_table.h"
#include "core/program_path.h"
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
#include <type_traits>
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

// The program of one process as the FAR 3 floor shows it: path, file name and process id, or
// "<pid N>" as name and path when the process cannot be asked.
constexpr size_t kProcessIdTextSize = 11;
struct FloorProgram {
    DWORD processId;
    uint32_t run; // the floor run that read it
    const WCHAR* path;
    const WCHAR* name;
    WCHAR processIdText[kProcessIdTextSize];
};

// The processes of one FAR 3 floor run, each read once: a table indexed by process id (Windows
// numbers processes in fours) and a pool for their paths, both allocated before the floor runs.
constexpr size_t kFloorProgramSlots = 65536;
constexpr size_t kFloorPathPool = 1024 * 1024; // code units for the paths of one run
struct FloorPrograms {
    std::vector<FloorProgram> slots = std::vector<FloorProgram>(kFloorProgramSlots);
    std::vector<WCHAR> paths = std::vector<WCHAR>(kFloorPathPool);
    size_t pathsUsed = 0;
    uint32_t run = 0;
};
FloorPrograms g_floorPrograms;

// What a floor writes for one window, in its front end's character type.
template <typename Char, int TitleCapacity> struct FloorEntry {
    Char title[TitleCapacity];
    Char status[kStatusTextSize];
    Char handle[kHandleTextSize];
    HWND window;
    const FloorProgram* program; // FAR 3 only
};
using Far1FloorEntry = FloorEntry<char, far1::kListedTitleCapacity>;
using Far3FloorEntry = FloorEntry<WCHAR, kFar3FloorTitleCapacity>;

// Whether the window is listed, asking each fact once, in the listings' order and with their
// arguments: style, parent, title length (ANSI or UTF-16, as the front end reads the title),
// owner, visibility; the title length and the status marks for its entry. At the default
// settings, which the benchmark's copies of the plug-ins' globals hold as each DLL has them
// here, a listed window is a top-level one with a title, no owner and visible ("Program
// Manager" included), or one Velumo hid.
bool ReadFloorFacts(HWND window, bool wide, int* titleLength, char (&status)[kStatusTextSize]) {
    const bool hidden = g_hiddenWindows.Contains(window) != 0;
    if (!hidden && ((GetWindowLongA(window, GWL_STYLE) & static_cast<LONG>(WS_CHILD)) != 0 ||
                    GetParent(window) != nullptr)) {
        return false;
    }
    *titleLength = std::max(0, wide ? GetWindowTextLengthW(window) : GetWindowTextLengthA(window));
    const bool owned = (hidden || *titleLength > 0) && GetWindow(window, GW_OWNER) != nullptr;
    if (!hidden && (*titleLength == 0 || owned)) {
        return false;
    }
    const bool visible = IsWindowVisible(window) != 0;
    const char marks[kStatusTextSize] = {visible ? ' ' : 'H', owned ? 'O' : ' ', ' ',
                                         hidden ? 'D' : ' ', '\0'};
    memcpy(status, marks, kStatusTextSize);
    return hidden || visible;
}

// The title read in ANSI (at most 128 characters) and turned OEM.
void FillFloorEntry(HWND window, int, Far1FloorEntry* entry) {
    char title[far1::kListedTitleCapacity];
    title[0] = '\0';
    GetWindowTextA(window, title, far1::kListedTitleCapacity);
    title[far1::kListedTitleCapacity - 1] = '\0';
    CharToOemA(title, entry->title);
}

// The program of the window's process, read into the pool at the process's first window in the
// run; null when its slot is another process's or the pool has no room for the longest path.
const FloorProgram* FloorProgramOf(HWND window) {
    FloorPrograms& programs = g_floorPrograms;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    FloorProgram* program = &programs.slots[processId / 4 % kFloorProgramSlots];
    if (program->run == programs.run) {
        return program->processId == processId ? program : nullptr;
    }
    if (kFloorPathPool - programs.pathsUsed < kProgramPathCapacity) {
        return nullptr;
    }
    WCHAR* path = &programs.paths[programs.pathsUsed];
    size_t length = ReadProgramPath(processId, path, kProgramPathCapacity);
    const size_t name = FileNameOffset(path, length);
    if (length == 0) {
        length = static_cast<size_t>(std::max(0, swprintf(path, 32, L"<pid %lu>", processId)));
    }
    programs.pathsUsed += length + 1;
    program->processId = processId;
    program->run = programs.run;
    program->path = path;
    program->name = name < length ? path + name : path;
    swprintf(program->processIdText, kProcessIdTextSize, L"%lu", processId);
    return program;
}

// The program, then the whole UTF-16 title with room for exactly the length read.
void FillFloorEntry(HWND window, int titleLength, Far3FloorEntry* entry) {
    entry->program = FloorProgramOf(window);
    const int limit = std::min(titleLength + 1, kFar3FloorTitleCapacity);
    int copied = titleLength > 0 ? GetWindowTextW(window, entry->title, limit) : 0;
    if (copied < 0 || copied >= limit) {
        copied = 0;
    }
    entry->title[copied] = 0;
}

Floor<Far1FloorEntry> g_far1Floor;
Floor<Far3FloorEntry> g_far3Floor;

// One window: the facts and the filter, then the entry as that front end's listing fills it: the
// status marks and the handle in its character type, then what the front end reads.
template <typename Entry> BOOL CALLBACK VisitFloor(HWND window, LPARAM context) {
    Floor<Entry>* floor = reinterpret_cast<Floor<Entry>*>(context);
    int titleLength;
    char status[kStatusTextSize];
    if (!ReadFloorFacts(window, std::is_same<Entry, Far3FloorEntry>::value, &titleLength, status)) {
        return TRUE;
    }
    Entry* entry = &floor->entries[std::min(floor->entries.size() - 1, size_t(floor->count))];
    char handle[kHandleTextSize];
    FormatHandleText(window, handle);
    std::copy(status, status + kStatusTextSize, entry->status);
    std::copy(handle, handle + kHandleTextSize, entry->handle);
    FillFloorEntry(window, titleLength, entry);
    entry->window = window;
    ++floor->count;
    return TRUE;
}

template <typename Entry> int RunFloor(Floor<Entry>* floor) {
    floor->count = 0;
    g_floorPrograms.pathsUsed = 0;
    ++g_floorPrograms.run;
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
    return item.CustomColumnNumber == 4 && item.CustomColumnData != nullptr &&
           entry.program != nullptr && SameText(item.FileName, entry.title) &&
           SameText(item.Description, entry.program->path) &&
           SameText(item.CustomColumnData[0], entry.status) &&
           SameText(item.CustomColumnData[1], entry.handle) &&
           SameText(item.CustomColumnData[2], entry.program->name) &&
           SameText(item.CustomColumnData[3], entry.program->processIdText) &&
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

// ---- Windows of other processes -------------------------------------------------------------

// velumo_window_owner.exe, started on our desktop: it grows to each of the counts in turn,
// signalling `ready` when it owns that many windows and waiting for `next` to go on.
struct Owner {
    PROCESS_INFORMATION process;
    HANDLE ready;
    HANDLE next;
};

// Starts the owner numbered `index` among those the benchmark runs at once.
bool StartOwner(const std::string& ownerExe, const std::string& desktop,
                const std::vector<int>& counts, int index, Owner* owner) {
    char readyName[64];
    char nextName[64];
    const DWORD id = GetCurrentProcessId();
    snprintf(readyName, sizeof readyName, "VelumoBenchReady-%lu-%d", id, index);
    snprintf(nextName, sizeof nextName, "VelumoBenchNext-%lu-%d", id, index);
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

// Waits until each owner owns its next count of windows, then lets them and the X server finish
// mapping and painting the windows before timing.
bool WaitOwnersReady(std::vector<Owner>* owners) {
    for (Owner& owner : *owners) {
        HANDLE waited[2] = {owner.ready, owner.process.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waited, FALSE, 600000);
        if (woke != WAIT_OBJECT_0) {
            fprintf(stderr, "a window owner did not get ready (wait result %lu)\n", woke);
            return false;
        }
        WaitForInputIdle(owner.process.hProcess, 30000);
    }
    Sleep(kSettleMilliseconds);
    return true;
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

// The windows of `processes` owners started together on our desktop, each with its share of
// each of the ascending `counts`, measured at each count; `desktopCase` names the rows. The
// owners end with their windows: after their last count, or at once when something failed.
bool MeasureOwnersWindows(const std::string& ownerExe, const std::string& desktop, int processes,
                          const std::vector<int>& counts, int repetitions,
                          const char* desktopCase) {
    std::vector<Owner> owners(static_cast<size_t>(processes));
    bool measured = true;
    for (int i = 0; i < processes && measured; ++i) {
        std::vector<int> shares;
        for (int count : counts) {
            shares.push_back(count * (i + 1) / processes - count * i / processes);
        }
        measured = StartOwner(ownerExe, desktop, shares, i, &owners[static_cast<size_t>(i)]);
    }
    for (size_t c = 0; c < counts.size() && measured; ++c) {
        measured = WaitOwnersReady(&owners);
        Progress(desktopCase, measured ? "owners ready" : "owners failed", counts[c]);
        measured = measured && MeasureListings(desktopCase, counts[c], repetitions, false);
        for (size_t i = 0; measured && i < owners.size(); ++i) {
            SetEvent(owners[i].next); // on to the next count; after the last, the owner ends
        }
    }
    for (Owner& owner : owners) {
        if (!measured || WaitForSingleObject(owner.process.hProcess, 60000) != WAIT_OBJECT_0) {
            TerminateProcess(owner.process.hProcess, 1);
        }
        CloseHandle(owner.process.hProcess);
        CloseHandle(owner.process.hThread);
        CloseHandle(owner.ready);
        CloseHandle(owner.next);
    }
    Progress(desktopCase, "owners gone", counts.back());
    return measured;
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
                        "COUNT... [WINDOWS/PROCESSES...]\n");
        return 2;
    }
    const std::string ownerExe = argv[3];
    const int repetitions = atoi(argv[4]);
    std::vector<int> counts;
    std::vector<std::pair<int, int>> sharedDesktops; // windows, processes
    for (int i = 5; i < argc; ++i) {
        const char* processes = strchr(argv[i], '/');
        const int count = atoi(argv[i]);
        if (count <= 0 ||
            (processes != nullptr && (atoi(processes + 1) <= 0 || atoi(processes + 1) > count))) {
            fprintf(stderr, "not a window count: %s\n", argv[i]);
            return 2;
        }
        if (processes == nullptr) {
            counts.push_back(count);
        } else {
            sharedDesktops.emplace_back(count, atoi(processes + 1));
        }
    }
    if (counts.empty()) {
        fprintf(stderr, "no window count\n");
        return 2;
    }
    // The desktops of one owner and of our own thread grow from one count to the next, so the
    // counts go in ascending order.
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());

    const std::string desktopName = harness::ProcessDesktopName("VelumoBench");
    const std::string desktopError = harness::UseOwnDesktop(desktopName);
    if (!desktopError.empty()) {
        fprintf(stderr, "cannot switch to a desktop of our own: %s\n", desktopError.c_str());
        return 1;
    }
    if (!OpenPlugins(argv[1], argv[2]) ||
        !MeasureOwnersWindows(ownerExe, desktopName, 1, counts, repetitions, "other-process")) {
        return 1;
    }
    for (const auto& shared : sharedDesktops) {
        const std::string desktopCase = std::to_string(shared.second) + "-processes";
        if (!MeasureOwnersWindows(ownerExe, desktopName, shared.second, {shared.first}, repetitions,
                                  desktopCase.c_str())) {
            return 1;
        }
    }

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
