#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time:
#   scripts/fuzz.sh BUILD_DIR [SECONDS]
# New inputs go to BUILD_DIR/corpus/<target>; the seeds in tests/fuzz/corpus
# are only read. A finding fails the run, its input saved in BUILD_DIR.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
for seeds in "$root"/tests/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  corpus="$build/corpus/$target"
  log="$build/$target.log"
  mkdir -p "$corpus"
  status=0
  (cd "$build" && "./tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "$seeds") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "-- $target: ${seconds}s, ${runs:-?} inputs, exit $status"
  if [ "$status" -ne 0 ]; then
    grep -E "ERROR|SUMMARY|#[0-9]+ 0x|Test unit written" "$log" | head -40
    exit 1
  fi
done
