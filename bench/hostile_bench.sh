#!/usr/bin/env bash
# Time per MB and peak memory of parlavox-lngc on hostile sources of 1, 8 and
# 64 MB in each shape, beside cp of the same file. Flat time per MB across
# the sizes shows linear time.
#
# Usage: bench/hostile_bench.sh [MB...]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

printf '%-12s %5s | %10s %10s | %10s %9s\n' shape MB "cp ms/MB" "lngc ms/MB" "lngc/cp" "peak/size"
for shape in long_line short_lines carets bars digits addresses; do
  for mb in ${*:-1 8 64}; do
    "$bin/bench/parlavox_make_hostile" "$shape" "$mb" "$work/langHostile.txt"
    bytes=$(stat -c %s "$work/langHostile.txt")
    read -r cp_us _ < <(measure cp "$work/langHostile.txt" "$work/copy.txt")
    read -r us kb < <(measure "$bin/cli/parlavox-lngc" "$work/langHostile.txt")
    awk -v s="$shape" -v mb="$mb" -v b="$bytes" -v c="$cp_us" -v u="$us" -v k="$kb" 'BEGIN {
      m = b / 1048576
      printf "%-12s %5d | %10.2f %10.2f | %10.1f %9.2f\n", s, mb, c / 1000 / m, u / 1000 / m, u / c, k * 1024 / b
    }'
  done
done
