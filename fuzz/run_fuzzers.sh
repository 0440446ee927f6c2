#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for the same time, each from a scratch copy of
# its seed corpus in fuzz/corpus (the repository is never written). Prints each target's
# executions from libFuzzer's final statistics and fails when any target finds a crash, a leak, a
# hang or a broken check; the input that caused it is kept in the scratch folder it names.
#
#   fuzz/run_fuzzers.sh [seconds-per-target]     (default 60)
#
# FUZZ_JOBS sets how many targets run at once (default: the core count, at most 2).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: fuzz/run_fuzzers.sh [seconds-per-target]" >&2
  exit 2
fi
jobs="${FUZZ_JOBS:-$(nproc)}"
[ "$jobs" -gt 2 ] && [ -z "${FUZZ_JOBS:-}" ] && jobs=2
targets=(fuzz_local_data fuzz_scene_file fuzz_obj_reader fuzz_selection_reader fuzz_gltf_reader)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzzers -j2

work="$(mktemp -d "${TMPDIR:-/tmp}/velomorph-fuzz.XXXXXX")"

run_target() {
  local target="$1" dir="$work/$1"
  mkdir -p "$dir/corpus" "$dir/findings"
  cp fuzz/corpus/"$target"/* "$dir/corpus/"
  local status=0
  build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$dir/findings/" "$dir/corpus" >"$dir/log" 2>&1 || status=$?
  echo "$status" >"$dir/status"
}

echo "fuzzing ${#targets[@]} targets for ${seconds} s each, ${jobs} at a time"
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
  dir="$work/$target"
  status="$(cat "$dir/status" 2>/dev/null || echo 1)"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)"
  findings="$(ls -A "$dir/findings")"
  if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
    failed=1
    echo "$target: FAILED after ${runs:-?} executions (exit $status)"
    grep -E 'ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written|Base64' "$dir/log" | head -20 | sed 's/^/  /'
    echo "  log and inputs: $dir"
  else
    echo "$target: ${runs:-?} executions in ${seconds} s, no finding"
  fi
done
if [ "$failed" -eq 0 ]; then
  rm -rf "$work"
else
  exit 1
fi
