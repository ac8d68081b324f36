#!/usr/bin/env bash
# Stopped-reader overflow: each watcher is started on a tree of FOLDERS empty
# folders and stopped (SIGSTOP) once it is ready; FILES empty files are
# created in those folders (more than the kernel queue holds), then one more
# folder "late" with LATE_FILES files, after the overflow point; then the
# watcher is resumed (SIGCONT). Afterwards one file "after" is made in every
# folder: it shows whether the folder made during the loss is watched.
#   bench/stopped_reader.sh [BUILD_DIR] > rows.md
# Prints a Markdown row per watcher: created paths reported of those made
# while stopped, of the files made after the resume, and overflows said.
set -euo pipefail

BUILD=${1:-build}
FILES=${FILES:-20000}
FOLDERS=${FOLDERS:-10}
LATE_FILES=${LATE_FILES:-100}
WATCHERS=${WATCHERS:-"tavrek-inotify tavrek-inotify-all inotifywait"}
WATCH=$BUILD/src/cli/tavrek-watch
STORM=$BUILD/bench/file_storm
READY_POLLS=600        # 30 s at 50 ms
QUIET_POLLS=4          # output unchanged for 2 s at 0.5 s
MAX_POLLS=240          # 2 min

for tool in "$WATCH" "$STORM"; do
  [ -x "$tool" ] || { echo "missing $tool: build first" >&2; exit 1; }
done
command -v inotifywait > /dev/null || echo "inotifywait missing (apt-get install inotify-tools)" >&2

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-stopped-XXXXXX")
WATCHER_PID=
cleanup() {
  [ -n "$WATCHER_PID" ] && kill -CONT "$WATCHER_PID" 2> /dev/null && kill -KILL "$WATCHER_PID" 2> /dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

command_of() {  # NAME FOLDER
  MARKER=
  case $1 in
    tavrek-inotify)     CMD=("$WATCH" --backend inotify --only "rename,subtree" "$2") ;;
    tavrek-inotify-all) CMD=("$WATCH" --backend inotify "$2") ;;
    tavrek-fanotify)    CMD=("$WATCH" --backend fanotify --only "rename,subtree" "$2") ;;
    inotifywait)        CMD=(inotifywait -m -r -e create --format '%w%f' "$2")
                        MARKER="Watches established." ;;
    *) echo "unknown watcher $1" >&2; exit 1 ;;
  esac
}

wait_ready() {
  local polls
  for ((polls = 0; polls < READY_POLLS; polls++)); do
    if [ -z "$MARKER" ]; then [ -s "$WORK/out" ] && return 0
    else grep -qF "$MARKER" "$WORK/err" && return 0; fi
    sleep 0.05
  done
  echo "watcher never became ready" >&2
  exit 1
}

wait_quiet() {
  local last=-1 same=0 size polls
  for ((polls = 0; polls < MAX_POLLS; polls++)); do
    size=$(stat -c %s "$WORK/out")
    if [ "$size" = "$last" ]; then
      same=$((same + 1))
      ((same >= QUIET_POLLS)) && return 0
    else
      same=0
      last=$size
    fi
    sleep 0.5
  done
}

# Distinct created paths below FOLDER whose last part matches NAME.
count_created() {  # WATCHER FOLDER NAME
  case $1 in
    tavrek*) awk -F'\t' -v f="$2/" -v n="$3" \
               '$2 == "Erstellen" && index($3, f) == 1 && $3 ~ ("/" n "$") { print $3 }' \
               "$WORK/out" ;;
    *) awk -v f="$2/" -v n="$3" 'index($0, f) == 1 && $0 ~ ("/" n "$")' "$WORK/out" ;;
  esac | sort -u | wc -l
}

run() {  # WATCHER
  local tree=$WORK/tree folder
  rm -rf "$tree"
  mkdir -p "$tree"
  for ((folder = 0; folder < FOLDERS; folder++)); do mkdir "$tree/d$folder"; done
  command_of "$1" "$tree"
  : > "$WORK/out"
  : > "$WORK/err"
  "${CMD[@]}" > "$WORK/out" 2> "$WORK/err" &
  WATCHER_PID=$!
  wait_ready
  kill -STOP "$WATCHER_PID"
  "$STORM" "$tree" "$FILES" "$FOLDERS" > /dev/null
  mkdir "$tree/late"
  for ((file = 0; file < LATE_FILES; file++)); do : > "$tree/late/l$file"; done
  kill -CONT "$WATCHER_PID"
  wait_quiet
  for folder in "$tree"/d* "$tree/late"; do : > "$folder/after"; done
  wait_quiet
  kill -TERM "$WATCHER_PID"
  wait "$WATCHER_PID" || true
  WATCHER_PID=
  local made=$((FILES + 1 + LATE_FILES))
  local stopped=$(count_created "$1" "$tree" '(late|f[0-9]+|l[0-9]+)')
  local after=$(count_created "$1" "$tree" after)
  local overflows=$(grep -c "übergelaufen\|overflow" "$WORK/out" "$WORK/err" | awk -F: '{s += $2} END {print s}')
  local rescan=$(grep -c "neu eingelesen" "$WORK/out" || true)
  echo "| $1 | $stopped of $made | $after of $((FOLDERS + 1)) | $overflows | $rescan |"
}

echo "| watcher | created while stopped, reported | made after resume, reported | overflow lines | rows marked neu eingelesen |"
echo "|---|---|---|---|---|"
for watcher in $WATCHERS; do run "$watcher"; done
