#!/usr/bin/env bash
# Runs the Wine suite against the i686 Velumo.dll (the one that ships) on a machine whose kernel
# cannot run 32-bit processes: the 32-bit Wine loader and the test program run under qemu-i386
# user emulation, registered for i386 programs through binfmt_misc for this run only, while the
# wineserver and the prefix's services stay native 64-bit Wine (scripts/wine_run.sh makes the
# prefix with wine64). A 32-bit process then takes about a minute to start, so the whole suite
# runs in one process rather than one process per case.
#
#   run_i686_emulated.sh <build dir of the mingw preset>
#
# Ends with "wine-x86: N passed, N failed".
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
cd "$BUILD/tests/wine" && [ -f velumo_wine_tests.exe ] || {
    echo "$BUILD/tests/wine/velumo_wine_tests.exe is missing" >&2
    finish 0 1 1
}

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

started=$(date +%s)
rm -f wine-i686.xml
bash "$RUNNER" velumo_wine_tests.exe --gtest_output=xml:wine-i686.xml </dev/null
rc=$?
echo "Wine suite, i686: $(($(date +%s) - started)) s in all, prefix creation included"
if [ ! -f wine-i686.xml ]; then
    echo "the i686 suite wrote no results (exit code $rc)" >&2
    finish 0 1 1
fi
total=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' wine-i686.xml | head -1)
failed=$(sed -n 's/.*<testsuites tests="[0-9]*" failures="\([0-9]*\)".*/\1/p' wine-i686.xml | head -1)
[ -n "$total" ] && [ -n "$failed" ] || finish 0 1 1
[ "$rc" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$total" -gt 0 ] || rc=1
finish $((total - failed)) "$failed" "$rc"
