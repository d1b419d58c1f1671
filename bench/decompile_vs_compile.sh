#!/usr/bin/env bash
# Decompiling the largest route against compiling it, each as the whole
# process an author runs: `compile` of the two texts into the three files,
# and `decompile` of those three files back into the two texts (which reads
# the 20 MB route plan, recovers its curves and compiles the texts again to
# compare every byte). Run alternately so that both see the same machine;
# prints the least wall time and the least processor time (user + system) of
# each, and their ratios. On a shared machine the processor time is the
# steadier measure.
#
# Usage: bench/decompile_vs_compile.sh [PROGRAM] [ROUNDS]
#   TMPDIR=/dev/shm: on a RAM disk, where only the program's own work counts
set -euo pipefail
program=$(realpath "${1:-build/scenario-compiler}")
rounds=${2:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/max_route.sh"
write_max_route "$work"
mkdir -p "$work/out" "$work/texts"

compile_once() {
  "$program" compile "$work/Prova_linea.txt" "$work/Prova_1-.txt" --out "$work/out" >/dev/null 2>&1
}
decompile_once() {
  "$program" decompile "$work/out/Prova_linea.dat" "$work/out/Prova_1.sim" "$work/out/Prova_1.dat" \
    --out "$work/texts" --force >/dev/null 2>&1
}
compile_once && decompile_once  # warm the page cache and the files
# One timed run: "wall_ms cpu_ms", from bash's own `time` (rusage of the
# child, to the millisecond).
timed() {
  local TIMEFORMAT='%3R %3U %3S'
  { time "$1"; } 2>&1 | awk '{ printf "%.0f %.0f\n", $1 * 1000, ($2 + $3) * 1000 }'
}
cw=() cc=() dw=() dc=()
for ((i = 0; i < rounds; i++)); do
  read -r w c < <(timed compile_once); cw+=("$w") cc+=("$c")
  read -r w c < <(timed decompile_once); dw+=("$w") dc+=("$c")
done
least() { printf '%s\n' "$@" | sort -n | head -n 1; }
awk -v cw="$(least "${cw[@]}")" -v cc="$(least "${cc[@]}")" -v dw="$(least "${dw[@]}")" \
    -v dc="$(least "${dc[@]}")" -v r="$rounds" 'BEGIN {
  printf "rounds %d (least of each)\n", r;
  printf "compile     wall %8.1f ms   cpu %8.1f ms\n", cw, cc;
  printf "decompile   wall %8.1f ms   cpu %8.1f ms\n", dw, dc;
  printf "ratio       wall %8.2f      cpu %8.2f   (decompile / compile; target 1.2)\n", dw / cw, dc / cc;
}'
