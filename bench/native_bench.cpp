// Native benchmarks over the simulated Win32 subset: the listings of both front ends side by side
// (FAR 1.x: GetFindData + FreeFindData; FAR 3: GetFindDataW + FreeFindDataW; each through its
// entry points), ToggleWindowsByTitle and RestoreAllWindows, for desktops of 10 to 10,000
// eligible windows, each reported as time per window so that growth faster than linear shows at
// a glance.
//
// Besides the time, every benchmark reports what one operation asks of the window system and of
// the heap: window-system calls per window (simwin::Calls()), and the product's malloc, realloc
// and free calls, the reallocs that moved the block and the bytes such moves copied (counted by
// the heap-call wrappers of heap_calls.h). Allocations of the simulation itself (C++ operator
// new) are counted apart as sim_news.
//
//   velumo_native_bench [Google Benchmark flags]
#include "core/hidden_window_table.h"
#include "core/visibility_actions.h"
#include "far1/panel_items.h"
#include "far1_host.h"
#include "far1_support.h"
#include "far3/entry_points.h"
#include "heap_calls.h"
#include "host_record.h"
#include "sim_desktop.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// ---- Desktops --------------------------------------------------------------------------------

constexpr char kMatchText[] = "Invoice";
constexpr int kMatchedWindows = 10; // toggled by title: hidden and shown again each iteration

std::string TitleOf(int index, bool matching) {
    char title[64];
    snprintf(title, sizeof title, "%s %05d.txt - Editor", matching ? kMatchText : "Document",
             index);
    return title;
}

// A fresh process (see ResetProcessState) with a desktop of `count` visible, unowned, titled
// top-level windows, all of them eligible at the default settings. Every (count / matches)-th
// window carries kMatchText in its title.
std::vector<HWND> MakeDesktop(int count, int matches = 0) {
    ResetProcessState();
    const int stride = matches > 0 ? std::max(1, count / matches) : 0;
    std::vector<HWND> windows;
    windows.reserve(static_cast<size_t>(count));
    int matched = 0;
    for (int i = 0; i < count; ++i) {
        const bool matching = stride > 0 && i % stride == 0 && matched < matches;
        matched += matching ? 1 : 0;
        windows.push_back(simwin::CreateTestWindow(TitleOf(i, matching)));
    }
    return windows;
}

// Starts the linked-in FAR 1.x plug-in (with the registry empty, so at its default settings) and
// opens a panel from the plug-ins menu.
HANDLE OpenPanel() {
    StartFar1();
    return far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
}

// One FAR 1.x listing: GetFindData, then FreeFindData of what it gave; the number of items.
int ListFar1(HANDLE panel) {
    const far1host::PluginExports& plugin = far1host::Plugin();
    far1::PluginPanelItem* items = nullptr;
    int listed = 0;
    plugin.GetFindData(panel, &items, &listed, 0);
    plugin.FreeFindData(panel, items, listed);
    return listed;
}

// ---- The FAR 3 front end, with a minimal host ------------------------------------------------

const WCHAR kNoText[] = {0};

// No messages (the listing shows none) and no settings store: the plug-in runs at its default
// settings, as the FAR 1.x one does with an empty registry.
const WCHAR* WINAPI NoMessage(const GUID*, intptr_t) {
    return kNoText;
}

intptr_t WINAPI NoSettingsStore(HANDLE, far3::FAR_SETTINGS_CONTROL_COMMANDS, intptr_t, void*) {
    return 0;
}

// Starts the linked-in FAR 3 plug-in and opens a panel from the plug-ins menu.
HANDLE OpenFar3Panel() {
    far3::PluginStartupInfo startup = HostRecord<far3::PluginStartupInfo>();
    startup.ModuleName = FAR3_TEXT("Velumo.dll");
    startup.GetMsg = NoMessage;
    startup.SettingsControl = NoSettingsStore;
    SetStartupInfoW(&startup);
    far3::OpenInfo open = HostRecord<far3::OpenInfo>();
    open.OpenFrom = far3::OPEN_PLUGINSMENU;
    return OpenW(&open);
}

// One FAR 3 listing: GetFindDataW, then FreeFindDataW of what it gave; the number of items.
size_t ListFar3(HANDLE panel) {
    far3::GetFindDataInfo find = HostRecord<far3::GetFindDataInfo>();
    find.hPanel = panel;
    GetFindDataW(&find);
    far3::FreeFindDataInfo release = HostRecord<far3::FreeFindDataInfo>();
    release.hPanel = panel;
    release.PanelItem = find.PanelItem;
    release.ItemsNumber = find.ItemsNumber;
    FreeFindDataW(&release);
    return find.ItemsNumber;
}

void CloseFar3Panel(HANDLE panel) {
    far3::ClosePanelInfo close = HostRecord<far3::ClosePanelInfo>();
    close.hPanel = panel;
    ClosePanelW(&close);
}

uint64_t WindowSystemCalls(const simwin::CallCounts& c) {
    return c.enumWindows + c.isWindow + c.isWindowVisible + c.showWindow + c.setForegroundWindow +
           c.bringWindowToTop + c.getWindow + c.getParent + c.getWindowLong + c.getWindowText +
           c.getWindowTextLength + c.getWindowTextW + c.getWindowTextLengthW + c.charToOem +
           c.lstrcmp;
}

