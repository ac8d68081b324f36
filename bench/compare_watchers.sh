#!/usr/bin/env bash
# Measures tavrek (both kernel backends) beside inotifywait on this machine and
# prints a Markdown table of medians:
#   bench/compare_watchers.sh [BUILD_DIR]            (default: build)
# Needs a built tree (scripts/build.sh build), inotifywait (apt-get install -y
# inotify-tools) and root for the fanotify backend. Everything it makes lives
# in one folder under ${TMPDIR:-/tmp}, removed at the end.
# Environment: REPEATS (3), LOAD_LIMIT (1.0): before each figure it waits until
# the 1-minute load is below that, at most LOAD_WAIT_SECONDS (600) per part;
# SCALE=small runs every part at a small size, to try the script out;
# PARTS picks parts (default "a b c f h d"; part g, the latency beside CHURN_RATE
# (3000) small files a second made and deleted elsewhere on the same file
# system, runs when named); KEEP_LOSSES=DIR keeps the output of every run
# whose watcher reported fewer creations than were made; KEEP_ROWS=DIR keeps
# the sorted rows of every tavrek run of part h, to compare builds; BEFORE=DIR
# adds the tavrek-watch of another build tree (same layout, for example an
# older commit) as "before" rows: its inotify watch in part a, its watcher in
# parts b, f, g and h, for figures side by side.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${1:-build}
BENCH=$BUILD/bench
WATCH=$BUILD/src/cli/tavrek-watch
REPEATS=${REPEATS:-3}
LOAD_LIMIT=${LOAD_LIMIT:-1.0}
LOAD_WAIT_SECONDS=${LOAD_WAIT_SECONDS:-600}
LOAD_POLL_SECONDS=10
READY_BOUND_SECONDS=600
SETTLE_POLL_SECONDS=0.5
SETTLE_QUIET_POLLS=4      # output unchanged this many polls in a row: done
SETTLE_MAX_POLLS=600      # five minutes at most
STOP_BOUND_POLLS=600      # a watcher gets a minute to exit after SIGTERM

if [ "${SCALE:-full}" = small ]; then
  TREE_SIZES=(1000 5000); STORM_FILES=5000; NESTED_LEVELS=100
  LATENCY_FILES=20; LATENCY_INTERVAL_MS=20; FEED_EVENTS=100000
  MIX_FILES=5000; MIX_RENAMES=500; MIX_DELETES=500
else
  TREE_SIZES=(10000 100000); STORM_FILES=100000; NESTED_LEVELS=1000
  LATENCY_FILES=200; LATENCY_INTERVAL_MS=100; FEED_EVENTS=1000000
  MIX_FILES=100000; MIX_RENAMES=10000; MIX_DELETES=10000
fi
BEFORE=${BEFORE:-}
BEFORE_WATCH=${BEFORE:+$BEFORE/src/cli/tavrek-watch}
if [ -n "$BEFORE" ] && [ ! -x "$BEFORE_WATCH" ]; then
  echo "missing $BEFORE_WATCH" >&2; exit 1
fi
STORM_FOLDERS=100
NESTED_FILES=3
CHURN_RATE=${CHURN_RATE:-3000}
TREE_TOP_FOLDERS=100

for tool in "$WATCH" "$BENCH/watch_ready" "$BENCH/command_ready" "$BENCH/file_storm" \
            "$BENCH/nested_burst" "$BENCH/output_latency" "$BENCH/session_throughput" \
            "$BENCH/disk_churn"; do
  [ -x "$tool" ] || { echo "missing $tool: build first (scripts/build.sh $BUILD)" >&2; exit 1; }
done
command -v inotifywait > /dev/null || { echo "needs inotifywait (inotify-tools)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavrek-bench.XXXXXX")
WATCHER_PID=
WATCHER_NAME=
cleanup() {
  [ -n "$WATCHER_PID" ] && kill -KILL "$WATCHER_PID" 2> /dev/null
  note "removing $WORK"
  rm -rf "$WORK"
}
trap cleanup EXIT

note() { echo "# $*" >&2; }

