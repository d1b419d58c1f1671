#!/usr/bin/env bash
# Builds from scratch and runs every test: a normal build, the viewer page's
# tests in a real browser (chromium, driven by puppeteer-core installed with
# npm ci from tests/browser/package-lock.json), then the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's chromium for the browser tests, and Node.js with npm where the
# machine has none.
browser_packages=(chromium)
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then browser_packages+=(nodejs npm); fi
scripts/deps.sh "${browser_packages[@]}"
jobs=$(nproc)

cmake -S . -B build -G Ninja -DSC_BUILD_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Screenshots of each state go to build/browser-tests.
(cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
(cd tests/browser && SC_PROGRAM="$PWD/../../build/scenario-compiler" node --test)
# The language server through a scripted client, and the VS Code grammars.
(cd tests/editor && npm ci --no-audit --no-fund --loglevel=error)
(cd tests/editor && SC_PROGRAM="$PWD/../../build/scenario-compiler" node --test)

cmake -S . -B build-asan -G Ninja -DSC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-asan -j "$jobs" --target sc_tests scenario-compiler
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
