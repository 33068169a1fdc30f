#!/usr/bin/env bash
# Makes the four packages a FAR user chooses between, each the folder Velumo/ that is copied
# into FAR's Plugins folder, with Velumo.dll, the language and help files and a readme. The name
# says which FAR and which bitness each serves:
#   dist/Velumo-<version>-FAR3-x64.zip  the native FAR 3 plug-in, 64-bit (preset mingw64)
#   dist/Velumo-<version>-FAR3-x86.zip  the native FAR 3 plug-in, 32-bit (preset mingw)
#   dist/Velumo-<version>-FAR1-x86.zip  the FAR 1.x plug-in, 32-bit: FAR Manager 1.7x
#   dist/Velumo-<version>-FAR1-x64.zip  the FAR 1.x plug-in, 64-bit: 64-bit FAR 3's support for
#                                       old plug-ins only
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

# What both plug-ins do, for the readme; $1 says which windows the plug-in remembers.
readme_usage() {
  cat <<TEXT
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
D Velumo hid it. $1

Command line
------------
hide:<text>  toggles every listed window whose title contains <text>
             (case-sensitive, letters outside ASCII too) and opens the
             panel, typed in a file panel or in the Velumo panel itself.
             Example: hide:Notepad
TEXT
}

# Which package serves which FAR, for the readme.
readme_packages() {
  cat <<TEXT
Which package for which FAR (Help > About FAR tells which FAR you run;
FAR 3 loads only a plug-in of its own bitness):
  FAR 3, 64-bit               Velumo-$version-FAR3-x64.zip (native)
  FAR 3, 32-bit               Velumo-$version-FAR3-x86.zip (native)
  FAR Manager 1.7x            Velumo-$version-FAR1-x86.zip
Install only one kind of Velumo into a FAR: remove another Velumo
folder from FAR's Plugins folder before copying this one.
TEXT
}

# The readme of a FAR 1.x package: plain ASCII.
readme_far1() {
  local build=$1 bits=$2 hosts=$3
  cat <<TEXT
Velumo $version for FAR 1.x ($build) - window list plug-in for FAR Manager
======================================================================

Velumo shows the top-level windows of the desktop as a FAR panel: one
item per window, with its title, a four-character status and its handle
in hexadecimal. From the panel you hide and show windows and bring a
window to the front.

This package holds the $bits-bit FAR 1.x Velumo.dll, for $hosts.
$(readme_packages)
FAR 3 can also load this FAR 1.x plug-in through its support for old
plug-ins (Options > Plugins manager settings), but titles then pass
through the OEM code page: FAR 3 users take the native package.

Installing
----------
Copy this folder, Velumo, into the Plugins folder of FAR (for example
C:\\Program Files\\Far\\Plugins\\Velumo) and restart FAR.

Opening the panel
-----------------
F11 (plug-ins menu) > "Velumo window list", or the disks menu (Alt+F1 or
Alt+F2) > "Windows" (hot key 9 in FAR 1.x; FAR 3 picks the hot key).

$(readme_usage "Velumo remembers up to twenty windows it hid, for as
long as FAR runs, and always lists them.")

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
TEXT
}

# The readme of a native FAR 3 package: plain ASCII.
readme_far3() {
  local build=$1 bits=$2 hosts=$3
  cat <<TEXT
Velumo $version for FAR 3 ($build) - window list plug-in for FAR Manager
====================================================================

Velumo shows the top-level windows of the desktop as a FAR panel: one
item per window, with its title exactly as Windows has it (any
language), the program that owns it, a four-character status and its
handle in hexadecimal. From the panel you hide and show windows and
bring a window to the front.

This package holds the native FAR 3 Velumo.dll, for $hosts
(FAR 3.0 build 5242 or later).
$(readme_packages)

Installing
----------
Copy this folder, Velumo, into the Plugins folder of FAR (for example
C:\\Program Files\\Far Manager\\Plugins\\Velumo) and restart FAR.

Opening the panel
-----------------
F11 (plug-ins menu) > "Velumo window list", or the disks menu (Alt+F1 or
Alt+F2) > "Windows". Hot keys for both are yours to assign in FAR.

Columns: Title, Program (the file name of the program that owns the
window; <pid N> when Windows does not let Velumo ask its process) and
Stat. The full-screen view (Ctrl+5) adds the process id (PID) and the
handle. Each item's description is the program's full path: sort by
descriptions (Ctrl+F12) to bring the windows of one program together.

$(readme_usage "Velumo remembers every window it hid and always lists
them.")

Settings
--------
F9 > Options > Plugins configuration > "Velumo window list":
  Add to disks menu                              default on
  Show the desktop window (Program Manager)      default on
  Show windows that have an owner                default off
  Show invisible windows                         default off
  Show all hidden windows again on panel exit    default on

FAR 3 keeps them in its own settings store (in FAR's profile, exported
and imported with FAR's settings), not in the registry. The first time,
Velumo takes over the values the FAR 1.x Velumo kept under
  HKEY_CURRENT_USER\\Software\\Far Manager\\Plugins\\Velumo
when that key exists; it never writes the registry.

Files
-----
Velumo.dll                      the plug-in ($bits-bit, $build)
VelumoEng.lng, VelumoRus.lng    English and Russian messages (UTF-8)
VelumoEng.hlf, VelumoRus.hlf    English and Russian help (F1)
TEXT
}

# package <preset> <x86|x64> <PE machine> <bits> <FAR1|FAR3> <which FAR>
package() {
  local preset=$1 build=$2 machine_expected=$3 bits=$4 interface=$5 hosts=$6
  local dll=$root/build/$preset/Velumo/Velumo.dll
  [ "$interface" = FAR3 ] && dll=$root/build/$preset/far3/Velumo/Velumo.dll
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

  # The language and help files as the build wrote them beside the DLL (FAR 1.x: OEM code
  # pages; FAR 3: UTF-8 with a byte-order mark).
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
  if [ "$interface" = FAR3 ]; then
    readme_far3 "$build" "$bits" "$hosts"
  else
    readme_far1 "$build" "$bits" "$hosts"
  fi | sed 's/$/\r/' >"$folder/readme.txt"
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$folder/readme.txt"; then
    echo "dist.sh: readme.txt is not plain ASCII" >&2
    return 1
  fi

  mkdir -p dist
  local zip_file=$root/dist/Velumo-$version-$interface-$build.zip
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

package mingw64 x64 8664 64 FAR3 "64-bit FAR 3"
package mingw x86 014c 32 FAR3 "32-bit FAR 3"
package mingw x86 014c 32 FAR1 "FAR Manager 1.7x"
package mingw64 x64 8664 64 FAR1 "64-bit FAR 3 through its support for old plug-ins"
