#!/usr/bin/env bash
# Runs the fuzz targets of build/fuzz (preset "fuzz": clang, libFuzzer, ASan + UBSan) one after
# the other: velumo_fuzz (FAR 1.x plug-in, seeds fuzz/corpus) and velumo_far3_fuzz (FAR 3
# plug-in, seeds fuzz/corpus_far3). `./build.sh fuzz` or `./build.sh test` builds the preset.
#
#   bash fuzz/run_fuzz.sh smoke                 40 s per target over a copy of its seeds.
#   bash fuzz/run_fuzz.sh long [SECONDS [far1|far3]]
#                                               SECONDS (default 600) shared between the targets
#                                               (or all for the one named); each grown corpus is
#                                               kept in build/fuzz/ for the next run.
# Ends with "fuzz: N passed, N failed". A crashing input is kept in build/fuzz/artifacts/;
# reproduce it with build/fuzz/fuzz/velumo_fuzz (or velumo_far3_fuzz) and the file.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="$PWD/build/fuzz"
mode=${1:-smoke} seconds=40 only=
case "$mode" in
  smoke) ;;
  long) seconds=${2:-600} only=${3:-} ;;
  *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' && exit 2 ;;
esac
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "run_fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2; exit 2; }
# Each target: name, executable, seed folder, dictionary.
targets=(far1:velumo_fuzz:corpus:velumo.dict far3:velumo_far3_fuzz:corpus_far3:velumo_far3.dict)
case "$only" in
  '') [ "$mode" = smoke ] || seconds=$(((seconds + 1) / 2)) ;;
  far1 | far3) targets=($(printf '%s\n' "${targets[@]}" | grep "^$only:")) ;;
  *) echo "run_fuzz.sh: the target is far1 or far3, not '$only'" >&2; exit 2 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$BUILD/artifacts"
passed=0 failed=0
for target in "${targets[@]}"; do
  IFS=: read -r name executable seeds dictionary <<<"$target"
  corpus="$BUILD/$seeds"
  [ "$mode" = long ] || corpus="$work/$seeds"
  mkdir -p "$corpus" && cp "fuzz/$seeds"/* "$corpus/"
  echo "== fuzz $name ($executable): $mode run of $seconds s over $(ls "$corpus" | wc -l) inputs"
  log="$work/$name.log" rc=0
  "$BUILD/fuzz/$executable" -max_total_time="$seconds" -max_len=8192 -timeout=25 \
    -print_final_stats=1 -dict="fuzz/$dictionary" -artifact_prefix="$BUILD/artifacts/" \
    "$corpus" >"$log" 2>&1 || rc=$?
  # libFuzzer's status lines go on for thousands of lines: show the first and the final ones.
  grep -m1 -E '^#[0-9]+[[:space:]]+INITED' "$log" || true
  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true
  grep -E '^(Done [0-9]+ runs|stat::)' "$log" || true
  if [ "$rc" -eq 0 ]; then
    echo "== $name: passed ($(ls "$corpus" | wc -l) inputs)" && passed=$((passed + 1))
  else
    echo "== the fuzzer stopped with exit code $rc; the end of its log:" && tail -n 60 "$log"
    echo "== $name: failed" && failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
