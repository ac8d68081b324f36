#!/usr/bin/env bash
# Naming short-lived processes: COUNT fresh `touch` processes, one after the
# other, each make one file in a watched folder; counts the files whose
# creation row names `touch` (and those whose row also has the program file
# and the user id). Each watcher runs `tavrek-watch --format json --backend
# fanotify`: "root" as root, "helper" as nobody through a copy of the capture
# helper (made capable here, for the group tavrek, in the run's own folder).
# With a second build tree (an older commit, say), then what program starts
# cost: the CPU ticks (user + system, /proc/PID/stat) of a root watcher of
# each build, side by side, while EXECS `/bin/true` processes run.
#   bench/short_processes.sh [BUILD_DIR] [BEFORE_BUILD_DIR] > rows.md   (as root)
# Environment: RUNS (5), COUNT (100), WATCHERS ("root helper"), EXECS (1000).
# Prints Markdown tables.
set -euo pipefail

BUILD=${1:-build}
BEFORE=${2:-}
EXECS=${EXECS:-1000}
RUNS=${RUNS:-5}
COUNT=${COUNT:-100}
WATCHERS=${WATCHERS:-"root helper"}
WATCH=$(realpath "$BUILD/src/cli/tavrek-watch")
HELPER=$BUILD/src/capture/tavrek-capture
READY_POLLS=600        # 30 s at 50 ms
QUIET_POLLS=4          # output unchanged for 2 s at 0.5 s
MAX_POLLS=240          # 2 min
DRAIN_SECONDS=2        # after the program starts, before the ticks are read

[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 1; }
for tool in "$WATCH" "$HELPER"; do
  [ -x "$tool" ] || { echo "missing $tool: build first" >&2; exit 1; }
done
for tool in jq setpriv setcap; do
  command -v "$tool" > /dev/null || { echo "needs $tool" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-short-XXXXXX")
chmod 0755 "$WORK"
WATCHER_PID=
cleanup() {
  # shellcheck disable=SC2086  # one pid or two
  [ -n "$WATCHER_PID" ] && kill -KILL $WATCHER_PID 2> /dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

getent group tavrek > /dev/null || groupadd --system tavrek
install -o root -g tavrek -m 0750 "$HELPER" "$WORK/tavrek-capture"
setcap cap_sys_admin,cap_dac_read_search+ep "$WORK/tavrek-capture"

start_watcher() {  # WATCHER FOLDER OUTPUT
  : > "$3"
  case $1 in
    root) "$WATCH" --format json --backend fanotify "$2" > "$3" 2> /dev/null & ;;
    before) "$BEFORE_WATCH" --format json --backend fanotify "$2" > "$3" 2> /dev/null & ;;
    helper)
      TAVREK_CAPTURE_HELPER=$WORK/tavrek-capture setpriv --reuid=nobody --regid=nogroup \
        --groups="$(getent group tavrek | cut -d: -f3)" --inh-caps=-all \
        "$WATCH" --format json --backend fanotify "$2" > "$3" 2> /dev/null & ;;
  esac
  WATCHER_PID=$!
  for _ in $(seq "$READY_POLLS"); do
    grep -q '"kind":"start"' "$3" && return 0
    sleep 0.05
  done
  echo "watcher $1 never started" >&2; exit 1
}

wait_quiet() {  # OUTPUT
  local last=-1 same=0 size
  for _ in $(seq "$MAX_POLLS"); do
    size=$(stat -c %s "$1")
    if [ "$size" = "$last" ]; then same=$((same + 1)); else same=0; last=$size; fi
    [ "$same" -ge "$QUIET_POLLS" ] && return 0
    sleep 0.5
  done
}

echo "| watcher | run | files | named touch | with exe | with uid | load |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for watcher in $WATCHERS; do
  for run in $(seq "$RUNS"); do
    folder=$WORK/w-$watcher-$run
    mkdir -m 0755 "$folder"
    output=$WORK/out-$watcher-$run.json
    start_watcher "$watcher" "$folder" "$output"
    for i in $(seq "$COUNT"); do /usr/bin/touch "$folder/f$i"; done
    wait_quiet "$output"
    kill -TERM "$WATCHER_PID" 2> /dev/null; wait "$WATCHER_PID" 2> /dev/null || true
    WATCHER_PID=
    created='select(.kind == "created" and (.path | startswith("'"$folder"'/f")))'
    count() { jq -c "$created | $1 | .path" "$output" | sort -u | wc -l; }
    files=$(count 'select(true)')
    named=$(count 'select(.process == "touch")')
    exe=$(count 'select(.exe != null and (.exe | endswith("/touch")))')
    uid=$(count 'select(.uid == 0)')
    echo "| $watcher | $run | $files | $named | $exe | $uid | $(cut -d' ' -f1 /proc/loadavg) |"
  done
done

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

[ "$EXECS" -gt 0 ] && [ -n "$BEFORE" ] || exit 0
BEFORE_WATCH=$(realpath "$BEFORE/src/cli/tavrek-watch")
# Both watchers at once: the rest of the disk's activity, which each mark sees
# too, costs both alike, so the difference is what the program starts cost.
echo
echo "| run | $EXECS program starts: CPU ticks after | before | load |"
echo "|---:|---:|---:|---:|"
for run in $(seq "$RUNS"); do
  pids=()
  for watcher in root before; do
    folder=$WORK/cost-$watcher-$run
    mkdir -m 0755 "$folder"
    start_watcher "$watcher" "$folder" "$WORK/cost-$watcher-$run.json"
    pids+=("$WATCHER_PID")
  done
  WATCHER_PID="${pids[*]}"
  after_ticks=$(cpu_ticks "${pids[0]}")
  before_ticks=$(cpu_ticks "${pids[1]}")
  load=$(cut -d' ' -f1 /proc/loadavg)
  for _ in $(seq "$EXECS"); do /bin/true; done
  sleep "$DRAIN_SECONDS"  # the same window for both: a busy disk never lets them idle
  echo "| $run | $(( $(cpu_ticks "${pids[0]}") - after_ticks )) |" \
       "$(( $(cpu_ticks "${pids[1]}") - before_ticks )) | $load |"
  kill -TERM "${pids[@]}" 2> /dev/null; wait "${pids[@]}" 2> /dev/null || true
  WATCHER_PID=
done
