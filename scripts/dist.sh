#!/usr/bin/env bash
# Makes the two packages a FAR user chooses between, each the folder Velumo/ that is copied
# into FAR's Plugins folder, with Velumo.dll, the language and help files and a readme:
#   dist/Velumo-<version>-x86.zip  the 32-bit DLL (preset mingw): FAR 1.7x and 32-bit FAR 3
#   dist/Velumo-<version>-x64.zip  the 64-bit DLL (preset mingw64): 64-bit FAR 3
# Each zip is checked after zipping.
#
#   bash scripts/dist.sh          (./build.sh dist builds the presets first)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

version=$(sed -n 's/^project(Velumo VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
  echo "dist.sh: no project(Velumo VERSION ...) in CMakeLists.txt" >&2
  exit 1
fi

# package <preset> <x86|x64> <PE machine> <bits> <which FAR>
package() {
  local preset=$1 build=$2 machine_expected=$3 bits=$4 hosts=$5
  local dll=$root/build/$preset/Velumo/Velumo.dll
  if [ ! -f "$dll" ]; then
    echo "dist.sh: $dll is missing; build it with: cmake --preset $preset && cmake --build --preset $preset" >&2
    return 1
  fi
  # The PE header's machine field: 0x14c is i386, 0x8664 x86-64. A host loads only its own kind.
  local pe_offset machine
  pe_offset=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$dll" | tr -d ' ')
  if [ "$machine" != "$machine_expected" ]; then
    echo "dist.sh: $dll is not a $bits-bit DLL (machine $machine, expected $machine_expected)" >&2
    return 1
  fi

  # The language and help files as the build wrote them beside the DLL (FAR 1.x's code pages).
  local built file
  built=$(dirname "$dll")
  for file in VelumoEng.lng VelumoRus.lng VelumoEng.hlf VelumoRus.hlf; do
    if [ ! -f "$built/$file" ]; then
      echo "dist.sh: $built/$file is missing; the build writes it beside Velumo.dll" >&2
      return 1
    fi
  done

  local stage folder
  stage=$(mktemp -d /tmp/velumo-dist.XXXXXX)
  folder=$stage/Velumo
  mkdir "$folder"
  cp "$dll" "$folder/Velumo.dll"
  for file in VelumoEng.lng VelumoRus.lng VelumoEng.hlf VelumoRus.hlf; do
    cp "$built/$file" "$folder/$file"
  done

  # The readme: plain ASCII with CRLF line ends, as Notepad shows it.
  sed 's/$/\r/' >"$folder/readme.txt" <<EOF
Velumo $version ($build) - window list plug-in for FAR Manager
========================================================

Velumo shows the top-level windows of the desktop as a FAR panel: one
item per window, with its title, a four-character status and its handle
in hexadecimal. From the panel you hide and show windows and bring a
window to the front.

This package holds the $bits-bit Velumo.dll, for $hosts.
Velumo comes in two packages:
  Velumo-$version-x86.zip   FAR Manager 1.7x, and 32-bit FAR 3
  Velumo-$version-x64.zip   64-bit FAR 3
FAR 3 loads Velumo through its support for old (FAR 1.x) plug-ins,
which is on by default (Options > Plugins manager settings).

Installing
----------
Copy this folder, Velumo, into the Plugins folder of FAR (for example
C:\\Program Files\\Far\\Plugins\\Velumo) and restart FAR.

Opening the panel
-----------------
F11 (plug-ins menu) > "Velumo window list", or the disks menu (Alt+F1 or
Alt+F2) > "Windows" (hot key 9 in FAR 1.x; FAR 3 picks the hot key).

Keys on the panel
-----------------
F8           toggle the selected windows: a visible window is hidden,
             a hidden one is shown again
F3, Alt+F3   bring the window under the cursor to the front (a hidden
             window is shown)
Enter on ..  close the panel; FAR shows the folder you opened it from
             (any other directory change closes the panel too)
When the last open Velumo panel closes, every window Velumo hid is shown
again (see the setting "Show all hidden windows again on panel exit").

Status column: H the window is not visible, O it has an owner window,
D Velumo hid it. Velumo remembers up to twenty windows it hid, for as
long as FAR runs, and always lists them.

Command line
------------
hide:<text>  toggles every listed window whose title contains <text>
             (case-sensitive, letters outside ASCII too) and opens the
             panel, typed in a file panel or in the Velumo panel itself.
             Example: hide:Notepad

Settings
--------
F9 > Options > Plugins configuration > "Velumo window list":
  Add to disks menu                              default on
  Disks menu hot key (1-9, empty for none)       default 9
  Show the desktop window (Program Manager)      default on
  Show windows that have an owner                default off
  Show invisible windows                         default off
  Show all hidden windows again on panel exit    default on

They are stored as REG_DWORD values under the key
  HKEY_CURRENT_USER\\<FAR's plug-ins key>\\Velumo
(FAR 1.x: HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Velumo;
FAR 3: HKEY_CURRENT_USER\\Software\\Far Manager\\Plugins\\Velumo), named
AddToDisksMenu, DisksMenuDigit, ShowDesktopIcon, ShowOwnerWindow,
ShowInvisibleWindow and ShowAllWindowAtExit.

Files
-----
Velumo.dll                      the plug-in ($bits-bit, $build)
VelumoEng.lng, VelumoRus.lng    English and Russian messages
VelumoEng.hlf, VelumoRus.hlf    English and Russian help (F1)
EOF
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$folder/readme.txt"; then
    echo "dist.sh: readme.txt is not plain ASCII" >&2
    return 1
  fi

  mkdir -p dist
  local zip_file=$root/dist/Velumo-$version-$build.zip
  rm -f "$zip_file"
  (cd "$stage" && zip -q -X -r "$zip_file" Velumo)

  # The zip as a user unpacks it: one folder, every file present with its size, nothing else.
  local expected=(Velumo/Velumo.dll Velumo/VelumoEng.lng Velumo/VelumoRus.lng Velumo/VelumoEng.hlf
    Velumo/VelumoRus.hlf Velumo/readme.txt)
  local listing status=0 name size files
  listing=$(unzip -l "$zip_file")
  for name in "${expected[@]}"; do
    size=$(stat -c %s "$stage/$name")
    if ! awk -v n="$name" -v s="$size" '$4 == n && $1 == s { found = 1 } END { exit !found }' \
      <<<"$listing"; then
      echo "dist.sh: $name (size $size) is missing from $zip_file" >&2
      status=1
    fi
  done
  files=$(awk '$4 ~ /^Velumo\/./ && $4 !~ /\/$/ { n++ } END { print n + 0 }' <<<"$listing")
  if [ "$files" != "${#expected[@]}" ]; then
    echo "dist.sh: $zip_file holds $files files, expected ${#expected[@]}" >&2
    status=1
  fi
  if ! unzip -tq "$zip_file" >/dev/null; then
    echo "dist.sh: $zip_file does not test clean" >&2
    status=1
  fi
  rm -rf "$stage"
  if [ "$status" != 0 ]; then
    return "$status"
  fi
  echo "$listing"
  echo "dist: ${zip_file#"$root"/} ($(stat -c %s "$zip_file") bytes), Velumo.dll for $hosts"
}

package mingw x86 014c 32 "FAR Manager 1.7x and 32-bit FAR 3"
package mingw64 x64 8664 64 "64-bit FAR 3"
