#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) into build-fuzz/ and runs them over their
# corpus in fuzz/corpus/<harness>.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]   random fuzzing, SECONDS (default
#       60) per harness; new inputs go to build-fuzz/corpus, crashes to
#       build-fuzz/crashes.
#   scripts/fuzz.sh --replay [HARNESS...]    what CI runs: every corpus input
#       once (-runs=0), then a short run from a fixed seed, so the result is
#       the same on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=random
seconds=60
if [ "${1:-}" = "--replay" ]; then
  mode=replay
  shift
elif [ $# -gt 0 ]; then
  seconds=$1
  shift
fi
scripts/deps.sh clang-14 libclang-rt-14-dev
CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DSC_FUZZ=ON -DSC_SANITIZE=ON \
  -DSC_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cc; do harnesses+=("$(basename "$f" .cc)"); done
fi
cmake --build build-fuzz -j "$(nproc)" --target "${harnesses[@]}"
mkdir -p build-fuzz/crashes
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1
for h in "${harnesses[@]}"; do
  common=(-timeout=30 -rss_limit_mb=2048 -artifact_prefix="build-fuzz/crashes/$h-")
  # libFuzzer makes inputs no longer than the largest in the corpus (at
  # least 4096 bytes) unless told: the language server's faults that need a
  # large message (deep nesting, long documents) lie beyond that.
  if [ "$h" = lsp_fuzz ]; then common+=(-max_len=1048576); fi
  if [ "$mode" = replay ]; then
    echo "== $h: corpus replay, then 2000 runs from seed 1"
    "build-fuzz/$h" "${common[@]}" -runs=0 "fuzz/corpus/$h" 2>&1 | grep -E 'ERROR|SUMMARY|DONE' || true
    # New inputs go to a scratch folder, never into the committed corpus.
    rm -rf "build-fuzz/scratch/$h" && mkdir -p "build-fuzz/scratch/$h"
    "build-fuzz/$h" "${common[@]}" -seed=1 -runs=2000 "build-fuzz/scratch/$h" "fuzz/corpus/$h" 2>&1 |
      grep -E 'ERROR|SUMMARY|DONE' || true
  else
    mkdir -p "build-fuzz/corpus/$h"
    echo "== $h for ${seconds}s"
    "build-fuzz/$h" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      "build-fuzz/corpus/$h" "fuzz/corpus/$h" 2>&1 | grep -E 'stat::|Done|ERROR|SUMMARY|crash|DONE' || true
  fi
  # A finding leaves an artifact: fail.
  if ls "build-fuzz/crashes/$h-"* >/dev/null 2>&1; then
    echo "$h: finding in build-fuzz/crashes" >&2
    exit 1
  fi
done
