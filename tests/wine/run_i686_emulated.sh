#!/usr/bin/env bash
# Runs the Wine suite against the i686 Velumo.dll files (the FAR 1.x and the FAR 3 plug-in) on a
# machine whose kernel cannot run 32-bit processes: the 32-bit Wine loader and the test programs
# run under qemu-i386 user emulation, registered for i386 programs through binfmt_misc for this
# run only, while the wineserver and the prefix's services stay native 64-bit Wine
# (scripts/wine_run.sh makes the prefix with wine64). A 32-bit process then takes about a minute
# to start, so each test program runs all its cases in one process rather than one per case.
#
#   run_i686_emulated.sh <build dir of the mingw preset>
#
# Ends with "wine-x86: N passed, N failed", the counts of both programs together.
set -uo pipefail

finish() {
    echo "wine-x86: $1 passed, $2 failed"
    exit "$3"
}

[ $# -eq 1 ] && [ -d "$1" ] || {
    echo "usage: $0 <build dir of the mingw preset>" >&2
    exit 2
}
BUILD=$(cd "$1" && pwd)
RUNNER=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine_run.sh
PROGRAMS="velumo_wine_tests velumo_wine_far3_tests velumo_wine_kill_tests"
cd "$BUILD/tests/wine" || finish 0 1 1

# i386 programs go to qemu-i386; the F flag opens the interpreter now, so the registration works
# whatever the programs' mount namespace.
BINFMT=/proc/sys/fs/binfmt_misc
QEMU=/usr/bin/qemu-i386-static
if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || {
        echo "cannot mount binfmt_misc (root is needed) to run 32-bit programs" >&2
        finish 0 1 1
    }
fi
if [ ! -e "$BINFMT/qemu-i386" ]; then
    [ -x "$QEMU" ] || {
        echo "$QEMU is missing (package qemu-user-static)" >&2
        finish 0 1 1
    }
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":qemu-i386:M::$magic:$mask:$QEMU:F" >"$BINFMT/register" || {
        echo "cannot register qemu-i386 with binfmt_misc" >&2
        finish 0 1 1
    }
    # Only for this run: elsewhere 64-bit Wine would start 32-bit helpers through qemu too.
    trap 'echo -1 >"$BINFMT/qemu-i386"' EXIT
fi
# Wine's 32-bit loader maps fixed addresses up to 0x7ffe0000; qemu must hold the whole 32-bit
# space for it.
export QEMU_RESERVED_VA=0xf7000000

# Each program in one process, with its own results file; a program that writes none (it is
# missing or crashed, say) counts as one failure.
passed=0
failures=0
status=0
for program in $PROGRAMS; do
    started=$(date +%s)
    results=$program-i686.xml
    rm -f "$results"
    bash "$RUNNER" "$program.exe" --gtest_output=xml:"$results" </dev/null
    rc=$?
    echo "$program, i686: $(($(date +%s) - started)) s in all, prefix creation included"
    total=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' "$results" 2>/dev/null | head -1)
    failed=$(sed -n 's/.*<testsuites tests="[0-9]*" failures="\([0-9]*\)".*/\1/p' "$results" \
        2>/dev/null | head -1)
    if [ -z "$total" ] || [ -z "$failed" ] || [ "$total" -eq 0 ]; then
        echo "$program wrote no results (exit code $rc)" >&2
        failures=$((failures + 1))
        status=1
        continue
    fi
    passed=$((passed + total - failed))
    failures=$((failures + failed))
    [ "$rc" -eq 0 ] && [ "$failed" -eq 0 ] || status=1
done
finish "$passed" "$failures" "$status"
