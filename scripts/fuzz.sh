#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for SECONDS (default 60) over
# its corpus in fuzz/corpus/<harness>. New inputs found go to build-fuzz/corpus,
# crashes to build-fuzz/crashes. Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/deps.sh
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DSC_FUZZ=ON -DSC_SANITIZE=ON \
  -DSC_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=()
  for f in fuzz/*_fuzz.cc; do harnesses+=("$(basename "$f" .cc)"); done
fi
cmake --build build-fuzz -j "$(nproc)" --target "${harnesses[@]}"
mkdir -p build-fuzz/crashes
for h in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$h"
  echo "== $h for ${seconds}s"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
    "build-fuzz/$h" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/crashes/$h-" -print_final_stats=1 \
    "build-fuzz/corpus/$h" "fuzz/corpus/$h" 2>&1 | grep -E 'stat::|Done|ERROR|SUMMARY|crash|DONE' || true
  # A finding leaves an artifact: fail.
  if ls "build-fuzz/crashes/$h-"* >/dev/null 2>&1; then
    echo "$h: finding in build-fuzz/crashes" >&2
    exit 1
  fi
done
