#!/usr/bin/env bash
# Polling at scale, as root:
#   bench/poll_reach.sh [BUILD_DIR] > reach.md
# (a) a tree of FUSE_FOLDERS folders (1,000) behind a bindfs mount, watched
#     through the mount (the automatic choice polls it): FUSE_FILES files
#     (20) made behind the mount, one every 1.7 s, each timed until its line
#     names it under the mount;
# (b) an ordinary user (nobody, through setpriv) with an inotify watch limit of
#     LIMIT (2,000) watching a tree of FOLDERS folders (5,000): FILES files
#     (100) written at once in random leaves, the time until the last line.
#     The limit is set in a user namespace of the harness's own, never on the
#     machine (fs.inotify.max_user_watches counts every process of a user).
# Each part runs REPEATS (3) times; every run is printed with the 1-minute load.
# PARTS ("a b") picks parts.
set -euo pipefail
build=$(realpath "${1:-build}")
watch=$build/src/cli/tavrek-watch
reach=$build/bench/scattered_reach
repeats=${REPEATS:-3}
base=$(mktemp -d "${TMPDIR:-/tmp}/poll-reach.XXXXXX")
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then fusermount -u "$mounted" 2>/dev/null || umount "$mounted"; fi
  rm -rf "$base"
}
trap cleanup EXIT
chmod 755 "$base"
load() { cut -d' ' -f1 /proc/loadavg; }

parts=${PARTS:-a b}
[[ $parts == *a* ]] && echo "## (a) a file made behind a bindfs mount, ${FUSE_FOLDERS:-1000} folders"
for run in $( [[ $parts == *a* ]] && seq "$repeats"); do
  mkdir "$base/behind" "$base/mount"
  bindfs "$base/behind" "$base/mount"
  mounted=$base/mount
  echo "run $run, load $(load):"
  "$reach" "$base/behind" "$base/mount" --folders "${FUSE_FOLDERS:-1000}" \
    --files "${FUSE_FILES:-20}" --spread-ms 1700 -- "$watch" "$base/mount" || echo "run failed"
  fusermount -u "$mounted" 2>/dev/null || umount "$mounted"
  mounted=""
  rm -rf "$base/behind" "$base/mount"
done

[[ $parts == *b* ]] &&
  printf '\n## (b) nobody, watch limit %s, %s folders, %s files at once\n' "${LIMIT:-2000}" \
    "${FOLDERS:-5000}" "${FILES:-100}"
for run in $( [[ $parts == *b* ]] && seq "$repeats"); do
  mkdir "$base/tree"
  echo "run $run, load $(load):"
  "$reach" "$base/tree" "$base/tree" --folders "${FOLDERS:-5000}" --files "${FILES:-100}" \
    --watch-limit "${LIMIT:-2000}" -- \
    setpriv --reuid=65534 --regid=65534 --clear-groups "$watch" "$base/tree" || echo "run failed"
  rm -rf "$base/tree"
done
