#!/usr/bin/env bash
# What an author meets with the largest route the compiler accepts: the whole
# `compile` of a 1000000 m line with curves all along, as a process, against
# `cp` of the three files it writes, run alternately so that both see the
# same machine. Prints the median times, their ratio, and the compile's peak
# memory against the route plan's size.
#
# Usage: bench/compile_vs_cp.sh [PROGRAM] [ROUNDS]   (needs /usr/bin/time: Debian package "time")
set -euo pipefail
program=${1:-build/scenario-compiler}
rounds=${2:-15}
program=$(realpath "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The line: a curve of 600 m every 1000 m, right and left in turn, through
# every radius class.
awk 'BEGIN {
  printf "-- linea di prova\r\n[generale]\r\nlunghezza percorso,    1000000\r\n[curve]\r\n";
  n = 0;
  for (s = 800; s + 600 < 1000000; s += 1000) {
    printf "%s%d,  %d,  600\r\n", (n % 2 == 0 ? "curvad" : "curvas"), 1 + n % 6, s; n++;
  }
  printf "[fine]\r\nriferimento fine del file\r\n";
}' > "$work/Prova_linea.txt"
printf '[generale]\r\nvelocita, 0, 100\r\n[fine]\r\nriferimento fine del file\r\n' > "$work/Prova_1-.txt"
mkdir -p "$work/out" "$work/copy"

now() { date +%s%N; }
compile_once() {
  "$program" compile "$work/Prova_linea.txt" "$work/Prova_1-.txt" --out "$work/out" >/dev/null
}
compile_once  # warm the page cache and create the files cp copies

compile_ns=() cp_ns=()
for ((i = 0; i < rounds; i++)); do
  t0=$(now); compile_once; t1=$(now)
  cp "$work/out/"* "$work/copy/"; t2=$(now)
  compile_ns+=($((t1 - t0))) cp_ns+=($((t2 - t1)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mc=$(median "${compile_ns[@]}")
mp=$(median "${cp_ns[@]}")

plan_bytes=$(stat -c %s "$work/out/Prova_linea.dat")
peak_kb=$( { /usr/bin/time -f '%M' "$program" compile "$work/Prova_linea.txt" "$work/Prova_1-.txt" \
  --out "$work/out" >/dev/null; } 2>&1 | tail -n 1)

awk -v c="$mc" -v p="$mp" -v kb="$peak_kb" -v pb="$plan_bytes" -v r="$rounds" 'BEGIN {
  printf "rounds %d (medians)\n", r;
  printf "compile        %8.1f ms\n", c / 1e6;
  printf "cp of outputs  %8.1f ms\n", p / 1e6;
  printf "time ratio     %8.2f (compile / cp)\n", c / p;
  printf "peak memory    %8.1f MB; route plan %.1f MB; ratio %.2f\n", kb / 1024, pb / 1048576, kb * 1024 / pb;
}'
