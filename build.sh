#!/usr/bin/env bash
# Velumo's driver: installs what a fresh Debian machine lacks, configures, builds and runs.
#
#   ./build.sh test         every test suite: native (sanitizers), Wine (the real DLL), fuzz smoke
#   ./build.sh demo         the real FAR 3 Velumo.dll in its host stand-in, under Wine
#   ./build.sh dist         the four packages dist/Velumo-<version>-FAR3-x64.zip ..., for FAR's Plugins folder
#   ./build.sh bench        the benchmarks, written to docs/performance.md
#   ./build.sh fuzz [SECONDS]         the fuzzers for longer than the smoke run
#   ./build.sh build        configure and build the presets native, mingw and mingw64, run nothing
#
# Each verb builds only the presets it runs (see the README's Building section).
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

log() { printf '\n== %s\n' "$*"; }

# ---- prerequisites ---------------------------------------------------------------------------

PACKAGES=(cmake make g++ libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth zip unzip qemu-user-static)
PACKAGES_I386=(wine32:i386)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"
  done
}

install_prerequisites() {
  local missing missing_i386
  missing=$(missing_packages "${PACKAGES[@]}")
  missing_i386=$(missing_packages "${PACKAGES_I386[@]}")
  [ -z "$missing$missing_i386" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages (run as root to install them): $missing $missing_i386" >&2
    exit 1
  fi
  log "installing: $(echo $missing $missing_i386 | tr '\n' ' ')"
  # 32-bit Wine runs the x86 DLLs as they ship.
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  refresh_package_lists
  [ -z "$missing" ] || apt-get install -y -q $missing
  # 32-bit Wine on its own: while a mirror lacks an i386 index, its libraries cannot match the
  # 64-bit ones and apt refuses it. Everything else still builds and runs; the x86 Wine suites
  # are then reported as not run, with this reason.
  if [ -n "$missing_i386" ] && ! apt-get install -y -q $missing_i386; then
    echo "32-bit Wine ($missing_i386) could not be installed: the x86 DLLs' Wine suites will not run" >&2
  fi
}

# Whether 32-bit Wine is there to run the x86 DLLs (see install_prerequisites).
has_32bit_wine() {
  [ -z "$(missing_packages "${PACKAGES_I386[@]}")" ]
}

# apt-get update, tried three times: a mirror in the middle of a sync answers one index with
# "File has unexpected size" for a while. An index that still fails is named in one line and
# the install goes on with the lists apt has; it fails with its own message only if a package
# really cannot be had.
refresh_package_lists() {
  local try out
  out=$(mktemp)
  for try in 1 2 3; do
    if apt-get update -q >"$out" 2>&1; then
      rm -f "$out"
      return 0
    fi
    [ "$try" -lt 3 ] && sleep 10
  done
  echo "apt-get update: some package lists could not be fetched, going on with what apt has:" \
    "$(grep -E '^E: Failed to fetch' "$out" | sed -E 's/^E: Failed to fetch ([^ ]+).*/\1/' | tr '\n' ' ')" >&2
  rm -f "$out"
}

# ---- builds ------------------------------------------------------------------------------------

build_presets() {
  local preset
  for preset in "$@"; do
    log "build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
  done
}

# Whether this kernel runs 32-bit processes itself (some have 32-bit emulation switched off);
# qemu-i386 registered through binfmt_misc (see tests/wine/run_i686_emulated.sh) does not count.
runs_32bit_natively() {
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && return 1
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# Which build's DLL the demo runs: the shipped i686 one where the kernel runs 32-bit processes,
# else the x86_64 build of the same sources.
wine_preset() {
  if [ -n "${VELUMO_WINE_PRESET:-}" ]; then
    echo "$VELUMO_WINE_PRESET"
  elif runs_32bit_natively && has_32bit_wine; then
    echo mingw
  else
    echo mingw64
  fi
}

# ---- verbs ---------------------------------------------------------------------------------------

SUMMARY=()
TOTAL_PASSED=0
TOTAL_FAILED=0
RESULTS_DIR=$ROOT/build/test-results

# The passed and failed counts of a JUnit results file (ctest --output-junit): the attributes of
# its first <testsuite> element. Prints nothing when the file has none.
junit_counts() {
  local head tests failures skipped disabled
  [ -f "$1" ] || return 0
  head=$(tr '\n\t' '  ' <"$1" | grep -o -m1 '<testsuite [^>]*>' || true)
  [ -n "$head" ] || return 0
  junit_attribute() { sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" <<<"$head"; }
  tests=$(junit_attribute tests)
  failures=$(junit_attribute failures)
  skipped=$(junit_attribute skipped)
  disabled=$(junit_attribute disabled)
  [ -n "$tests" ] && [ -n "$failures" ] || return 0
  echo "$((tests - failures - ${skipped:-0} - ${disabled:-0})) $failures"
}

# Runs one suite, keeps its output, and adds its counts to the summary. A ctest suite is given
# the path of its JUnit results file as its first argument after the name; a suite that is no
# ctest run passes "-" there and closes with a plain "N passed, N failed" line.
run_suite() {
  local name=$1 junit=$2
  shift 2
  local out rc=0 counts line
  out=$(mktemp)
  [ "$junit" = - ] || rm -f "$junit"
  if ! "$@" 2>&1 | tee "$out"; then
    rc=1
  fi
  if [ "$junit" != - ]; then
    counts=$(junit_counts "$junit")
  else
    line=$(grep -E '^([A-Za-z0-9-]+: )?[0-9]+ passed, [0-9]+ failed' "$out" | tail -1 || true)
    [ -z "$line" ] || counts=$(sed -E 's/^([A-Za-z0-9-]+: )?([0-9]+) passed, ([0-9]+) failed.*/\2 \3/' <<<"$line")
  fi
  rm -f "$out"
  if [ -z "$counts" ]; then
    TOTAL_FAILED=$((TOTAL_FAILED + 1))
    SUMMARY+=("$name: did not run to the end")
    return 1
  fi
  local passed failed
  read -r passed failed <<<"$counts"
  TOTAL_PASSED=$((TOTAL_PASSED + passed))
  TOTAL_FAILED=$((TOTAL_FAILED + failed))
  SUMMARY+=("$name: $passed passed, $failed failed")
  return $rc
}

# Four DLLs ship: for each bitness, x86 (preset mingw) and x64 (preset mingw64), the FAR 1.x
# plug-in (build/<preset>/Velumo) and the native FAR 3 one (build/<preset>/far3/Velumo). Each is
# checked from the file: format, imports, exports and version resource.
check_shipped_dlls() {
  local passed=0 failed=0 preset build tools interface folder
  for preset in mingw:x86:i686 mingw64:x64:x86_64; do
    IFS=: read -r preset build tools <<<"$preset"
    for interface in far1:Velumo far3:far3/Velumo; do
      IFS=: read -r interface folder <<<"$interface"
      if sh tests/wine/check_dll.sh "$tools-w64-mingw32-objdump" "$tools-w64-mingw32-strings" \
        "build/$preset/$folder/Velumo.dll" "$build" "$interface"; then
        passed=$((passed + 1))
      else
        failed=$((failed + 1))
      fi
    done
  done
  echo "dll: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

verb_test() {
  build_presets native mingw mingw64 fuzz
  local rc=0
  mkdir -p "$RESULTS_DIR"

  log "the shipped Velumo.dll files (FAR 1.x and FAR 3, x86 and x64)"
  run_suite "dll" - check_shipped_dlls || rc=1

  log "native suite (simulated Win32, AddressSanitizer + UndefinedBehaviorSanitizer)"
  run_suite "native" "$RESULTS_DIR/native.xml" ctest --preset native --output-on-failure \
    --output-junit "$RESULTS_DIR/native.xml" || rc=1

  # The Wine suite, one process per case, on the x64 DLL, and on the x86 DLL wherever the kernel
  # runs 32-bit processes.
  log "Wine suite on the x64 Velumo.dll (Wine's user32/advapi32 under Xvfb)"
  run_suite "wine-x64" "$RESULTS_DIR/wine-x64.xml" bash tests/wine/run_suite.sh \
    "$ROOT/build/mingw64" --output-junit "$RESULTS_DIR/wine-x64.xml" || rc=1
  if ! has_32bit_wine; then
    SUMMARY+=("wine-x86: not run (32-bit Wine, wine32:i386, could not be installed)")
  elif runs_32bit_natively; then
    log "Wine suite on the x86 Velumo.dll (32-bit Wine under Xvfb)"
    run_suite "wine-x86" "$RESULTS_DIR/wine-x86.xml" bash tests/wine/run_suite.sh \
      "$ROOT/build/mingw" --output-junit "$RESULTS_DIR/wine-x86.xml" || rc=1
  elif [ -n "${VELUMO_SKIP_I686_WINE:-}" ]; then
    SUMMARY+=("wine-x86: not run (VELUMO_SKIP_I686_WINE is set)")
  else
    # 32-bit Wine all the same, with qemu-i386 running the 32-bit processes: slower, so the
    # whole suite in one process.
    log "Wine suite on the x86 Velumo.dll (32-bit Wine under qemu-i386)"
    run_suite "wine-x86" - bash tests/wine/run_i686_emulated.sh "$ROOT/build/mingw" || rc=1
  fi
  log "fuzz smoke run"
  run_suite "fuzz" - bash fuzz/run_fuzz.sh smoke || rc=1

  log "summary"
  printf '%s\n' "${SUMMARY[@]}"
  echo "Total: $TOTAL_PASSED passed, $TOTAL_FAILED failed"
  return $rc
}

verb_build() { build_presets native mingw mingw64; }

verb_demo() {
  local preset
  preset=$(wine_preset)
  build_presets "$preset"
  VELUMO_WINE_BUILD="$ROOT/build/$preset" bash demo/run_demo.sh "$@"
}

verb_dist() {
  build_presets mingw mingw64
  bash scripts/dist.sh "$@"
}

# The Wine benchmark runs the x86_64 build, which docs/performance.md describes.
verb_bench() {
  build_presets bench mingw64
  VELUMO_WINE_BUILD="$ROOT/build/mingw64" bash bench/run_bench.sh "$@"
}

verb_fuzz() {
  build_presets fuzz
  bash fuzz/run_fuzz.sh long "$@"
}

if ! declare -F "verb_${1:-}" >/dev/null; then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
verb=$1
shift
install_prerequisites
"verb_$verb" "$@"
