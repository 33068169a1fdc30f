#!/usr/bin/env bash
# Runs the Velumo demo (demo/velumo_demo.exe with the real Velumo.dll) under Wine, in a session
# of scripts/wine_run.sh: an X server and a Wine prefix of its own, removed afterwards.
#
#   VELUMO_WINE_BUILD=<build dir of a Windows preset> bash demo/run_demo.sh [--interactive]
#
# With --interactive the demo reads commands from standard input (help lists them). The exit
# code is the demo's: 0 when every window Velumo hid is visible again at the end.
set -euo pipefail

build=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
dll=$build/Velumo/Velumo.dll
for file in "$build/demo/velumo_demo.exe" "$dll" "$build/Velumo/VelumoEng.lng"; do
  if [ ! -f "$file" ]; then
    echo "run_demo.sh: $file is missing; build the preset first" >&2
    exit 1
  fi
done

# Wine's path for the DLL: its drive Z: is the Unix root. The demo's output goes through a
# pipe: Wine then passes its UTF-8 bytes on untouched instead of redrawing them through its own
# console.
bash "$(dirname "$0")/../scripts/wine_run.sh" "$build/demo/velumo_demo.exe" \
  --dll "Z:${dll//\//\\}" "$@" | cat
