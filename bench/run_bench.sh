#!/usr/bin/env bash
# Runs the benchmarks of the window listing of both front ends, FAR 1.x and FAR 3, side by side,
# and writes docs/performance.md and docs/performance.png from that run.
#
#   VELUMO_WINE_BUILD=<build directory of a Windows preset> bash bench/run_bench.sh
#   VELUMO_WINE_BUILD=... bash bench/run_bench.sh --report-only   the report again, from the
#                                                                 results of the last run
#
# Where it builds and keeps its results (defaults in the repository's build/):
#   VELUMO_BENCH_BUILD    the native build directory (preset bench), default build/bench
#   VELUMO_BENCH_RESULTS  the raw results, default build/bench-results
#   VELUMO_BENCH_QUICK=1  a short run through every stage (fewer and smaller Wine desktops, fewer
#                         samples and profiled listings); its report and plot go to the results
#                         folder, never to docs/, since its figures do not answer the targets
#
# 1. Natively (preset bench: gcc Release, no sanitizers) over the simulated Win32: Google
#    Benchmark, JSON in the results; a second run of the listings with glibc's heap kept (no
#    trimming, no mmap) to separate the listings' own cost from the kernel's page faults; a
#    callgrind profile of each front end's listing alone for the split by call.
# 2. Under Wine: the real DLLs from $VELUMO_WINE_BUILD (the x86_64 build, preset mingw64, which
#    the report describes), Velumo/Velumo.dll (FAR 1.x) and far3/Velumo/Velumo.dll (FAR 3), each
#    against its floor loop, on windows of another process and of its own, in a session of
#    scripts/wine_run.sh.
# 3. The report (the tables straight from the results) and the plot (gnuplot).
#
# About twelve minutes on two quiet cores (fourteen on loaded ones), most of it Wine creating
# 2 x 5,000 windows and listing the other process's windows through the wineserver.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
ROOT=$(pwd)

WINE_BUILD=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
BENCH_BUILD=${VELUMO_BENCH_BUILD:-$ROOT/build/bench}
RESULTS=${VELUMO_BENCH_RESULTS:-$ROOT/build/bench-results}
DOC=$ROOT/docs/performance.md
PLOT=$ROOT/docs/performance.png
JOBS=2

REPORT_ONLY=
case "${1:-}" in
  "") ;;
  --report-only) REPORT_ONLY=1 ;;
  *)
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac

# The FAR 3 listing's targets: listing / floor at TARGET_WINDOWS, and the cost per window at
# GROWN_WINDOWS against that at TARGET_WINDOWS (both are among WINE_COUNTS).
WINE_REPETITIONS=15
WINE_COUNTS=(100 1000 5000)
TARGET_WINDOWS=1000
GROWN_WINDOWS=5000
NATIVE_MIN_TIME=0.2
PROFILE_WINDOWS=1000 # listings under callgrind: windows and repetitions
PROFILE_LISTINGS=20
if [ "${VELUMO_BENCH_QUICK:-0}" = 1 ]; then
  WINE_REPETITIONS=3
  WINE_COUNTS=(100 300)
  TARGET_WINDOWS=100
  GROWN_WINDOWS=300
  NATIVE_MIN_TIME=0.01
  PROFILE_WINDOWS=100
  PROFILE_LISTINGS=2
  DOC=$RESULTS/performance.md
  PLOT=$RESULTS/performance.png
fi
LIMIT_OTHER=1.02
LIMIT_SAME=1.10
LIMIT_GROWTH=1.20
# glibc's heap kept whole: nothing is trimmed back to the kernel and nothing goes to mmap.
KEPT_HEAP=glibc.malloc.trim_threshold=1073741824:glibc.malloc.mmap_threshold=33554432
# A block the heap keeps for reuse costs a few nanoseconds a page to allocate, touch and free; a
# fresh page fault costs tenths of a microsecond even on bare hardware.
KEPT_PAGE_US=0.1

log() { printf '\n== %s\n' "$*" >&2; }

