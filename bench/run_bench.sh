#!/usr/bin/env bash
# Runs the benchmarks of the window listing of both front ends, FAR 1.x and FAR 3, side by side,
# and writes docs/performance.md from that run.
#
#   VELUMO_WINE_BUILD=<build directory of a Windows preset> bash bench/run_bench.sh
#   VELUMO_WINE_BUILD=... bash bench/run_bench.sh --report-only   the report again, from the
#                                                                 results of the last run
#
# It builds nothing: ./build.sh bench builds the presets bench and mingw64 first. Where it finds
# the native build and keeps its results (defaults in the repository's build/):
#   VELUMO_BENCH_BUILD    the native build directory (preset bench), default build/bench
#   VELUMO_BENCH_RESULTS  the raw results, default build/bench-results
#   VELUMO_BENCH_QUICK=1  a short run through every stage (fewer and smaller Wine desktops, fewer
#                         samples); its report goes to the results folder, never to docs/,
#                         since its figures do not answer the targets
#
# 1. Natively (preset bench: gcc Release, no sanitizers) over the simulated Win32: Google
#    Benchmark, JSON in the results.
# 2. Under Wine: the real DLLs from $VELUMO_WINE_BUILD (the x86_64 build, preset mingw64, which
#    the report describes), Velumo/Velumo.dll (FAR 1.x) and far3/Velumo/Velumo.dll (FAR 3), each
#    against its floor loop, on windows of another process, of 20 processes and of its own, in a
#    session of scripts/wine_run.sh.
# 3. The report: tables straight from the results.
#
# About twelve minutes on two quiet cores (fourteen on loaded ones), most of it Wine creating
# 2 x 5,000 windows and listing the other processes' windows through the wineserver.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
ROOT=$(pwd)

WINE_BUILD=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
BENCH_BUILD=${VELUMO_BENCH_BUILD:-$ROOT/build/bench}
RESULTS=${VELUMO_BENCH_RESULTS:-$ROOT/build/bench-results}
DOC=$ROOT/docs/performance.md

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
# GROWN_WINDOWS against that at TARGET_WINDOWS (both are among WINE_COUNTS). WINE_PROCESSES
# owners share TARGET_WINDOWS windows on a desktop of their own.
WINE_REPETITIONS=15
WINE_COUNTS=(100 1000 5000)
WINE_PROCESSES=20
TARGET_WINDOWS=1000
GROWN_WINDOWS=5000
NATIVE_MIN_TIME=0.2
if [ "${VELUMO_BENCH_QUICK:-0}" = 1 ]; then
  WINE_REPETITIONS=3
  WINE_COUNTS=(100 300)
  TARGET_WINDOWS=100
  GROWN_WINDOWS=300
  NATIVE_MIN_TIME=0.01
  DOC=$RESULTS/performance.md
fi
LIMIT_OTHER=1.02
LIMIT_SAME=1.10
LIMIT_GROWTH=1.20

log() { printf '\n== %s\n' "$*" >&2; }

# ---- the measurements ------------------------------------------------------------------------

