#!/usr/bin/env bash
# Runs Velumo's Windows programs under Wine: the one place that sets Wine up, for the Wine suite,
# the demo and the Wine benchmark.
#
#   scripts/wine_run.sh PROGRAM.exe [ARGUMENTS...]
#       runs the program and exits with its status; in a session of its own, or in the session
#       it is started from (the Wine suite's CROSSCOMPILING_EMULATOR)
#   scripts/wine_run.sh --session COMMAND [ARGUMENTS...]
#       runs COMMAND (ctest, say) in one session; the programs it starts through wine_run.sh
#       share the session's prefix and wineserver
#   scripts/wine_run.sh --loader FILE
#       prints the Wine loader for the PE file FILE, a program or a DLL
#
# The loader comes from the program's PE header (machine 0x14c: 32-bit wine, 0x8664: wine64),
# the loaders and the wineserver from /usr/lib/wine: Debian's wrapper scripts put their own
# options ahead of ours (its "wineserver" starts with -p0).
#
# A session: a Wine prefix of its own, made for the run and removed afterwards; an X display of
# its own (xvfb-run, so that it needs no display and no standard input, CI as root included);
# one persistent wineserver (-p) for the many short processes, stopped (-k, then waited for)
# before Xvfb goes away, so that no Wine process is left waiting on a display that is gone. The
# prefix is made without Mono and Gecko (neither wanted nor downloadable here), by wine64 where
# it is installed (a 64-bit prefix with its 32-bit side, as 32-bit Wine makes it too), with
#   Managed=N           under HKCU\Software\Wine\X11 Driver: Wine does not hand the windows to
#                       a window manager (Xvfb has none), or every hide waits about 2 s for one;
#   ShowCrashDialog=0   under HKCU\Software\Wine\WineDbg: a program that crashes ends at once,
#                       with winedbg's backtrace on standard error and a failing status, instead
#                       of waiting for ever on winedbg's crash dialog;
# and then restarted cleanly: run straight on from its creation, Wine was seen to keep a second
# services.exe whose RpcSs never came up, and every new desktop then waited 3 to 10 s for it.
#
# The environment the programs rely on:
#   WINEDEBUG=-all      Wine's own diagnostics stay out of the output.
#   LC_ALL=C, LANG=C    Wine takes the ANSI and OEM code pages from the locale's name and maps C
#                       to US English: code pages 1252 and 437, which the title conversion tests
#                       and the English language file expect (ru_RU would give 1251/866).
set -euo pipefail

WINE_DIR=/usr/lib/wine
SELF=$(readlink -f "$0")

usage() {
    sed -n '4,12p' "$SELF" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# loader FILE: the PE header's offset is at byte 60, its machine field 4 bytes into it.
loader() {
    local offset machine=
    if offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') && [ -n "$offset" ]; then
        machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') || true
    fi
    case "$machine" in
        014c) echo "$WINE_DIR/wine" ;;
        8664) echo "$WINE_DIR/wine64" ;;
        *)
            echo "wine_run.sh: $1 is not an x86 or x64 Windows file" >&2
            return 1
            ;;
    esac
}

stop_wineserver() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
}

prepare_prefix() {
    local wine=$WINE_DIR/wine64
    [ -x "$wine" ] || wine=$WINE_DIR/wine
    "$WINESERVER" -p
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i </dev/null >/dev/null 2>&1
    # One regedit for both values: its REGEDIT4 text, with Windows line ends.
    printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' \
        >"$WINEPREFIX/drive_c/session.reg"
    "$wine" regedit /S 'C:\session.reg' </dev/null >/dev/null 2>&1
    stop_wineserver
    if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" ||
        ! grep -q '^"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
        echo "wine_run.sh: cannot set Managed=N and ShowCrashDialog=0 in $WINEPREFIX" >&2
        return 1
    fi
    "$WINESERVER" -p
    "$wine" wineboot </dev/null >/dev/null 2>&1
}

# run_in_session LOADER PROGRAM [ARGUMENTS...]: one program in the session, with its status.
# Wine was seen, about once in several hundred starts, to end a program at once with a failing
# status before the program printed a line (every Velumo test program prints from its first
# moments, unbuffered). When the output is being collected (by ctest, say), such a start is
# reported on standard error and made once more, with Wine's error messages on this time; a
# program that printed anything is never started again. On a terminal the program runs as it is.
run_in_session() {
    [ ! -t 1 ] || exec "$@"
    local output rc=0 started=$SECONDS
    output=$(mktemp "$WINEPREFIX/output.XXXXXX")
    "$@" | tee "$output" || rc=${PIPESTATUS[0]}
    if [ "$rc" -ne 0 ] && [ ! -s "$output" ]; then
        echo "wine_run.sh: ${2##*/} ended with status $rc after $((SECONDS - started)) s" \
            "without printing anything; starting it once more" >&2
        rc=0
        WINEDEBUG=fixme-all "$@" || rc=$?
    fi
    rm -f "$output"
    exit "$rc"
}

case "${1:-}" in
    --loader)
        [ $# -eq 2 ] || usage
        loader "$2"
        exit
        ;;
    --inside-xvfb)
        shift
        trap stop_wineserver EXIT
        prepare_prefix || exit 1
        rc=0
        "$@" || rc=$?
        exit $rc
        ;;
    --session)
        shift
        [ $# -ge 1 ] || usage
        ;;
    '' | -*) usage ;;
    *)
        wine=$(loader "$1")
        [ -z "${VELUMO_WINE_SESSION:-}" ] || run_in_session "$wine" "$@"
        set -- "$SELF" "$@"
        ;;
esac

# A new session for the command "$@".
WINESERVER=$WINE_DIR/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$WINE_DIR/wineserver32
for program in xvfb-run "$WINESERVER"; do
    command -v "$program" >/dev/null || {
        echo "wine_run.sh: $program is missing" >&2
        exit 2
    }
done
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/velumo-wine.XXXXXX")
VELUMO_WINE_SESSION=$WINEPREFIX
export WINEPREFIX WINESERVER VELUMO_WINE_SESSION WINEDEBUG=-all LC_ALL=C LANG=C
trap 'rm -rf "$WINEPREFIX"' EXIT
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$SELF" --inside-xvfb "$@" || rc=$?
exit $rc