for tool in cmake gnuplot valgrind callgrind_annotate; do
  command -v "$tool" >/dev/null || {
    echo "run_bench.sh: $tool is missing" >&2
    exit 1
  }
done

# ---- the measurements ------------------------------------------------------------------------

measure() {
  rm -rf "$RESULTS"
  mkdir -p "$RESULTS"
  {
    printf 'LOAD_AT_START=%q\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
    printf 'MEASURED_AT=%q\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  } >"$RESULTS/run.env"

  log "native: build (preset bench) in $BENCH_BUILD"
  cmake --preset bench -B "$BENCH_BUILD" >/dev/null
  cmake --build "$BENCH_BUILD" -j "$JOBS" --target velumo_native_bench
  local native=$BENCH_BUILD/bench/velumo_native_bench heap
  for heap in native native_kept_heap; do
    log "native: benchmarks ($heap)"
    [ $heap = native ] && tunables= || tunables=$KEPT_HEAP
    GLIBC_TUNABLES=$tunables "$native" --benchmark_filter="$([ $heap = native ] && echo . || echo '^BM_Listing')" \
      --benchmark_min_time="$NATIVE_MIN_TIME" --benchmark_repetitions=3 \
      --benchmark_report_aggregates_only=true \
      --benchmark_out="$RESULTS/$heap.json" --benchmark_out_format=json | tee "$RESULTS/$heap.txt"
  done

  local front entry
  for front in far1 far3; do
    [ $front = far1 ] && entry=GetFindData || entry=GetFindDataW
    log "native: callgrind profile of $PROFILE_LISTINGS $front listings of $PROFILE_WINDOWS windows"
    valgrind --tool=callgrind --callgrind-out-file="$RESULTS/listing_$front.callgrind" \
      --toggle-collect="$entry" --toggle-collect="Free${entry#Get}" \
      "$native" --listing-loop "$front" "$PROFILE_WINDOWS" "$PROFILE_LISTINGS" \
      >"$RESULTS/listing_loop_$front.txt" 2>"$RESULTS/callgrind_$front.log"
    callgrind_annotate --inclusive=yes --threshold=100 "$RESULTS/listing_$front.callgrind" \
      >"$RESULTS/listing_$front.callgrind.txt" 2>/dev/null
  done

  log "Wine: build the benchmark and both DLLs in $WINE_BUILD"
  cmake --build "$WINE_BUILD" -j "$JOBS" --target velumo_wine_bench
  local bench=$WINE_BUILD/bench/velumo_wine_bench.exe file args=()
  for file in "$WINE_BUILD/Velumo/Velumo.dll" "$WINE_BUILD/far3/Velumo/Velumo.dll" \
    "$WINE_BUILD/bench/velumo_window_owner.exe"; do
    [ -f "$file" ] || {
      echo "run_bench.sh: $file is missing" >&2
      exit 1
    }
    args+=("Z:${file//\//\\}") # Wine's drive Z: is the root of the Unix file system
  done
  log "Wine: $WINE_REPETITIONS repetitions, ${WINE_COUNTS[*]} windows"
  # The C runtime's text mode ends the lines with CR LF; the report reads plain lines.
  bash scripts/wine_run.sh "$bench" "${args[@]}" "$WINE_REPETITIONS" "${WINE_COUNTS[@]}" \
    2> >(tee "$RESULTS/wine.log" >&2) | tr -d '\r' >"$RESULTS/wine.tsv"
  printf 'WINE_VERSION=%q\n' "$("$(bash scripts/wine_run.sh --loader "$bench")" --version)" \
    >>"$RESULTS/run.env"
}

[ -n "$REPORT_ONLY" ] || measure
if [ ! -f "$RESULTS/run.env" ] || [ ! -f "$RESULTS/wine.tsv" ]; then
  echo "run_bench.sh: no results in $RESULTS to report" >&2
  exit 1
fi
# shellcheck source=/dev/null
. "$RESULTS/run.env"
log "report: $DOC"

# ---- the results, read once ------------------------------------------------------------------

# N[file:run:counter] for the median aggregates of the Google Benchmark JSON files (file: native
# or kept); W[...] for the Wine benchmark's lines (row, call, alloc, block, page).
declare -A N W
while IFS=$'\t' read -r file run key value; do
  N[$file:$run:$key]=$value
done < <(for file in native native_kept_heap; do
  awk -v file="${file/native_kept_heap/kept}" '
    /^    \{/ { n = 0; aggregate = "" }
    /^      "run_name":/ { run = $2; gsub(/[",]/, "", run) }
    /^      "aggregate_name":/ { aggregate = $2; gsub(/[",]/, "", aggregate) }
    /^      "[a-z_]+": -?[0-9]/ { key = $1; gsub(/[":]/, "", key); v = $2; gsub(/,/, "", v); k[++n] = key; val[n] = v }
    /^    \}/ { if (aggregate == "median") for (i = 1; i <= n; ++i) print file "\t" run "\t" k[i] "\t" val[i] }
  ' "$RESULTS/$file.json"
done)
while IFS=$'\t' read -r kind a b c d e f g h i; do
  case $kind in
    row) W[row:$a:$b:$c]="$d $e $f $g $h $i" ;; # floor listing floor-min listing-min batch paired
    call) W[call:$a:$b:$c]=$d ;;                # ns per call
    alloc) W[alloc:$a:$b]="$c $d $e $f $g" ;;   # median-us moves copied element-size final-bytes
    block) W[block:$a]=$b ;;                    # µs each time
    page) W[page]=$a ;;
  esac
done <"$RESULTS/wine.tsv"

# Every figure goes through get. A figure the results lack is noted in a file (most are read in
# command substitutions, where an exit ends only the substitution), and the report is then not
# written.
MISSING=$RESULTS/report.missing
rm -f "$MISSING"
get() {
  local -n table=$1
  [ -n "${table[$2]+set}" ] || {
    echo "run_bench.sh: no $2 in the results" | tee -a "$MISSING" >&2
    exit 1
  }
  printf '%s' "${table[$2]}"
}
field() { get W "$1" | cut -d' ' -f"$2"; }
calc() { awk "BEGIN { printf \"%.10g\", $1 }" </dev/null; }
thousands() {
  awk -v value="$1" 'BEGIN { d = sprintf("%.0f", value); g = ""
    while (length(d) > 3) { g = "," substr(d, length(d) - 2) g; d = substr(d, 1, length(d) - 3) }
    print d g }' </dev/null
}
verdict() { awk -v got="$1" -v limit="$2" 'BEGIN { print (got <= limit ? "met" : "missed") }'; }
name() { case $1 in far1) echo "FAR 1.x" ;; *) echo "FAR 3" ;; esac; }
listing() { [ "$1" = far1 ] && echo "BM_ListingFar1/$2" || echo "BM_ListingFar3/$2"; }
native_us() { calc "$(get N "$1:$2:per_window") * 1e6"; } # the counters are in seconds
floor_us() { field "row:$1:$2:$3" 1; }
listing_us() { field "row:$1:$2:$3" 2; }
ratio() { calc "$(listing_us "$@") / $(floor_us "$@")"; }
growth() {
  calc "($(listing_us "$1" "$2" "$G") / $G) / ($(listing_us "$1" "$2" "$T") / $T)"
}
pages() { calc "int($1 / 4096 + 0.999)"; }

T=$TARGET_WINDOWS
G=$GROWN_WINDOWS
BIG=${WINE_COUNTS[${#WINE_COUNTS[@]} - 1]}
NATIVE_SIZES=$(printf '%s\n' "${!N[@]}" | awk -F'[:/]' '$1 == "native" && $2 == "BM_ListingFar1" { print $3 }' | sort -n | uniq)
SMALL=$(echo "$NATIVE_SIZES" | awk '$1 >= 100 { print; exit }')
LARGE=$(echo "$NATIVE_SIZES" | tail -1)
NATIVE_PAGE_US=$(calc "$(get N "native:BM_FreshPageTouch/iterations:5:per_page") * 1e6")
FAR1_ELEMENT=$(field "alloc:far1:${WINE_COUNTS[0]}" 4)
FAR3_ELEMENT=$(field "alloc:far3:${WINE_COUNTS[0]}" 4)

# ---- the plot: microseconds per window against windows ---------------------------------------

for front in far1 far3; do
  for n in $NATIVE_SIZES; do
    echo "$n $(native_us native "$(listing "$front" "$n")") $(native_us kept "$(listing "$front" "$n")")"
  done >"$RESULTS/native_listing_$front.dat"
  for c in other-process same-process; do
    for n in "${WINE_COUNTS[@]}"; do
      echo "$n $(calc "$(floor_us $front $c "$n") / $n") $(calc "$(listing_us $front $c "$n") / $n")"
    done >"$RESULTS/wine_${front}_$c.dat"
  done
done
for n in $NATIVE_SIZES; do
  echo "$n $(native_us native "BM_ToggleWindowsByTitle/$n") $(native_us native "BM_RestoreAllWindows/$n")"
done >"$RESULTS/native_core.dat"
line() { printf '"%s" using 1:%s with linespoints lw %s dt %s pt %s lc rgb "%s" %s' "$RESULTS/$1" "$2" "$3" "$4" "$5" "$6" "$7"; }
gnuplot <<EOF
set terminal pngcairo size 1500,650 font "DejaVu Sans,10"
set output "$PLOT"
set multiplot layout 1,2 title "Velumo: cost per window against the number of windows, FAR 1.x and FAR 3 (lower is better)"
set logscale xy
set xlabel "windows on the desktop"
set ylabel "microseconds per window"
set grid xtics ytics mxtics mytics
set key top right font ",9"
set title "Under Wine, real windows: listing (solid) and its floor (dashed)"
set xrange [70:7000]
set yrange [0.5:5000]
plot $(line wine_far1_other-process.dat 3 2 1 7 '#6a3d9a' 'title "FAR 1.x, other process"'), \
  $(line wine_far1_other-process.dat 2 1 2 6 '#6a3d9a' notitle), \
  $(line wine_far3_other-process.dat 3 2 1 9 '#ff7f00' 'title "FAR 3, other process"'), \
  $(line wine_far3_other-process.dat 2 1 2 8 '#ff7f00' notitle), \
  $(line wine_far1_same-process.dat 3 2 1 5 '#1f78b4' 'title "FAR 1.x, same process"'), \
  $(line wine_far1_same-process.dat 2 1 2 4 '#1f78b4' notitle), \
  $(line wine_far3_same-process.dat 3 2 1 13 '#33a02c' 'title "FAR 3, same process"'), \
  $(line wine_far3_same-process.dat 2 1 2 12 '#33a02c' notitle)
set title "Natively, over the simulated Win32"
set xrange [7:14000]
set yrange [*:*]
plot $(line native_listing_far1.dat 2 2 1 7 '#e31a1c' 'title "FAR 1.x listing (glibc as it comes)"'), \
  $(line native_listing_far1.dat 3 1 2 6 '#e31a1c' 'title "FAR 1.x listing (glibc heap kept)"'), \
  $(line native_listing_far3.dat 2 2 1 9 '#ff7f00' 'title "FAR 3 listing (glibc as it comes)"'), \
  $(line native_listing_far3.dat 3 1 2 8 '#ff7f00' 'title "FAR 3 listing (glibc heap kept)"'), \
  $(line native_core.dat 2 1 1 11 '#33a02c' 'title "ToggleWindowsByTitle"'), \
  $(line native_core.dat 3 1 1 13 '#555555' 'title "RestoreAllWindows"')
unset multiplot
EOF

# ---- the report --------------------------------------------------------------------------------

target_row() { # TEXT LIMIT FORMAT FAR3 FAR1
  printf "| %s | ≤ %s | $3 | %s | $3 |\n" "$1" "$2" "$4" "$(verdict "$4" "$2")" "$5"
}
# The first inclusive count of a callgrind line that contains the text; 0 when none does.
ir() {
  awk -v needle="$2" 'index($0, needle) { gsub(/,/, "", $1); print $1; found = 1; exit }
    END { if (!found) print 0 }' "$RESULTS/listing_$1.callgrind.txt"
}
declare -A IR
for front in far1 far3; do
  entry=$([ $front = far1 ] && echo GetFindData || echo GetFindDataW)
  IR[$front:total]=$(calc "$(ir $front ":$entry [") + $(ir $front ":Free${entry#Get} [")")
  IR[$front:queries]=0
  for call in GetWindowLongA GetParent GetWindowTextLengthA GetWindow IsWindowVisible \
    GetWindowTextA CharToOemA GetWindowTextLengthW GetWindowTextW; do
    IR[$front:queries]=$(calc "${IR[$front:queries]} + $(ir $front ":$call(")")
  done
  # EnumWindows's inclusive count less the visit of each window it calls back.
  IR[$front:enumeration]=$(calc "$(ir $front ':EnumWindows(') - $(ir $front 'VisitIfEligible(')")
  IR[$front:table]=$(ir $front ':HiddenWindowTable::Contains(')
  IR[$front:handle]=$(ir $front ':snprintf [')
  IR[$front:rest]=$(calc "${IR[$front:total]} - ${IR[$front:queries]} - ${IR[$front:enumeration]} - ${IR[$front:table]} - ${IR[$front:handle]}")
  for call in malloc realloc free; do
    IR[$front:$call]=$(ir $front ":__wrap_$call")
    IR[$front:rest]=$(calc "${IR[$front:rest]} - ${IR[$front:$call]}")
  done
done
part() {
  local per=$((PROFILE_WINDOWS * PROFILE_LISTINGS))
  printf '| %s | %.0f | %.1f %% | %.0f | %.1f %% |\n' "$1" \
    "$(calc "${IR[far1:$2]} / $per")" "$(calc "100 * ${IR[far1:$2]} / ${IR[far1:total]}")" \
    "$(calc "${IR[far3:$2]} / $per")" "$(calc "100 * ${IR[far3:$2]} / ${IR[far3:total]}")"
}
block_row() {
  local us
  us=$(get W "block:$2")
  printf '| %s | %s | %s | %.1f | %s |\n' "$1" "$(thousands "$2")" "$(pages "$2")" "$us" \
    "$(awk -v us="$us" -v p="$(pages "$2")" -v kept=$KEPT_PAGE_US 'BEGIN { print (us / p < kept ? "keeps it" : "hands it back") }')"
}

{
  cat <<EOF
# Performance of the window listing

Measured by \`./build.sh bench\` (\`bench/run_bench.sh\`) on $MEASURED_AT; the command rewrites
this page and the plot from the raw results it keeps in \`${RESULTS#"$ROOT"/}/\`.
Both front ends are measured side by side: the FAR 1.x plug-in (\`Velumo/Velumo.dll\`), whose
listing grows the item array by one element per window with \`realloc\`, and the native FAR 3
plug-in (\`far3/Velumo/Velumo.dll\`), whose listing grows the array geometrically, keeps it from
one listing to the next, and makes one block for each item's title and one for its column texts.

## Machine

| | |
|---|---|
| CPU | $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) logical CPUs (\`nproc\`)$(grep -qw hypervisor /proc/cpuinfo && echo ', virtual machine') |
| Memory | $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) |
| Kernel | $(uname -sr) |
| C library | glibc $(getconf GNU_LIBC_VERSION | cut -d' ' -f2) |
| Wine | $WINE_VERSION, running the x86_64 builds of both DLLs (\`$(basename "$WINE_BUILD")\`) under Xvfb |
| Compilers | $(g++ --version | head -1); $(x86_64-w64-mingw32-g++-posix --version 2>/dev/null | head -1 || echo MinGW-w64) |
| Load average at the start | $LOAD_AT_START (1, 5 and 15 minutes; the $(nproc) CPUs are shared with other jobs) |
| First touch of a fresh 4 KiB page | $(printf '%.1f' "$NATIVE_PAGE_US") µs natively, $(printf '%.1f' "$(get W page)") µs under Wine |

A heap that gives memory back to the kernel after a listing pays the last line's price again for
every page on the next listing. A load average near the number of CPUs means the figures carry
the noise of other jobs.

## Targets

The targets are the FAR 3 listing's, under Wine on real windows; the FAR 1.x listing's figures
stand beside them as they are.

| Target for the FAR 3 listing | Limit | FAR 3 | | FAR 1.x, as it is |
|---|---|---:|---|---:|
$(target_row "Windows of another process, $(thousands $T) windows: listing / floor" $LIMIT_OTHER %.3f "$(ratio far3 other-process $T)" "$(ratio far1 other-process $T)")
$(target_row "Windows of the same process, $(thousands $T) windows: listing / floor" $LIMIT_SAME %.3f "$(ratio far3 same-process $T)" "$(ratio far1 same-process $T)")
$(target_row "Windows of another process: time per window at $(thousands $G) windows / at $(thousands $T)" $LIMIT_GROWTH %.2f "$(growth far3 other-process)" "$(growth far1 other-process)")
$(target_row "Windows of the same process: time per window at $(thousands $G) windows / at $(thousands $T)" $LIMIT_GROWTH %.2f "$(growth far3 same-process)" "$(growth far1 same-process)")

Each front end has its own floor: a loop in the benchmark's own process that makes exactly the
window-system calls that front end's listing makes (same calls, order, arguments and
eligibility tests) and writes the same texts into a preallocated array; the benchmark checks
first that each listing and its floor agree entry by entry. A ratio is what the listing's own
work adds to the calls it cannot avoid: its allocation scheme, the zero-filling and the release.

![Cost per window against the number of windows](performance.png)

## Native, over the simulated Win32

Preset \`bench\` (gcc, Release), Google Benchmark, median of 3 repetitions of at least
$NATIVE_MIN_TIME s each; CPU time per window visited. Calls, heap calls and page faults are
those of one more operation, counted outside the timed loop. FAR 1.x is listed through
\`GetFindData\` + \`FreeFindData\` in the host stand-in, FAR 3 through \`GetFindDataW\` +
\`FreeFindDataW\` with a minimal host (the default settings). "Heap kept":
\`GLIBC_TUNABLES=$KEPT_HEAP\`, so that no listing faults pages in again.

| Front end | Time per window at $(thousands "$LARGE") windows / at $SMALL | The same, glibc's heap kept |
|---|---:|---:|
EOF
  for front in far1 far3; do
    printf '| %s | %.2f | %.2f |\n' "$(name $front)" \
      "$(calc "$(native_us native "$(listing $front "$LARGE")") / $(native_us native "$(listing $front "$SMALL")")")" \
      "$(calc "$(native_us kept "$(listing $front "$LARGE")") / $(native_us kept "$(listing $front "$SMALL")")")"
  done
  for front in far1 far3; do
    printf '\n### %s listing\n\n' "$(name $front)"
    echo '| Windows | µs per window | µs per window, heap kept | Window-system calls per window | malloc | realloc | realloc moves | bytes copied by moves | free | page faults |'
    echo '|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|'
    for n in $NATIVE_SIZES; do
      run=$(listing $front "$n")
      printf '| %s | %.3f | %.3f | %.2f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f |\n' "$(thousands "$n")" \
        "$(native_us native "$run")" "$(native_us kept "$run")" "$(get N "native:$run:calls_per_window")" \
        "$(get N "native:$run:mallocs")" "$(get N "native:$run:reallocs")" \
        "$(get N "native:$run:realloc_moves")" "$(get N "native:$run:copied_bytes")" \
        "$(get N "native:$run:frees")" "$(get N "native:$run:page_faults")"
    done
  done
  cat <<EOF

### Where the listings' instructions go (callgrind)

$PROFILE_LISTINGS listings of $(thousands $PROFILE_WINDOWS) windows by each front end, collecting only inside the
listing's two entry points; inclusive instructions per window (the heap calls include the
benchmark's counting wrappers). Instructions, not time: page faults do not show here.

| Part | FAR 1.x | Share | FAR 3 | Share |
|---|---:|---:|---:|---:|
$(part "Window-system queries of the simulation" queries)
$(part "EnumWindows's own work (the simulation's snapshot and look-ups)" enumeration)
$(part "HiddenWindowTable::Contains (the \"D\" mark, twice per window)" table)
$(part "snprintf \"%08X\" (the handle text)" handle)
$(part malloc malloc)
$(part realloc realloc)
$(part free free)
$(part "Velumo's own code: filter logic, zero-filling, copies, widening, loops" rest)
$(part "**Listing**" total)

### ToggleWindowsByTitle and RestoreAllWindows

The core's, shared by both front ends. \`ToggleWindowsByTitle\`: two passes per iteration over a
desktop where 10 windows match (hidden, then shown again), per window visited.
\`RestoreAllWindows\`: as many windows as the table holds (20, or all when fewer) hidden before
each iteration, outside the timing; per window on the desktop.

| Windows | ToggleWindowsByTitle µs per window | calls per window | RestoreAllWindows µs per window | calls per window |
|---:|---:|---:|---:|---:|
EOF
  for n in $NATIVE_SIZES; do
    printf '| %s | %.3f | %.2f | %.3f | %.2f |\n' "$(thousands "$n")" \
      "$(native_us native "BM_ToggleWindowsByTitle/$n")" "$(get N "native:BM_ToggleWindowsByTitle/$n:calls_per_window")" \
      "$(native_us native "BM_RestoreAllWindows/$n")" "$(get N "native:BM_RestoreAllWindows/$n:calls_per_window")"
  done
  cat <<EOF

## Under Wine, on real windows

\`velumo_wine_bench.exe\` loads both DLLs into one process (FAR 1.x through the host stand-in's
\`LoadPlugin\`, FAR 3 with a minimal host; both at the default settings) and times each listing
against its floor on a desktop of its own: first on the windows of \`velumo_window_owner.exe\`, a
second process, as a user's windows belong to other programs; then on windows of its own
thread. $WINE_REPETITIONS samples of floor and listing each, alternating, after half a second of untimed
runs; a sample is one listing, or the mean of several when one takes less than 20 ms. Medians;
as checks on the noise, the ratio of the fastest samples and the median of the ratios of each
listing sample to the floor sample next to it ("paired").

| Front end | Windows' owner | Windows | Floor, ms | Listing, ms | Floor, µs per window | Listing, µs per window | Listing / floor | Best samples | Paired | Listings per sample |
|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
  for c in other-process same-process; do
    for front in far1 far3; do
      for n in "${WINE_COUNTS[@]}"; do
        read -r floor list floor_min list_min batch paired <<<"$(get W "row:$front:$c:$n")"
        printf '| %s | %s | %s | %.2f | %.2f | %.2f | %.2f | %.3f | %.3f | %.3f | %s |\n' \
          "$(name $front)" $c "$(thousands "$n")" "$(calc "$floor / 1000")" "$(calc "$list / 1000")" \
          "$(calc "$floor / $n")" "$(calc "$list / $n")" "$(calc "$list / $floor")" \
          "$(calc "$list_min / $floor_min")" "$paired" "$batch"
      done
    done
  done
  cat <<EOF

### What each window-system call costs under Wine

Each call alone over the same $(thousands $T) windows (best of three passes), and how often each listing
makes it per window; "predicted" adds them up.

| Call | FAR 1.x, per window | FAR 3, per window | Other process, ns per call | Same process, ns per call |
|---|---:|---:|---:|---:|
EOF
  declare -A PREDICTED=([far1:other-process]=0 [far1:same-process]=0 [far3:other-process]=0 [far3:same-process]=0)
  while IFS='|' read -r call far1 far3; do
    for c in other-process same-process; do
      ns=$(get W "call:$c:$T:$call")
      PREDICTED[far1:$c]=$(calc "${PREDICTED[far1:$c]} + $far1 * $ns")
      PREDICTED[far3:$c]=$(calc "${PREDICTED[far3:$c]} + $far3 * $ns")
    done
    printf '| %s | %s | %s | %s | %s |\n' "$call" "$far1" "$far3" \
      "$(thousands "$(get W "call:other-process:$T:$call")")" "$(thousands "$(get W "call:same-process:$T:$call")")"
  done <<'CALLS'
EnumWindows (per window)|1|1
GetWindowLongA(GWL_STYLE)|1|1
GetParent|1|1
GetWindowTextLengthA|1|1
GetWindow(GW_OWNER)|2|2
IsWindowVisible|2|2
GetWindowTextA(128)|1|0
CharToOemA|1|0
GetWindowTextLengthW|0|1
GetWindowTextW(length + 1)|0|1
snprintf(%08X)|1|1
CALLS
  for front in far1 far3; do
    printf '| **Predicted %s floor per window** | | | **%.1f µs** (measured %.1f) | **%.2f µs** (measured %.2f) |\n' \
      "$(name $front)" "$(calc "${PREDICTED[$front:other-process]} / 1000")" "$(calc "$(floor_us $front other-process $T) / $T")" \
      "$(calc "${PREDICTED[$front:same-process]} / 1000")" "$(calc "$(floor_us $front same-process $T) / $T")"
  done
  cat <<EOF

### The allocation schemes alone, on the same heap

The heap calls of a listing of N windows, without a window, on msvcrt's heap as both DLLs use
it, median of $WINE_REPETITIONS runs after one warm-up. FAR 1.x: \`realloc\` to one element more ($FAR1_ELEMENT
bytes), zero-filled, three \`malloc\`, then three \`free\` per entry and one for the array. FAR 3,
as at every refresh after a panel's first listing: into the kept array of $FAR3_ELEMENT-byte elements,
two \`malloc\` per entry (the title and the texts block), then two \`free\`; "first listing": the
same with the array grown from 64 elements, doubled when full, and freed at the end; "array's
growth": that growth and release alone.

| Scheme | Windows | Time, ms | µs per window | realloc moves | bytes copied by moves | final array, bytes |
|---|---:|---:|---:|---:|---:|---:|
EOF
  for scheme in "far1|FAR 1.x" "far3|FAR 3" "far3-first|FAR 3, first listing" "far3-array|FAR 3, array's growth"; do
    for n in "${WINE_COUNTS[@]}"; do
      read -r median moves copied _ final <<<"$(get W "alloc:${scheme%%|*}:$n")"
      printf '| %s | %s | %.2f | %.2f | %s | %s | %s |\n' "${scheme#*|}" "$(thousands "$n")" \
        "$(calc "$median / 1000")" "$(calc "$median / $n")" "$moves" "$(thousands "$copied")" \
        "$([ "$final" = 0 ] && echo '(kept)' || thousands "$final")"
    done
  done
  cat <<EOF

How the heap treats blocks of the arrays' sizes: allocating a block, touching each of its pages
and freeing it, best of ten. A block the heap keeps for reuse costs a few nanoseconds a page;
one it hands back to the system costs a fresh page fault for each of its pages every time
(counted as handed back from $KEPT_PAGE_US µs a page on).

| Block | Bytes | Pages | µs each time | The heap |
|---|---:|---:|---:|---|
EOF
  block_row "64 KiB" 65536
  for n in "${WINE_COUNTS[@]}"; do
    block_row "FAR 1.x array, $(thousands "$n") windows" "$((n * FAR1_ELEMENT))"
  done
  for ((elements = 64; elements * FAR3_ELEMENT <= $(field "alloc:far3-first:$BIG" 5); elements *= 2)); do
    block_row "FAR 3 array, $(thousands $elements) elements" "$((elements * FAR3_ELEMENT))"
  done
} >"$DOC.new"
if [ -s "$MISSING" ]; then
  rm -f "$DOC.new"
  exit 1
fi
mv "$DOC.new" "$DOC"
log "written: $DOC and $PLOT"