measure() {
  rm -rf "$RESULTS"
  mkdir -p "$RESULTS"
  {
    printf 'LOAD_AT_START=%q\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
    printf 'MEASURED_AT=%q\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  } >"$RESULTS/run.env"

  local native=$BENCH_BUILD/bench/velumo_native_bench
  local bench=$WINE_BUILD/bench/velumo_wine_bench.exe file args=()
  for file in "$native" "$bench" "$WINE_BUILD/Velumo/Velumo.dll" "$WINE_BUILD/far3/Velumo/Velumo.dll" \
    "$WINE_BUILD/bench/velumo_window_owner.exe"; do
    [ -f "$file" ] || {
      echo "run_bench.sh: $file is missing; build the presets bench and mingw64 first" >&2
      exit 1
    }
    args+=("Z:${file//\//\\}") # Wine's drive Z: is the root of the Unix file system
  done
  args=("${args[@]:2}")
  log "native: benchmarks"
  "$native" --benchmark_min_time="$NATIVE_MIN_TIME" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$RESULTS/native.json" --benchmark_out_format=json | tee "$RESULTS/native.txt"

  log "Wine: $WINE_REPETITIONS repetitions, ${WINE_COUNTS[*]} windows"
  # The C runtime's text mode ends the lines with CR LF; the report reads plain lines.
  bash scripts/wine_run.sh "$bench" "${args[@]}" "$WINE_REPETITIONS" "${WINE_COUNTS[@]}" \
    "$TARGET_WINDOWS/$WINE_PROCESSES" 2> >(tee "$RESULTS/wine.log" >&2) | tr -d '\r' >"$RESULTS/wine.tsv"
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

# N[run:counter] for the median aggregates of the Google Benchmark JSON file; W[row:...] for the
# Wine benchmark's lines.
declare -A N W
while IFS=$'\t' read -r run key value; do
  N[$run:$key]=$value
done < <(awk '
    /^    \{/ { n = 0; aggregate = "" }
    /^      "run_name":/ { run = $2; gsub(/[",]/, "", run) }
    /^      "aggregate_name":/ { aggregate = $2; gsub(/[",]/, "", aggregate) }
    /^      "[a-z_]+": -?[0-9]/ { key = $1; gsub(/[":]/, "", key); v = $2; gsub(/,/, "", v); k[++n] = key; val[n] = v }
    /^    \}/ { if (aggregate == "median") for (i = 1; i <= n; ++i) print run "\t" k[i] "\t" val[i] }
  ' "$RESULTS/native.json")
while IFS=$'\t' read -r kind front desktop count figures; do
  # floor listing floor-min listing-min batch paired
  if [ "$kind" = row ]; then W[row:$front:$desktop:$count]=${figures//$'\t'/ }; fi
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
native_us() { calc "$(get N "$1:per_window") * 1e6"; } # the counters are in seconds
floor_us() { field "row:$1:$2:$3" 1; }
listing_us() { field "row:$1:$2:$3" 2; }
ratio() { calc "$(listing_us "$@") / $(floor_us "$@")"; }
growth() {
  calc "($(listing_us "$1" "$2" "$G") / $G) / ($(listing_us "$1" "$2" "$T") / $T)"
}

T=$TARGET_WINDOWS
G=$GROWN_WINDOWS
P=$WINE_PROCESSES-processes
NATIVE_SIZES=$(printf '%s\n' "${!N[@]}" | awk -F'[:/]' '$1 == "BM_ListingFar1" { print $2 }' | sort -n | uniq)
SMALL=$(echo "$NATIVE_SIZES" | awk '$1 >= 100 { print; exit }')
LARGE=$(echo "$NATIVE_SIZES" | tail -1)
NATIVE_PROCESSES=$(printf '%s\n' "${!N[@]}" | awk -F'[:/]' '$1 == "BM_ListingFar3Processes" { print $2 }' | sort -n | uniq)

# ---- the report --------------------------------------------------------------------------------

# A Markdown table: HEADER (cells separated by " | "), ALIGN (l or r for each column), then the
# rows from standard input, cells separated by tabs.
table() {
  awk -F'\t' -v header="$1" -v align="$2" 'BEGIN {
      rule = "|"
      for (i = 1; i <= length(align); ++i) rule = rule (substr(align, i, 1) == "r" ? "---:|" : "---|")
      print "| " header " |"; print rule
    }
    { line = "|"; for (i = 1; i <= NF; ++i) line = line " " $i " |"; print line }'
}
target_row() { # TEXT LIMIT FORMAT FAR3 FAR1
  printf "%s\t≤ %s\t$3\t%s\t$3\n" "$1" "$2" "$4" "$(verdict "$4" "$2")" "$5"
}
{
  cat <<EOF
# Performance of the window listing

Measured by \`./build.sh bench\` (\`bench/run_bench.sh\`) on $MEASURED_AT; raw results in
\`${RESULTS#"$ROOT"/}/\`. FAR 1.x is \`Velumo/Velumo.dll\`, FAR 3 is \`far3/Velumo/Velumo.dll\`.

## Machine

EOF
  table "|" ll <<EOF
CPU	$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) logical CPUs$(grep -qw hypervisor /proc/cpuinfo && echo ', virtual machine')
Memory	$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
Kernel	$(uname -sr)
C library	glibc $(getconf GNU_LIBC_VERSION | cut -d' ' -f2)
Wine	$WINE_VERSION, x86_64 builds (\`$(basename "$WINE_BUILD")\`) under Xvfb
Compilers	$(g++ --version | head -1); $(x86_64-w64-mingw32-g++-posix --version 2>/dev/null | head -1 || echo MinGW-w64)
Load average at the start	$LOAD_AT_START (1, 5 and 15 minutes)
EOF
  cat <<EOF

## Targets (the FAR 3 listing, under Wine on real windows)

A floor is the least a correct listing of that front end can cost: a loop in the benchmark that
asks the window system each fact of a window once, with the calls, order and eligibility of that
front end's listing, reads each process's program once per listing (FAR 3), and writes the same
texts into preallocated memory without a heap call. Listing / floor is what the listing's own
storage, zero-filling and release add; the FAR 3 listing shows the program column.

EOF
  {
    target_row "Windows of the same process, $(thousands $T) windows: listing / floor" $LIMIT_SAME %.3f "$(ratio far3 same-process $T)" "$(ratio far1 same-process $T)"
    target_row "Windows of another process, $(thousands $T) windows: listing / floor" $LIMIT_OTHER %.3f "$(ratio far3 other-process $T)" "$(ratio far1 other-process $T)"
    printf '%s\t(a figure)\t%.3f\t\t%.3f\n' "Windows of $WINE_PROCESSES processes, $(thousands $T) windows: listing / floor" "$(ratio far3 "$P" $T)" "$(ratio far1 "$P" $T)"
    target_row "Windows of another process: time per window at $(thousands $G) windows / at $(thousands $T)" $LIMIT_GROWTH %.2f "$(growth far3 other-process)" "$(growth far1 other-process)"
    target_row "Windows of the same process: time per window at $(thousands $G) windows / at $(thousands $T)" $LIMIT_GROWTH %.2f "$(growth far3 same-process)" "$(growth far1 same-process)"
  } | table "Target for the FAR 3 listing | Limit | FAR 3 | | FAR 1.x, as it is" llrlr
  cat <<EOF

## Native, over the simulated Win32

Preset \`bench\`, median of 3 repetitions of at least $NATIVE_MIN_TIME s; CPU time.

EOF
  for front in far1 far3; do
    printf '%s\t%.2f\n' "$(name $front)" \
      "$(calc "$(native_us "$(listing $front "$LARGE")") / $(native_us "$(listing $front "$SMALL")")")"
  done | table "Front end | Time per window at $(thousands "$LARGE") windows / at $SMALL" lr
  native_row() { # LABEL RUN
    printf '%s\t%.3f\t%.2f\t%.0f\t%.0f\t%.0f\t%.0f\t%.0f\t%.0f\n' "$1" "$(native_us "$2")" \
      "$(get N "$2:calls_per_window")" "$(get N "$2:mallocs")" "$(get N "$2:reallocs")" \
      "$(get N "$2:realloc_moves")" "$(get N "$2:copied_bytes")" "$(get N "$2:frees")" \
      "$(get N "$2:page_faults")"
  }
  native_header="µs per window | Window-system calls per window | malloc | realloc | realloc moves | bytes copied by moves | free | page faults"
  for front in far1 far3; do
    printf '\n### %s listing\n\n' "$(name $front)"
    for n in $NATIVE_SIZES; do
      native_row "$(thousands "$n")" "$(listing $front "$n")"
    done | table "Windows | $native_header" rrrrrrrrr
  done
  printf '\n### FAR 3 listing, 1,000 windows owned by many processes\n\n%s\n%s\n\n' \
    "Each process owns a run of windows and its program is read once per listing. Only natively:" \
    "under Wine each process is an X client, and Xvfb refuses clients from about 200 processes on."
  for p in $NATIVE_PROCESSES; do
    native_row "$(thousands "$p")" "BM_ListingFar3Processes/$p"
  done | table "Processes | $native_header" rrrrrrrrr
  printf '\n### ToggleWindowsByTitle and RestoreAllWindows\n\n'
  for n in $NATIVE_SIZES; do
    printf '%s\t%.3f\t%.2f\t%.3f\t%.2f\n' "$(thousands "$n")" \
      "$(native_us "BM_ToggleWindowsByTitle/$n")" "$(get N "BM_ToggleWindowsByTitle/$n:calls_per_window")" \
      "$(native_us "BM_RestoreAllWindows/$n")" "$(get N "BM_RestoreAllWindows/$n:calls_per_window")"
  done | table "Windows | ToggleWindowsByTitle µs per window | calls per window | RestoreAllWindows µs per window | calls per window" rrrrr
  cat <<EOF

## Under Wine, on real windows

$WINE_REPETITIONS samples of floor and listing each; medians. Best samples: the ratio of the
fastest samples; paired: the median ratio of each listing sample to the floor sample next to it.

EOF
  for c in other-process "$P" same-process; do
    counts=("${WINE_COUNTS[@]}")
    [ "$c" != "$P" ] || counts=("$T")
    for front in far1 far3; do
      for n in "${counts[@]}"; do
        read -r floor list floor_min list_min batch paired <<<"$(get W "row:$front:$c:$n")"
        printf '%s\t%s\t%s\t%.2f\t%.2f\t%.2f\t%.2f\t%.3f\t%.3f\t%.3f\t%s\n' \
          "$(name $front)" $c "$(thousands "$n")" "$(calc "$floor / 1000")" "$(calc "$list / 1000")" \
          "$(calc "$floor / $n")" "$(calc "$list / $n")" "$(calc "$list / $floor")" \
          "$(calc "$list_min / $floor_min")" "$paired" "$batch"
      done
    done
  done | table "Front end | Windows' owner | Windows | Floor, ms | Listing, ms | Floor, µs per window | Listing, µs per window | Listing / floor | Best samples | Paired | Listings per sample" llrrrrrrrrr
} >"$DOC.new"
if [ -s "$MISSING" ]; then
  rm -f "$DOC.new"
  exit 1
fi
mv "$DOC.new" "$DOC"
log "written: $DOC"
