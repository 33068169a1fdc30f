#!/usr/bin/env bash
# Writes the seed corpora of both fuzz targets, one file per scenario: velumo_fuzz's into
# fuzz/corpus/ (or the first folder given), in the input format described at the top of
# fuzz/velumo_fuzz.cpp, and velumo_far3_fuzz's into fuzz/corpus_far3/ (or the second folder
# given), in the format of fuzz/velumo_far3_fuzz.cpp. The files are committed; run this again
# only after changing a format or the scenarios.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")"
OUT=${1:-corpus}
OUT3=${2:-corpus_far3}
mkdir -p "$OUT" "$OUT3"

# ---- encoding ------------------------------------------------------------------------------
b() { printf "\\x$(printf %02x $(($1 & 255)))"; }   # byte
w() { b "$1"; b $(($1 >> 8)); }                     # 16-bit little-endian
d() { w $(($1 & 65535)); w $((($1 >> 16) & 65535)); } # 32-bit little-endian
t() { w ${#1}; printf '%s' "$1"; }                  # text: length, then the bytes
tb() { w $#; local x; for x in "$@"; do b "$x"; done; } # text given as byte values
repeat() { printf "%${2}s" '' | tr ' ' "$1"; }      # a character repeated n times
# FAR 3 texts: a length in UTF-16 code units, then the units (little-endian)
u() {
    local units
    units=$(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tu2)
    w "$(wc -w <<<"$units")"
    local x
    for x in $units; do w "$x"; done
}
units() { w $#; local x; for x in "$@"; do w "$x"; done; } # a FAR 3 text given as code units

# Start of an input: startup flags, root key, no registry values, no message overrides.
start() { b "${2:-0}"; t "$1"; b 0; b 0; }
ROOT='Software\Far\Plugins'

# ---- desktop events: their first opcode in $EVENTS, titles written by $TITLE ----------------
NONE=254 # window or panel selector: none (0 / null)
window() { b $EVENTS; $TITLE "$1"; b "${2:-1}"; b $NONE; b $NONE; d "${3:-0}"; } # visible, style
owned_window() { b $EVENTS; $TITLE "$1"; b 1; b "$2"; b $NONE; d 0; }        # owner = window #n
hide_by_others() { b $((EVENTS + 3)); b "$1"; b 0; }
hook() { b $((EVENTS + 5)); b "$#"; local a; for a in "$@"; do eval "$a"; done; } # actions as code
action() { b "$1"; b "$2"; b "$3"; $TITLE "${4:-}"; }                   # at, kind, target, title
# Entries of the record of hidden windows, given as code: seeded before the start (startup flag
# 64) by record_entries, or by the desktop event record_event.
record_entries() { b $#; local a; for a in "$@"; do eval "$a"; done; }
record_event() { b $((EVENTS + 6)); record_entries "$@"; }
# A well-formed entry for a new window: flags (2 visible, 4 of a running process, 8 hider alive,
# 16 hider's object kept, 32/64/128 wrong process id/creation time/class), bytes cut, class.
entry() { b $(($1 | 1)); b "$2"; u "$3"; }
raw_value() { b 0; t "$1"; d "$2"; tb "${@:3}"; } # name, type, data bytes

# ---- steps ---------------------------------------------------------------------------------
EVENTS=13 TITLE=t
open_menu() { b 0; b 1; b 0; t ''; }                                       # plug-ins menu
open_command() { b 0; b 4; b 0; t "$1"; }                                  # hide:<text>
close_panel() { b 1; b "${1:-0}"; }
list() { b 2; b "${1:-0}"; b 0; d 0; }
free_list() { b 3; b "${1:-0}"; }
panel_info() { b 4; b 0; b 0; }
set_directory() { b 5; b 0; b 0; t "$1"; d "${2:-0}"; }
# F8 on items 0..n-1 of the last listing
delete_listed() {
    b 6; b 0; b "$1"
    local i
    for ((i = 0; i < $1; i++)); do b 0; b "$i"; done
    b 0
}
# F3 with control state (0 or 1 = Alt) and item k of the last listing selected
activate() { b 7; b 0; b 0; b "$1"; b 1; b 0; b "$2"; }
# Configure item 0: one answer closing on $1 (0 confirm, 1 cancel, 2 Esc); checks and edits
# follow as "item value" pairs given in $2 and "item text" in $3.
configure() {
    b 8; b 0; b 1; b "$1"
    local -a checks=(${2:-}) ; b $((${#checks[@]} / 2))
    local i
    for ((i = 0; i < ${#checks[@]}; i += 2)); do b "${checks[i]}"; d "${checks[i + 1]}"; done
    if [ -n "${3:-}" ]; then b 1; b 2; t "$3"; else b 0; fi
}
plugin_info() { b 9; b 0; }
exit_far() { b 10; }
registry_failure() { b 11; b "$1"; b "$2"; }
control_result() { b 12; d "$1"; }

# ---- scenarios -----------------------------------------------------------------------------
{ start "$ROOT"; window Notepad; window Calculator; window 'Program Manager'; open_menu; list
  delete_listed 1; list; free_list 0; free_list 0; close_panel; } >"$OUT/toggle_and_restore"

{ start "$ROOT"; window 'Report one'; window 'Final Report' 0; window 'report'
  owned_window 'Report dialog' 0; open_command Report; list; free_list; close_panel
  exit_far; } >"$OUT/command_line"

{ b 0; t "$ROOT"; b 5
  b 0; b 0; d 4; tb 0 0 0 0                    # AddToDisksMenu = 0 (REG_DWORD)
  b 0; b 1; d 3; tb 5                          # DisksMenuDigit: one REG_BINARY byte
  b 0; b 2; d 3; tb                            # ShowDesktopIcon: zero bytes
  b 0; b 3; d 11; t '12345678'                 # ShowOwnerWindow: eight bytes
  b 0; b 132; d 4; tb 7 0 0 0                  # showinvisiblewindow, lower case
  b 0
  plugin_info; configure 0 '1 3 8 0' 7; plugin_info; configure 1 '1 0'; configure 2
} >"$OUT/registry_values"

{ start "$(repeat K 300)"; configure 0 '' 42; open_menu; list; close_panel; } >"$OUT/root_key_300"
# No root key: AddToDisksMenu = 0 under a bare "Velumo" key must not be read.
{ b 1; t ''; b 1; b 3; b 0; d 4; tb 0 0 0 0; b 0; configure 0; plugin_info; } >"$OUT/root_key_null"
{ start "$ROOT" 62; configure 0; registry_failure 0 0; registry_failure 1 0
  registry_failure 2 0; registry_failure 3 0; registry_failure 4 0; configure 0
} >"$OUT/registry_failing"

{ start "$ROOT"; window alpha; window beta; window gamma; window delta; window epsilon
  hook 'action 1 0 0' 'action 2 2 3' 'action 3 5 0 late'
  open_command a; list; free_list
  hook 'action 0 1 2'; close_panel; } >"$OUT/enumeration_hook"

{ start "$ROOT"; for i in $(seq 1 22); do window "Window $i"; done; open_menu; list
  delete_listed 22; list; free_list; free_list; close_panel; } >"$OUT/table_full"

{ start "$ROOT"; window Editor; window Viewer 0; open_menu; list; activate 0 0; activate 1 1
  control_result 0; activate 0 0; control_result 1; free_list; close_panel; } >"$OUT/activate"

{ start "$ROOT"; open_menu; set_directory '\'; set_directory '..'; set_directory '/' 2
  set_directory 'C:\Windows'; close_panel; close_panel 255; close_panel 254; } >"$OUT/directories"

{ b 0; t "$ROOT"; b 0; b 2; b 6; t "$(repeat T 700)"; b 3; t "$(repeat M 600)"
  window "$(repeat W 1000)"; window $'caf\xe9 \xa9 \x80\x81\x9d'; open_menu; panel_info
  list; plugin_info; configure 1; free_list; close_panel; } >"$OUT/long_texts"

{ start "$ROOT"; window Mail; window Music; configure 0 '8 0'; open_menu; list
  delete_listed 2; close_panel; open_menu; list; hide_by_others 0; free_list; close_panel
} >"$OUT/keep_hidden_at_exit"

{ start "$ROOT"; window Owner; owned_window Owned 0; window Child 1 $((0x40000000))
  window Popup 1 $((0x80000000)); configure 0 '6 1 7 1 5 0'; open_menu; list; free_list
  close_panel; } >"$OUT/filters"

RECORD_ENTRIES=("entry 0 0 Notepad" "entry 20 0 Calc" "entry 8 0 Alive" "entry 128 0 Class"
  "entry 32 0 Pid" "entry 64 0 Time" "entry 2 0 Shown" "entry 0 7 Cut")
RECORD_DAMAGED=("raw_value 000102F0 3 86 76 72 87 2 0 0 0" "raw_value '' 1 120"
  "raw_value $(repeat N 16) 3 $(printf '%s ' $(seq 1 40))" "entry 4 1 Short" "entry 0 0 Kept")
{ start "$ROOT" 64; record_entries "${RECORD_ENTRIES[@]}"; open_menu; list; free_list; close_panel
} >"$OUT/record_adopt"
{ start "$ROOT" 64; record_entries "${RECORD_DAMAGED[@]}"; record_event "entry 0 0 Late" "entry 8 0 Side"
  open_menu; list; delete_listed 1; close_panel; } >"$OUT/record_damaged"

# ---- FAR 3: velumo_far3_fuzz's steps (fuzz/velumo_far3_fuzz.cpp) ------------------------------
# Start of an input: start flags, start-up record and function table sizes; no stored values,
# no registry values, no message overrides.
start3() { b "${1:-0}"; b "${2:-0}"; b "${3:-0}"; b 0; b 0; b 0; }
EVENTS=24 TITLE=u
menu() { b 0; b 0; }
disks() { b 1; b "$1"; b 0; }               # side
command() { b 2; b 0; u "$1"; }             # hide:<text>
title_command() { b 2; b 3; b "$1"; b "$2"; b "$3"; } # hide: and window #n's title from, length
relist() { b 3; b "${1:-0}"; }
redraw() { b 4; b "${1:-0}"; }
select3() { b 5; b $#; local i; for i in "$@"; do b "$i"; done; }
cursor() { b 6; b "$1"; }
F3=0
F8=1
key() { b 7; b "$1"; b "${2:-0}"; }         # state: 0 none, 1 Alt, 2 Shift, 3 right Alt
dotdot() { b 8; }
cd3() { b 9; b 0; u "$1"; }
cd_root() { b 9; b 2; }
tab() { b 10; }
drive() { b 11; b "${1:-0}"; }
# One dialog answer: ok (Enter on the first check box: the default button), esc or cancel; the
# check boxes changed as "item state" pairs; an item to type into.
answer() {
    case $1 in
    ok) b 0; b 1 ;;
    esc) b 1 ;;
    *) b 3; d 9 ;;
    esac
    local -a checks=(${2:-})
    b $((${#checks[@]} / 2))
    local i
    for ((i = 0; i < ${#checks[@]}; i += 2)); do b "${checks[i]}"; d "${checks[i + 1]}"; done
    if [ -n "${3:-}" ]; then b 1; b "$3"; u typed; else b 0; fi
}
configure3() { b 12; b 0; b 1; answer "$@"; }
host_failures() { b 13; b "$1"; }
exit3() { b 14; }
DIRECT=15 # the first entry point called directly
# Records: "0" Velumo's size, "1" null, "2" StructSize 0, "3 n" n bytes, "4 n" n + 1 bytes more.
r() { local x; for x in $1; do b "$x"; done; }
# Panels: the n-th open panel, the shown ones first; 253 n a closed one; 254 null; 255 invalid.
open_direct() { b $DIRECT; r "$1"; b "$2"; b "${3:-0}"; b 0; }          # record, from, guid
open_unreadable() { b $DIRECT; r 0; b "$1"; b 0; b 1; }                   # from
open_command() { b $DIRECT; r 0; b 4; b 2; b 2; r "$1"; b 0; u "$2"; }  # command record, text
close_direct() { b $((DIRECT + 1)); b "$1"; r "${2:-0}"; }
list_direct() { b $((DIRECT + 2)); b "$1"; r "${2:-0}"; d 0; b "${3:-0}"; r "${4:-0}"; } # odd hand-back
panel_info_direct() { b $((DIRECT + 3)); b "$1"; r "${2:-0}"; }
setdir_direct() { b $((DIRECT + 4)); b "$1"; r 0; b 0; u "$2"; d "${3:-0}"; }      # text, mode
setdir_form() { b $((DIRECT + 4)); b "$1"; r 0; b "$2"; d "${3:-0}"; }             # 1 null, 2 "..", 3 "\"
delete_direct() { # panel, record, then items of the last listing
    local panel=$1 record=$2
    shift 2
    b $((DIRECT + 5)); b "$panel"; r "$record"; b $#
    local i
    for i in "$@"; do b 0; b "$i"; done
    b 0
}
input_direct() { b $((DIRECT + 6)); b "$1"; r "${2:-0}"; b 0; b 0; b "$3"; b "${4:-0}"; } # key, state
input_event() { b $((DIRECT + 6)); b "$1"; r 0; b 1; w "$2"; b 0; b 0; b 0; }             # event type
configure_direct() { b $((DIRECT + 7)); r "${1:-0}"; b "$2"; b 1; answer ok; }           # record, guid
info_direct() { b $((DIRECT + 8)); b "$1"; r "${2:-0}"; } # 1 GetGlobalInfoW, 0 GetPluginInfoW
store_number() { b "${3:-0}"; b "$1"; b 0; d "$2"; d "${4:-0}"; } # name, low, location, high
store_string() { b 0; b "$1"; b 1; u "$2"; }
store_data() { b 0; b "$1"; b 2; t "$2"; }

{ start3; window Notepad; window Calculator; window 'Program Manager'; menu; cursor 1; key $F8; relist
  dotdot; } >"$OUT3/toggle_and_restore"

{ start3; window 'Отчёт'; window '日本語 — résumé 🙂'; window 'Report one'; window 'Café notes' 0; menu
  command '日本'; command 'Отчёт'; title_command 1 2 3; tab; disks 1; relist 1; exit3
} >"$OUT3/unicode_command"

{ start3; b $EVENTS; units 0x41 0xD83D 0x42; b 1; b $NONE; b $NONE; d 0; window 'smile 🙂'
  b $EVENTS; units 0xDE42 0x43; b 1; b $NONE; b $NONE; d 0; menu
  b 2; b 0; units 0xD83D; b 2; b 0; units 0xDE42; relist; open_command 0 'smile'
  b $DIRECT; r 0; b 4; b 2; b 2; r 0; b 0; units 0xD83D 0x42; } >"$OUT3/lone_surrogates"

{ b 0; b 0; b 0; b 7; store_number 0 0; store_string 3 1; store_data 4 x; store_number 2 0 1
  store_number $((0x85)) 0; store_number 4 5 0 1; b 0; b 6; u Velumo; b 0; d 1; d 0; b 0; b 0
  info_direct 0; configure3 ok '1 1 6 0'; configure3 esc '3 0'; configure3 cancel '4 1'
  disks 0; dotdot; } >"$OUT3/store_values"

{ b 0; b 0; b 0; b 0; b 4
  b 0; b 0; d 4; tb 0 0 0 0   # AddToDisksMenu = 0 in the FAR 1.x key
  b 0; b 3; d 3; tb 1         # ShowOwnerWindow: one REG_BINARY byte
  b 0; b 133; d 4; tb 0 0 0 0 # showallwindowatexit, lower case
  b 1; b 4; d 4; tb 1 0 0 0   # ShowInvisibleWindow beside the key: not read
  b 0; menu; relist; configure3 ok; } >"$OUT3/registry_move"

{ start3 1; configure3 ok '4 1'; host_failures 2; configure3 ok; host_failures 0
  configure3 ok '5 1'; } >"$OUT3/store_failing"

{ start3 0 2; window Alpha; menu; cd3 'C:\Temp'; key $F3; configure3 ok; dotdot
} >"$OUT3/startup_refused"

{ b 0; b 1; b 3; b 0; b 0; b 0; window Alpha; menu; key $F8; relist; configure3 ok '3 0'
} >"$OUT3/startup_short"

{ b 0; b 4; b 10; b 4; b 7; b 0; b 0; b 0; b 1; b 0; b 1; b 0; b 1; b 0; d 4; tb 5
  window Alpha; menu; relist; configure3 ok; exit3; } >"$OUT3/startup_long"

{ start3; window Alpha; window Beta; open_direct 0 1; open_direct 1 1; open_direct '3 5' 1
  open_direct '4 9' 1; list_direct 0 '3 7'; list_direct 0 '4 20' 1; list_direct 0 0 2 '3 3'
  list_direct 0 0 3; panel_info_direct 0 '3 40'; panel_info_direct 0 '4 1'
  panel_info_direct 0 1; info_direct 1 '3 12'; info_direct 1 '4 30'; info_direct 0 '3 50'
  info_direct 0 '4 2'; close_direct 0 '3 10'; close_direct 0 1; close_direct 255
  close_direct 254; close_direct 0; close_direct 0 '4 5'; } >"$OUT3/odd_records"

{ start3; window Alpha; window Beta; open_unreadable 9; open_unreadable 3; open_direct 0 12 2
  b $DIRECT; r 0; b 200; d $((0x7FFFFFFF)); b 3; b 1; open_command 0 Alpha; open_command '3 4' Beta
  b $DIRECT; r 0; b 4; b 2; b 2; r 0; b 1; u ''; open_command 0 ''; } >"$OUT3/open_codes"

{ start3; window alpha; window beta; window gamma; window delta; window epsilon
  hook 'action 1 0 0' 'action 2 2 3' 'action 3 5 0 late' 'action 0 4 1 Renamed'; menu; relist
  hook 'action 0 1 2'; cursor 1; key $F8; hook 'action 1 2 0'; dotdot; } >"$OUT3/enumeration_hook"

{ start3; for i in $(seq 1 22); do window "Window $i"; done; menu
  delete_direct 0 0 $(seq 0 21); relist; dotdot; } >"$OUT3/table_full"

# The table grows past twenty; realloc fails: always in an F8, then the 1st, then the 2nd one.
{ start3; for i in $(seq 1 45); do window "Window $i"; done; menu; host_failures 28
  delete_direct 0 0 $(seq 0 29); host_failures 4; command Window; command Window; host_failures 8
  command Window; host_failures 0; command Window; dotdot; } >"$OUT3/table_grows"

{ start3; window Editor; window Viewer 0; configure3 ok '5 1'; menu; cursor 1; key $F3; cursor 2
  key $F3 1; key $F3 3; key $F3 2; select3 1 2; key $F3; open_direct 0 1; input_direct 1 0 0
  input_direct 0 0 0 2; input_direct 0 '3 16' 0; input_event 0 2; dotdot; } >"$OUT3/activate"

{ start3; menu; cd_root; cd3 'C:\Temp'; menu; dotdot; disks 0; drive 0; open_direct 0 1
  setdir_form 0 2 2; setdir_direct 0 'x\y'; menu; setdir_direct 0 '..'; menu; setdir_form 0 3
  setdir_form 0 1; } >"$OUT3/directories"

{ start3; window Mail; window Music; configure3 ok '6 0'; menu; select3 1 2; key $F8; dotdot; menu
  relist; hide_by_others 0; dotdot; } >"$OUT3/keep_hidden_at_exit"

{ start3; window One; window Two; menu; tab; disks 1; cursor 1; key $F8; drive 1; tab; relist 0
  dotdot; } >"$OUT3/two_panels"

{ b 0; b 0; b 0; b 0; b 0; b 2; b 6; u "$(repeat T 700)"; b 3; u "$(repeat M 600)"
  window "$(repeat W 1000)"; window short; menu; redraw; panel_info_direct 0; configure3 esc; exit3
} >"$OUT3/long_texts"

{ start3; window Alpha; open_direct 0 1; close_direct 0; b $((DIRECT + 2)); b 253; b 0; r 0; d 0; b 0; r 0
  b $((DIRECT + 3)); b 253; b 0; r 0; b $((DIRECT + 5)); b 253; b 0; r 0; b 1; b 1; b 0; b 0; b $((DIRECT + 6)); b 253; b 0; r 0; b 0
  b 0; b 0; b 0; open_direct 0 1; list_direct 0; } >"$OUT3/closed_panel"

{ start3; window Owner; owned_window Owned 0; window Child 1 $((0x40000000)); window Popup 1 $((0x80000000))
  configure3 ok '4 1 5 1 3 0'; menu; relist; configure_direct 0 0; configure_direct 0 1
  configure_direct 1 0; configure_direct '3 8' 0; configure_direct 0 2; } >"$OUT3/filters"

{ start3 64; record_entries "${RECORD_ENTRIES[@]}"; menu; relist; dotdot; } >"$OUT3/record_adopt"
{ start3 64; record_entries "${RECORD_DAMAGED[@]}"; record_event "entry 0 0 Late" "entry 8 0 Side"
  menu; cursor 1; key $F8; relist; dotdot; } >"$OUT3/record_damaged"
