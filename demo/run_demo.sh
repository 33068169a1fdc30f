#!/usr/bin/env bash
# Runs the Velumo demo (demo/velumo_demo.exe with the real Velumo.dll) under Wine, in a session
# of scripts/wine_run.sh: an X server and a Wine prefix of its own, removed afterwards.
#
#   VELUMO_WINE_BUILD=<Windows preset build dir> bash demo/run_demo.sh
#
# The native FAR 3 plug-in (far3/Velumo/Velumo.dll of the build) in the FAR 3 host stand-in. The
# exit code is the demo's: 0 when every step did what it shows and every window Velumo hid is
# visible again at the end.
set -euo pipefail

build=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
plugin_dir=$build/far3/Velumo
if [ $# -ne 0 ]; then
  echo "usage: VELUMO_WINE_BUILD=<build dir> bash demo/run_demo.sh" >&2
  exit 2
fi
dll=$plugin_dir/Velumo.dll
for file in "$build/demo/velumo_demo.exe" "$dll" "$plugin_dir/VelumoEng.lng"; do
  if [ ! -f "$file" ]; then
    echo "run_demo.sh: $file is missing; build the preset first" >&2
    exit 1
  fi
done

# Wine's path for the DLL: its drive Z: is the Unix root. The output goes through a pipe, which
# Wine passes on as UTF-8 bytes (its console would convert them to the C locale's code page).
bash "$(dirname "$0")/../scripts/wine_run.sh" "$build/demo/velumo_demo.exe" \
  --dll "Z:${dll//\//\\}" | cat
