#!/usr/bin/env bash
# Runs the benchmarks of the window listing and writes docs/performance.md and
# docs/performance.png from today's results.
#
#   VELUMO_WINE_BUILD=<build directory of a Windows preset> bash bench/run_bench.sh
#
# 1. Natively (preset bench: gcc Release, no sanitizers) over the simulated Win32: Google
#    Benchmark, JSON in build/bench-results/; a second listing run with glibc's heap kept (no
#    trimming, no mmap) to separate the listing's own cost from the kernel's page faults; a
#    callgrind profile of the listing alone (GetFindData + FreeFindData) for the split by call.
# 2. Under Wine: the real Velumo.dll from $VELUMO_WINE_BUILD (the x86_64 build, preset mingw64,
#    which the report describes) against the floor loop, on windows of another process and of its
#    own, in a session of scripts/wine_run.sh.
# 3. The report and the plot (gnuplot).
#
# About eight minutes on two cores, most of it Wine creating 2 x 5,000 windows.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

WINE_BUILD=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
RESULTS=$ROOT/build/bench-results
DOC=$ROOT/docs/performance.md
PLOT=$ROOT/docs/performance.png
JOBS=2

WINE_REPETITIONS=15
WINE_COUNTS=(100 1000 5000)
# Listings under callgrind: windows and repetitions.
PROFILE_WINDOWS=1000
PROFILE_LISTINGS=20
# glibc's heap kept whole: nothing is trimmed back to the kernel and nothing goes to mmap.
KEPT_HEAP=glibc.malloc.trim_threshold=1073741824:glibc.malloc.mmap_threshold=33554432

log() { printf '\n== %s\n' "$*" >&2; }

for tool in cmake gnuplot valgrind callgrind_annotate; do
  command -v "$tool" >/dev/null || {
    echo "run_bench.sh: $tool is missing" >&2
    exit 1
  }
done

rm -rf "$RESULTS"
mkdir -p "$RESULTS" "$ROOT/docs"
LOAD_AT_START=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- native ----------------------------------------------------------------------------------

log "native: build (preset bench)"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$JOBS" --target velumo_native_bench
NATIVE=$ROOT/build/bench/bench/velumo_native_bench

log "native: benchmarks"
"$NATIVE" --benchmark_min_time=0.2 --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$RESULTS/native.json" --benchmark_out_format=json | tee "$RESULTS/native.txt"

log "native: listing with glibc's heap kept ($KEPT_HEAP)"
GLIBC_TUNABLES=$KEPT_HEAP "$NATIVE" --benchmark_filter='^BM_Listing/' \
  --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$RESULTS/native_kept_heap.json" --benchmark_out_format=json |
  tee "$RESULTS/native_kept_heap.txt"

log "native: callgrind profile of $PROFILE_LISTINGS listings of $PROFILE_WINDOWS windows"
valgrind --tool=callgrind --callgrind-out-file="$RESULTS/listing.callgrind" \
  --toggle-collect=GetFindData --toggle-collect=FreeFindData \
  "$NATIVE" --listing-loop "$PROFILE_WINDOWS" "$PROFILE_LISTINGS" >"$RESULTS/listing_loop.txt" \
  2>"$RESULTS/callgrind.log"
callgrind_annotate --inclusive=yes --threshold=100 "$RESULTS/listing.callgrind" \
  >"$RESULTS/listing.callgrind.txt" 2>/dev/null

# ---- Wine ------------------------------------------------------------------------------------

log "Wine: build the benchmark in $WINE_BUILD"
cmake --build "$WINE_BUILD" -j "$JOBS" --target velumo_wine_bench
WINE_BENCH=$WINE_BUILD/bench/velumo_wine_bench.exe
WINE_OWNER=$WINE_BUILD/bench/velumo_window_owner.exe
VELUMO_DLL=$WINE_BUILD/Velumo/Velumo.dll
for file in "$WINE_BENCH" "$WINE_OWNER" "$VELUMO_DLL"; do
  [ -f "$file" ] || {
    echo "run_bench.sh: $file is missing" >&2
    exit 1
  }
done
# Wine's drive Z: is the root of the Unix file system.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

