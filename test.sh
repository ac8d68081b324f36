#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the core and
# engine tests under address+undefined and under thread sanitizer (the Qt
# libraries are not instrumented, so the widget tests run in the normal build).
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

[ "${TAVREK_QUICK:-0}" = 1 ] && exit 0

echo "== address and undefined behaviour sanitizers"
scripts/build.sh build-asan $werror -DTAVREK_SANITIZE=address,undefined -DTAVREK_BUILD_BENCH=OFF -DTAVREK_BUILD_UI=OFF
run_ctest build-asan

echo "== thread sanitizer"
scripts/build.sh build-tsan $werror -DTAVREK_SANITIZE=thread -DTAVREK_BUILD_BENCH=OFF -DTAVREK_BUILD_UI=OFF
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan

echo "== Debian package"
scripts/package.sh build-package
