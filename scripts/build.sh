#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1) with extra
# CMake options from the rest of the arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DVELMIR_WERROR=ON "$@"
cmake --build "$dir" -j "$(nproc)"
