#!/usr/bin/env bash
# Runs the Velumo demo (demo/velumo_demo.exe with the real Velumo.dll) under Wine, in a session
# of scripts/wine_run.sh: an X server and a Wine prefix of its own, removed afterwards.
#
#   VELUMO_WINE_BUILD=<Windows preset build dir> bash demo/run_demo.sh [--far1] [--interactive]
#
# By default the native FAR 3 plug-in (far3/Velumo/Velumo.dll of the build) in the FAR 3 host
# stand-in; with --far1 the FAR 1.x plug-in (Velumo/Velumo.dll) in the FAR 1.x stand-in. With
# --interactive the demo reads commands from standard input (help lists them). The exit code is
# the demo's: 0 when every window Velumo hid is visible again at the end.
set -euo pipefail

build=${VELUMO_WINE_BUILD:?set VELUMO_WINE_BUILD to the build directory of a Windows preset}
plugin_dir=$build/far3/Velumo
interactive=0
for arg in "$@"; do
  case "$arg" in
    --far1) plugin_dir=$build/Velumo ;;
    --interactive) interactive=1 ;;
    *)
      echo "usage: VELUMO_WINE_BUILD=<build dir> bash demo/run_demo.sh [--far1] [--interactive]" >&2
      exit 2
      ;;
  esac
done
dll=$plugin_dir/Velumo.dll
for file in "$build/demo/velumo_demo.exe" "$dll" "$plugin_dir/VelumoEng.lng"; do
  if [ ! -f "$file" ]; then
    echo "run_demo.sh: $file is missing; build the preset first" >&2
    exit 1
  fi
done

# Wine's path for the DLL: its drive Z: is the Unix root. Output and typed commands go through
# pipes, which Wine passes on as UTF-8 bytes (its console and a terminal read in the C locale's
# code page would not); the terminal still echoes and edits the line.
run() {
  bash "$(dirname "$0")/../scripts/wine_run.sh" "$build/demo/velumo_demo.exe" \
    --dll "Z:${dll//\//\\}" "$@" | cat
}
if [ "$interactive" = 1 ] && [ -t 0 ]; then
  exec 3< <(exec cat)
  reader=$!
  rc=0
  run "$@" <&3 || rc=$?
  exec 3<&-
  kill "$reader" 2>/dev/null || true
  exit $rc
fi
run "$@"
