#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [cmake-args...]
# Uses ccache when it is installed, so repeated builds of unchanged files are cheap.
set -euo pipefail
dir=$1; shift
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
