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
#
# 1. Natively (preset bench: gcc Release, no sanitizers) over the simulated Win32: Google
#    Benchmark, JSON in the results; a second run of the listings with glibc's heap kept (no
#    trimming, no mmap) to separate the listings' own cost from the kernel's page faults; a
#    callgrind profile of each front end's listing alone for the split by call.
# 2. Under Wine: the real DLLs from $VELUMO_WINE_BUILD (the x86_64 build, preset mingw64, which
#    the report describes), Velumo/Velumo.dll (FAR 1.x) and far3/Velumo/Velumo.dll (FAR 3), each
#    against its floor loop, on windows of another process and of its own, in a session of
#    scripts/wine_run.sh.
# 3. The report and the plot (gnuplot).
#
# About twelve minutes on two quiet cores (fourteen on loaded ones), most of it Wine creating
# 2 x 5,000 windows and listing the other process's windows through the wineserver.
set -euo pipefail
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
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac

WINE_REPETITIONS=15
WINE_COUNTS=(100 1000 5000)
# The FAR 3 listing's targets: listing / floor at TARGET_WINDOWS, and the cost per window at
# GROWN_WINDOWS against that at TARGET_WINDOWS (both are among WINE_COUNTS).
TARGET_WINDOWS=1000
GROWN_WINDOWS=5000
LIMIT_OTHER=1.02
LIMIT_SAME=1.10
LIMIT_GROWTH=1.20
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

