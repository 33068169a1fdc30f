# Sourced by the scripts that run Velumo under Wine. Call inside the X server, with WINEPREFIX
# set to a new, empty folder:
#
#   prepare_wine_prefix <64-bit or matching wine loader> <wineserver>
#
# Makes the prefix (without Mono and Gecko, which are neither wanted nor downloadable here),
# switches off the window manager handshake (without a window manager every hide would wait
# about two seconds), and restarts the prefix cleanly: run straight on from its creation, Wine
# was seen to keep a second services.exe whose RpcSs never came up, and every new desktop then
# waited 3 to 10 s for it. Leaves a persistent wineserver running; stop it with
# stop_wineserver before the X server goes away.

stop_wineserver() {
    "$VELUMO_WINESERVER" -k >/dev/null 2>&1 || true
    "$VELUMO_WINESERVER" -w >/dev/null 2>&1 || true
}

prepare_wine_prefix() {
    local wine=$1
    VELUMO_WINESERVER=$2
    "$VELUMO_WINESERVER" -p
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i </dev/null >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1
    stop_wineserver
    "$VELUMO_WINESERVER" -p
    "$wine" wineboot </dev/null >/dev/null 2>&1
    if ! "$wine" reg query 'HKCU\Software\Wine\X11 Driver' /v Managed </dev/null 2>/dev/null |
        grep -q 'Managed.*REG_SZ.*N'; then
        echo "cannot set Managed=N in the Wine prefix" >&2
        return 1
    fi
}
