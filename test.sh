#!/usr/bin/env bash
# Builds everything and runs every test: the normal build (whose kernel-facing
# tests then run five times more, in parallel, so that a flaky one fails here
# and not later), then the core and engine tests under address+undefined and
# under thread sanitizer (the Qt libraries are not instrumented, so the widget
# tests run in the normal build), then every fuzz target for a bounded time.
# TAVREK_QUICK=1 runs the normal build only.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

werror=-DTAVREK_WERROR=${CI:+ON}
export QT_QPA_PLATFORM=offscreen
run_ctest() { ctest --test-dir "$1" --output-on-failure --no-tests=error -j "$(nproc)" "${@:2}"; }

echo "== normal build"
scripts/build.sh build $werror
run_ctest build
echo "== kernel-facing tests, repeated in parallel"
run_ctest build -L integration --repeat until-fail:5

[ "${TAVREK_QUICK:-0}" = 1 ] && exit 0

echo "== address and undefined behaviour sanitizers"
scripts/build.sh build-asan $werror -DTAVREK_SANITIZE=address,undefined -DTAVREK_BUILD_BENCH=OFF -DTAVREK_BUILD_UI=OFF
run_ctest build-asan

echo "== thread sanitizer"
scripts/build.sh build-tsan $werror -DTAVREK_SANITIZE=thread -DTAVREK_BUILD_BENCH=OFF -DTAVREK_BUILD_UI=OFF
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan

echo "== Debian package"
scripts/package.sh build-package
echo "== fuzz targets (clang, address and undefined behaviour sanitizers)"
CXX=clang++ scripts/build.sh build-fuzz -DTAVREK_BUILD_FUZZ=ON -DTAVREK_SANITIZE=address,undefined \
  -DTAVREK_BUILD_TESTS=OFF -DTAVREK_BUILD_BENCH=OFF -DTAVREK_BUILD_UI=OFF
scripts/fuzz.sh build-fuzz "${TAVREK_FUZZ_SECONDS:-15}"
