#!/usr/bin/env bash
# Builds Tavrek and starts it. `./run.sh --console [FOLDER] [options]` starts the
# console watcher instead, on the folder given or the home folder.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" = "--console" ]; then
  shift
  folder=${1:-$HOME}
  [ $# -gt 0 ] && shift
  exec build/src/cli/tavrek-watch "$@" "$folder"
fi
exec build/src/ui/tavrek "$@"
