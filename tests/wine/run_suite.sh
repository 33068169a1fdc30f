#!/usr/bin/env bash
# Runs the Wine suite of one Windows build (preset mingw or mingw64): the build's whole ctest,
# once, in one Wine session of scripts/wine_run.sh (a prefix and an X display of its own, one
# wineserver, the locale and settings the tests rely on: see there). ctest starts every case
# through wine_run.sh as well, the test program's CROSSCOMPILING_EMULATOR, which picks the Wine
# loader for the program's word size. Prints ctest's summary and exits with ctest's status.
#
#   tests/wine/run_suite.sh <build-dir> [ctest options, e.g. --output-junit FILE]
set -euo pipefail

if [ $# -lt 1 ] || [ ! -f "$1/CMakeCache.txt" ]; then
    echo "usage: $0 <configured build directory of preset mingw or mingw64>" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
shift
command -v ctest >/dev/null || {
    echo "ctest is missing" >&2
    exit 2
}

started=$(date +%s)
rc=0
bash "$(dirname "$0")/../../scripts/wine_run.sh" --session \
    ctest --test-dir "$BUILD" --output-on-failure "$@" </dev/null || rc=$?
echo "Wine suite: $(($(date +%s) - started)) s in all, prefix creation included"
exit $rc
