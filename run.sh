#!/usr/bin/env bash
# Builds Tavrek and starts it. Until the window exists this starts the console
# watcher on the folder given, or on the home folder.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
folder=${1:-$HOME}
[ $# -gt 0 ] && shift
exec build/src/cli/tavrek-watch "$@" "$folder"