WINE_RUN=$ROOT/scripts/wine_run.sh

log "Wine: $WINE_REPETITIONS repetitions, ${WINE_COUNTS[*]} windows"
bash "$WINE_RUN" "$WINE_BENCH" "$(windows_path "$VELUMO_DLL")" "$(windows_path "$WINE_OWNER")" \
  "$WINE_REPETITIONS" "${WINE_COUNTS[@]}" >"$RESULTS/wine.tsv" 2> >(tee "$RESULTS/wine.log" >&2)
WINE_VERSION=$("$(bash "$WINE_RUN" --loader "$WINE_BENCH")" --version)

# ---- the report ------------------------------------------------------------------------------

log "report: $DOC"

# The median aggregates of a Google Benchmark JSON file: run name, counter, value.
json_medians() {
  awk '
    /^    \{/ { n = 0; run = ""; aggregate = "" }
    /^      "run_name":/ { run = $2; gsub(/[",]/, "", run) }
    /^      "aggregate_name":/ { aggregate = $2; gsub(/[",]/, "", aggregate) }
    /^      "[a-z_]+": -?[0-9]/ {
      key = $1; gsub(/[":]/, "", key); value = $2; gsub(/,/, "", value)
      keys[++n] = key; values[n] = value
    }
    /^    \}/ { if (aggregate == "median") for (i = 1; i <= n; ++i) print run "\t" keys[i] "\t" values[i] }
  ' "$1"
}
json_medians "$RESULTS/native.json" >"$RESULTS/native.tsv"
json_medians "$RESULTS/native_kept_heap.json" >"$RESULTS/native_kept_heap.tsv"

# value FILE RUN COUNTER
value() { awk -F'\t' -v run="$2" -v key="$3" '$1 == run && $2 == key { print $3; exit }' "$1"; }
# calc EXPRESSION: floating-point arithmetic with awk.
calc() { awk "BEGIN { printf \"%.10g\", $1 }" </dev/null; }
# fmt FORMAT VALUE
fmt() { awk -v value="$2" "BEGIN { printf \"$1\", value }" </dev/null; }
# thousands VALUE: rounded, with thousands separators.
thousands() {
  awk -v value="$1" 'BEGIN {
    digits = sprintf("%.0f", value); grouped = ""
    while (length(digits) > 3) {
      grouped = "," substr(digits, length(digits) - 2) grouped
      digits = substr(digits, 1, length(digits) - 3)
    }
    print digits grouped
  }' </dev/null
}

NATIVE_SIZES=$(awk -F'\t' '$1 ~ /^BM_Listing\// { split($1, part, "/"); print part[2] }' \
  "$RESULTS/native.tsv" | sort -n | uniq)

# Native per-window times in microseconds (the counters are in seconds).
native_us() { calc "$(value "$1" "$2" per_window) * 1e6"; }

# ---- Wine figures
row_field() { awk -F'\t' -v c="$1" -v n="$2" -v f="$3" '$1 == "row" && $2 == c && $3 == n { print $f }' \
  "$RESULTS/wine.tsv"; }
floor_us() { row_field "$1" "$2" 4; }
listing_us() { row_field "$1" "$2" 5; }
ratio() { calc "$(listing_us "$1" "$2") / $(floor_us "$1" "$2")"; }
best_ratio() { calc "$(row_field "$1" "$2" 7) / $(row_field "$1" "$2" 6)"; }
call_ns() { awk -F'\t' -v c="$1" -v n="$2" -v name="$3" \
  '$1 == "call" && $2 == c && $3 == n && $4 == name { print $5 }' "$RESULTS/wine.tsv"; }
alloc_field() { awk -F'\t' -v n="$1" -v f="$2" '$1 == "alloc" && $2 == n { print $f }' "$RESULTS/wine.tsv"; }
WINE_PAGE_US=$(awk -F'\t' '$1 == "page" { print $2 }' "$RESULTS/wine.tsv")
block_us() { awk -F'\t' -v b="$1" '$1 == "block" && $2 == b { print $3 }' "$RESULTS/wine.tsv"; }
ELEMENT_SIZE=$(alloc_field "${WINE_COUNTS[0]}" 6)

verdict() { awk -v got="$1" -v limit="$2" 'BEGIN { print (got <= limit ? "met" : "missed") }'; }

# ---- the plot data: microseconds per window against windows
for name in listing toggle restore; do
  case $name in
    listing) family=BM_Listing ;;
    toggle) family=BM_ToggleWindowsByTitle ;;
    restore) family=BM_RestoreAllWindows ;;
  esac
  for n in $NATIVE_SIZES; do
    printf '%s %s\n' "$n" "$(native_us "$RESULTS/native.tsv" "$family/$n")"
  done >"$RESULTS/native_$name.dat"
done
for n in $NATIVE_SIZES; do
  printf '%s %s\n' "$n" "$(native_us "$RESULTS/native_kept_heap.tsv" "BM_Listing/$n")"
done >"$RESULTS/native_listing_kept.dat"
for c in other-process same-process; do
  for n in "${WINE_COUNTS[@]}"; do
    printf '%s %s %s\n' "$n" "$(calc "$(floor_us "$c" "$n") / $n")" \
      "$(calc "$(listing_us "$c" "$n") / $n")"
  done >"$RESULTS/wine_$c.dat"
done

gnuplot <<EOF
set terminal pngcairo size 1200,650 font "DejaVu Sans,11"
set output "$PLOT"
set title "Velumo: cost per window against the number of windows (lower is better)"
set logscale xy
set xlabel "windows on the desktop"
set ylabel "microseconds per window"
set grid xtics ytics mxtics mytics
set key outside right
set xrange [7:14000]
plot \
  "$RESULTS/wine_other-process.dat" using 1:3 with linespoints lw 2 pt 7 lc rgb "#6a3d9a" title "Wine, other process: listing", \
  "$RESULTS/wine_other-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 6 lc rgb "#6a3d9a" title "Wine, other process: floor", \
  "$RESULTS/wine_same-process.dat" using 1:3 with linespoints lw 2 pt 5 lc rgb "#1f78b4" title "Wine, same process: listing", \
  "$RESULTS/wine_same-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 4 lc rgb "#1f78b4" title "Wine, same process: floor", \
  "$RESULTS/native_listing.dat" using 1:2 with linespoints lw 2 pt 9 lc rgb "#e31a1c" title "native listing (glibc as it comes)", \
  "$RESULTS/native_listing_kept.dat" using 1:2 with linespoints lw 1 dt 2 pt 8 lc rgb "#e31a1c" title "native listing (glibc heap kept)", \
  "$RESULTS/native_toggle.dat" using 1:2 with linespoints lw 1 pt 11 lc rgb "#33a02c" title "native ToggleWindowsByTitle", \
  "$RESULTS/native_restore.dat" using 1:2 with linespoints lw 1 pt 13 lc rgb "#555555" title "native RestoreAllWindows"
EOF

# ---- the figures the text quotes
SMALL=100
LARGE=10000
NATIVE_SMALL_US=$(native_us "$RESULTS/native.tsv" "BM_Listing/$SMALL")
NATIVE_LARGE_US=$(native_us "$RESULTS/native.tsv" "BM_Listing/$LARGE")
NATIVE_GROWTH=$(calc "$NATIVE_LARGE_US / $NATIVE_SMALL_US")
KEPT_SMALL_US=$(native_us "$RESULTS/native_kept_heap.tsv" "BM_Listing/$SMALL")
KEPT_LARGE_US=$(native_us "$RESULTS/native_kept_heap.tsv" "BM_Listing/$LARGE")
KEPT_GROWTH=$(calc "$KEPT_LARGE_US / $KEPT_SMALL_US")
NATIVE_PAGE_US=$(calc "$(value "$RESULTS/native.tsv" "BM_FreshPageTouch/iterations:5" per_page) * 1e6")
LARGE_FAULTS=$(value "$RESULTS/native.tsv" "BM_Listing/$LARGE" page_faults)
LARGE_FAULT_MS=$(calc "$LARGE_FAULTS * $NATIVE_PAGE_US / 1000")
LARGE_LISTING_MS=$(calc "$NATIVE_LARGE_US * $LARGE / 1000")
LARGE_COPIED=$(value "$RESULTS/native.tsv" "BM_Listing/$LARGE" copied_bytes)
LARGE_MOVES=$(value "$RESULTS/native.tsv" "BM_Listing/$LARGE" realloc_moves)
NATIVE_ITEM_SIZE=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "item_size") print $(i + 1) }' \
  "$RESULTS/listing_loop.txt")

OTHER_RATIO=$(ratio other-process 1000)
SAME_RATIO=$(ratio same-process 1000)
SAME_EXTRA_MS=$(calc "($(listing_us same-process 1000) - $(floor_us same-process 1000)) / 1000")
ALLOC_1000_MS=$(calc "$(alloc_field 1000 3) / 1000")
ARRAY_1000_BYTES=$(calc "1000 * $ELEMENT_SIZE")
ARRAY_1000_PAGES=$(calc "int($ARRAY_1000_BYTES / 4096 + 0.999)")
BIG=${WINE_COUNTS[${#WINE_COUNTS[@]} - 1]}
OTHER_ALLOC_PERCENT=$(calc "100 * $ALLOC_1000_MS * 1000 / $(floor_us other-process 1000)")
OTHER_SCATTER_PERCENT=$(calc "100 * ($(floor_us other-process 1000) - $(row_field other-process 1000 6)) / $(floor_us other-process 1000)")

{
  cat <<EOF
# Performance of the window listing

Measured by \`./build.sh bench\` (\`bench/run_bench.sh\`) on $(date -u '+%Y-%m-%d %H:%M UTC').
Every figure on this page comes from that run; the command rewrites the page and the plot.
Raw results: \`build/bench-results/\` (Google Benchmark JSON, the Wine benchmark's TSV, the
callgrind profile).

## Machine

| | |
|---|---|
| CPU | $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) logical CPUs (\`nproc\`)$(grep -qw hypervisor /proc/cpuinfo && echo ', virtual machine') |
| Memory | $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) |
| Kernel | $(uname -sr) |
| C library | glibc $(getconf GNU_LIBC_VERSION | cut -d' ' -f2) |
| Wine | $WINE_VERSION, running the x86_64 build of Velumo.dll (\`$(basename "$WINE_BUILD")\`) under Xvfb |
| Compilers | $(g++ --version | head -1); $(x86_64-w64-mingw32-g++-posix --version 2>/dev/null | head -1 || echo MinGW-w64) |
| Load average at the start | $LOAD_AT_START (the two CPUs are shared with other jobs) |
| First touch of a fresh 4 KiB page | $(fmt '%.1f' "$NATIVE_PAGE_US") µs natively, $(fmt '%.1f' "$WINE_PAGE_US") µs under Wine |

The last line matters for everything below: on this virtual machine the kernel needs some
$(fmt '%.0f' "$NATIVE_PAGE_US") µs to hand a process a page it has not touched before (bare
hardware needs a fraction of a microsecond). A heap that gives memory back to the kernel after a
listing pays that price again for every page on the next listing.

## Targets

| Target | Limit | Measured | |
|---|---|---|---|
| Wine, windows of another process, 1,000 windows: listing / floor | ≤ 1.10 | $(fmt '%.3f' "$OTHER_RATIO") | $(verdict "$OTHER_RATIO" 1.10) |
| Wine, windows of the same process, 1,000 windows: listing / floor | ≤ 1.50 | $(fmt '%.3f' "$SAME_RATIO") | $(verdict "$SAME_RATIO" 1.50) |
| Native: time per window at $(thousands $LARGE) windows / at $SMALL windows | ≤ 1.50 | $(fmt '%.2f' "$NATIVE_GROWTH") | $(verdict "$NATIVE_GROWTH" 1.50) |
| The same, with glibc keeping its heap (\`GLIBC_TUNABLES=$KEPT_HEAP\`) | (≤ 1.50) | $(fmt '%.2f' "$KEPT_GROWTH") | ($(verdict "$KEPT_GROWTH" 1.50)) |

The floor is a loop in the benchmark's own process that makes exactly the window-system calls
the listing makes (same calls, same order, same arguments, the same eligibility tests at the same
settings) and writes the same texts into a preallocated array; before timing, the benchmark
checks that the listing and the floor agree entry by entry. The ratio is what the listing's own
work adds: the array grown by \`realloc\` one element per window, the zero-filling, three small
blocks per entry, and their release in \`FreeFindData\`.

![Cost per window against the number of windows](performance.png)

## Native, over the simulated Win32

Preset \`bench\` (gcc, Release, no sanitizers), Google Benchmark, median of 3 repetitions of at
least 0.2 s each; times are CPU time (the process's own, system time included), per window
visited. The window-system calls, heap calls and page faults are those of one more operation,
counted outside the timed loop. (Google Benchmark warns that Debian's libbenchmark was built as
a debug library; the code under test is optimised.)

### Listing: GetFindData + FreeFindData through the entry points

| Windows | µs per window | µs per window, heap kept | Window-system calls per window | malloc | realloc | realloc moves | bytes copied by moves | free | page faults |
|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
  for n in $NATIVE_SIZES; do
    run="BM_Listing/$n"
    printf '| %s | %.3f | %.3f | %.2f | %s | %s | %s | %s | %s | %s |\n' "$(thousands "$n")" \
      "$(native_us "$RESULTS/native.tsv" "$run")" "$(native_us "$RESULTS/native_kept_heap.tsv" "$run")" \
      "$(value "$RESULTS/native.tsv" "$run" calls_per_window)" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" mallocs)")" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" reallocs)")" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" realloc_moves)")" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" copied_bytes)")" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" frees)")" \
      "$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$run" page_faults)")"
  done
  cat <<EOF

Per window the listing makes 9 window-system calls (style, parent, title length, owner and
visibility for the filter; the title, its conversion, and visibility and owner again for the
status) plus one \`EnumWindows\` per listing, 3 \`malloc\` (the two-pointer array, the status and
the handle text), 1 \`realloc\` and, on release, 4 \`free\`.

**Why the cost per window grows natively.** It is not the copying that growing by one element
could cause: at $(thousands $LARGE) windows glibc moved the array $(fmt '%.0f' "$LARGE_MOVES") times
in one listing and copied $(fmt '%.1f' "$(calc "$LARGE_COPIED / 1048576")") MiB, about
$(fmt '%.1f' "$(calc "$LARGE_COPIED / ($LARGE * $NATIVE_ITEM_SIZE)")") times the final array of
$(fmt '%.1f' "$(calc "$LARGE * $NATIVE_ITEM_SIZE / 1048576")") MiB: linear, because glibc grows the
block in place at the top of the heap or, once it is above the mmap threshold, with \`mremap\`,
which moves pages instead of bytes. It is the page faults in the last column: when the list is
freed, glibc gives the memory back to the kernel (it trims the top of the heap, or unmaps a block
that was mmapped), and the next listing faults every page in again. At $(thousands $LARGE) windows that
is $(fmt '%.0f' "$LARGE_FAULTS") faults per listing, about $(fmt '%.1f' "$LARGE_FAULT_MS") ms at
$(fmt '%.1f' "$NATIVE_PAGE_US") µs a fault, of the $(fmt '%.1f' "$LARGE_LISTING_MS") ms a listing takes.
Which sizes fault depends on glibc's sliding thresholds (the mmap threshold rises after each
mmapped block is freed), so sizes in between can come out fast or slow from run to run. With
the heap kept (\`GLIBC_TUNABLES=$KEPT_HEAP\`), the very same code costs
$(fmt '%.3f' "$KEPT_SMALL_US") µs per window at $SMALL windows and $(fmt '%.3f' "$KEPT_LARGE_US") µs at
$(thousands $LARGE): the listing itself is linear.

### Where the listing's instructions go (callgrind)

$PROFILE_LISTINGS listings of $(thousands $PROFILE_WINDOWS) windows under \`valgrind --tool=callgrind\`, collecting
only inside \`GetFindData\` and \`FreeFindData\`; inclusive instruction counts. Instructions, not
time: the page faults above do not show here.

| Part | Instructions per window | Share |
|---|---:|---:|
EOF
  profile="$RESULTS/listing.callgrind.txt"
  # The first inclusive count of a line that contains the text (a function's name as callgrind
  # prints it).
  ir() { awk -v needle="$1" 'index($0, needle) { gsub(/,/, "", $1); print $1; exit }' "$profile"; }
  per_window() { calc "$1 / ($PROFILE_WINDOWS * $PROFILE_LISTINGS)"; }
  total=$(calc "$(ir ':GetFindData [') + $(ir ':FreeFindData [')")
  queries=0
  for call in GetWindowLongA GetParent GetWindowTextLengthA GetWindow IsWindowVisible \
    GetWindowTextA CharToOemA; do
    queries=$(calc "$queries + $(ir ":$call(")")
  done
  enumeration=$(calc "$(ir ':EnumWindows(') - $(ir 'AddListedWindow(')")
  table=$(ir ':HiddenWindowTable::Contains(')
  handle_text=$(ir ':snprintf [')
  mallocs=$(ir ':__wrap_malloc')
  reallocs=$(ir ':__wrap_realloc')
  frees=$(ir ':__wrap_free')
  rest=$(calc "$total - $queries - $enumeration - $table - $handle_text - $mallocs - $reallocs - $frees")
  part() { printf '| %s | %.0f | %.1f %% |\n' "$1" "$(per_window "$2")" "$(calc "100 * $2 / $total")"; }
  part "Window-system queries of the simulation (GetWindowLongA, GetParent, GetWindowTextLengthA, GetWindow, IsWindowVisible, GetWindowTextA, CharToOemA)" "$queries"
  part "EnumWindows's own work (the simulation's snapshot and look-ups)" "$enumeration"
  part "HiddenWindowTable::Contains (the \"D\" mark)" "$table"
  part "snprintf \"%08X\" (the handle text)" "$handle_text"
  part "malloc, 3 per window" "$mallocs"
  part "realloc, 1 per window" "$reallocs"
  part "free, 4 per window" "$frees"
  part "Velumo's own code: filter logic, zero-filling, copies, loops" "$rest"
  printf '| **Listing (GetFindData + FreeFindData)** | **%.0f** | 100 %% |\n' "$(per_window "$total")"
  cat <<EOF

The heap calls include the counting wrappers of the benchmark (a counter each and, for
\`realloc\`, one \`malloc_usable_size\`). glibc's \`snprintf\` is the largest single part here;
in Velumo.dll (MinGW's \`snprintf\`) the same handle text costs
$(call_ns same-process 1000 'snprintf(%08X)') ns (table "What each window-system call costs under Wine"), well under 1 % of
a listing there, so it matters to the simulation only.

### ToggleWindowsByTitle and RestoreAllWindows

\`ToggleWindowsByTitle\`: two passes per iteration over a desktop where 10 windows match (the
first hides and records them, the second shows them again), so every iteration does the same
work; per window visited. \`RestoreAllWindows\`: before each iteration, outside the timing, as many
windows as the table holds (20, or all when fewer) are hidden; per window on the desktop.

| Windows | ToggleWindowsByTitle µs per window | calls per window | RestoreAllWindows µs per window | calls per window |
|---:|---:|---:|---:|---:|
EOF
  for n in $NATIVE_SIZES; do
    printf '| %s | %.3f | %.2f | %.3f | %.2f |\n' "$(thousands "$n")" \
      "$(native_us "$RESULTS/native.tsv" "BM_ToggleWindowsByTitle/$n")" \
      "$(value "$RESULTS/native.tsv" "BM_ToggleWindowsByTitle/$n" calls_per_window)" \
      "$(native_us "$RESULTS/native.tsv" "BM_RestoreAllWindows/$n")" \
      "$(value "$RESULTS/native.tsv" "BM_RestoreAllWindows/$n" calls_per_window)"
  done
  cat <<EOF

Neither allocates. Their cost per window falls as the desktop grows: the fixed work (20 or 10
windows shown, raised and re-recorded) spreads over more windows.

## Under Wine, on real windows

\`velumo_wine_bench.exe\` loads the real Velumo.dll with the host stand-in's \`LoadPlugin\`, opens
a panel at the default settings and times \`GetFindData\` + \`FreeFindData\` against the floor, on a
desktop of its own (\`CreateDesktopA\` + \`SetThreadDesktop\`): first with the windows of
\`velumo_window_owner.exe\`, a second process started on that desktop, as a user's windows belong
to other programs; then with windows of its own thread. $WINE_REPETITIONS samples of each, floor and
listing alternating, after half a second of untimed runs; a sample is one listing, or the mean of
several when one listing takes less than 20 ms. Medians, and the ratio of the fastest samples
as a check on the noise; times per listing.

| Windows' owner | Windows | Floor, ms | Listing, ms | Floor, µs per window | Listing, µs per window | Listing / floor | The same, best samples | Listings per sample |
|---|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
  for c in other-process same-process; do
    for n in "${WINE_COUNTS[@]}"; do
      printf '| %s | %s | %.2f | %.2f | %.2f | %.2f | %.3f | %.3f | %s |\n' "$c" "$(thousands "$n")" \
        "$(calc "$(floor_us "$c" "$n") / 1000")" "$(calc "$(listing_us "$c" "$n") / 1000")" \
        "$(calc "$(floor_us "$c" "$n") / $n")" "$(calc "$(listing_us "$c" "$n") / $n")" \
        "$(ratio "$c" "$n")" "$(best_ratio "$c" "$n")" "$(row_field "$c" "$n" 8)"
    done
  done
  cat <<EOF

### What each window-system call costs under Wine

Each call alone over the same 1,000 windows (best of three passes), and how often the listing
makes it per window; "predicted" adds them up.

| Call | Per window in the listing | Other process, ns per call | Same process, ns per call |
|---|---:|---:|---:|
EOF
  predicted_other=0
  predicted_same=0
  while IFS='|' read -r call times; do
    other=$(call_ns other-process 1000 "$call")
    same=$(call_ns same-process 1000 "$call")
    predicted_other=$(calc "$predicted_other + $times * $other")
    predicted_same=$(calc "$predicted_same + $times * $same")
    printf '| %s | %s | %s | %s |\n' "$call" "$times" "$(thousands "$other")" "$(thousands "$same")"
  done <<'CALLS'
EnumWindows (per window)|1
GetWindowLongA(GWL_STYLE)|1
GetParent|1
GetWindowTextLengthA|1
GetWindow(GW_OWNER)|2
IsWindowVisible|2
GetWindowTextA(128)|1
CharToOemA|1
snprintf(%08X)|1
CALLS
  printf '| **Predicted floor per window** | | **%.1f µs** (measured %.1f) | **%.2f µs** (measured %.2f) |\n' \
    "$(calc "$predicted_other / 1000")" "$(calc "$(floor_us other-process 1000) / 1000")" \
    "$(calc "$predicted_same / 1000")" "$(calc "$(floor_us same-process 1000) / 1000")"
  cat <<EOF

Windows of another process cost a wineserver round trip per query (Wine's \`EnumWindows\` also
checks every handle with \`IsWindow\`, and \`IsWindowVisible\` walks the window and its parents),
some $(fmt '%.0f' "$(calc "$(call_ns other-process 1000 'GetParent') / 1000")") µs each on this machine; windows of the
same process are answered from the process's own copy of the window data, except the title
calls, which send \`WM_GETTEXT\` / \`WM_GETTEXTLENGTH\` to the window procedure.

### The listing's allocation scheme alone, on the same heap

The same sequence of heap calls as a listing of N windows, without a window: \`realloc\` to one
element more ($ELEMENT_SIZE bytes each in the x86_64 build), zero-fill it, three \`malloc\`, then
three \`free\` per entry and one for the array; msvcrt's heap, as Velumo.dll uses it. Median of
$WINE_REPETITIONS runs after one warm-up.

| Windows | Time, ms | µs per window | realloc moves | bytes copied by moves | final array |
|---:|---:|---:|---:|---:|---:|
EOF
  for n in "${WINE_COUNTS[@]}"; do
    printf '| %s | %.2f | %.2f | %s | %s | %s |\n' "$(thousands "$n")" \
      "$(calc "$(alloc_field "$n" 3) / 1000")" "$(calc "$(alloc_field "$n" 3) / $n")" \
      "$(alloc_field "$n" 4)" "$(thousands "$(alloc_field "$n" 5)")" \
      "$(thousands "$(calc "$n * $ELEMENT_SIZE")")"
  done
  cat <<EOF

## Findings

**Windows of another process (the user's case): $(verdict "$OTHER_RATIO" 1.10), $(fmt '%.3f' "$OTHER_RATIO") at 1,000
windows** ($(fmt '%.3f' "$(best_ratio other-process 1000)") between the fastest samples). The floor costs
$(fmt '%.0f' "$(calc "$(floor_us other-process 1000) / 1000")") µs per window in wineserver round trips; what the listing adds, the
allocation scheme above, takes $(fmt '%.1f' "$ALLOC_1000_MS") ms for 1,000 windows, $(fmt '%.1f' "$OTHER_ALLOC_PERCENT") % of the floor,
while the floor's own samples scatter by $(fmt '%.0f' "$OTHER_SCATTER_PERCENT") % (fastest to median): $(
  awk -v share="$OTHER_ALLOC_PERCENT" -v scatter="$OTHER_SCATTER_PERCENT" 'BEGIN {
    if (share < scatter) print "the listing'"'"'s own work is below what these samples resolve, and a ratio under 1 is noise, not a listing faster than its floor."
    else print "the listing'"'"'s own work shows above the noise of the samples."
  }')
At $(thousands "$BIG") windows the ratio is $(fmt '%.3f' "$(ratio other-process "$BIG")").

**Windows of the benchmark's own process: $(verdict "$SAME_RATIO" 1.50), $(fmt '%.3f' "$SAME_RATIO") at 1,000 windows.**
Here the window system answers in about $(fmt '%.1f' "$(calc "$(floor_us same-process 1000) / 1000")") µs per window, and the
listing takes $(fmt '%.2f' "$SAME_EXTRA_MS") ms more than the floor for 1,000 windows; the allocation scheme
alone takes $(fmt '%.2f' "$ALLOC_1000_MS") ms on the same heap. Most of that is page faults, not the
listing's code: the array of 1,000 entries covers $ARRAY_1000_PAGES pages, and Wine's heap hands a
block of that size back to the system when it is freed, so every listing faults fresh pages in
again. Measured in the same process: allocating, touching and freeing a block of
$(thousands "$ARRAY_1000_BYTES") bytes (the array's size) takes $(fmt '%.0f' "$(block_us "$ARRAY_1000_BYTES")") µs each time, a
block of 64 KiB, which the heap keeps, $(fmt '%.1f' "$(block_us 65536)") µs; a fresh page costs
$(fmt '%.1f' "$WINE_PAGE_US") µs here. At $(thousands "$BIG") windows the ratio is
$(fmt '%.2f' "$(ratio same-process "$BIG")"): the allocation scheme alone takes
$(fmt '%.0f' "$(calc "$(alloc_field "$BIG" 3) / 1000")") ms, with $(alloc_field "$BIG" 4) moves of the array that copy
$(fmt '%.1f' "$(calc "$(alloc_field "$BIG" 5) / 1048576")") MiB in all, $(fmt '%.1f' "$(calc "$(alloc_field "$BIG" 5) / ($BIG * $ELEMENT_SIZE)")") times the final
array. This is the quadratic risk of growing by one element: above its large-block size Wine's
heap keeps each large block in a mapping of its own, grows it in place only within that mapping
and otherwise moves it into a new one, copying the whole array into freshly faulted pages. The
number of moves grows with the array and each move costs in proportion to the array, so the
total grows faster than linearly. On this machine's slow page faults that dominates from a few
thousand windows on; on bare hardware, with faults tens of times cheaper, the same moves cost
mostly the copying.

**Native: $(verdict "$NATIVE_GROWTH" 1.50), $(fmt '%.2f' "$NATIVE_GROWTH") from $SMALL to $(thousands $LARGE) windows.** The
cause is the page faults explained above, not the listing's code, which stays linear with the
heap kept ($(fmt '%.2f' "$KEPT_GROWTH")).

The listing's calls, results and allocation scheme were left exactly as they are; none of the
costs above comes from work the listing could drop without changing one of them.
EOF
} >"$DOC"

echo "wrote $DOC and $PLOT" >&2
