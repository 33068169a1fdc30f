#!/usr/bin/env bash
# Deliberate faults in src/, one at a time, each checked against the test suites.
#
#   bash scripts/fault_check/run.sh <tree>     (MUT_ONLY="F01 F02" runs just those faults)
#
# Clones <tree> (a repository: the working copy's committed state) afresh into
# build/fault-check/tree (VELUMO_FAULT_DIR overrides the folder), builds the presets native and mingw64 there, runs the
# native test program once unmutated (and the Wine programs once, with the filters the faults
# use) as the baseline, then for each fault of faults.txt beside this script: applies its literal edits
# (a text that does not occur exactly as often as the table says: "did not apply"), rebuilds
# native incrementally, runs the native test program in one process, and for a fault that names
# a Wine program and filter, rebuilds mingw64 and runs that program under Wine too. A fault is
# caught when a test fails that did not fail in the baseline, or the program ends abnormally.
# src/ is restored (git checkout -- src) after each fault. Logs: <folder>/logs/<fault>.*.
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
MUT=${VELUMO_FAULT_DIR:-$(cd "$HERE/../.." && pwd)/build/fault-check}
[ $# -eq 1 ] || { echo "usage: $0 <tree>" >&2; exit 2; }
SOURCE=$1
TREE=$MUT/tree
LOGS=$MUT/logs
ONLY=${MUT_ONLY:-} # e.g. MUT_ONLY="F01 F02": run just those faults
# MUT_REUSE=1: keep the clone already in <folder>/tree (same source) instead of cloning afresh
rm -rf "$LOGS"; mkdir -p "$LOGS"
# Shares compiled objects with other builds where ccache is set up.
[ -f /etc/profile.d/ccache.sh ] && source /etc/profile.d/ccache.sh

if [ -z "${MUT_REUSE:-}" ] || [ ! -d "$TREE/.git" ]; then
    rm -rf "$TREE"
    git clone -q "$SOURCE" "$TREE" || { echo "cannot clone $SOURCE"; exit 2; }
fi
cd "$TREE" || exit 2
git checkout -q -- src
echo "tree: $SOURCE at $(git rev-parse --short HEAD)"

build() { # build PRESET LOG
    { cmake --preset "$1" && cmake --build --preset "$1" -j2; } >"$2" 2>&1
}
build native "$LOGS/base.native.build" || { echo "baseline native build fails: $LOGS/base.native.build"; exit 2; }
NATIVE=$(find build/native/tests -type f -name velumo_native_tests -perm -u+x | head -1)
# mingw64 is built when the first fault that needs Wine comes (see wine_ready).
MINGW_BUILT=
wine_ready() {
    [ -n "$MINGW_BUILT" ] && return 0
    build mingw64 "$LOGS/base.mingw64.build" || { echo "baseline mingw64 build fails: $LOGS/base.mingw64.build"; exit 2; }
    WINE_FAR1=$(find build/mingw64/tests -type f -name velumo_wine_tests.exe | head -1)
    WINE_FAR3=$(find build/mingw64/tests -type f -name velumo_wine_far3_tests.exe | head -1)
    MINGW_BUILT=1
}
[ -n "$NATIVE" ] || { echo "no native test program under build/native/tests"; exit 2; }

# failed_tests LOG: the names of the failed tests in a GoogleTest output, one a line.
failed_tests() {
    grep -a '^\[  FAILED  \] [A-Za-z_]' "$1" | sed -e 's/^\[  FAILED  \] //' -e 's/ (.*//' \
        -e 's/, where .*//' | grep -v ' tests\?, listed below' | sort -u
}
# ran_tests LOG: how many tests the output says were run.
ran_tests() {
    grep -a -o '^\[==========\] [0-9]* tests\? from .* ran' "$1" | grep -o '[0-9]* test' | head -1 | grep -o '[0-9]*'
}
run_native() { # run_native LOG [FILTER]: status of the program
    timeout 1200 "$NATIVE" --gtest_brief=1 ${2:+"--gtest_filter=$2"} >"$1" 2>&1
}
# MUT_QUICK=1: a fault in src/far1 or src/far3 is first tried against that front end's suites
# only (a failure there is a failure of the full run too); the full run follows when none fails.
FAR1_SUITES='ConfigDialog*:ParseLeadingNumber*:WindowListTest*:EntryPoints*:KeyBarDeathTest*:SettingsStore*:PanelViewTest*:PanelViewText*:Far1TwentySlots*'
FAR3_SUITES='Far3*'
quick_filter() { # quick_filter EDITS: the suites of the front end all the edits are in, or nothing
    local dirs
    dirs=$(cut -d/ -f2 "$1" | sort -u | tr '\n' ' ')
    case "$dirs" in
        "far1 ") echo "$FAR1_SUITES" ;;
        "far3 ") echo "$FAR3_SUITES" ;;
    esac
}
run_wine() { # run_wine far1|far3 FILTER LOG
    local program=$WINE_FAR1
    [ "$1" = far3 ] && program=$WINE_FAR3
    [ -n "$program" ] || { echo "no Wine program for $1" >"$3"; return 2; }
    timeout 1200 bash scripts/wine_run.sh "$program" "--gtest_filter=$2" --gtest_brief=1 >"$3" 2>&1
}

