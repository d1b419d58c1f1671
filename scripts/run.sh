#!/usr/bin/env bash
# Builds the program and runs the built-in scenario into the program's folder
# (build/). Extra arguments go to the program. It builds only the program and
# sets only what that needs in build/'s configuration (no sanitizers, no
# fuzzing harnesses), so a script run after it finds its tests still there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DSC_SANITIZE=OFF -DSC_FUZZ=OFF >/dev/null
cmake --build build --target scenario-compiler
exec build/scenario-compiler "$@"
