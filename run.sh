#!/usr/bin/env bash
# Builds Tavrek and starts it. `./run.sh --console [FOLDER] [options]` starts the
# console watcher instead, on the folder given or the home folder.
# Only the two programs are built, in a tree of their own (build-run): the tests
# and benchmarks are ./test.sh's, in `build`.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-run -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVREK_BUILD_TESTS=OFF -DTAVREK_BUILD_BENCH=OFF >/dev/null
cmake --build build-run --parallel "$(nproc)" --target tavrek tavrek-watch
if [ "${1:-}" = "--console" ]; then
  shift
  folder=${1:-$HOME}
  [ $# -gt 0 ] && shift
  exec build-run/src/cli/tavrek-watch "$@" "$folder"
fi
exec build-run/src/ui/tavrek "$@"