# Every run gets a folder of its own, and nothing is removed before the end:
# creating files right after a large removal was up to 25 times slower here
# (ext4 on a virtual disk), which would blur the next figure.
fresh_folder() { mktemp -d "$WORK/$1.XXXXXX"; }

# --- load ------------------------------------------------------------------

WAIT_LEFT=$LOAD_WAIT_SECONDS
LOAD=
start_part() { WAIT_LEFT=$LOAD_WAIT_SECONDS; note "part $1"; }

# Waits until the machine is quiet, within what is left of the part's budget;
# LOAD holds the 1-minute load the figure starts at.
wait_for_quiet() {
  while :; do
    read -r LOAD _ < /proc/loadavg
    awk -v l="$LOAD" -v m="$LOAD_LIMIT" 'BEGIN { exit !(l < m) }' && return 0
    if ((WAIT_LEFT <= 0)); then
      note "load $LOAD: waiting budget of this part spent, measuring anyway"
      return 0
    fi
    sleep "$LOAD_POLL_SECONDS"
    WAIT_LEFT=$((WAIT_LEFT - LOAD_POLL_SECONDS))
  done
}

# --- figures -----------------------------------------------------------------

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The value after KEY in a line of "key value" pairs.
field() { awk -v k="$2" '{ for (i = 1; i < NF; i++) if ($i == k) { print $(i + 1); exit } }' <<< "$1"; }

row() {  # PART FIGURE WATCHER VALUES...
  local part=$1 figure=$2 watcher=$3; shift 3
  printf '| %s | %s | %s | %s | %s | %s |\n' "$part" "$figure" "$watcher" "$(median "$@")" \
    "$*" "$LOAD"
}

# Runs COMMAND REPEATS times and keeps each output line in RUNS. Not in a
# subshell, so that a failure ends the script and the watcher is known.
repeat() {
  local run
  RUNS=()
  for ((run = 0; run < REPEATS; run++)); do
    "$@" > "$WORK/run"
    RUNS+=("$(cat "$WORK/run")")
  done
}

# Rows for the named fields of the RUNS.
rows_of_runs() {  # PART FIGURE WATCHER FIELD...
  local part=$1 figure=$2 watcher=$3 key values line; shift 3
  for key in "$@"; do
    values=()
    for line in "${RUNS[@]}"; do values+=("$(field "$line" "$key")"); done
    row "$part" "$figure: $key" "$watcher" "${values[@]}"
  done
}

# --- watchers ----------------------------------------------------------------

# CMD: the watcher NAME on FOLDER; MARKER: the text on standard error that
# says it is ready, empty when its first standard output line says so.
watcher_command() {
  local folder=$2
  MARKER=
  case $1 in
    tavrek-inotify)      CMD=("$WATCH" --backend inotify --only "rename,subtree" "$folder") ;;
    tavrek-fanotify)     CMD=("$WATCH" --backend fanotify --only "rename,subtree" "$folder") ;;
    tavrek-inotify-all)  CMD=("$WATCH" --backend inotify "$folder") ;;
    tavrek-fanotify-all) CMD=("$WATCH" --backend fanotify "$folder") ;;
    before-inotify-all)  CMD=("$BEFORE_WATCH" --backend inotify "$folder") ;;
    before-fanotify-all) CMD=("$BEFORE_WATCH" --backend fanotify "$folder") ;;
    inotifywait)         CMD=(inotifywait -m -r -e create --format '%w%f' "$folder") ;;
    inotifywait-all)     CMD=(inotifywait -m -r "$folder") ;;
    *) echo "unknown watcher $1" >&2; exit 1 ;;
  esac
  case $1 in inotifywait*) MARKER="Watches established." ;; esac
}

start_watcher() {  # NAME FOLDER
  watcher_command "$1" "$2"
  # Emptied here, not by the child's redirection, so that the previous run's
  # output cannot pass for this watcher's ready line.
  : > "$WORK/out"
  : > "$WORK/err"
  "${CMD[@]}" > "$WORK/out" 2> "$WORK/err" &
  WATCHER_PID=$!
  WATCHER_NAME=$1
  local polls
  for ((polls = 0; polls < READY_BOUND_SECONDS * 20; polls++)); do
    if [ -z "$MARKER" ]; then [ -s "$WORK/out" ] && return 0
    else grep -qF "$MARKER" "$WORK/err" && return 0; fi
    kill -0 "$WATCHER_PID" 2> /dev/null || break
    sleep 0.05
  done
  echo "watcher $1 never became ready:" >&2
  cat "$WORK/err" >&2
  exit 1
}

