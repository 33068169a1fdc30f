#!/usr/bin/env bash
# Builds and runs velumo_fuzz (preset "fuzz": clang, libFuzzer, ASan + UBSan) in build/fuzz.
#
#   bash fuzz/run_fuzz.sh smoke            60 s over a copy of the seed corpus; the repository is
#                                          not written to. Ends with "fuzz: 1 passed, 0 failed"
#                                          or "fuzz: 0 passed, 1 failed".
#   bash fuzz/run_fuzz.sh long [SECONDS]   a longer run (default 600 s) that keeps the grown
#                                          corpus in build/fuzz/corpus for the next run.
#
# A crashing input is kept in build/fuzz/artifacts/; reproduce it with
#   build/fuzz/fuzz/velumo_fuzz build/fuzz/artifacts/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build/fuzz"
FUZZER="$BUILD/fuzz/velumo_fuzz"
ARTIFACTS="$BUILD/artifacts"

mode=${1:-smoke}
case "$mode" in
  smoke) seconds=60 ;;
  long) seconds=${2:-600} ;;
  *)
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "run_fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi

echo "== build: preset fuzz in $BUILD"
cmake --preset fuzz -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target velumo_fuzz -j 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$mode" = smoke ]; then
  corpus="$work/corpus"
  mkdir -p "$corpus"
else
  corpus="$BUILD/corpus"
  mkdir -p "$corpus"
fi
cp fuzz/corpus/* "$corpus/"
mkdir -p "$ARTIFACTS"

echo "== fuzz: $mode run of $seconds s over $(ls "$corpus" | wc -l) inputs in $corpus"
log="$work/fuzz.log"
rc=0
"$FUZZER" -max_total_time="$seconds" -max_len=8192 -timeout=25 -print_final_stats=1 \
  -dict="$ROOT/fuzz/velumo.dict" -artifact_prefix="$ARTIFACTS/" "$corpus" >"$log" 2>&1 || rc=$?

# libFuzzer's status lines go on for thousands of lines: show the first and the final ones.
grep -m1 -E '^#[0-9]+[[:space:]]+INITED' "$log" || true
grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true
grep -E '^(Done [0-9]+ runs|stat::)' "$log" || true
if [ "$rc" -eq 0 ]; then
  echo "corpus: $(ls "$corpus" | wc -l) inputs"
  echo "fuzz: 1 passed, 0 failed"
else
  echo "== the fuzzer stopped with exit code $rc; the end of its log:"
  tail -n 60 "$log"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
