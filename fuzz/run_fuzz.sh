#!/usr/bin/env bash
# Builds and runs the fuzz targets (preset "fuzz": clang, libFuzzer, ASan + UBSan) in build/fuzz:
# velumo_fuzz (the FAR 1.x plug-in, seeds in fuzz/corpus) and velumo_far3_fuzz (the FAR 3
# plug-in, seeds in fuzz/corpus_far3), one after the other.
#
#   bash fuzz/run_fuzz.sh smoke                  40 s per target over a copy of its seeds; the
#                                                repository is not written to. Ends with
#                                                "fuzz: N passed, N failed", one per target.
#   bash fuzz/run_fuzz.sh long [SECONDS [far1|far3]]
#                                                a longer run (default 600 s in all, shared
#                                                between both targets, or all for the one named)
#                                                that keeps each grown corpus in build/fuzz/ for
#                                                the next run (corpus, corpus_far3).
#
# A crashing input is kept in build/fuzz/artifacts/; reproduce it with
#   build/fuzz/fuzz/velumo_fuzz build/fuzz/artifacts/crash-...   (or velumo_far3_fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build/fuzz"
ARTIFACTS="$BUILD/artifacts"

usage() {
  sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}

mode=${1:-smoke}
only=
case "$mode" in
  smoke) seconds=40 ;;
  long)
    seconds=${2:-600}
    only=${3:-}
    ;;
  *) usage ;;
esac
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "run_fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi
# Each target: its name for the command line, its executable, seed folder and dictionary.
targets=(far1:velumo_fuzz:corpus:velumo.dict far3:velumo_far3_fuzz:corpus_far3:velumo_far3.dict)
case "$only" in
  '') ;;
  far1) targets=("${targets[0]}") ;;
  far3) targets=("${targets[1]}") ;;
  *)
    echo "run_fuzz.sh: the target is far1 or far3, not '$only'" >&2
    exit 2
    ;;
esac
if [ "$mode" = long ]; then
  seconds=$(((seconds + ${#targets[@]} - 1) / ${#targets[@]}))
fi

executables=()
for target in "${targets[@]}"; do
  IFS=: read -r _ executable _ _ <<<"$target"
  executables+=("$executable")
done
echo "== build: preset fuzz in $BUILD"
cmake --preset fuzz -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target "${executables[@]}" -j 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$ARTIFACTS"
passed=0
failed=0
for target in "${targets[@]}"; do
  IFS=: read -r name executable seeds dictionary <<<"$target"
  if [ "$mode" = smoke ]; then
    corpus="$work/$seeds"
  else
    corpus="$BUILD/$seeds"
  fi
  mkdir -p "$corpus"
  cp "fuzz/$seeds"/* "$corpus/"

  echo "== fuzz $name ($executable): $mode run of $seconds s over $(ls "$corpus" | wc -l) inputs in $corpus"
  log="$work/$name.log"
  rc=0
  "$BUILD/fuzz/$executable" -max_total_time="$seconds" -max_len=8192 -timeout=25 \
    -print_final_stats=1 -dict="$ROOT/fuzz/$dictionary" -artifact_prefix="$ARTIFACTS/" \
    "$corpus" >"$log" 2>&1 || rc=$?

  # libFuzzer's status lines go on for thousands of lines: show the first and the final ones.
  grep -m1 -E '^#[0-9]+[[:space:]]+INITED' "$log" || true
  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true
  grep -E '^(Done [0-9]+ runs|stat::)' "$log" || true
  if [ "$rc" -eq 0 ]; then
    echo "corpus: $(ls "$corpus" | wc -l) inputs"
    echo "== $name: passed"
    passed=$((passed + 1))
  else
    echo "== the fuzzer stopped with exit code $rc; the end of its log:"
    tail -n 60 "$log"
    echo "== $name: failed"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
