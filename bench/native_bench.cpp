// Native benchmarks over the simulated Win32 subset: the listing (GetFindData + FreeFindData
// through the entry points), ToggleWindowsByTitle and RestoreAllWindows, for desktops of 10 to
// 10,000 eligible windows, each reported as time per window so that growth faster than linear
// shows at a glance.
//
// Besides the time, every benchmark reports what one operation asks of the window system and of
// the heap: window-system calls per window (simwin::Calls()), and the product's malloc, realloc
// and free calls, the reallocs that moved the block and the bytes such moves copied (counted by
// the heap-call wrappers of heap_calls.h). Allocations of the simulation itself (C++ operator
// new) are counted apart as sim_news.
//
//   velumo_native_bench [Google Benchmark flags]
//   velumo_native_bench --listing-loop WINDOWS LISTINGS   only lists, for a profiler
#include "core/hidden_window_table.h"
#include "core/visibility_actions.h"
#include "far1/window_list.h"
#include "far_host.h"
#include "heap_calls.h"
#include "plugin_support.h"
#include "sim_desktop.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
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

// Starts the linked-in plug-in (with the registry empty, so at its default settings) and opens
// a panel from the plug-ins menu.
HANDLE OpenPanel() {
    StartPlugin();
    return farhost::Plugin().OpenPlugin(OPEN_PLUGINSMENU, 0);
}

uint64_t WindowSystemCalls(const simwin::CallCounts& c) {
    return c.enumWindows + c.isWindow + c.isWindowVisible + c.showWindow + c.setForegroundWindow +
           c.bringWindowToTop + c.getWindow + c.getParent + c.getWindowLong + c.getWindowText +
           c.getWindowTextLength + c.charToOem + c.lstrcmp;
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

void BM_Listing(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MakeDesktop(count);
    HANDLE panel = OpenPanel();
    const farhost::PluginExports& plugin = farhost::Plugin();
    for (auto _ : state) {
        PluginPanelItem* items = nullptr;
        int listed = 0;
        plugin.GetFindData(panel, &items, &listed, 0);
        benchmark::DoNotOptimize(items);
        if (listed != count) {
            state.SkipWithError("the listing missed windows");
            break;
        }
        plugin.FreeFindData(panel, items, listed);
    }
    ReportTimePerWindow(state, count);
    ReportCounts(state, count, [&]() {
        PluginPanelItem* items = nullptr;
        int listed = 0;
        plugin.GetFindData(panel, &items, &listed, 0);
        plugin.FreeFindData(panel, items, listed);
    });
    plugin.ClosePlugin(panel);
}

// Two passes per iteration: the first hides the matching windows (and records them), the second
// shows them again, so every iteration starts from the same desktop and does the same work.
void BM_ToggleWindowsByTitle(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<HWND> windows = MakeDesktop(count, kMatchedWindows);
    OpenPanel(); // loads the default settings; the toggles are called directly
    const int matches = std::min(count, kMatchedWindows);
    ToggleWindowsByOemText(kMatchText);
    const auto hidden = std::count_if(windows.begin(), windows.end(),
                                      [](HWND window) { return !IsWindowVisible(window); });
    ToggleWindowsByOemText(kMatchText);
    if (hidden != matches) {
        state.SkipWithError("the toggle did not hide exactly the matching windows");
        return;
    }
    for (auto _ : state) {
        ToggleWindowsByOemText(kMatchText);
        ToggleWindowsByOemText(kMatchText);
    }
    ReportTimePerWindow(state, 2 * count);
    ReportCounts(state, 2 * count, []() {
        ToggleWindowsByOemText(kMatchText);
        ToggleWindowsByOemText(kMatchText);
    });
}

// Each iteration hides (untimed) as many windows as the table takes, spread over the z-order,
// then times the pass that shows them all again.
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

// Not Velumo: what this machine charges for the first touch of a fresh anonymous page, the cost
// a heap pays again for every page it has given back to the kernel and then takes once more.
void BM_FreshPageTouch(benchmark::State& state) {
    constexpr size_t kBytes = 16u << 20;
    constexpr size_t kPage = 4096;
    for (auto _ : state) {
        void* mapped =
            mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            state.SkipWithError("mmap failed");
            break;
        }
        char* memory = static_cast<char*>(mapped);
        for (size_t at = 0; at < kBytes; at += kPage) {
            memory[at] = 1;
        }
        benchmark::ClobberMemory();
        munmap(mapped, kBytes);
    }
    state.counters["per_page"] =
        benchmark::Counter(kBytes / kPage, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    for (int count : {10, 30, 100, 300, 1000, 3000, 10000}) {
        benchmark->Arg(count);
    }
}

BENCHMARK(BM_Listing)->Apply(Sizes);
BENCHMARK(BM_ToggleWindowsByTitle)->Apply(Sizes);
BENCHMARK(BM_RestoreAllWindows)->Apply(Sizes);
BENCHMARK(BM_FreshPageTouch)->Iterations(5)->Unit(benchmark::kMillisecond);

// Lists a desktop `listings` times and nothing else, so that a profiler sees the listing alone;
// prints what one listing allocated.
int ListingLoop(int count, int listings) {
    MakeDesktop(count);
    HANDLE panel = OpenPanel();
    const farhost::PluginExports& plugin = farhost::Plugin();
    heapcalls::ResetCounts();
    for (int i = 0; i < listings; ++i) {
        PluginPanelItem* items = nullptr;
        int listed = 0;
        plugin.GetFindData(panel, &items, &listed, 0);
        if (listed != count) {
            fprintf(stderr, "listed %d of %d windows\n", listed, count);
            return 1;
        }
        plugin.FreeFindData(panel, items, listed);
    }
    const heapcalls::Counts used = heapcalls::Counted();
    printf("windows %d listings %d item_size %zu mallocs %llu reallocs %llu realloc_moves %llu "
           "copied_bytes %llu frees %llu\n",
           count, listings, sizeof(PluginPanelItem),
           static_cast<unsigned long long>(used.mallocs / listings),
           static_cast<unsigned long long>(used.reallocs / listings),
           static_cast<unsigned long long>(used.reallocMoves / listings),
           static_cast<unsigned long long>(used.copiedBytes / listings),
           static_cast<unsigned long long>(used.frees / listings));
    plugin.ClosePlugin(panel);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--listing-loop") == 0) {
        const int count = atoi(argv[2]);
        const int listings = atoi(argv[3]);
        if (count <= 0 || listings <= 0) {
            fprintf(stderr, "usage: %s --listing-loop WINDOWS LISTINGS\n", argv[0]);
            return 2;
        }
        return ListingLoop(count, listings);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