# Waits (bounded) until the watcher's output stops growing.
wait_output_settles() {
  local last=-1 same=0 size polls
  for ((polls = 0; polls < SETTLE_MAX_POLLS; polls++)); do
    size=$(stat -c %s "$WORK/out")
    if [ "$size" = "$last" ]; then
      same=$((same + 1))
      ((same >= SETTLE_QUIET_POLLS)) && return 0
    else
      same=0
      last=$size
    fi
    sleep "$SETTLE_POLL_SECONDS"
  done
  note "output of the watcher still growing after $((SETTLE_MAX_POLLS / 2)) s"
}

stop_watcher() {
  local polls
  kill -TERM "$WATCHER_PID"
  for ((polls = 0; polls < STOP_BOUND_POLLS; polls++)); do
    kill -0 "$WATCHER_PID" 2> /dev/null || break
    sleep 0.1
  done
  if kill -0 "$WATCHER_PID" 2> /dev/null; then
    note "watcher did not stop within a minute of SIGTERM: killed"
    kill -KILL "$WATCHER_PID"
  fi
  local status=0
  wait "$WATCHER_PID" || status=$?
  # inotifywait ends by the signal; tavrek-watch is to exit 0 on SIGTERM.
  [[ $WATCHER_NAME == inotifywait* || $status = 0 ]] || note "$WATCHER_NAME exited with $status"
  WATCHER_PID=
}

# Distinct paths below FOLDER reported as created whose last part matches
# the pattern NAME (an awk regular expression).
count_created() {  # WATCHER FOLDER NAME
  case $1 in
    tavrek*) awk -F'\t' -v f="$2/" -v n="$3" \
               '$2 == "Erstellen" && index($3, f) == 1 && $3 ~ ("/" n "$") { print $3 }' \
               "$WORK/out" ;;
    *) awk -v f="$2/" -v n="$3" 'index($0, f) == 1 && $0 ~ ("/" n "$")' "$WORK/out" ;;
  esac | sort -u | wc -l
}

# Keeps the watcher's output when it reported COUNT of EXPECTED creations.
keep_if_lost() {  # WATCHER COUNT EXPECTED
  [ -n "${KEEP_LOSSES:-}" ] && (($2 < $3)) || return 0
  local kept
  mkdir -p "$KEEP_LOSSES"
  kept=$(mktemp -d "$KEEP_LOSSES/$1.XXXXXX")
  cp "$WORK/out" "$WORK/err" "$kept/"
  note "$1 reported $2 of $3: output kept in $kept"
}

# Kernel queue overflows the watcher reported.
count_overflows() {
  case $1 in
    none) echo 0 ;;
    tavrek*)
      local total
      total=$({ grep -o 'overflowed ([0-9]*' "$WORK/err" || true; } | tail -n 1 | tr -dc '0-9')
      echo "${total:-0}" ;;
    *) grep -c -i 'overflow' "$WORK/err" || true ;;
  esac
}

# User and system CPU time a process has used so far.
cpu_ms() {
  awk -v tick="$(getconf CLK_TCK)" '{ printf "%d\n", ($14 + $15) * 1000 / tick }' "/proc/$1/stat"
}

# --- (a) start-up on large trees ---------------------------------------------

make_tree() {  # ROOT DIRECTORIES: TREE_TOP_FOLDERS folders with the rest spread below
  local root=$1 per=$(($2 / TREE_TOP_FOLDERS - 1)) i
  mkdir -p "$root"
  for ((i = 0; i < TREE_TOP_FOLDERS; i++)); do
    mkdir "$root/a$i"
    (cd "$root/a$i" && seq -f 'b%g' 1 "$per" | xargs mkdir)
  done
}

