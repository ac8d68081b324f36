#!/usr/bin/env bash
# What an idle watch costs while another program keeps the file system busy:
# a watcher on an empty folder, and beside it bench/disk_churn making and
# deleting RATE small files a second in a sibling folder for SECONDS; prints
# the watcher's CPU ticks (user + system) and wake-ups (voluntary context
# switches of all its threads) over that time, with the 1-minute load:
#   bench/churn_idle.sh [BUILD_DIR] [BEFORE_BUILD_DIR]
# Environment: RATE (3000), SECONDS_BESIDE (10), REPEATS (3), BACKENDS
# ("fanotify"; "inotify" and "inotifywait" too when named). Builds take turns
# round by round. Needs root for fanotify. Works in ${TMPDIR:-/tmp}.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${1:-build}
BEFORE=${2:-}
RATE=${RATE:-3000}
SECONDS_BESIDE=${SECONDS_BESIDE:-10}
REPEATS=${REPEATS:-3}
read -r -a BACKEND_LIST <<< "${BACKENDS:-fanotify}"
READY_SECONDS=2
CHURN=$BUILD/bench/disk_churn
[ -x "$CHURN" ] || { echo "missing $CHURN: build first" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-churn-idle.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
wakeups() {
  cat /proc/"$1"/task/*/status 2> /dev/null |
    awk '/^voluntary_ctxt_switches/ { sum += $2 } END { print sum + 0 }'
}

one_run() {  # LABEL COMMAND...
  local label=$1; shift
  rm -rf "$WORK/watched" "$WORK/churn"
  mkdir -p "$WORK/watched" "$WORK/churn"
  "$@" "$WORK/watched" > /dev/null 2>&1 &
  local watcher=$!
  sleep "$READY_SECONDS"
  local load ticks0 wakes0
  load=$(cut -d' ' -f1 /proc/loadavg)
  ticks0=$(ticks "$watcher"); wakes0=$(wakeups "$watcher")
  "$CHURN" "$WORK/churn" "$RATE" > /dev/null &
  local churn=$!
  sleep "$SECONDS_BESIDE"
  kill -TERM "$churn"; wait "$churn" || true
  echo "| $label | $(( $(ticks "$watcher") - ticks0 )) | $(( $(wakeups "$watcher") - wakes0 )) | $load |"
  kill -TERM "$watcher"; wait "$watcher" || true
}

echo "| watcher | ticks | wake-ups | load |"
echo "|---|---:|---:|---:|"
for ((round = 1; round <= REPEATS; round++)); do
  for backend in "${BACKEND_LIST[@]}"; do
    if [ "$backend" = inotifywait ]; then
      one_run inotifywait inotifywait -q -m -r; continue
    fi
    one_run "after $backend" "$BUILD/src/cli/tavrek-watch" --backend "$backend"
    if [ -n "$BEFORE" ]; then
      one_run "before $backend" "$BEFORE/src/cli/tavrek-watch" --backend "$backend"
    fi
  done
done
