#!/usr/bin/env bash
# Runs the preview and dump tests under valgrind's memcheck: it reports a read
# of uninitialised memory (a conversion's unused buffer copied into output,
# say), which AddressSanitizer does not. Uses the normal build in build/, with
# the tests on and the sanitizers off whatever an earlier run set there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh valgrind
cmake -S . -B build -G Ninja -DSC_BUILD_TESTS=ON -DSC_SANITIZE=OFF -DSC_FUZZ=OFF >/dev/null
cmake --build build -j "$(nproc)" --target sc_tests
# The in-process tests only: those that start the program would measure the
# shell instead.
valgrind --tool=memcheck --error-exitcode=1 --track-origins=yes --quiet \
  build/sc_tests --gtest_brief=1 \
  --gtest_filter='PreviewSvg*:PreviewXml*:PreviewCommandTest*:PreviewCompiledTest*:Dump*-DumpCli*'
