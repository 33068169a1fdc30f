#!/usr/bin/env bash
# Runs the Wine suite of one Windows build (preset mingw or mingw64): the build's whole ctest,
# once, on an X display of its own (xvfb-run) and in a Wine prefix of its own, made for this
# run and removed afterwards. Prints ctest's summary and exits with ctest's status.
#
#   tests/wine/run_suite.sh <build-dir>
#
# Works without a display and without standard input (CI, as root). The Wine loader and
# wineserver are the ones the build configured for its word size (CMakeCache.txt:
# VELUMO_WINE_EMULATOR, VELUMO_WINESERVER): wine64 for the x86_64 build, wine for i686.
#
# The environment the tests rely on:
#   WINEDEBUG=-all      Wine's own diagnostics stay out of the test output.
#   LC_ALL=C, LANG=C    Wine takes the ANSI and OEM code pages from the locale's name and maps
#                       C to US English: code pages 1252 and 437, which the title conversion
#                       tests expect (ru_RU would give 1251/866, de_DE 1252/850).
#   Managed=N           under HKCU\Software\Wine\X11 Driver: Wine does not hand the windows to
#                       a window manager (Xvfb has none), or every hide waits about 2 s for one.
#   wineserver -p       one persistent wineserver serves the many short test processes and is
#                       stopped (wineserver -k) before Xvfb goes away, so no Wine process is
#                       left waiting on a display that is gone.
set -euo pipefail

usage() {
    echo "usage: $0 <build-dir>" >&2
    exit 2
}

cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$BUILD/CMakeCache.txt"
}

# ---- inside Xvfb ---------------------------------------------------------------------------------
if [ "${1:-}" = "--inside-xvfb" ]; then
    BUILD=$2
    WINE=$(cache_value VELUMO_WINE_EMULATOR)
    . "$(dirname "$0")/../../scripts/wine_prefix.sh"
    trap stop_wineserver EXIT
    prepare_wine_prefix "$WINE" "$(cache_value VELUMO_WINESERVER)" || exit 1
    echo "Wine prefix: $WINEPREFIX ($("$WINE" --version 2>/dev/null || echo 'version unknown'))"

    rc=0
    ctest --test-dir "$BUILD" --output-on-failure </dev/null || rc=$?
    exit $rc
fi

# ---- outside -------------------------------------------------------------------------------------
[ $# -eq 1 ] || usage
[ -d "$1" ] || usage
BUILD=$(cd "$1" && pwd)
[ -f "$BUILD/CMakeCache.txt" ] || {
    echo "$BUILD is not a configured build directory" >&2
    exit 2
}
for variable in VELUMO_WINE_EMULATOR VELUMO_WINESERVER; do
    program=$(cache_value "$variable")
    if [ -z "$program" ] || ! command -v "$program" >/dev/null; then
        echo "$variable ('$program') in $BUILD/CMakeCache.txt is not a program here" >&2
        exit 2
    fi
done
for program in xvfb-run ctest; do
    command -v "$program" >/dev/null || {
        echo "$program is missing" >&2
        exit 2
    }
done

export WINEDEBUG=-all LC_ALL=C LANG=C
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/velumo-wine.XXXXXX")
export WINEPREFIX
trap 'rm -rf "$WINEPREFIX"' EXIT

started=$(date +%s)
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside-xvfb "$BUILD" </dev/null || rc=$?
echo "Wine suite: $(($(date +%s) - started)) s in all, prefix creation included"
exit $rc