# Where the raw results lie, as the report names them: from the repository's root when inside it.
case $RESULTS in
  "$ROOT"/*) RESULTS_SHOWN=${RESULTS#"$ROOT"/}/ ;;
  *) RESULTS_SHOWN=$RESULTS/ ;;
esac

# ---- the measurements ------------------------------------------------------------------------

measure() {
  rm -rf "$RESULTS"
  mkdir -p "$RESULTS" "$ROOT/docs"
  {
    printf 'LOAD_AT_START=%q\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
    printf 'MEASURED_AT=%q\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  } >"$RESULTS/run.env"

  log "native: build (preset bench) in $BENCH_BUILD"
  cmake --preset bench -B "$BENCH_BUILD" >/dev/null
  cmake --build "$BENCH_BUILD" -j "$JOBS" --target velumo_native_bench
  local native=$BENCH_BUILD/bench/velumo_native_bench

  log "native: benchmarks"
  "$native" --benchmark_min_time=0.2 --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$RESULTS/native.json" --benchmark_out_format=json | tee "$RESULTS/native.txt"

  log "native: listings with glibc's heap kept ($KEPT_HEAP)"
  GLIBC_TUNABLES=$KEPT_HEAP "$native" --benchmark_filter='^BM_Listing' \
    --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$RESULTS/native_kept_heap.json" --benchmark_out_format=json |
    tee "$RESULTS/native_kept_heap.txt"

  local front entry exit
  for front in far1 far3; do
    case $front in
      far1) entry=GetFindData exit=FreeFindData ;;
      far3) entry=GetFindDataW exit=FreeFindDataW ;;
    esac
    log "native: callgrind profile of $PROFILE_LISTINGS $front listings of $PROFILE_WINDOWS windows"
    valgrind --tool=callgrind --callgrind-out-file="$RESULTS/listing_$front.callgrind" \
      --toggle-collect="$entry" --toggle-collect="$exit" \
      "$native" --listing-loop "$front" "$PROFILE_WINDOWS" "$PROFILE_LISTINGS" \
      >"$RESULTS/listing_loop_$front.txt" 2>"$RESULTS/callgrind_$front.log"
    callgrind_annotate --inclusive=yes --threshold=100 "$RESULTS/listing_$front.callgrind" \
      >"$RESULTS/listing_$front.callgrind.txt" 2>/dev/null
  done

  log "Wine: build the benchmark and both DLLs in $WINE_BUILD"
  cmake --build "$WINE_BUILD" -j "$JOBS" --target velumo_wine_bench
  local wine_bench=$WINE_BUILD/bench/velumo_wine_bench.exe
  local wine_owner=$WINE_BUILD/bench/velumo_window_owner.exe
  local far1_dll=$WINE_BUILD/Velumo/Velumo.dll
  local far3_dll=$WINE_BUILD/far3/Velumo/Velumo.dll
  local file
  for file in "$wine_bench" "$wine_owner" "$far1_dll" "$far3_dll"; do
    [ -f "$file" ] || {
      echo "run_bench.sh: $file is missing" >&2
      exit 1
    }
  done
  # Wine's drive Z: is the root of the Unix file system.
  windows_path() { printf 'Z:%s' "${1//\//\\}"; }
  local wine_run=$ROOT/scripts/wine_run.sh

  log "Wine: $WINE_REPETITIONS repetitions, ${WINE_COUNTS[*]} windows"
  # The C runtime's text mode ends the lines with CR LF; the report reads plain lines.
  bash "$wine_run" "$wine_bench" "$(windows_path "$far1_dll")" "$(windows_path "$far3_dll")" \
    "$(windows_path "$wine_owner")" "$WINE_REPETITIONS" "${WINE_COUNTS[@]}" \
    2> >(tee "$RESULTS/wine.log" >&2) | tr -d '\r' >"$RESULTS/wine.tsv"
  printf 'WINE_VERSION=%q\n' "$("$(bash "$wine_run" --loader "$wine_bench")" --version)" \
    >>"$RESULTS/run.env"
}

[ -n "$REPORT_ONLY" ] || measure
if [ ! -f "$RESULTS/run.env" ] || [ ! -f "$RESULTS/wine.tsv" ]; then
  echo "run_bench.sh: no results in $RESULTS to report" >&2
  exit 1
fi
# shellcheck source=/dev/null
. "$RESULTS/run.env"

# ---- reading the results ---------------------------------------------------------------------

log "report: $DOC"

# A figure the results lack. Most figures are read inside the report's command substitutions,
# where an exit ends only the substitution, so each failure is also noted in a file that the end
# of the script checks.
REPORT_ERRORS=$RESULTS/report.errors
rm -f "$REPORT_ERRORS"
# The report is written beside the page and replaces it only when it is complete.
trap 'rm -f "$DOC.new"' EXIT
fail() {
  echo "run_bench.sh: $*" >&2
  echo "$*" >>"$REPORT_ERRORS"
  exit 1
}

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

# value FILE RUN COUNTER; fails when the run or the counter is missing from the file.
value() {
  awk -F'\t' -v run="$2" -v key="$3" '$1 == run && $2 == key { print $3; found = 1; exit }
    END { exit !found }' "$1" || fail "no $3 of $2 in $1"
}
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
verdict() { awk -v got="$1" -v limit="$2" 'BEGIN { print (got <= limit ? "met" : "missed") }'; }
# choose CONDITION TEXT-IF-TRUE TEXT-IF-FALSE: CONDITION is an awk expression.
choose() { awk -v yes="$2" -v no="$3" "BEGIN { print (($1) ? yes : no) }" </dev/null; }

NATIVE_SIZES=$(awk -F'\t' '$1 ~ /^BM_ListingFar1\// { split($1, part, "/"); print part[2] }' \
  "$RESULTS/native.tsv" | sort -n | uniq)

# Native per-window times in microseconds (the counters are in seconds).
native_us() { calc "$(value "$1" "$2" per_window) * 1e6"; }
listing_run() {
  case $1 in
    far1) echo "BM_ListingFar1/$2" ;;
    far3) echo "BM_ListingFar3/$2" ;;
  esac
}

# ---- Wine figures: row FRONT-END CASE COUNT FLOOR LISTING FLOOR-MIN LISTING-MIN BATCH PAIRED
row_field() {
  awk -F'\t' -v e="$1" -v c="$2" -v n="$3" -v f="$4" \
    '$1 == "row" && $2 == e && $3 == c && $4 == n { print $f; found = 1; exit } END { exit !found }' \
    "$RESULTS/wine.tsv" || fail "no Wine row for $1, $2, $3 windows"
}
floor_us() { row_field "$1" "$2" "$3" 5; }
listing_us() { row_field "$1" "$2" "$3" 6; }
ratio() { calc "$(listing_us "$1" "$2" "$3") / $(floor_us "$1" "$2" "$3")"; }
best_ratio() { calc "$(row_field "$1" "$2" "$3" 8) / $(row_field "$1" "$2" "$3" 7)"; }
paired_ratio() { row_field "$1" "$2" "$3" 10; }
# The cost per window at GROWN_WINDOWS against that at TARGET_WINDOWS: the listing's, the floor's.
growth() {
  calc "($(listing_us "$1" "$2" $GROWN_WINDOWS) / $GROWN_WINDOWS) / ($(listing_us "$1" "$2" $TARGET_WINDOWS) / $TARGET_WINDOWS)"
}
floor_growth() {
  calc "($(floor_us "$1" "$2" $GROWN_WINDOWS) / $GROWN_WINDOWS) / ($(floor_us "$1" "$2" $TARGET_WINDOWS) / $TARGET_WINDOWS)"
}
call_ns() {
  awk -F'\t' -v c="$1" -v n="$2" -v name="$3" \
    '$1 == "call" && $2 == c && $3 == n && $4 == name { print $5; found = 1; exit } END { exit !found }' \
    "$RESULTS/wine.tsv" || fail "no Wine cost of $3 ($1, $2 windows)"
}
# alloc SCHEME COUNT MEDIAN MOVES COPIED ELEMENT-SIZE FINAL-BYTES
alloc_field() {
  awk -F'\t' -v s="$1" -v n="$2" -v f="$3" \
    '$1 == "alloc" && $2 == s && $3 == n { print $f; found = 1; exit } END { exit !found }' \
    "$RESULTS/wine.tsv" || fail "no allocation scheme $1 at $2 windows"
}
alloc_ms() { calc "$(alloc_field "$1" "$2" 4) / 1000"; }
WINE_PAGE_US=$(awk -F'\t' '$1 == "page" { print $2 }' "$RESULTS/wine.tsv")
block_us() {
  awk -F'\t' -v b="$1" '$1 == "block" && $2 == b { print $3; found = 1; exit } END { exit !found }' \
    "$RESULTS/wine.tsv" || fail "no block reuse time for $1 bytes"
}
pages() { calc "int($1 / 4096 + 0.999)"; }
# Whether the heap keeps a block of these bytes for reuse (1) or hands it back to the system (0):
# a kept block costs a few nanoseconds a page to allocate, touch and free, a fresh page fault
# costs tenths of a microsecond even on bare hardware.
KEPT_PAGE_US=0.1
kept_at() { calc "($(block_us "$1") / $(pages "$1") < $KEPT_PAGE_US) ? 1 : 0"; }
FAR1_ELEMENT=$(alloc_field far1 "${WINE_COUNTS[0]}" 7)
FAR3_ELEMENT=$(alloc_field far3 "${WINE_COUNTS[0]}" 7)

front_name() {
  case $1 in
    far1) echo "FAR 1.x" ;;
    far3) echo "FAR 3" ;;
  esac
}

# ---- the plot data: microseconds per window against windows
for front in far1 far3; do
  for n in $NATIVE_SIZES; do
    printf '%s %s\n' "$n" "$(native_us "$RESULTS/native.tsv" "$(listing_run $front "$n")")"
  done >"$RESULTS/native_listing_$front.dat"
  for n in $NATIVE_SIZES; do
    printf '%s %s\n' "$n" "$(native_us "$RESULTS/native_kept_heap.tsv" "$(listing_run $front "$n")")"
  done >"$RESULTS/native_listing_kept_$front.dat"
  for c in other-process same-process; do
    for n in "${WINE_COUNTS[@]}"; do
      printf '%s %s %s\n' "$n" "$(calc "$(floor_us $front "$c" "$n") / $n")" \
        "$(calc "$(listing_us $front "$c" "$n") / $n")"
    done >"$RESULTS/wine_${front}_$c.dat"
  done
done
for name in toggle restore; do
  case $name in
    toggle) family=BM_ToggleWindowsByTitle ;;
    restore) family=BM_RestoreAllWindows ;;
  esac
  for n in $NATIVE_SIZES; do
    printf '%s %s\n' "$n" "$(native_us "$RESULTS/native.tsv" "$family/$n")"
  done >"$RESULTS/native_$name.dat"
done

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
plot \
  "$RESULTS/wine_far1_other-process.dat" using 1:3 with linespoints lw 2 pt 7 lc rgb "#6a3d9a" title "FAR 1.x, other process", \
  "$RESULTS/wine_far1_other-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 6 lc rgb "#6a3d9a" notitle, \
  "$RESULTS/wine_far3_other-process.dat" using 1:3 with linespoints lw 2 pt 9 lc rgb "#ff7f00" title "FAR 3, other process", \
  "$RESULTS/wine_far3_other-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 8 lc rgb "#ff7f00" notitle, \
  "$RESULTS/wine_far1_same-process.dat" using 1:3 with linespoints lw 2 pt 5 lc rgb "#1f78b4" title "FAR 1.x, same process", \
  "$RESULTS/wine_far1_same-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 4 lc rgb "#1f78b4" notitle, \
  "$RESULTS/wine_far3_same-process.dat" using 1:3 with linespoints lw 2 pt 13 lc rgb "#33a02c" title "FAR 3, same process", \
  "$RESULTS/wine_far3_same-process.dat" using 1:2 with linespoints lw 1 dt 2 pt 12 lc rgb "#33a02c" notitle
set title "Natively, over the simulated Win32"
set xrange [7:14000]
set yrange [*:*]
plot \
  "$RESULTS/native_listing_far1.dat" using 1:2 with linespoints lw 2 pt 7 lc rgb "#e31a1c" title "FAR 1.x listing (glibc as it comes)", \
  "$RESULTS/native_listing_kept_far1.dat" using 1:2 with linespoints lw 1 dt 2 pt 6 lc rgb "#e31a1c" title "FAR 1.x listing (glibc heap kept)", \
  "$RESULTS/native_listing_far3.dat" using 1:2 with linespoints lw 2 pt 9 lc rgb "#ff7f00" title "FAR 3 listing (glibc as it comes)", \
  "$RESULTS/native_listing_kept_far3.dat" using 1:2 with linespoints lw 1 dt 2 pt 8 lc rgb "#ff7f00" title "FAR 3 listing (glibc heap kept)", \
  "$RESULTS/native_toggle.dat" using 1:2 with linespoints lw 1 pt 11 lc rgb "#33a02c" title "ToggleWindowsByTitle", \
  "$RESULTS/native_restore.dat" using 1:2 with linespoints lw 1 pt 13 lc rgb "#555555" title "RestoreAllWindows"
unset multiplot
EOF

# ---- the figures the text quotes
SMALL=100
LARGE=10000
NATIVE_PAGE_US=$(calc "$(value "$RESULTS/native.tsv" "BM_FreshPageTouch/iterations:5" per_page) * 1e6")
# The size whose listing faulted the most pages per window, as a sentence; the heap as it comes.
most_faults() {
  local front=$1 n faults best_n=0 best_rate=0
  for n in $NATIVE_SIZES; do
    faults=$(value "$RESULTS/native.tsv" "$(listing_run "$front" "$n")" page_faults)
    if awk -v f="$faults" -v n="$n" -v best="$best_rate" 'BEGIN { exit !(f / n > best) }'; then
      best_n=$n
      best_rate=$(calc "$faults / $n")
    fi
  done
  if [ "$best_n" = 0 ]; then
    printf 'No %s listing faulted pages in this run.' "$(front_name "$front")"
    return
  fi
  faults=$(value "$RESULTS/native.tsv" "$(listing_run "$front" "$best_n")" page_faults)
  printf 'The %s listing faulted most at %s windows: %.0f faults per listing, about %.1f ms at %.1f µs a fault, of the %.1f ms the listing takes.' \
    "$(front_name "$front")" "$(thousands "$best_n")" "$faults" \
    "$(calc "$faults * $NATIVE_PAGE_US / 1000")" "$NATIVE_PAGE_US" \
    "$(calc "$(native_us "$RESULTS/native.tsv" "$(listing_run "$front" "$best_n")") * $best_n / 1000")"
}
# The most pages any listing of the front end faulted with the heap kept.
kept_faults() {
  local n most=0 faults
  for n in $NATIVE_SIZES; do
    faults=$(value "$RESULTS/native_kept_heap.tsv" "$(listing_run "$1" "$n")" page_faults)
    most=$(calc "($faults > $most) ? $faults : $most")
  done
  fmt '%.0f' "$most"
}
native_growth() {
  calc "$(native_us "$1" "$(listing_run "$2" $LARGE)") / $(native_us "$1" "$(listing_run "$2" $SMALL)")"
}
item_size() {
  awk '{ for (i = 1; i < NF; ++i) if ($i == "item_size") print $(i + 1) }' \
    "$RESULTS/listing_loop_$1.txt"
}

T=$TARGET_WINDOWS
G=$GROWN_WINDOWS
BIG=${WINE_COUNTS[${#WINE_COUNTS[@]} - 1]}
OTHER3=$(ratio far3 other-process $T)
SAME3=$(ratio far3 same-process $T)
OTHER_GROWTH3=$(growth far3 other-process)
SAME_GROWTH3=$(growth far3 same-process)
# The FAR 3 listing's array at TARGET_WINDOWS windows: 64 elements doubled until they hold them.
FAR3_ARRAY_BYTES=$(alloc_field far3-first $T 8)
FAR1_ARRAY_BYTES=$(calc "$T * $FAR1_ELEMENT")
# What the listing adds to its floor at TARGET_WINDOWS windows, in milliseconds.
extra_ms() { calc "($(listing_us "$1" "$2" $T) - $(floor_us "$1" "$2" $T)) / 1000"; }
# The allocation scheme in percent of the floor, and the scatter of the floor's samples (fastest
# to median) in percent.
alloc_percent() { calc "100 * $(alloc_field "$1" $T 4) / $(floor_us "$1" "$2" $T)"; }
scatter_percent() {
  calc "100 * ($(floor_us "$1" "$2" $T) - $(row_field "$1" "$2" $T 7)) / $(floor_us "$1" "$2" $T)"
}

{
  cat <<EOF
# Performance of the window listing

Measured by \`./build.sh bench\` (\`bench/run_bench.sh\`) on $MEASURED_AT.
Every figure on this page comes from that run; the command rewrites the page and the plot.
Raw results: \`$RESULTS_SHOWN\` (Google Benchmark JSON, the Wine benchmark's TSV, the
callgrind profiles).

Velumo has two front ends over one core, and both are measured side by side: the FAR 1.x
plug-in (\`Velumo/Velumo.dll\`), whose listing grows the item array by one element per window
with \`realloc\`, as it was designed, and the native FAR 3 plug-in (\`far3/Velumo/Velumo.dll\`),
whose listing grows the array geometrically, keeps it from one listing to the next, and makes
one block for each item's title and one for its column texts.

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
| First touch of a fresh 4 KiB page | $(fmt '%.1f' "$NATIVE_PAGE_US") µs natively, $(fmt '%.1f' "$WINE_PAGE_US") µs under Wine |

The last line matters for everything below: on this virtual machine the kernel needs some
$(fmt '%.0f' "$NATIVE_PAGE_US") µs to hand a process a page it has not touched before (bare
hardware needs a fraction of a microsecond). A heap that gives memory back to the kernel after a
listing pays that price again for every page on the next listing. A load average near or above
the number of CPUs means the figures below carry the noise of other jobs.

## Targets

The targets are the FAR 3 listing's, under Wine on real windows; the FAR 1.x listing's figures
stand beside them as they are, without a target.

| Target for the FAR 3 listing | Limit | FAR 3 | | FAR 1.x, as it is |
|---|---|---:|---|---:|
| Windows of another process, $(thousands $T) windows: listing / floor | ≤ $LIMIT_OTHER | $(fmt '%.3f' "$OTHER3") | $(verdict "$OTHER3" $LIMIT_OTHER) | $(fmt '%.3f' "$(ratio far1 other-process $T)") |
| Windows of the same process, $(thousands $T) windows: listing / floor | ≤ $LIMIT_SAME | $(fmt '%.3f' "$SAME3") | $(verdict "$SAME3" $LIMIT_SAME) | $(fmt '%.3f' "$(ratio far1 same-process $T)") |
| Windows of another process: time per window at $(thousands $G) windows / at $(thousands $T) | ≤ $LIMIT_GROWTH | $(fmt '%.2f' "$OTHER_GROWTH3") | $(verdict "$OTHER_GROWTH3" $LIMIT_GROWTH) | $(fmt '%.2f' "$(growth far1 other-process)") |
| Windows of the same process: time per window at $(thousands $G) windows / at $(thousands $T) | ≤ $LIMIT_GROWTH | $(fmt '%.2f' "$SAME_GROWTH3") | $(verdict "$SAME_GROWTH3" $LIMIT_GROWTH) | $(fmt '%.2f' "$(growth far1 same-process)") |

Each front end has its own floor: a loop in the benchmark's own process that makes exactly the
window-system calls that front end's listing makes (same calls, same order, same arguments, the
same eligibility tests at the same settings) and writes the same texts into a preallocated
array; before timing, the benchmark checks that each listing and its floor agree entry by entry.
The FAR 1.x floor reads the title in ANSI (\`GetWindowTextA\`, 128 characters) and converts it
to OEM; the FAR 3 floor reads the whole title in UTF-16 as the FAR 3 listing does
(\`GetWindowTextLengthW\`, then \`GetWindowTextW\` with room for that length). A ratio is what
the listing's own work adds to the calls it cannot avoid: its allocation scheme, the
zero-filling and the release in \`FreeFindData\` / \`FreeFindDataW\`. The growth of the cost per
window is the listing's own time per window; the floor's growth beside it (under "Findings")
tells how much of it is the window system's.

![Cost per window against the number of windows](performance.png)

## Native, over the simulated Win32

Preset \`bench\` (gcc, Release, no sanitizers), Google Benchmark, median of 3 repetitions of at
least 0.2 s each; times are CPU time (the process's own, system time included), per window
visited. The window-system calls, heap calls and page faults are those of one more operation,
counted outside the timed loop. (Google Benchmark warns that Debian's libbenchmark was built as
a debug library; the code under test is optimised.) Both front ends are linked into the one
benchmark program and listed through their entry points: FAR 1.x's \`GetFindData\` +
\`FreeFindData\` in the host stand-in, FAR 3's \`GetFindDataW\` + \`FreeFindDataW\` with a
minimal host (no messages, no settings store: the default settings).

| Front end | Time per window at $(thousands $LARGE) windows / at $SMALL, glibc as it comes | The same, glibc's heap kept (\`GLIBC_TUNABLES=$KEPT_HEAP\`) |
|---|---:|---:|
EOF
  for front in far1 far3; do
    printf '| %s | %.2f | %.2f |\n' "$(front_name $front)" \
      "$(native_growth "$RESULTS/native.tsv" $front)" \
      "$(native_growth "$RESULTS/native_kept_heap.tsv" $front)"
  done
  for front in far1 far3; do
    case $front in
      far1) calls="GetFindData + FreeFindData" ;;
      far3) calls="GetFindDataW + FreeFindDataW" ;;
    esac
    cat <<EOF

### $(front_name $front) listing: $calls

| Windows | µs per window | µs per window, heap kept | Window-system calls per window | malloc | realloc | realloc moves | bytes copied by moves | free | page faults |
|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
    for n in $NATIVE_SIZES; do
      run=$(listing_run $front "$n")
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
  done

  far1_large=$(listing_run far1 $LARGE)
  far3_large=$(listing_run far3 $LARGE)
  cat <<EOF

Per window both listings make 9 window-system calls (style, parent, ANSI title length, owner and
visibility for the filter; visibility and owner again for the status; then the title) plus one
\`EnumWindows\` per listing. The title costs FAR 1.x \`GetWindowTextA\` and \`CharToOemA\`, FAR 3
\`GetWindowTextLengthW\` and \`GetWindowTextW\`. FAR 1.x makes 3 \`malloc\` per window (the
two-pointer array, the status and the handle text), 1 \`realloc\` and, on release, 4 \`free\`;
FAR 3 makes 2 \`malloc\` (the title; the column pointers and both texts in one block) and, on
release, 2 \`free\` per window; its item array is kept from one listing to the next (freed when
the last panel closes), so a \`realloc\` comes only when the kept array is full: a panel's first
listing grows it from 64 elements, then at each doubling.

**Why the cost per window can grow natively.** It is not the copying that growing the array
could cause: at $(thousands $LARGE) windows glibc moved the FAR 1.x array
$(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$far1_large" realloc_moves)") times in one listing and
copied $(fmt '%.1f' "$(calc "$(value "$RESULTS/native.tsv" "$far1_large" copied_bytes) / 1048576")") MiB,
about $(fmt '%.1f' "$(calc "$(value "$RESULTS/native.tsv" "$far1_large" copied_bytes) / ($LARGE * $(item_size far1))")") times
its final array of $(fmt '%.1f' "$(calc "$LARGE * $(item_size far1) / 1048576")") MiB: linear, because glibc grows the
block in place at the top of the heap or, once it is above the mmap threshold, with \`mremap\`,
which moves pages instead of bytes (the FAR 3 listing, in the array kept from the listing before,
moved it $(fmt '%.0f' "$(value "$RESULTS/native.tsv" "$far3_large" realloc_moves)") times). It is the page faults in the last
column: when the list is freed, glibc gives the memory back to the kernel (it trims the top of
the heap, or unmaps a block that was mmapped), and the next listing faults every page in again.
$(most_faults far1) $(most_faults far3) Which sizes fault depends on glibc's sliding thresholds (the mmap
threshold rises after each mmapped block is freed), so sizes in between can come out fast or
slow from run to run, and differently for the two arrays, whose sizes differ
($(item_size far1) bytes an element for FAR 1.x, $(item_size far3) for FAR 3, the latter rounded up to
a power of two times 64). With the heap kept, the very same code costs, per window at $SMALL
and at $(thousands $LARGE) windows, $(fmt '%.3f' "$(native_us "$RESULTS/native_kept_heap.tsv" "$(listing_run far1 $SMALL)")") and
$(fmt '%.3f' "$(native_us "$RESULTS/native_kept_heap.tsv" "$far1_large")") µs (FAR 1.x),
$(fmt '%.3f' "$(native_us "$RESULTS/native_kept_heap.tsv" "$(listing_run far3 $SMALL)")") and
$(fmt '%.3f' "$(native_us "$RESULTS/native_kept_heap.tsv" "$far3_large")") µs (FAR 3): $(
    choose "$(native_growth "$RESULTS/native_kept_heap.tsv" far1) <= 1.25 && $(native_growth "$RESULTS/native_kept_heap.tsv" far3) <= 1.25" \
      "both listings themselves are linear." \
      "a growth above 1.25 there is not page faults (with the heap kept a listing faults at most $(kept_faults far1) pages for FAR 1.x and $(kept_faults far3) for FAR 3); a run on a quiet machine tells whether it is the noise of this one.")

### Where the listings' instructions go (callgrind)

$PROFILE_LISTINGS listings of $(thousands $PROFILE_WINDOWS) windows by each front end under \`valgrind --tool=callgrind\`,
collecting only inside the listing's two entry points (\`GetFindData\` and \`FreeFindData\`,
\`GetFindDataW\` and \`FreeFindDataW\`); inclusive instruction counts per window. Instructions,
not time: the page faults above do not show here.

| Part | FAR 1.x | Share | FAR 3 | Share |
|---|---:|---:|---:|---:|
EOF
  # The first inclusive count of a line that contains the text (a function's name as callgrind
  # prints it); 0 when no line does (a call the front end does not make).
  ir() { awk -v needle="$2" 'index($0, needle) { gsub(/,/, "", $1); print $1; found = 1; exit }
    END { if (!found) print 0 }' "$RESULTS/listing_$1.callgrind.txt"; }
  per_window() { calc "$1 / ($PROFILE_WINDOWS * $PROFILE_LISTINGS)"; }
  declare -A part_ir
  for front in far1 far3; do
    case $front in
      far1) total=$(calc "$(ir $front ':GetFindData [') + $(ir $front ':FreeFindData [')") ;;
      far3) total=$(calc "$(ir $front ':GetFindDataW [') + $(ir $front ':FreeFindDataW [')") ;;
    esac
    queries=0
    for call in GetWindowLongA GetParent GetWindowTextLengthA GetWindow IsWindowVisible \
      GetWindowTextA CharToOemA GetWindowTextLengthW GetWindowTextW; do
      queries=$(calc "$queries + $(ir $front ":$call(")")
    done
    part_ir[$front,total]=$total
    part_ir[$front,queries]=$queries
    # EnumWindows's inclusive count less the visit of each window it calls back.
    part_ir[$front,enumeration]=$(calc "$(ir $front ':EnumWindows(') - $(ir $front 'VisitIfEligible(')")
    part_ir[$front,table]=$(ir $front ':HiddenWindowTable::Contains(')
    part_ir[$front,handle]=$(ir $front ':snprintf [')
    part_ir[$front,malloc]=$(ir $front ':__wrap_malloc')
    part_ir[$front,realloc]=$(ir $front ':__wrap_realloc')
    part_ir[$front,free]=$(ir $front ':__wrap_free')
    part_ir[$front,rest]=$(calc "$total - $queries - ${part_ir[$front,enumeration]} - ${part_ir[$front,table]} - ${part_ir[$front,handle]} - ${part_ir[$front,malloc]} - ${part_ir[$front,realloc]} - ${part_ir[$front,free]}")
  done
  part() {
    printf '| %s | %.0f | %.1f %% | %.0f | %.1f %% |\n' "$1" \
      "$(per_window "${part_ir[far1,$2]}")" "$(calc "100 * ${part_ir[far1,$2]} / ${part_ir[far1,total]}")" \
      "$(per_window "${part_ir[far3,$2]}")" "$(calc "100 * ${part_ir[far3,$2]} / ${part_ir[far3,total]}")"
  }
  part "Window-system queries of the simulation (GetWindowLongA, GetParent, GetWindowTextLengthA, GetWindow, IsWindowVisible; GetWindowTextA and CharToOemA for FAR 1.x, GetWindowTextLengthW and GetWindowTextW for FAR 3)" queries
  part "EnumWindows's own work (the simulation's snapshot and look-ups)" enumeration
  part "HiddenWindowTable::Contains (the \"D\" mark, twice per window)" table
  part "snprintf \"%08X\" (the handle text)" handle
  part "malloc" malloc
  part "realloc" realloc
  part "free" free
  part "Velumo's own code: filter logic, zero-filling, copies, widening, loops" rest
  printf '| **Listing** | **%.0f** | 100 %% | **%.0f** | 100 %% |\n' \
    "$(per_window "${part_ir[far1,total]}")" "$(per_window "${part_ir[far3,total]}")"
  cat <<EOF

The heap calls include the counting wrappers of the benchmark (a counter each and, for
\`realloc\`, one \`malloc_usable_size\`). glibc's \`snprintf\` is the largest single part here;
in the DLLs (MinGW's \`snprintf\`) the same handle text costs
$(call_ns same-process $T 'snprintf(%08X)') ns (table "What each window-system call costs under Wine"), well under 1 % of
a listing there, so it matters to the simulation only.

### ToggleWindowsByTitle and RestoreAllWindows

The core's, shared by both front ends. \`ToggleWindowsByTitle\`: two passes per iteration over a
desktop where 10 windows match (the first hides and records them, the second shows them again),
so every iteration does the same work; per window visited. \`RestoreAllWindows\`: before each
iteration, outside the timing, as many windows as the table holds (20, or all when fewer) are
hidden; per window on the desktop.

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

\`velumo_wine_bench.exe\` loads both DLLs into one process: the FAR 1.x one with the host
stand-in's \`LoadPlugin\`, opening a panel at the default settings (a settings key that does not
exist); the FAR 3 one with \`LoadLibrary\` and a minimal host (\`SetStartupInfoW\` with a
\`GetMsg\` that gives "" and a \`SettingsControl\` that fails, so the default settings), opening a
panel with \`OpenW\` from the plug-ins menu. It times each listing (\`GetFindData\` +
\`FreeFindData\`, \`GetFindDataW\` + \`FreeFindDataW\`) against its floor on a desktop of its own
(\`CreateDesktopA\` + \`SetThreadDesktop\`): first with the windows of
\`velumo_window_owner.exe\`, a second process started on that desktop, as a user's windows belong
to other programs; then with windows of its own thread. For each front end, $WINE_REPETITIONS
samples of its floor and of its listing, alternating, after half a second of untimed runs; a
sample is one listing, or the mean of several when one listing takes less than 20 ms. Medians;
as checks on the noise, the ratio of the fastest samples, and the median of the ratios of each
listing sample to the floor sample taken next to it ("paired"); times per listing.

| Front end | Windows' owner | Windows | Floor, ms | Listing, ms | Floor, µs per window | Listing, µs per window | Listing / floor | Best samples | Paired | Listings per sample |
|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
  for c in other-process same-process; do
    for front in far1 far3; do
      for n in "${WINE_COUNTS[@]}"; do
        printf '| %s | %s | %s | %.2f | %.2f | %.2f | %.2f | %.3f | %.3f | %.3f | %s |\n' \
          "$(front_name $front)" "$c" "$(thousands "$n")" \
          "$(calc "$(floor_us $front "$c" "$n") / 1000")" "$(calc "$(listing_us $front "$c" "$n") / 1000")" \
          "$(calc "$(floor_us $front "$c" "$n") / $n")" "$(calc "$(listing_us $front "$c" "$n") / $n")" \
          "$(ratio $front "$c" "$n")" "$(best_ratio $front "$c" "$n")" "$(paired_ratio $front "$c" "$n")" \
          "$(row_field $front "$c" "$n" 9)"
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
  predicted_other1=0
  predicted_same1=0
  predicted_other3=0
  predicted_same3=0
  while IFS='|' read -r call times1 times3; do
    other=$(call_ns other-process $T "$call")
    same=$(call_ns same-process $T "$call")
    predicted_other1=$(calc "$predicted_other1 + $times1 * $other")
    predicted_same1=$(calc "$predicted_same1 + $times1 * $same")
    predicted_other3=$(calc "$predicted_other3 + $times3 * $other")
    predicted_same3=$(calc "$predicted_same3 + $times3 * $same")
    printf '| %s | %s | %s | %s | %s |\n' "$call" "$times1" "$times3" "$(thousands "$other")" \
      "$(thousands "$same")"
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
    case $front in
      far1) other=$predicted_other1 same=$predicted_same1 ;;
      far3) other=$predicted_other3 same=$predicted_same3 ;;
    esac
    printf '| **Predicted %s floor per window** | | | **%.1f µs** (measured %.1f) | **%.2f µs** (measured %.2f) |\n' \
      "$(front_name $front)" "$(calc "$other / 1000")" "$(calc "$(floor_us $front other-process $T) / $T")" \
      "$(calc "$same / 1000")" "$(calc "$(floor_us $front same-process $T) / $T")"
  done
  cat <<EOF

Windows of another process cost a wineserver round trip per query (Wine's \`EnumWindows\` also
checks every handle with \`IsWindow\`, and \`IsWindowVisible\` walks the window and its parents),
some $(fmt '%.0f' "$(calc "$(call_ns other-process $T 'GetParent') / 1000")") µs each on this machine; windows of the
same process are answered from the process's own copy of the window data, except the title
calls, which send \`WM_GETTEXT\` / \`WM_GETTEXTLENGTH\` to the window procedure. Both listings
make the same number of round trips per window: FAR 3's two title calls, the length and the
text, replace FAR 1.x's one \`GetWindowTextA\` and its local \`CharToOemA\`, so its floor has one
round trip more per window than FAR 1.x's.

### The allocation schemes alone, on the same heap

The same sequence of heap calls as a listing of N windows, without a window, on msvcrt's heap,
as both DLLs use it. FAR 1.x: \`realloc\` to one element more ($FAR1_ELEMENT bytes each in the
x86_64 build), zero-fill it, three \`malloc\`, then three \`free\` per entry and one for the array.
FAR 3, as it lists at every refresh after a panel's first listing: into the array of
$FAR3_ELEMENT-byte elements kept from the listing before, each element zeroed, two \`malloc\` per
entry (the title, 56 bytes for the benchmark's 27-character titles, and the texts block), then
two \`free\` per entry; "first listing": the same with the array grown from nothing (64 elements,
then doubled when full) and freed at the end, as a panel's first listing grows it and as every
listing did before the array was kept; "array's growth": that growth and release alone. Median
of $WINE_REPETITIONS runs after one warm-up.

| Scheme | Windows | Time, ms | µs per window | realloc moves | bytes copied by moves | final array, bytes |
|---|---:|---:|---:|---:|---:|---:|
EOF
  for scheme in far1 far3 far3-first far3-array; do
    case $scheme in
      far1) name="FAR 1.x" ;;
      far3) name="FAR 3" ;;
      far3-first) name="FAR 3, first listing" ;;
      far3-array) name="FAR 3, array's growth" ;;
    esac
    for n in "${WINE_COUNTS[@]}"; do
      final=$(alloc_field $scheme "$n" 8)
      printf '| %s | %s | %.2f | %.2f | %s | %s | %s |\n' "$name" "$(thousands "$n")" \
        "$(alloc_ms $scheme "$n")" "$(calc "$(alloc_field $scheme "$n" 4) / $n")" \
        "$(alloc_field $scheme "$n" 5)" "$(thousands "$(alloc_field $scheme "$n" 6)")" \
        "$(choose "$final > 0" "$(thousands "$final")" "(kept)")"
    done
  done
  cat <<EOF

How the heap treats blocks of the arrays' sizes: allocating a block, touching each of its pages
and freeing it, best of ten, in the same process. A block the heap keeps for reuse costs a few
nanoseconds a page; one it hands back to the system when it is freed costs a fresh page fault
for each of its pages every time (counted as handed back from $KEPT_PAGE_US µs a page on).

| Block | Bytes | Pages | µs each time | The heap |
|---|---:|---:|---:|---|
EOF
  block_row() {
    printf '| %s | %s | %s | %.1f | %s |\n' "$1" "$(thousands "$2")" "$(pages "$2")" \
      "$(block_us "$2")" "$(choose "$(kept_at "$2")" "keeps it" "hands it back")"
  }
  block_row "64 KiB" 65536
  for n in "${WINE_COUNTS[@]}"; do
    block_row "FAR 1.x array, $(thousands "$n") windows" "$(calc "$n * $FAR1_ELEMENT")"
  done
  bytes=$(calc "64 * $FAR3_ELEMENT")
  while awk -v b="$bytes" -v last="$(alloc_field far3-first "$BIG" 8)" 'BEGIN { exit !(b <= last) }'; do
    block_row "FAR 3 array, $(thousands "$(calc "$bytes / $FAR3_ELEMENT")") elements" "$bytes"
    bytes=$(calc "2 * $bytes")
  done

  # ---- the findings' figures
  floor_per_window() { calc "$(floor_us "$1" "$2" "$3") / $3"; }
  OTHER_FLOOR3=$(floor_per_window far3 other-process $T)
  SAME_FLOOR3=$(floor_per_window far3 same-process $T)
  SCHEME3_MS=$(alloc_ms far3 $T)
  FIRST3_MS=$(alloc_ms far3-first $T)
  ARRAY3_MS=$(alloc_ms far3-array $T)
  OTHER_SHARE3=$(alloc_percent far3 other-process)
  OTHER_SCATTER3=$(scatter_percent far3 other-process)
  SAME_SHARE3=$(alloc_percent far3 same-process)
  SAME_EXTRA3=$(extra_ms far3 same-process)
  SAME_SCATTER3_MS=$(calc "($(floor_us far3 same-process $T) - $(row_field far3 same-process $T 7)) / 1000")
  # The FAR 3 floor's extra round trip against FAR 1.x's, per window.
  FLOOR_DIFFERENCE_US=$(calc "$OTHER_FLOOR3 - $(floor_per_window far1 other-process $T)")
  TITLE_CALLS_NS=$(calc "$(call_ns other-process $T GetWindowTextLengthW) + $(call_ns other-process $T 'GetWindowTextW(length + 1)')")
  # The largest FAR 3 array size the heap keeps and the smallest it hands back.
  KEPT_LIMIT=0
  GIVEN_BACK=0
  bytes=$(calc "64 * $FAR3_ELEMENT")
  while awk -v b="$bytes" -v last="$(alloc_field far3-first "$BIG" 8)" 'BEGIN { exit !(b <= last) }'; do
    if [ "$(kept_at "$bytes")" = 1 ]; then
      [ "$GIVEN_BACK" = 0 ] && KEPT_LIMIT=$bytes
    elif [ "$GIVEN_BACK" = 0 ]; then
      GIVEN_BACK=$bytes
    fi
    bytes=$(calc "2 * $bytes")
  done

  cat <<EOF

## Findings

### The FAR 3 listing

**Windows of another process (the user's case): $(verdict "$OTHER3" $LIMIT_OTHER), $(fmt '%.3f' "$OTHER3") at $(thousands $T) windows**
($(fmt '%.3f' "$(best_ratio far3 other-process $T)") between the fastest samples, $(fmt '%.3f' "$(paired_ratio far3 other-process $T)") paired). The floor costs
$(fmt '%.0f' "$OTHER_FLOOR3") µs per window, nearly all of it wineserver round trips; what the listing adds, its
allocation scheme, takes $(fmt '%.2f' "$SCHEME3_MS") ms for $(thousands $T) windows, $(fmt '%.2f' "$OTHER_SHARE3") % of the floor, against the
$(fmt '%.0f' "$(calc "($LIMIT_OTHER - 1) * 100")") % the target allows. $(
    choose "$OTHER3 > $LIMIT_OTHER && $OTHER_SHARE3 < ($LIMIT_OTHER - 1) * 100" \
      "The measured excess over the floor is therefore not the listing's work but the noise of the samples: the floor's own samples scatter by $(fmt '%.0f' "$OTHER_SCATTER3") % (fastest to median) in this run, far more than the difference to be resolved. A run on a quiet machine decides this target; the listing does no work here that it could drop." \
      "The floor's own samples scatter by $(fmt '%.0f' "$OTHER_SCATTER3") % (fastest to median) in this run, so the ratio's distance from 1 is the samples' noise rather than the listing's work.")
At $(thousands "$BIG") windows the ratio is $(fmt '%.3f' "$(ratio far3 other-process "$BIG")").
The title read is not a cost of its own: the listing reads the whole title with two calls,
\`GetWindowTextLengthW\` and then \`GetWindowTextW\`, and the floor makes the same two, some
$(fmt '%.0f' "$(calc "$TITLE_CALLS_NS / 1000")") µs together here. The first of them is the round trip the FAR 3 floor
makes more than FAR 1.x's (whose one \`GetWindowTextA\` reads at most 127 characters): one
\`GetWindowTextLengthW\` alone costs $(fmt '%.0f' "$(calc "$(call_ns other-process $T GetWindowTextLengthW) / 1000")") µs per window. (The two floors, timed at different
moments, differ by $(fmt '%.0f' "$FLOOR_DIFFERENCE_US") µs per window in this run; that difference carries the
noise of both.)

**Windows of the benchmark's own process: $(verdict "$SAME3" $LIMIT_SAME), $(fmt '%.3f' "$SAME3") at $(thousands $T) windows**
($(fmt '%.3f' "$(best_ratio far3 same-process $T)") between the fastest samples, $(fmt '%.3f' "$(paired_ratio far3 same-process $T)") paired). Here the window system
answers in about $(fmt '%.1f' "$SAME_FLOOR3") µs per window, and the listing takes $(fmt '%.2f' "$SAME_EXTRA3") ms more than its
floor for $(thousands $T) windows. Its allocation scheme alone, as it runs at every listing after a panel's first (the items' two
blocks each, \`malloc\` of the title and of the texts and their \`free\`, in the array kept from
the listing before), takes $(fmt '%.2f' "$SCHEME3_MS") ms on the same heap, $(fmt '%.0f' "$SAME_SHARE3") % of the floor. $(
    choose "$SAME_EXTRA3 - $SCHEME3_MS <= $SAME_SCATTER3_MS" \
      "The scheme accounts for the listing's difference from its floor to within the scatter of the floor's own samples ($(fmt '%.2f' "$SAME_SCATTER3_MS") ms, fastest to median)." \
      "The rest of the difference, $(fmt '%.2f' "$(calc "$SAME_EXTRA3 - $SCHEME3_MS")") ms, is more than the floor's own samples scatter ($(fmt '%.2f' "$SAME_SCATTER3_MS") ms, fastest to median): the scheme run alone, without windows, does not account for it, and this run cannot tell it from the load of the machine.")
A panel's first listing also grows the array from nothing: $(fmt '%.2f' "$FIRST3_MS") ms for its scheme at
$(thousands $T) windows, of which the array's growth and release alone take $(fmt '%.2f' "$ARRAY3_MS") ms. $(
    choose "$(kept_at "$FAR3_ARRAY_BYTES") == 0" \
      "That growth is page faults, not copying: the array grows to $(thousands "$(calc "$FAR3_ARRAY_BYTES / $FAR3_ELEMENT")") elements, $(thousands "$FAR3_ARRAY_BYTES") bytes, $(pages "$FAR3_ARRAY_BYTES") pages, and Wine's heap hands a block of that size back to the system when it is freed (table above: the largest FAR 3 array it keeps is $(thousands "$KEPT_LIMIT") bytes): allocating, touching and freeing a block of that size takes $(fmt '%.0f' "$(block_us "$FAR3_ARRAY_BYTES")") µs here, where a 64 KiB block the heap keeps takes $(fmt '%.1f' "$(block_us 65536)") µs; the moves copy only $(thousands "$(alloc_field far3-first $T 6)") bytes. Freed after every listing, as it was before the listing kept it, the array cost every refresh those faults." \
      "Wine's heap kept an array of that size in this run.")
Reading the whole title costs the listing one of those two blocks per window; the title calls
themselves cost the floor as much as the listing.

**Growth of the cost per window from $(thousands $T) to $(thousands $G) windows:
$(verdict "$OTHER_GROWTH3" $LIMIT_GROWTH) for another process's windows ($(fmt '%.2f' "$OTHER_GROWTH3")), $(verdict "$SAME_GROWTH3" $LIMIT_GROWTH) for
the process's own ($(fmt '%.2f' "$SAME_GROWTH3")).** The floors grow by $(fmt '%.2f' "$(floor_growth far3 other-process)") and
$(fmt '%.2f' "$(floor_growth far3 same-process)"): that much is the window system's, which no listing can undercut. For
another process's windows the allocation scheme is a fraction of a percent of the floor at
either size ($(fmt '%.2f' "$OTHER_SHARE3") % and $(fmt '%.2f' "$(calc "100 * $(alloc_field far3 $G 4) / $(floor_us far3 other-process $G)")") %), so the listing grows as its floor does, up to the
noise. For the process's own windows the listing adds its allocation scheme on top:
$(fmt '%.2f' "$(alloc_ms far3 $G)") ms at $(thousands $G) windows ($(fmt '%.2f' "$(calc "1000 * $(alloc_ms far3 $G) / $G")") µs per window, against
$(fmt '%.2f' "$(calc "1000 * $SCHEME3_MS / $T")") at $(thousands $T)): two blocks per window, in an array that is not grown again.

**The kept array.** FAR lists a panel again at every refresh, and every listing used to grow its
array from 64 elements and free it after; Wine's heap $(choose "$GIVEN_BACK > 0" "hands an array larger than $(thousands "$KEPT_LIMIT") bytes back to the system" "kept every size of the array in this run, but hands larger blocks back (the FAR 1.x arrays above)"), so
every listing faulted its pages in anew. \`FreePanelItems\` (src/far3/panel_items.cpp) frees
each item's two blocks and keeps the array, its capacity in a header before the items, as a
process-wide spare (the larger of it and the spare kept); \`BuildPanelItems\` starts from that
spare, taking it so that two panels listed at once never share it; the spare is freed when the
last panel closes. FAR copies the items before \`FreeFindDataW\`, so nothing it holds points
into the array. The growth is now paid once per panel ("first listing" above: $(fmt '%.2f' "$FIRST3_MS") ms at
$(thousands $T) windows, $(fmt '%.2f' "$(alloc_ms far3-first $G)") ms at $(thousands $G)), not at every refresh.
Merging the title into the texts block (one \`malloc\` per item instead of two) would save at
most half of the scheme that is left, $(fmt '%.2f' "$(calc "$SCHEME3_MS / 2")") ms at $(thousands $T) windows; the title calls cannot
be merged, since the floor makes the same two.

### The FAR 1.x listing, as it is

**Windows of another process: $(fmt '%.3f' "$(ratio far1 other-process $T)") of its floor at $(thousands $T) windows**
($(fmt '%.3f' "$(best_ratio far1 other-process $T)") between the fastest samples), $(fmt '%.3f' "$(ratio far1 other-process "$BIG")") at
$(thousands "$BIG"); its allocation scheme takes $(fmt '%.1f' "$(alloc_ms far1 $T)") ms for $(thousands $T) windows,
$(fmt '%.1f' "$(alloc_percent far1 other-process)") % of the floor.

**Windows of the benchmark's own process: $(fmt '%.2f' "$(ratio far1 same-process $SMALL)") at $SMALL windows,
$(fmt '%.2f' "$(ratio far1 same-process $T)") at $(thousands $T), $(fmt '%.2f' "$(ratio far1 same-process "$BIG")") at $(thousands "$BIG").** The
listing takes $(fmt '%.2f' "$(extra_ms far1 same-process)") ms more than its floor for $(thousands $T) windows; the
allocation scheme alone takes $(fmt '%.2f' "$(alloc_ms far1 $T)") ms on the same heap. Much of that is page faults:
the array of $(thousands $T) entries covers $(pages "$FAR1_ARRAY_BYTES") pages, and Wine's heap hands a block of that
size back to the system when it is freed, so every listing faults fresh pages in again
(allocating, touching and freeing a block of $(thousands "$FAR1_ARRAY_BYTES") bytes takes
$(fmt '%.0f' "$(block_us "$FAR1_ARRAY_BYTES")") µs each time). At $(thousands "$BIG") windows the allocation scheme alone takes
$(fmt '%.0f' "$(alloc_ms far1 "$BIG")") ms, with $(alloc_field far1 "$BIG" 5) moves of the array that copy
$(fmt '%.1f' "$(calc "$(alloc_field far1 "$BIG" 6) / 1048576")") MiB in all, $(fmt '%.1f' "$(calc "$(alloc_field far1 "$BIG" 6) / ($BIG * $FAR1_ELEMENT)")") times the final
array. This is the quadratic risk of growing by one element: above its large-block size Wine's
heap keeps each large block in a mapping of its own, grows it in place only within that mapping
and otherwise moves it into a new one, copying the whole array into freshly faulted pages. The
number of moves grows with the array and each move costs in proportion to the array, so the
total grows faster than linearly. On this machine's slow page faults that dominates from a few
thousand windows on; on bare hardware, with faults tens of times cheaper, the same moves cost
mostly the copying. The FAR 3 listing, with its doubling array, makes
$(alloc_field far3-first "$BIG" 5) moves for $(thousands "$BIG") windows and copies $(fmt '%.1f' "$(calc "$(alloc_field far3-first "$BIG" 6) / 1048576")") MiB in a panel's
first listing, and none in the listings after it.

### Natively

Over the simulation the cost per window grows from $SMALL to $(thousands $LARGE) windows by
$(fmt '%.2f' "$(native_growth "$RESULTS/native.tsv" far1)") for FAR 1.x and $(fmt '%.2f' "$(native_growth "$RESULTS/native.tsv" far3)") for FAR 3 with glibc as it comes, and by
$(fmt '%.2f' "$(native_growth "$RESULTS/native_kept_heap.tsv" far1)") and $(fmt '%.2f' "$(native_growth "$RESULTS/native_kept_heap.tsv" far3)") with its heap kept (see "Why the cost per window can grow
natively" above). Per window the FAR 3 listing runs $(fmt '%.0f' "$(per_window "${part_ir[far3,total]}")") instructions against FAR 1.x's
$(fmt '%.0f' "$(per_window "${part_ir[far1,total]}")") (callgrind, $(thousands $PROFILE_WINDOWS) windows): one heap block and one \`free\` fewer per window,
and no \`realloc\` once the kept array holds the listing.

The FAR 1.x listing's calls, results and allocation scheme were left exactly as they are.
EOF
} >"$DOC.new"

if [ -s "$REPORT_ERRORS" ]; then
  echo "run_bench.sh: $(wc -l <"$REPORT_ERRORS") figures are missing from the results;" \
    "$DOC is left as it was" >&2
  rm -f "$DOC.new"
  exit 1
fi
mv "$DOC.new" "$DOC"
echo "wrote $DOC and $PLOT" >&2
