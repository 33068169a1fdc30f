#!/bin/sh
# Writes one of Velumo's language (.lng) or help (.hlf) files from its UTF-8 source in lang/ (the
# source format is described in lang/README.md):
#
#   velumo_lang_file.sh ICONV far1|far3 OEM_CODE_PAGE SOURCE OUTPUT
#
# far1: the source's FAR 1.x lines, converted by ICONV to OEM_CODE_PAGE (CP437, CP866, ...);
# far3: its FAR 3 lines, in UTF-8 after a byte order mark (OEM_CODE_PAGE is not used).
# Either way every line ends in CRLF. A malformed source, bytes that are not UTF-8 or a character
# that the code page lacks fail the run with a message, and OUTPUT is left as it was.
set -eu

if [ $# -ne 5 ]; then
  echo "usage: velumo_lang_file.sh ICONV far1|far3 OEM_CODE_PAGE SOURCE OUTPUT" >&2
  exit 2
fi
iconv=$1 frontend=$2 code_page=$3 source=$4 output=$5
case $frontend in
  far1) ;;
  far3) code_page=UTF-8 ;;
  *)
    echo "velumo_lang_file.sh: unknown front end '$frontend' (far1 or far3)" >&2
    exit 2
    ;;
esac

selected=$output.selected.tmp
converted=$output.converted.tmp
written=$output.tmp
trap 'rm -f "$selected" "$converted" "$written"' EXIT

# The lines for this front end, without the generator's own lines, each ended by CRLF. A CR
# before the LF (a checkout with Windows line ends) and a leading byte order mark are dropped, so
# that the output does not depend on how the source was checked out or saved.
LC_ALL=C awk -v want="$frontend" -v source="$source" '
  function fail(message) {
    printf "%s:%d: %s\n", source, NR, message > "/dev/stderr"
    failed = 1
    exit 1
  }
  { sub(/\r$/, "") }
  NR == 1 && substr($0, 1, 3) == "\357\273\277" { $0 = substr($0, 4) }
  /^%%/ {
    if ($0 == "%%far1" || $0 == "%%far3") {
      if (block == substr($0, 3)) {
        fail("\"" $0 "\" inside a " block " block")
      }
      block = substr($0, 3)
      blockLine = NR
      next
    }
    if ($0 == "%%end") {
      if (block == "") {
        fail("%%end outside a block")
      }
      block = ""
      next
    }
    if ($0 == "%%" || substr($0, 1, 3) == "%% ") {
      next
    }
    fail("unknown directive \"" $0 "\": %%far1, %%far3, %%end, or \"%% \" before a comment")
  }
  block == "" || block == want { printf "%s\r\n", $0 }
  END {
    if (failed) {
      exit 1
    }
    if (block != "") {
      printf "%s:%d: the %s block has no %%%%end\n", source, blockLine, block > "/dev/stderr"
      exit 1
    }
  }
' "$source" >"$selected"

if ! "$iconv" -f UTF-8 -t "$code_page" "$selected" >"$converted"; then
  # Name the first line that does not convert, as the source has it.
  while IFS= read -r text; do
    if ! printf '%s\n' "$text" | "$iconv" -f UTF-8 -t "$code_page" >/dev/null 2>&1; then
      if [ "$frontend" = far3 ]; then
        problem="is not UTF-8"
      else
        problem="is not UTF-8 or has a character that $code_page lacks"
      fi
      printf '%s: this line %s:\n%s\n' "$source" "$problem" "$(printf '%s' "$text" | tr -d '\r')" >&2
      break
    fi
  done <"$selected"
  exit 1
fi

if [ "$frontend" = far3 ]; then
  printf '\357\273\277' >"$written"
else
  : >"$written"
fi
cat "$converted" >>"$written"
mv -f "$written" "$output"