time_find() {
  local start end cpu TIMEFORMAT='%3U %3S'
  start=$(date +%s%N)
  cpu=$({ time find "$1" -type d > /dev/null; } 2>&1)
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v cpu="$cpu" \
    'BEGIN { split(cpu, t, " "); printf "ready_ms %.1f cpu_ms %.0f\n", ns / 1e6, (t[1] + t[2]) * 1000 }'
}

ready_of_command() {  # WATCHER TREE
  watcher_command "$1" "$2"
  if [ -n "$MARKER" ]; then "$BENCH/command_ready" --stderr "$MARKER" "${CMD[@]}"
  else "$BENCH/command_ready" "${CMD[@]}"; fi
}

part_startup() {
  local size tree backend watcher
  for size in "${TREE_SIZES[@]}"; do
    start_part "(a) $size directories"
    tree=$WORK/tree$size
    make_tree "$tree" "$size"
    find "$tree" -type d > /dev/null  # warm the cache
    wait_for_quiet; repeat time_find "$tree"
    rows_of_runs a "ready, $size dirs" "find -type d" ready_ms cpu_ms
    for backend in inotify fanotify; do
      wait_for_quiet; repeat "$BENCH/watch_ready" "$tree" "$backend"
      rows_of_runs a "ready, $size dirs" "FolderSource $backend" ready_ms rss_kib
    done
    if [ -n "$BEFORE" ]; then
      wait_for_quiet; repeat "$BEFORE/bench/watch_ready" "$tree" inotify
      rows_of_runs a "ready, $size dirs" "FolderSource inotify before" ready_ms rss_kib
    fi
    for watcher in tavrek-inotify-all ${BEFORE:+before-inotify-all} tavrek-fanotify-all \
                   inotifywait-all; do
      wait_for_quiet; repeat ready_of_command "$watcher" "$tree"
      rows_of_runs a "ready, $size dirs" "$watcher (process)" ready_ms rss_kib cpu_ms
    done
  done
}

# --- (b) file storm ----------------------------------------------------------

storm_run() {  # WATCHER; prints "wall_ms X reported N overflows K"
  local folder i result
  folder=$(fresh_folder storm)
  for ((i = 0; i < STORM_FOLDERS; i++)); do mkdir "$folder/d$i"; done
  [ "$1" = none ] || start_watcher "$1" "$folder"
  result=$("$BENCH/file_storm" "$folder" "$STORM_FILES" "$STORM_FOLDERS")
  local reported=0 cpu=0
  if [ "$1" != none ]; then
    wait_output_settles
    cpu=$(cpu_ms "$WATCHER_PID")
    stop_watcher
    reported=$(count_created "$1" "$folder" 'f[0-9]+')
    keep_if_lost "$1" "$reported" "$STORM_FILES"
  fi
  echo "wall_ms $(field "$result" wall_ms) reported $reported" \
       "overflows $(count_overflows "$1") watcher_cpu_ms $cpu"
}

# Runs RUN_FUNCTION for every watcher of WATCHERS (a blank-separated list),
# round after round, so that a drift of the file system's speed over the part
# (journal, caches) falls on all of them alike; then the rows of FIELDS.
#   in_rounds PART FIGURE RUN_FUNCTION WATCHERS FIELDS...
in_rounds() {
  local part=$1 figure=$2 run=$3 watchers
  read -r -a watchers <<< "$4"
  shift 4
  local -A lines loads
  local round watcher
  for ((round = 0; round < REPEATS; round++)); do
    for watcher in "${watchers[@]}"; do
      wait_for_quiet
      "$run" "$watcher" > "$WORK/run"
      lines[$watcher]+="$(cat "$WORK/run")"$'\n'
      loads[$watcher]+="$LOAD "
    done
  done
  for watcher in "${watchers[@]}"; do
    mapfile -t RUNS <<< "${lines[$watcher]%$'\n'}"
    LOAD=${loads[$watcher]% }
    rows_of_runs "$part" "$figure" "$watcher" "$@"
  done
}

