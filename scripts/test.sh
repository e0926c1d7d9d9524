#!/usr/bin/env bash
# Builds Orvandel with its tests (installing what is missing) and runs them without a display.
# Tests labelled "slow" are left out; run them with: (cd build && ctest -L slow)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build_dir=${ORVANDEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANDEL_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir"
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -LE slow -j "$(nproc)"
