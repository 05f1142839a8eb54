#!/usr/bin/env bash
# Installs the dependencies, builds from scratch and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" "$root/build"
cd "$root/build"
# The scanning tests wait on SANE's test backend, which reads its pages on
# threads of its own: they run after the rest, one at a time, so that a
# busy machine does not starve them.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" -E '^Scanning\.'
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R '^Scanning\.'