# The table: faults as lists of edits.
declare -a IDS DESCS WINES
declare -A EDITS
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    IFS=$'\x1f' read -r id file old new count wine desc <<<"${line//|||/$'\x1f'}"
    if [ "$id" = "+" ]; then
        id=${IDS[-1]}
    else
        IDS+=("$id"); DESCS+=("$desc"); WINES+=("$wine")
    fi
    EDITS[$id]+="$file|||$old|||$new|||$count"$'\n'
done <"$HERE/faults.txt"

# Baseline: the tests that already fail unmutated are not counted for any fault.
# MUT_NO_BASELINE=1 skips the native baseline run (taking it to fail no test).
if [ -z "${MUT_NO_BASELINE:-}" ]; then
    run_native "$LOGS/base.native.out"; base_rc=$?
    failed_tests "$LOGS/base.native.out" >"$LOGS/base.native.failed"
    echo "baseline native: status $base_rc, $(ran_tests "$LOGS/base.native.out") tests run, $(wc -l <"$LOGS/base.native.failed") failing"
else
    : >"$LOGS/base.native.failed"
fi
# wine_baseline WINE: the baseline of one Wine program and filter, run once, on the unmutated src.
declare -A WINE_BASE
wine_baseline() {
    local wine=$1 key rc
    [ -n "${WINE_BASE[$wine]:-}" ] && return 0
    key=$(echo "$wine" | tr -c 'A-Za-z0-9\n' '_')
    git stash -q
    cmake --build --preset mingw64 -j2 >"$LOGS/base.wine.$key.build" 2>&1
    run_wine "${wine%%:*}" "${wine#*:}" "$LOGS/base.wine.$key.out"; rc=$?
    git stash pop -q
    failed_tests "$LOGS/base.wine.$key.out" >"$LOGS/base.wine.$key.failed"
    WINE_BASE[$wine]=$LOGS/base.wine.$key.failed
    echo "baseline Wine $wine: status $rc, $(ran_tests "$LOGS/base.wine.$key.out") tests run, $(wc -l <"$LOGS/base.wine.$key.failed") failing"
}

# new_failures OUT BASEFAILED: the failed tests of OUT that are not in BASEFAILED.
new_failures() {
    failed_tests "$1" | comm -23 - "$2"
}

