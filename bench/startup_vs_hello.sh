#!/usr/bin/env bash
# Start-up: `scenario-compiler --version` as a whole process against a C++
# hello world built the same way (bench/floor/hello.cc), run alternately so
# that both see the same machine. Prints the median times, their ratio, and
# the shared objects each loads.
#
# Usage: bench/startup_vs_hello.sh [BUILD_DIR] [ROUNDS]
#   (BUILD_DIR configured with -DSC_BUILD_BENCH=ON; default build)
#   SC_PROGRAM=path: another build of the program to measure
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-201}
program=${SC_PROGRAM:-$build/scenario-compiler}
hello=$build/hello_world

# Times in microseconds from bash itself (EPOCHREALTIME): a `date` process
# would cost more than what is measured.
"$program" --version >/dev/null
"$hello" >/dev/null
program_us=() hello_us=()
for ((i = 0; i < rounds; i++)); do
  t0=${EPOCHREALTIME/[.,]/}; "$program" --version >/dev/null; t1=${EPOCHREALTIME/[.,]/}
  "$hello" >/dev/null; t2=${EPOCHREALTIME/[.,]/}
  program_us+=($((t1 - t0))) hello_us+=($((t2 - t1)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mp=$(median "${program_us[@]}")
mh=$(median "${hello_us[@]}")
objects() { ldd "$1" | grep -c '=>' || true; }
awk -v p="$mp" -v h="$mh" -v n="$rounds" -v po="$(objects "$program")" -v ho="$(objects "$hello")" 'BEGIN {
  printf "rounds %d (medians)\n", n;
  printf "--version      %8.2f ms (%d shared objects)\n", p / 1e3, po;
  printf "hello world    %8.2f ms (%d shared objects)\n", h / 1e3, ho;
  printf "time ratio     %8.2f (--version / hello world)\n", p / h;
}'
