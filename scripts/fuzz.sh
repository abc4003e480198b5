#!/usr/bin/env bash
# Long runs of the libFuzzer targets of the native tree. Each target runs FUZZ_RUNS
# executions or FUZZ_SECONDS, whichever ends first, from the repository's corpus
# (tests/fuzz/corpus/NAME, only read) and a working corpus kept under build/fuzz/NAME
# from run to run. Then the inputs that add coverage go back into the repository's
# corpus, kept small: the hand-made seeds (descriptive names) stay, and the fuzzer's own
# inputs (named by their SHA-1) are replaced by a set-cover selection of them that
# reaches every edge the inputs reach (hit counts aside: the working corpus keeps those),
# the smallest first, at most FUZZ_MAX_UNITS files and FUZZ_MAX_BYTES bytes in all. Crashing
# inputs go to build/fuzz/crashes. Ends with a table of the figures of every target.
# Usage: nice -n 19 scripts/fuzz.sh [target...]   (default: every target, in the order
# of tests/fuzz/CMakeLists.txt)
set -euo pipefail
shopt -s nullglob
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${FUZZ_RUNS:-10000000}
seconds=${FUZZ_SECONDS:-3600}
max_units=${FUZZ_MAX_UNITS:-40}
max_bytes=${FUZZ_MAX_BYTES:-150000}

CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2} EOS_TARGETS=fuzzers "$root/scripts/build.sh" native
list=$root/build/native/tests/fuzz/fuzzers.txt
out=$root/build/fuzz
crashes=$out/crashes
mkdir -p "$crashes"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(cut -d' ' -f1 "$list")

is_unit() { [[ $(basename "$1") =~ ^[0-9a-f]{40}$ ]]; }

rows=()
failed=0
for target in "${targets[@]}"; do
  read -r name exe max_len corpus dict < <(awk -v t="$target" '$1 == t' "$list") ||
    { echo "unknown fuzz target: $target" >&2; exit 2; }
  work=$out/$name
  log=$out/$name.log
  mkdir -p "$work"
  options=(-max_len="$max_len" -timeout=60 -artifact_prefix="$crashes/$name-")
  [ "$dict" = - ] || options+=(-dict="$dict")

  echo "[fuzz] $name: up to $runs runs or $seconds s, log $log"
  before=$(find "$crashes" -name "$name-*" | wc -l)
  start=$SECONDS
  status=0
  "$exe" "${options[@]}" -runs="$runs" -max_total_time="$seconds" -print_final_stats=1 "$work" "$corpus" \
    >"$log" 2>&1 || status=$?
  elapsed=$((SECONDS - start))
  found=$(($(find "$crashes" -name "$name-*" | wc -l) - before))
  if [ "$status" -ne 0 ]; then
    failed=1
    [ "$found" -gt 0 ] || found="exit $status"
    echo "[fuzz] $name failed; see $log and $crashes" >&2
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")

  # The merge starts from the hand-made seeds: libFuzzer keeps everything in its first
  # folder and adds what brings new coverage from the others.
  merged=$(mktemp -d)
  for f in "$corpus"/*; do
    if ! is_unit "$f"; then cp "$f" "$merged/"; fi
  done
  "$exe" "${options[@]}" -set_cover_merge=1 -use_counters=0 "$merged" "$corpus" "$work" >"$out/$name.merge.log" 2>&1
  kept=0
  bytes=$(find "$merged" -type f -regextype posix-extended ! -regex '.*/[0-9a-f]{40}' -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  for f in "$corpus"/*; do
    if is_unit "$f"; then rm "$f"; fi
  done
  while read -r size f; do
    if [ $((kept + 1)) -gt "$max_units" ] || [ $((bytes + size)) -gt "$max_bytes" ]; then
      echo "[fuzz] $name: corpus cap reached, later inputs left out of the repository" >&2
      break
    fi
    cp "$f" "$corpus/"
    kept=$((kept + 1))
    bytes=$((bytes + size))
  done < <(find "$merged" -type f -regextype posix-extended -regex '.*/[0-9a-f]{40}' -printf '%s %p\n' | sort -n)
  rm -r "$merged"
  files=$(find "$corpus" -type f | wc -l)
  rows+=("$(printf '%-20s %12s %6s %7s %6s %8s %7s %s' "$name" "${executions:-?}" "${cov:-?}" "${ft:-?}" \
    "$files" "$bytes" "$elapsed" "$found")")
done

printf '%-20s %12s %6s %7s %6s %8s %7s %s\n' target executions cov ft files bytes seconds crashes
printf '%s\n' "${rows[@]}"
exit "$failed"
