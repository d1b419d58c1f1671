#!/usr/bin/env bash
# What an author meets with the largest route the compiler accepts: the whole
# `compile` of a 1000000 m line with curves all along, as a process, against
# `cp` of the three files it writes, run alternately so that both see the
# same machine. Prints the median times, their ratio, and the compile's peak
# memory against the route plan's size. When the floor program is built
# beside PROGRAM (replace_files, with -DSC_BUILD_BENCH=ON), it also times
# replacing the same three files with the bare steps (temporary, write,
# fsync, rename), the least any compile that keeps those guarantees can take.
#
# Usage: bench/compile_vs_cp.sh [PROGRAM] [ROUNDS]   (needs /usr/bin/time: Debian package "time")
#   TMPDIR=/dev/shm: on a RAM disk, where only the program's own work counts
#   SC_FLOOR=path: the floor program, when it is not beside PROGRAM
set -euo pipefail
program=${1:-build/scenario-compiler}
rounds=${2:-15}
program=$(realpath "$program")
floor=${SC_FLOOR:-$(dirname "$program")/replace_files}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/max_route.sh"
write_max_route "$work"
mkdir -p "$work/out" "$work/copy" "$work/floor"

# Nanoseconds from bash itself (EPOCHREALTIME, in microseconds): a `date`
# process per reading would add its own start-up to every time.
now() { local t=${EPOCHREALTIME/[.,]/}; echo "${t}000"; }
compile_once() {
  "$program" compile "$work/Prova_linea.txt" "$work/Prova_1-.txt" --out "$work/out" >/dev/null
}
compile_once  # warm the page cache and create the files cp copies
floor_once() {
  [ -x "$floor" ] && "$floor" "$work/out" "$work/floor" Prova_linea.dat Prova_1.sim Prova_1.dat
  return 0
}
floor_once

# Each timed command starts with nothing left to write back (sync, untimed):
# otherwise an fsync would also wait for the 20 MB cp left in the page cache
# just before (the file system commits them together).
compile_ns=() cp_ns=() floor_ns=()
for ((i = 0; i < rounds; i++)); do
  sync; t0=$(now); compile_once; t1=$(now)
  sync; t2=$(now); cp "$work/out/"* "$work/copy/"; t3=$(now)
  sync; t4=$(now); floor_once; t5=$(now)
  compile_ns+=($((t1 - t0))) cp_ns+=($((t3 - t2))) floor_ns+=($((t5 - t4)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mc=$(median "${compile_ns[@]}")
mp=$(median "${cp_ns[@]}")
mf=$(median "${floor_ns[@]}")
# The least of each too: on a shared machine the steadiest measure.
least() { printf '%s\n' "$@" | sort -n | head -n 1; }
lc=$(least "${compile_ns[@]}")
lp=$(least "${cp_ns[@]}")
[ -x "$floor" ] || mf=0

plan_bytes=$(stat -c %s "$work/out/Prova_linea.dat")
peak_kb=$( { /usr/bin/time -f '%M' "$program" compile "$work/Prova_linea.txt" "$work/Prova_1-.txt" \
  --out "$work/out" >/dev/null; } 2>&1 | tail -n 1)

awk -v c="$mc" -v p="$mp" -v lc="$lc" -v lp="$lp" -v f="$mf" -v kb="$peak_kb" -v pb="$plan_bytes" -v r="$rounds" 'BEGIN {
  printf "rounds %d (medians)\n", r;
  printf "compile        %8.1f ms\n", c / 1e6;
  printf "cp of outputs  %8.1f ms\n", p / 1e6;
  printf "time ratio     %8.2f (compile / cp)\n", c / p;
  printf "least          %8.1f ms compile, %.1f ms cp: ratio %.2f\n", lc / 1e6, lp / 1e6, lc / lp;
  if (f > 0) {
    printf "floor          %8.1f ms (the three files: temporary, write, fsync, rename)\n", f / 1e6;
    printf "floor ratio    %8.2f (compile / floor); floor / cp %.2f\n", c / f, f / p;
  }
  printf "peak memory    %8.1f MB; route plan %.1f MB; ratio %.2f\n", kb / 1024, pb / 1048576, kb * 1024 / pb;
}'
