#!/usr/bin/env bash
# Runs the Velumo demo (demo/velumo_demo.exe with the real Velumo.dll) under Wine in a virtual
# X server, in a Wine prefix of its own that is removed afterwards.
#
#   VELUMO_WINE_BUILD=<build dir of a Windows preset> bash demo/run_demo.sh [--interactive]
#
# With --interactive the demo reads commands from standard input (help lists them). The exit
# code is the demo's: 0 when every window Velumo hid is visible again at the end.
set -euo pipefail

build=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
exe=$build/demo/velumo_demo.exe
dll=$build/Velumo/Velumo.dll
for file in "$exe" "$dll" "$build/Velumo/VelumoEng.lng"; do
  if [ ! -f "$file" ]; then
    echo "run_demo.sh: $file is missing; build the preset first" >&2
    exit 1
  fi
done

# The loader that runs the program: the PE header's machine field says whether it is an x86_64
# (0x8664) or an i686 (0x14c) program.
pe_offset=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$exe" | tr -d ' ')
case "$machine" in
  8664) loader=/usr/lib/wine/wine64; [ -x "$loader" ] || loader=wine ;;
  014c) loader=wine ;;
  *) echo "run_demo.sh: $exe is not a Windows x86 program (machine $machine)" >&2; exit 1 ;;
esac

# The wineserver itself, not Debian's wrapper script, which overrides the persistence option.
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=wineserver

prefix=$(mktemp -d /tmp/velumo-demo-wine.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
# Wine takes the ANSI and OEM code pages from the locale; C maps to US English, 1252 and 437,
# the pages the English language file and the demo's titles are written for.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C LANG=C

# Wine's path for the DLL: its drive Z: is the Unix root.
dll_wine="Z:${dll//\//\\}"

# Inside the X server: make the prefix (scripts/wine_prefix.sh), run the demo, and stop the
# prefix's wineserver before the X server goes away. The demo's output goes through a pipe:
# Wine then passes its UTF-8 bytes on untouched instead of redrawing them through its own
# console.
inner='
  . "$PREFIX_SCRIPT"
  prepare_wine_prefix "$LOADER" "$SERVER" || exit 1
  set +e
  "$LOADER" "$EXE" --dll "$DLL" "$@" | cat
  rc=${PIPESTATUS[0]}
  stop_wineserver
  exit "$rc"
'
SERVER=$server PREFIX_SCRIPT="$(cd "$(dirname "$0")/.." && pwd)/scripts/wine_prefix.sh" \
  LOADER=$loader EXE=$exe DLL=$dll_wine xvfb-run -a bash -c "$inner" run_demo "$@"