long MinorPageFaults() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Runs `operation` once more, outside the timed loop, and reports what it asked of the window
// system, the heap and the kernel (first touches of pages the process did not have).
template <typename Operation>
void ReportCounts(benchmark::State& state, int windows, Operation operation) {
    simwin::ResetCallCounts();
    heapcalls::ResetCounts();
    const long faultsBefore = MinorPageFaults();
    operation();
    const long faults = MinorPageFaults() - faultsBefore;
    const heapcalls::Counts used = heapcalls::Counted();
    state.counters["page_faults"] = static_cast<double>(faults);
    const double calls = static_cast<double>(WindowSystemCalls(simwin::Calls()));
    state.counters["calls_per_window"] = calls / windows;
    state.counters["mallocs"] = static_cast<double>(used.mallocs);
    state.counters["reallocs"] = static_cast<double>(used.reallocs);
    state.counters["realloc_moves"] = static_cast<double>(used.reallocMoves);
    state.counters["copied_bytes"] = static_cast<double>(used.copiedBytes);
    state.counters["frees"] = static_cast<double>(used.frees);
    state.counters["sim_news"] = static_cast<double>(used.news);
}

// Time per window visited: total time / (iterations * visits per iteration).
void ReportTimePerWindow(benchmark::State& state, int visitsPerIteration) {
    state.counters["per_window"] =
        benchmark::Counter(visitsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

// ---- Benchmarks ------------------------------------------------------------------------------

void BM_ListingFar1(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MakeDesktop(count);
    HANDLE panel = OpenPanel();
    for (auto _ : state) {
        if (ListFar1(panel) != count) {
            state.SkipWithError("the listing missed windows");
            break;
        }
    }
    ReportTimePerWindow(state, count);
    ReportCounts(state, count, [&]() { ListFar1(panel); });
    far1host::Plugin().ClosePlugin(panel);
}

void BM_ListingFar3(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MakeDesktop(count);
    HANDLE panel = OpenFar3Panel();
    if (panel == nullptr) {
        state.SkipWithError("OpenW opened no panel");
        return;
    }
    for (auto _ : state) {
        if (ListFar3(panel) != static_cast<size_t>(count)) {
            state.SkipWithError("the listing missed windows");
            break;
        }
    }
    ReportTimePerWindow(state, count);
    ReportCounts(state, count, [&]() { ListFar3(panel); });
    CloseFar3Panel(panel);
}

// Two passes per iteration: the first hides the matching windows (and records them), the second
// shows them again, so every iteration starts from the same desktop and does the same work.
void BM_ToggleWindowsByTitle(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<HWND> windows = MakeDesktop(count, kMatchedWindows);
    OpenPanel(); // loads the default settings; the toggles are called directly
    const int matches = std::min(count, kMatchedWindows);
    far1::ToggleWindowsByOemText(kMatchText);
    const auto hidden = std::count_if(windows.begin(), windows.end(),
                                      [](HWND window) { return !IsWindowVisible(window); });
    far1::ToggleWindowsByOemText(kMatchText);
    if (hidden != matches) {
        state.SkipWithError("the toggle did not hide exactly the matching windows");
        return;
    }
    for (auto _ : state) {
        far1::ToggleWindowsByOemText(kMatchText);
        far1::ToggleWindowsByOemText(kMatchText);
    }
    ReportTimePerWindow(state, 2 * count);
    ReportCounts(state, 2 * count, []() {
        far1::ToggleWindowsByOemText(kMatchText);
        far1::ToggleWindowsByOemText(kMatchText);
    });
}

// Each iteration hides (untimed) as many windows as the table takes, spread over the z-order,
// then times the pass that shows them all again. The panel is FAR 1.x's, whose table keeps its
// fixed slots (FAR 3's grows and would take every window).
void BM_RestoreAllWindows(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<HWND> windows = MakeDesktop(count);
    OpenPanel();
    const int recorded = std::min(count, HiddenWindowTable::kSlotCount);
    std::vector<HWND> toHide;
    for (int i = 0; i < recorded; ++i) {
        toHide.push_back(windows[static_cast<size_t>(i) * static_cast<size_t>(count) /
                                 static_cast<size_t>(recorded)]);
    }
    auto hideAll = [&]() {
        for (HWND window : toHide) {
            HideWindow(window);
        }
    };
    for (auto _ : state) {
        state.PauseTiming();
        hideAll();
        state.ResumeTiming();
        RestoreAllWindows();
    }
    if (std::any_of(toHide.begin(), toHide.end(),
                    [](HWND window) { return !IsWindowVisible(window); })) {
        state.SkipWithError("RestoreAllWindows left a recorded window hidden");
        return;
    }
    ReportTimePerWindow(state, count);
    hideAll();
    ReportCounts(state, count, []() { RestoreAllWindows(); });
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    for (int count : {10, 30, 100, 300, 1000, 3000, 10000}) {
        benchmark->Arg(count);
    }
}

BENCHMARK(BM_ListingFar1)->Apply(Sizes);
BENCHMARK(BM_ListingFar3)->Apply(Sizes);
BENCHMARK(BM_ToggleWindowsByTitle)->Apply(Sizes);
BENCHMARK(BM_RestoreAllWindows)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