part_storm() {
  start_part "(b) $STORM_FILES files in $STORM_FOLDERS folders"
  local watchers="none tavrek-inotify tavrek-fanotify"
  watchers+=" $(with_before tavrek-inotify-all tavrek-fanotify-all | tr '\n' ' ')inotifywait"
  in_rounds b "storm of $STORM_FILES" storm_run "$watchers" \
    wall_ms reported overflows watcher_cpu_ms
}

# --- (c) nested burst --------------------------------------------------------

nested_run() {  # WATCHER; prints "files N folders M overflows K"
  local folder
  folder=$(fresh_folder nested)
  start_watcher "$1" "$folder"
  "$BENCH/nested_burst" "$folder" "$NESTED_LEVELS" "$NESTED_FILES" > /dev/null
  wait_output_settles
  stop_watcher
  local files
  files=$(count_created "$1" "$folder" 'f[0-9]+')
  keep_if_lost "$1" "$files" $((NESTED_LEVELS * NESTED_FILES))
  echo "files $files folders $(count_created "$1" "$folder" 'd')" \
       "overflows $(count_overflows "$1")"
}

part_nested() {
  local watcher
  start_part "(c) $NESTED_LEVELS nested folders"
  for watcher in tavrek-inotify tavrek-fanotify tavrek-inotify-all tavrek-fanotify-all \
                 inotifywait; do
    wait_for_quiet; repeat nested_run "$watcher"
    rows_of_runs c "nested $NESTED_LEVELS x $NESTED_FILES" "$watcher" files folders overflows
  done
}

# --- (d)/(e) and the window: in-process harnesses ----------------------------

# Runs COMMAND REPEATS times and prints its output once, each number replaced
# by the median of that number over the runs.
median_lines() {
  local run
  for ((run = 0; run < REPEATS; run++)); do "$@" > "$WORK/lines$run"; done
  awk -f - "$WORK"/lines* <<'EOF'
FNR == 1 { files++ }
{ line[files, FNR] = $0; if (FNR > lines) lines = FNR }
function middle(values, count,   i, j, t) {
  for (i = 2; i <= count; i++)
    for (j = i; j > 1 && values[j - 1] + 0 > values[j] + 0; j--) {
      t = values[j]; values[j] = values[j - 1]; values[j - 1] = t
    }
  return values[int((count + 1) / 2)]
}
END {
  for (n = 1; n <= lines; n++) {
    for (f = 1; f <= files; f++) {
      rest = line[f, n]; c = 0
      while (match(rest, /[0-9]+(\.[0-9]+)?/)) {
        number[f, ++c] = substr(rest, RSTART, RLENGTH); rest = substr(rest, RSTART + RLENGTH)
      }
    }
    out = ""; rest = line[1, n]; c = 0
    while (match(rest, /[0-9]+(\.[0-9]+)?/)) {
      c++
      for (f = 1; f <= files; f++) values[f] = number[f, c]
      out = out substr(rest, 1, RSTART - 1) middle(values, files)
      rest = substr(rest, RSTART + RLENGTH)
    }
    print "    " out rest
  }
}
EOF
  rm -f "$WORK"/lines*
}

part_harnesses() {
  start_part "(d)/(e) session throughput"
  wait_for_quiet
  echo
  echo "session_throughput (median of $REPEATS runs, load $LOAD):"
  median_lines "$BENCH/session_throughput"
  if [ -x "$BENCH/ui_window_feed" ]; then
    start_part "window feed"
    wait_for_quiet
    echo
    echo "ui_window_feed $FEED_EVENTS (median of $REPEATS runs, load $LOAD):"
    QT_QPA_PLATFORM=offscreen median_lines "$BENCH/ui_window_feed" "$FEED_EVENTS"
  fi
}

# --- (f) output latency ------------------------------------------------------

latency_run() {  # WATCHER
  local folder
  folder=$(fresh_folder latency)
  watcher_command "$1" "$folder"
  local ready=()
  [ -n "$MARKER" ] && ready=(--stderr "$MARKER")
  "$BENCH/output_latency" "$folder" --files "$LATENCY_FILES" \
    --interval-ms "$LATENCY_INTERVAL_MS" "${ready[@]}" "${CMD[@]}"
}

