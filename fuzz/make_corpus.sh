#!/usr/bin/env bash
# Writes the seed corpus of velumo_fuzz into fuzz/corpus/ (or the folder given), one file per
# scenario, in the input format described at the top of fuzz/velumo_fuzz.cpp. The files are
# committed; run this again only after changing the format or the scenarios.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")"
OUT=${1:-corpus}
mkdir -p "$OUT"

# ---- encoding ------------------------------------------------------------------------------
b() { printf "\\x$(printf %02x $(($1 & 255)))"; }   # byte
w() { b "$1"; b $(($1 >> 8)); }                     # 16-bit little-endian
d() { w $(($1 & 65535)); w $((($1 >> 16) & 65535)); } # 32-bit little-endian
t() { w ${#1}; printf '%s' "$1"; }                  # text: length, then the bytes
tb() { w $#; local x; for x in "$@"; do b "$x"; done; } # text given as byte values
repeat() { printf "%${2}s" '' | tr ' ' "$1"; }      # a character repeated n times

# Start of an input: startup flags, root key, no registry values, no message overrides.
start() { b "${2:-0}"; t "$1"; b 0; b 0; }
ROOT='Software\Far\Plugins'

# ---- steps ---------------------------------------------------------------------------------
NONE=254 # window or panel selector: none (0 / null)
window() { b 11; t "$1"; b "${2:-1}"; b $NONE; b $NONE; d "${3:-0}"; } # title, visible, style
owned_window() { b 11; t "$1"; b 1; b "$2"; b $NONE; d 0; }               # owner = window #n
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
hide_by_others() { b 14; b "$1"; b 0; }
hook() { b 16; b "$#"; local a; for a in "$@"; do eval "$a"; done; } # actions as code
hook_action() { b "$1"; b "$2"; b "$3"; t "${4:-}"; }                   # at, kind, target, text
registry_failure() { b 17; b "$1"; b "$2"; }
control_result() { b 18; d "$1"; }

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

{ start "$(repeat R 72)"; configure 0; } >"$OUT/root_key_72"
{ start "$(repeat K 300)"; configure 0 '' 42; open_menu; list; close_panel; } >"$OUT/root_key_300"
{ start '' 1; configure 0; plugin_info; } >"$OUT/root_key_null"
{ start "$ROOT" 62; configure 0; registry_failure 0 0; registry_failure 1 0
  registry_failure 2 0; registry_failure 3 0; registry_failure 4 0; configure 0
} >"$OUT/registry_failing"

{ start "$ROOT"; window alpha; window beta; window gamma; window delta; window epsilon
  hook 'hook_action 1 0 0' 'hook_action 2 2 3' 'hook_action 3 5 0 late'
  open_command a; list; free_list
  hook 'hook_action 0 1 2'; close_panel; } >"$OUT/enumeration_hook"

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
