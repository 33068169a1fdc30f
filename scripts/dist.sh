#!/usr/bin/env bash
# Makes dist/Velumo-<version>.zip: the folder Velumo/ that a FAR user copies into FAR's Plugins
# folder. It holds the shipped 32-bit Velumo.dll (preset mingw, whatever build Wine runs on
# this machine), the language and help files and a readme, and is checked after zipping.
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
dll=$root/build/mingw/Velumo/Velumo.dll
if [ ! -f "$dll" ]; then
  echo "dist.sh: $dll is missing; build it with: cmake --preset mingw && cmake --build --preset mingw" >&2
  exit 1
fi
# The PE header's machine field: 0x14c is i386. FAR 1.x loads 32-bit plug-ins only.
pe_offset=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$dll" | tr -d ' ')
if [ "$machine" != 014c ]; then
  echo "dist.sh: $dll is not a 32-bit (i386) DLL (machine $machine)" >&2
  exit 1
fi

stage=$(mktemp -d /tmp/velumo-dist.XXXXXX)
trap 'rm -rf "$stage"' EXIT
folder=$stage/Velumo
mkdir "$folder"
cp "$dll" "$folder/Velumo.dll"
for file in VelumoEng.lng VelumoRus.lng VelumoEng.hlf VelumoRus.hlf; do
  cp "lang/$file" "$folder/$file"
done

# The readme: plain ASCII with CRLF line ends, as Notepad shows it.
sed 's/$/\r/' >"$folder/readme.txt" <<EOF
Velumo $version - window list plug-in for FAR Manager 1.x
==========================================================

Velumo shows the top-level windows of the desktop as a FAR panel: one
item per window, with its title, a four-character status and its handle
in hexadecimal. From the panel you hide and show windows and bring a
window to the front. Velumo.dll is a 32-bit plug-in for FAR Manager 1.x.

Installing
----------
Copy this folder, Velumo, into the Plugins folder of FAR (for example
C:\\Program Files\\Far\\Plugins\\Velumo) and restart FAR.

Opening the panel
-----------------
F11 (plug-ins menu) > "Velumo window list", or the disks menu (Alt+F1 or
Alt+F2) > "Windows", hot key 9.

Keys on the panel
-----------------
F8           toggle the selected windows: a visible window is hidden,
             a hidden one is shown again
F3, Alt+F3   bring the window under the cursor to the front (a hidden
             window is shown)
Enter on ..  close the panel; any other directory change closes it too
When the panel closes, every window Velumo hid is shown again (see the
setting "Show all hidden windows again on panel exit").

Status column: H the window is not visible, O it has an owner window,
D Velumo hid it. Velumo remembers up to twenty windows it hid, for as
long as FAR runs, and always lists them.

Command line
------------
hide:<text>  toggles every listed window whose title contains <text>
             (case-sensitive) and opens the panel.
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
(usually HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Velumo), named
AddToDisksMenu, DisksMenuDigit, ShowDesktopIcon, ShowOwnerWindow,
ShowInvisibleWindow and ShowAllWindowAtExit.

Files
-----
Velumo.dll                      the plug-in
VelumoEng.lng, VelumoRus.lng    English and Russian messages
VelumoEng.hlf, VelumoRus.hlf    English and Russian help (F1)
EOF
if LC_ALL=C grep -q '[^[:print:][:space:]]' "$folder/readme.txt"; then
  echo "dist.sh: readme.txt is not plain ASCII" >&2
  exit 1
fi

mkdir -p dist
zip_file=$root/dist/Velumo-$version.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" Velumo)

# The zip as a user unpacks it: one folder, every file present with its size, nothing else.
expected=(Velumo/Velumo.dll Velumo/VelumoEng.lng Velumo/VelumoRus.lng Velumo/VelumoEng.hlf
  Velumo/VelumoRus.hlf Velumo/readme.txt)
listing=$(unzip -l "$zip_file")
status=0
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
if [ "$status" != 0 ]; then
  exit "$status"
fi
echo "$listing"
echo "dist: ${zip_file#"$root"/} ($(stat -c %s "$zip_file") bytes), Velumo.dll for 32-bit FAR 1.x"
