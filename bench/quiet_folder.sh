#!/usr/bin/env bash
# What a watch costs while the disk is busy elsewhere: the CPU time (user +
# system, from /proc/PID/stat) tavrek-watch spends on a burst of FILES
# creations followed by their deletions, once inside the watched folder and
# once in a sibling folder outside it, for both kernel backends:
#   bench/quiet_folder.sh [BUILD_DIR] [BEFORE_BUILD_DIR]
# BEFORE_BUILD_DIR adds the tavrek-watch of another build tree (an older
# commit, say) as "before" rows, measured in the same run. Needs root for the
# fanotify backend. Environment: FILES (100000), REPEATS (3), BACKENDS
# ("fanotify inotify"), IDLE_SECONDS (10). Prints a Markdown table of medians
# with the 1-minute load at each figure's start.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${1:-build}
BEFORE=${2:-}
FILES=${FILES:-100000}
REPEATS=${REPEATS:-3}
read -r -a BACKEND_LIST <<< "${BACKENDS:-fanotify inotify}"
FOLDERS=100
READY_POLLS=12000         # 0.05 s each: ten minutes to become ready
SETTLE_POLL_SECONDS=0.5
SETTLE_SAME_POLLS=4       # CPU time (nearly) unchanged this many polls in a row: done
# A file-system mark also sees what other programs do on the disk: growth of at
# most this many ticks a poll counts as unchanged, so a busy machine settles too.
SETTLE_SLACK_TICKS=${SETTLE_SLACK_TICKS:-1}
SETTLE_MAX_POLLS=1200     # ten minutes at most
IDLE_SECONDS=${IDLE_SECONDS:-10}

STORM=$BUILD/bench/file_storm
[ -x "$STORM" ] || { echo "missing $STORM: build the target file_storm" >&2; exit 1; }
BUILDS=(after "$BUILD")
[ -n "$BEFORE" ] && BUILDS+=(before "$BEFORE")

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-quiet.XXXXXX")
WATCHER_PID=
cleanup() {
  [ -n "$WATCHER_PID" ] && kill -KILL "$WATCHER_PID" 2> /dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

start_watcher() {  # WATCH BACKEND FOLDER
  : > "$WORK/out"
  "$1" --backend "$2" "$3" > "$WORK/out" 2> "$WORK/err" &
  WATCHER_PID=$!
  local polls
  for ((polls = 0; polls < READY_POLLS; polls++)); do
    [ -s "$WORK/out" ] && return 0
    kill -0 "$WATCHER_PID" 2> /dev/null || break
    sleep 0.05
  done
  echo "watcher $1 --backend $2 never became ready:" >&2
  cat "$WORK/err" >&2
  exit 1
}

# Waits (bounded) until the watcher's CPU time stops growing.
wait_cpu_settles() {
  local last=-1 same=0 now polls
  for ((polls = 0; polls < SETTLE_MAX_POLLS; polls++)); do
    now=$(cpu_ticks "$WATCHER_PID")
    if ((last >= 0 && now - last <= SETTLE_SLACK_TICKS)); then
      same=$((same + 1))
    else
      same=0
    fi
    last=$now
    ((same >= SETTLE_SAME_POLLS)) && return 0
    sleep "$SETTLE_POLL_SECONDS"
  done
}

# Prints the watcher's CPU ticks for one burst, and the ticks it spent in as
# long a time before the burst with nothing happening in the test's folders
# (what the rest of a busy machine costs a file-system mark): "TICKS IDLE".
burst_run() {  # WATCH BACKEND PLACE
  local root watched busy start idle began
  root=$(mktemp -d "$WORK/run.XXXXXX")
  watched=$root/watched
  busy=$root/watched/burst
  [ "$3" = outside ] && busy=$root/sibling/burst
  mkdir -p "$watched" "$busy"
  (cd "$busy" && seq -f 'd%g' 0 $((FOLDERS - 1)) | xargs mkdir)
  start_watcher "$1" "$2" "$watched"
  wait_cpu_settles
  idle=$(cpu_ticks "$WATCHER_PID")
  sleep "$IDLE_SECONDS"
  idle=$(($(cpu_ticks "$WATCHER_PID") - idle))
  start=$(cpu_ticks "$WATCHER_PID")
  began=$(now_ms)
  "$STORM" "$busy" "$FILES" "$FOLDERS" 0 "$FILES" > /dev/null
  wait_cpu_settles
  # The idle ticks scaled to the burst's time, settling included.
  echo "$(($(cpu_ticks "$WATCHER_PID") - start))" \
       "$((idle * ($(now_ms) - began) / (IDLE_SECONDS * 1000)))"
  kill -TERM "$WATCHER_PID"
  wait "$WATCHER_PID" || true
  WATCHER_PID=
  rm -rf "$root"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "| build | backend | burst | CPU ticks (median) | idle ticks in as long (median) | runs (ticks idle) | load |"
echo "|---|---|---|---|---|---|---|"
for ((b = 0; b < ${#BUILDS[@]}; b += 2)); do
  watch=${BUILDS[b + 1]}/src/cli/tavrek-watch
  [ -x "$watch" ] || { echo "missing $watch" >&2; exit 1; }
  for backend in "${BACKEND_LIST[@]}"; do
    for place in inside outside; do
      read -r load _ < /proc/loadavg
      runs=() ticks=() idles=()
      for ((r = 0; r < REPEATS; r++)); do
        read -r tick idle <<< "$(burst_run "$watch" "$backend" "$place")"
        ticks+=("$tick") idles+=("$idle") runs+=("$tick $idle")
      done
      printf '| %s | %s | %s | %s | %s | %s | %s |\n' "${BUILDS[b]}" "$backend" "$place" \
        "$(median "${ticks[@]}")" "$(median "${idles[@]}")" "$(IFS=,; echo "${runs[*]}")" "$load"
    done
  done
done
echo "(ticks of $(getconf CLK_TCK) per second; $FILES files created in $FOLDERS folders, then deleted)"
