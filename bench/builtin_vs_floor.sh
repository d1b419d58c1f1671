#!/usr/bin/env bash
# The built-in run as a whole process against the floor: a minimal program
# (bench/floor/replace_files.cc) that replaces the same six files with the
# same steps (temporary name, write, fsync, rename), one after another. Run
# alternately so that both see the same machine; prints the median times and
# their ratio.
#
# Usage: bench/builtin_vs_floor.sh [BUILD_DIR] [ROUNDS]
#   (BUILD_DIR configured with -DSC_BUILD_BENCH=ON; default build)
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-21}
program=${SC_PROGRAM:-$build/scenario-compiler}  # SC_PROGRAM: another build to measure
floor=$build/replace_files
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/floor"

run_once() { "$program" --out "$work/run" --no-wait >/dev/null 2>&1; }
run_once  # the six files, for the floor to write and to replace
names=()
while IFS= read -r -d '' f; do names+=("$(basename "$f")"); done \
  < <(find "$work/run" -maxdepth 1 -type f ! -name '.*' -print0)
[ ${#names[@]} -eq 6 ] || { echo "expected six files, found ${#names[@]}" >&2; exit 1; }
floor_once() { "$floor" "$work/run" "$work/floor" "${names[@]}"; }
floor_once

now() { date +%s%N; }
run_ns=() floor_ns=()
for ((i = 0; i < rounds; i++)); do
  t0=$(now); run_once; t1=$(now)
  floor_once; t2=$(now)
  run_ns+=($((t1 - t0))) floor_ns+=($((t2 - t1)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mr=$(median "${run_ns[@]}")
mf=$(median "${floor_ns[@]}")
awk -v r="$mr" -v f="$mf" -v n="$rounds" 'BEGIN {
  printf "rounds %d (medians)\n", n;
  printf "built-in run   %8.1f ms\n", r / 1e6;
  printf "floor          %8.1f ms (six files: temporary, write, fsync, rename)\n", f / 1e6;
  printf "time ratio     %8.2f (built-in run / floor)\n", r / f;
}'