# The tavrek watchers of this build, and of the BEFORE build when given.
with_before() {
  echo "$@"
  [ -z "$BEFORE" ] || echo before-inotify-all before-fanotify-all
}

# Rounds in turns, so that the load of the moment falls on every watcher alike.
part_latency() {
  start_part "(f) output latency"
  in_rounds f "latency, $LATENCY_FILES files" latency_run \
    "$(with_before tavrek-inotify-all tavrek-fanotify-all inotifywait | tr '\n' ' ')" \
    seen p50_ms p99_ms max_ms
}

# The same while another program keeps the file system busy in a folder beside
# the watched one (disk_churn, CHURN_RATE small files a second).
churn_latency_run() {  # WATCHER
  local churn pid
  churn=$(fresh_folder churn)
  "$BENCH/disk_churn" "$churn" "$CHURN_RATE" > /dev/null &
  pid=$!
  latency_run "$1"
  kill -TERM "$pid"
  wait "$pid" || note "disk_churn ended with $?"
}

part_latency_churn() {
  start_part "(g) output latency beside $CHURN_RATE files a second elsewhere"
  in_rounds g "latency beside churn, $LATENCY_FILES files" churn_latency_run \
    "$(with_before tavrek-inotify-all tavrek-fanotify-all inotifywait | tr '\n' ' ')" \
    seen p50_ms p99_ms max_ms
}

# --- (h) CPU of a mixed burst ------------------------------------------------

# Creates, renames and deletes in STORM_FOLDERS folders; prints the CPU time
# the watcher spent until its output settled.
mix_run() {  # WATCHER
  local folder i result
  folder=$(fresh_folder mix)
  for ((i = 0; i < STORM_FOLDERS; i++)); do mkdir "$folder/d$i"; done
  start_watcher "$1" "$folder"
  result=$("$BENCH/file_storm" "$folder" "$MIX_FILES" "$STORM_FOLDERS" "$MIX_RENAMES" \
           "$MIX_DELETES")
  wait_output_settles
  local cpu
  cpu=$(cpu_ms "$WATCHER_PID")
  stop_watcher
  keep_rows "$1" "$folder"
  echo "watcher_cpu_ms $cpu lines $(wc -l < "$WORK/out") wall_ms $(field "$result" wall_ms)" \
       "overflows $(count_overflows "$1")"
}

# With KEEP_ROWS=DIR, a tavrek watcher's rows of the run sorted by action,
# path and old path (the run's folder taken out), to compare builds.
keep_rows() {  # WATCHER FOLDER
  [ -n "${KEEP_ROWS:-}" ] && [[ $1 != inotifywait* ]] || return 0
  mkdir -p "$KEEP_ROWS"
  awk -F'\t' -v f="$2" 'BEGIN { OFS = "\t" }
    function bare(p) { return index(p, f) == 1 ? substr(p, length(f) + 1) : p }
    { print $2, bare($3), bare($4) }' "$WORK/out" | sort \
    > "$(mktemp "$KEEP_ROWS/$1.XXXXXX")"
}

# Every kind of change on both sides: tavrek with all watchers, inotifywait
# with all events.
part_mix() {
  start_part "(h) CPU of $MIX_FILES creates, $MIX_RENAMES renames, $MIX_DELETES deletes"
  in_rounds h "mixed burst" mix_run \
    "$(with_before tavrek-inotify-all tavrek-fanotify-all inotifywait-all | tr '\n' ' ')" \
    watcher_cpu_ms lines overflows
}

# --- main --------------------------------------------------------------------

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, kernel $(uname -r)," \
     "inotify max_queued_events $(cat /proc/sys/fs/inotify/max_queued_events)," \
     "$REPEATS runs per figure"
echo
echo "| part | figure | watcher | median | runs | load |"
echo "|---|---|---|---|---|---|"
for part in ${PARTS:-a b c f h d}; do
  case $part in
    a) part_startup ;;
    b) part_storm ;;
    c) part_nested ;;
    f) part_latency ;;
    g) part_latency_churn ;;
    h) part_mix ;;
    d) part_harnesses ;;
    *) echo "unknown part $part" >&2; exit 2 ;;
  esac
done