caught=0; missed=0; unapplied=0
for i in "${!IDS[@]}"; do
    id=${IDS[$i]}; desc=${DESCS[$i]}; wine=${WINES[$i]}
    [ -n "$ONLY" ] && [[ " $ONLY " != *" $id "* ]] && continue
    git checkout -q -- src
    printf '%s' "${EDITS[$id]}" >"$LOGS/$id.edits"
    if ! python3 "$HERE/apply_fault.py" "$TREE" "$LOGS/$id.edits" >"$LOGS/$id.apply" 2>&1; then
        echo "$id did not apply: $(head -1 "$LOGS/$id.apply") [$desc]"
        unapplied=$((unapplied + 1)); continue
    fi
    git diff >"$LOGS/$id.diff"
    if ! cmake --build --preset native -j2 --target velumo_native_tests >"$LOGS/$id.native.build" 2>&1; then
        echo "$id DOES NOT BUILD natively (rewrite it): $LOGS/$id.native.build [$desc]"
        unapplied=$((unapplied + 1)); git checkout -q -- src; continue
    fi
    names=""; count=0; notes=""
    quick=""
    [ -n "${MUT_QUICK:-}" ] && quick=$(quick_filter "$LOGS/$id.edits")
    rc=0
    if [ -n "$quick" ]; then
        run_native "$LOGS/$id.native.out" "$quick"; rc=$?
        new=$(new_failures "$LOGS/$id.native.out" "$LOGS/base.native.failed")
        [ -z "$new" ] && quick=""
    fi
    if [ -z "$quick" ]; then
        run_native "$LOGS/$id.native.out"; rc=$?
        new=$(new_failures "$LOGS/$id.native.out" "$LOGS/base.native.failed")
    fi
    count=$(printf '%s' "$new" | grep -c . || true)
    names=$new
    if [ "$count" -eq 0 ] && [ "$rc" -ne 0 ]; then
        notes="native program ended with status $rc (crash or timeout) "
    fi
    if [ "$wine" != "-" ]; then
        wine_ready
        wine_baseline "$wine"
        target=velumo_wine_tests
        [ "${wine%%:*}" = far3 ] && target=velumo_wine_far3_tests
        if ! cmake --build --preset mingw64 -j2 --target "$target" >"$LOGS/$id.mingw64.build" 2>&1; then
            echo "$id DOES NOT BUILD for mingw64 (rewrite it): $LOGS/$id.mingw64.build [$desc]"
            unapplied=$((unapplied + 1)); git checkout -q -- src; continue
        fi
        run_wine "${wine%%:*}" "${wine#*:}" "$LOGS/$id.wine.out"; wrc=$?
        wnew=$(new_failures "$LOGS/$id.wine.out" "${WINE_BASE[$wine]}")
        wcount=$(printf '%s' "$wnew" | grep -c . || true)
        if [ "$(ran_tests "$LOGS/$id.wine.out")" = "" ] || [ "$(ran_tests "$LOGS/$id.wine.out")" = 0 ]; then
            notes+="Wine filter $wine ran no test "
        elif [ "$wcount" -eq 0 ] && [ "$wrc" -ne 0 ]; then
            notes+="Wine program ended with status $wrc "
        fi
        count=$((count + wcount))
        [ -n "$wnew" ] && names=$(printf '%s\n%s' "$names" "$(sed 's/^/wine:/' <<<"$wnew")")
    fi
    first=$(printf '%s\n' "$names" | grep . | head -3 | paste -sd ',' | sed 's/,/, /g')
    if [ "$count" -gt 0 ]; then
        echo "$id caught by $count tests: $first [$desc]"
        caught=$((caught + 1))
    elif [[ "$notes" == *"ended with status"* ]]; then
        echo "$id caught: ${notes}(see $LOGS/$id.*.out) [$desc]"
        caught=$((caught + 1))
    else
        echo "$id NOT CAUGHT ${notes}[$desc]"
        missed=$((missed + 1))
    fi
done
git checkout -q -- src
cmake --build --preset native -j2 >"$LOGS/restore.native.build" 2>&1
echo "faults: $caught caught, $missed not caught, $unapplied did not apply or build"
