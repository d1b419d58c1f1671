#!/usr/bin/env bash
# Builds from a fresh configuration and runs every test, saying what it does at
# each step. Both build folders are configured afresh (cmake --fresh): no
# option that another script or a hand-run cmake left in their caches
# carries over, only the defaults and the arguments given here.
#   1. installs missing Debian packages (scripts/deps.sh), with chromium for
#      the browser tests and Node.js where the machine has none;
#   2. a normal build with the benchmarks (build/), all unit tests, then each
#      benchmark once as a smoke test;
#   3. the viewer page's tests in a real browser (chromium, driven by
#      puppeteer-core installed with npm ci from tests/browser/package-lock.json;
#      screenshots in build/browser-tests), and the language server and the
#      VS Code grammars through a scripted client (tests/editor);
#   4. a debug build under AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-asan/) and the unit tests again.
# Extra arguments go to both CMake configurations, e.g. -DSC_WERROR=ON as CI
# gives.
set -euo pipefail
cd "$(dirname "$0")/.."
step() { echo; echo "== $*"; }
step "Packages"
browser_packages=(chromium)
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then browser_packages+=(nodejs npm); fi
scripts/deps.sh "${browser_packages[@]}"
jobs=$(nproc)

step "Normal build (build/)"
cmake --fresh -S . -B build -G Ninja -DSC_BUILD_BENCH=ON "$@"
cmake --build build -j "$jobs"
step "Tests (build/)"
ctest --test-dir build --output-on-failure -j "$jobs"
step "Benchmarks, once each (smoke test)"
build/sc_bench --benchmark_min_time=0 --benchmark_repetitions=1 >/dev/null

step "Browser tests (tests/browser)"
(cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
(cd tests/browser && SC_PROGRAM="$PWD/../../build/scenario-compiler" node --test)
step "Editor tests (tests/editor)"
(cd tests/editor && npm ci --no-audit --no-fund --loglevel=error)
(cd tests/editor && SC_PROGRAM="$PWD/../../build/scenario-compiler" node --test)

step "Sanitizer build (build-asan/)"
cmake --fresh -S . -B build-asan -G Ninja -DSC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug "$@"
cmake --build build-asan -j "$jobs" --target sc_tests scenario-compiler
step "Tests under the sanitizers (build-asan/)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
step "All tests passed"
