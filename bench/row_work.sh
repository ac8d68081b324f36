#!/usr/bin/env bash
# The work a watcher does for a lone change, without the noise of waking up:
# bench/output_latency creates FILES files INTERVAL_MS apart in an empty
# folder while build/bench/librow_work.so, preloaded into the watcher, times
# each change from the end of the read that brought its record from the
# kernel to the end of the flush that printed its line. Prints per watcher
# the median and 90th percentile of that work in microseconds, beside the
# latency line of output_latency:
#   bench/row_work.sh [BUILD_DIR] [BEFORE_BUILD_DIR]
# Environment: FILES (150), INTERVAL_MS (100), WRITE_BYTES (0: each file is
# made empty; more: written as `echo text > file` does), REPEATS (2), WATCHERS
# ("tavrek-inotify tavrek-fanotify inotifywait", and before-inotify
# before-fanotify with a BEFORE_BUILD_DIR). Watchers take turns round by
# round. Needs root for fanotify. Works in ${TMPDIR:-/tmp}.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${1:-build}
BEFORE=${2:-}
FILES=${FILES:-150}
INTERVAL_MS=${INTERVAL_MS:-100}
WRITE_BYTES=${WRITE_BYTES:-0}
REPEATS=${REPEATS:-2}
DEFAULT_WATCHERS="tavrek-inotify tavrek-fanotify inotifywait"
[ -n "$BEFORE" ] && DEFAULT_WATCHERS+=" before-inotify before-fanotify"
read -r -a WATCHER_LIST <<< "${WATCHERS:-$DEFAULT_WATCHERS}"
PRELOAD=$(realpath "$BUILD/bench/librow_work.so")
LATENCY=$BUILD/bench/output_latency
for needed in "$PRELOAD" "$LATENCY"; do
  [ -e "$needed" ] || { echo "missing $needed: build first" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-row-work.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Nearest-rank percentiles of one figure a line.
percentiles() {
  sort -n "$1" | awk '{ v[NR] = $1 }
    END { if (NR == 0) { print "no figures"; exit }
          printf "work_us p50 %.1f p90 %.1f (%d changes)\n",
                 v[int((NR + 1) / 2)], v[int(NR * 0.9 + 0.999)], NR }'
}

run() {  # WATCHER
  local folder=$WORK/watched command=() ready=()
  rm -rf "$folder" && mkdir "$folder"
  case $1 in
    tavrek-*) command=("$BUILD/src/cli/tavrek-watch" --backend "${1#tavrek-}" "$folder") ;;
    before-*) command=("$BEFORE/src/cli/tavrek-watch" --backend "${1#before-}" "$folder") ;;
    inotifywait) command=(inotifywait -m -r -e create --format '%w%f' "$folder")
                 ready=(--stderr "Watches established.") ;;
    *) echo "unknown watcher $1" >&2; exit 1 ;;
  esac
  : > "$WORK/figures"
  local latency
  latency=$(ROW_WORK_OUT=$WORK/figures LD_PRELOAD=$PRELOAD "$LATENCY" "$folder" \
    --files "$FILES" --interval-ms "$INTERVAL_MS" --write-bytes "$WRITE_BYTES" \
    "${ready[@]}" "${command[@]}" | tail -1)
  echo "$1: $(percentiles "$WORK/figures"); $latency; load $(cut -d' ' -f1 /proc/loadavg)"
}

for ((round = 1; round <= REPEATS; round++)); do
  for watcher in "${WATCHER_LIST[@]}"; do run "$watcher"; done
done
