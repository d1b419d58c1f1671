#!/usr/bin/env bash
# Builds the program and runs the built-in scenario into the program's folder
# (build/). Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DSC_BUILD_TESTS=OFF >/dev/null
cmake --build build --target scenario-compiler
exec build/scenario-compiler "$@"
