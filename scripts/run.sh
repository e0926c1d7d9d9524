#!/usr/bin/env bash
# Builds Orvandel (installing what is missing) and starts it. Arguments go to the program:
#   scripts/run.sh                          opens the window
#   scripts/run.sh extract -o OUT card.vcf  runs the command line
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target orvandel
exec build/orvandel "$@"
