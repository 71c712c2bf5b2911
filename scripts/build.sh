#!/usr/bin/env bash
# Configures and builds everything into build/ (or the folder in BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DCLINOVA_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
