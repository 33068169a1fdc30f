#!/bin/sh
# Checks a Velumo.dll as a FAR user's loader meets it, from the file alone (no Wine):
#   - it is a PE file for the processor its build names: pei-i386 for x86 (32-bit FAR),
#     pei-x86-64 for x64 (64-bit FAR);
#   - it imports from ADVAPI32, KERNEL32, msvcrt and USER32 only (any case), so no MinGW
#     runtime DLL (libgcc_s, libstdc++, libwinpthread) has to be shipped beside it;
#   - it exports exactly the entry points of its interface, under their plain names: the twelve
#     of FAR 1.x (far1) or the thirteen of FAR 3 (far3);
#   - its version resource names the file (OriginalFilename "Velumo.dll") and says which build
#     it is (FileDescription ending in "(x86)" or "(x64)" for FAR 1.x, "(FAR 3, x86)" or
#     "(FAR 3, x64)" for FAR 3).
#
#   check_dll.sh <objdump> <strings> <Velumo.dll> <x86|x64> [far1|far3]
set -eu

usage() {
    echo "usage: $0 <objdump> <strings> <dll> <x86|x64> [far1|far3]" >&2
    exit 2
}
[ $# -eq 4 ] || [ $# -eq 5 ] || usage
OBJDUMP=$1
STRINGS=$2
DLL=$3
BUILD=$4
INTERFACE=${5:-far1}
case "$BUILD" in
x86) format=pei-i386 ;;
x64) format=pei-x86-64 ;;
*) usage ;;
esac
case "$INTERFACE" in
far1)
    expected_exports="SetStartupInfo GetPluginInfo OpenPlugin ClosePlugin GetFindData \
        FreeFindData GetOpenPluginInfo SetDirectory DeleteFiles ProcessKey Configure ExitFAR"
    build_name="($BUILD)"
    ;;
far3)
    expected_exports="GetGlobalInfoW SetStartupInfoW GetPluginInfoW OpenW ClosePanelW \
        GetFindDataW FreeFindDataW GetOpenPanelInfoW SetDirectoryW DeleteFilesW \
        ProcessPanelInputW ConfigureW ExitFARW"
    build_name="(FAR 3, $BUILD)"
    ;;
*) usage ;;
esac
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

headers=$("$OBJDUMP" -p "$DLL") || {
    echo "FAIL: $OBJDUMP -p $DLL did not run"
    exit 1
}

# ---- format ------------------------------------------------------------------------------------
seen_format=$("$OBJDUMP" -f "$DLL" | sed -n 's/.*file format \([^[:space:]]*\).*/\1/p' | head -1)
[ "$seen_format" = "$format" ] ||
    fail "file format is \"$seen_format\", expected \"$format\" for the $BUILD build"
echo "format: $seen_format"

# ---- imports ---------------------------------------------------------------------------------
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' |
    tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
    case "$dll" in
    advapi32.dll | kernel32.dll | msvcrt.dll | user32.dll) ;;
    *) fail "imports $dll; only advapi32.dll kernel32.dll msvcrt.dll user32.dll are allowed" ;;
    esac
done
echo "imports: $(echo $imports)"

# ---- exports ---------------------------------------------------------------------------------
# objdump lists the export names after the "[Ordinal/Name Pointer] Table" header, one
# "[  n] Name" line each, up to the next blank line.
exports=$(printf '%s\n' "$headers" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^[[:space:]]*$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\([^[:space:]]*\)[[:space:]]*$/\1/p' |
    sort)
expected=$(printf '%s\n' $expected_exports | sort)
if [ "$exports" != "$expected" ]; then
    fail "export names differ from the $INTERFACE entry points"
    echo "  expected: $(echo $expected)"
    echo "  seen:     $(echo $exports)"
fi
echo "exports: $(echo $exports)"

# ---- version resource --------------------------------------------------------------------------
# The resource's texts are UTF-16LE; the value follows its name as the next text.
version_text() { "$STRINGS" -el "$DLL" | sed -n "/^$1\$/{n;p;q;}"; }
original=$(version_text OriginalFilename)
[ "$original" = "Velumo.dll" ] ||
    fail "version resource: OriginalFilename is \"$original\", expected \"Velumo.dll\""
echo "OriginalFilename: $original"
description=$(version_text FileDescription)
case "$description" in
*"$build_name") ;;
*) fail "version resource: FileDescription \"$description\" does not end in \"$build_name\"" ;;
esac
echo "FileDescription: $description"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed for $DLL"
    exit 1
fi
echo "Velumo.dll ($INTERFACE, $BUILD): format, imports, exports and version resource as expected"
