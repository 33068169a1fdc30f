// Native benchmarks over the simulated Win32 subset: the listings of both front ends side by side
// (FAR 1.x: GetFindData + FreeFindData; FAR 3: GetFindDataW + FreeFindDataW; each through its
// entry points), ToggleWindowsByTitle and RestoreAllWindows, for desktops of 10 to 10,000
// eligible windows, each reported as time per window so that growth faster than linear shows at
// a glance. The FAR 3 listing also on desktops of 1,000 windows owned by 20 and by 1,000
// processes (BM_ListingFar3Processes/<processes>), where it reads each process's program once.
//
// Besides the time, every benchmark reports what one operation asks of the window system and of
// the heap: window-system calls per window (simwin::Calls()), and the product's malloc, realloc
// and free calls, the reallocs that moved the block and the bytes such moves copied (counted by
// the heap-call wrappers of heap_calls.h).
//
//   velumo_native_bench [Google Benchmark flags]
#include "core/hidden_window_table.h"
#include "core/visibility_actions.h"
#include "far1/panel_items.h"
#include "far1_support.h"
#include "heap_calls.h"
#include "plugin_calls.h"
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

constexpr int kProcessDesktopWindows = 1000;

// A fresh process (see ResetProcessState) with a desktop of `count` visible, unowned, titled
// top-level windows, all of them eligible at the default settings. Every (count / matches)-th
// window carries kMatchText in its title. With `processes`, that many processes are started and
// each owns a run of count / processes windows, as a program makes its windows one after the
// other; else the desktop's process owns them all.
std::vector<HWND> MakeDesktop(int count, int matches = 0, int processes = 0) {
    ResetProcessState();
    std::vector<DWORD> owners;
    for (int i = 0; i < processes; ++i) {
        owners.push_back(simwin::StartTestProcess());
    }
    const int stride = matches > 0 ? std::max(1, count / matches) : 0;
    std::vector<HWND> windows;
    windows.reserve(static_cast<size_t>(count));
    int matched = 0;
    for (int i = 0; i < count; ++i) {
        const bool matching = stride > 0 && i % stride == 0 && matched < matches;
        matched += matching ? 1 : 0;
        char title[64];
        snprintf(title, sizeof title, "%s %05d.txt - Editor", matching ? kMatchText : "Document",
                 i);
        simwin::WindowSpec spec;
        spec.title = title;
        if (processes > 0) {
            spec.process =
                owners[static_cast<size_t>(i) * owners.size() / static_cast<size_t>(count)];
        }
        windows.push_back(simwin::CreateTestWindow(spec));
    }
    return windows;
}

// A front end's listing as the benchmark drives it: a panel opened from the plug-ins menu at the
// default settings (the FAR 1.x plug-in with the registry empty), its listing, its closing.
struct Listing {
    HANDLE (*open)();
    int (*list)(HANDLE panel);
    void (*close)(HANDLE panel);
};

const far3host::PluginExports kFar3Plugin = far3host::LinkedPlugin();

const Listing kFar1Listing = {[] {
                                  StartFar1();
                                  return far1host::Plugin().OpenPlugin(far1::OPEN_PLUGINSMENU, 0);
                              },
                              [](HANDLE panel) { return ListFar1(far1host::Plugin(), panel); },
                              [](HANDLE panel) { far1host::Plugin().ClosePlugin(panel); }};
const Listing kFar3Listing = {[] { return OpenFar3Panel(kFar3Plugin, FAR3_TEXT("Velumo.dll")); },
                              [](HANDLE panel) { return ListFar3(kFar3Plugin, panel); },
                              [](HANDLE panel) { CloseFar3Panel(kFar3Plugin, panel); }};

uint64_t WindowSystemCalls(const simwin::CallCounts& c) {
    return c.enumWindows + c.isWindow + c.isWindowVisible + c.showWindow + c.setForegroundWindow +
           c.bringWindowToTop + c.getWindow + c.getParent + c.getWindowLong + c.getWindowText +
           c.getWindowTextLength + c.getWindowTextW + c.getWindowTextLengthW + c.charToOem +
           c.lstrcmp + c.getWindowThreadProcessId + c.openProcess + c.queryFullProcessImageName;
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
}

// Time per window visited: total time / (iterations * visits per iteration).
void ReportTimePerWindow(benchmark::State& state, int visitsPerIteration) {
    state.counters["per_window"] =
        benchmark::Counter(visitsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

// ---- Benchmarks ------------------------------------------------------------------------------

void MeasureListing(benchmark::State& state, const Listing* listing, int count, int processes) {
    MakeDesktop(count, 0, processes);
    HANDLE panel = listing->open();
    if (panel == nullptr || panel == INVALID_HANDLE_VALUE) {
        state.SkipWithError("the plug-in opened no panel");
        return;
    }
    for (auto _ : state) {
        if (listing->list(panel) != count) {
            state.SkipWithError("the listing missed windows");
            break;
        }
    }
    ReportTimePerWindow(state, count);
    ReportCounts(state, count, [&]() { listing->list(panel); });
    listing->close(panel);
}

void BM_Listing(benchmark::State& state, const Listing* listing) {
    MeasureListing(state, listing, static_cast<int>(state.range(0)), 0);
}

// Two passes per iteration: the first hides the matching windows (and records them), the second
// shows them again, so every iteration starts from the same desktop and does the same work.
void BM_ToggleWindowsByTitle(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<HWND> windows = MakeDesktop(count, kMatchedWindows);
    kFar1Listing.open(); // loads the default settings; the toggles are called directly
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
    kFar1Listing.open();
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

BENCHMARK(BM_ToggleWindowsByTitle)->Apply(Sizes);
BENCHMARK(BM_RestoreAllWindows)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RegisterBenchmark("BM_ListingFar1", BM_Listing, &kFar1Listing)->Apply(Sizes);
    benchmark::RegisterBenchmark("BM_ListingFar3", BM_Listing, &kFar3Listing)->Apply(Sizes);
    benchmark::RegisterBenchmark("BM_ListingFar3Processes",
                                 [](benchmark::State& state) {
                                     MeasureListing(state, &kFar3Listing, kProcessDesktopWindows,
                                                    static_cast<int>(state.range(0)));
                                 })
        ->Arg(20)
        ->Arg(1000); // one window each
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
