#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. CTest's closing line is the verdict.
#   scripts/test.sh             the normal build (build/)
#   scripts/test.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

extra=()
export BUILD_DIR=${BUILD_DIR:-$root/build}
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=$root/build-sanitize
    extra+=(-DCLINOVA_SANITIZE=ON -DCLINOVA_BUILD_GUI=OFF -DCLINOVA_BUILD_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=0
    # A report of undefined behaviour fails its test instead of scrolling by.
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
"$root/scripts/build.sh" "${extra[@]}"
cd "$BUILD_DIR"
# A test that fails is run once more before it counts: the server-stop fault test can meet the stopped
# server still holding its file for a moment.
ctest --output-on-failure -j"${JOBS:-2}" --timeout 600 --repeat until-pass:2
