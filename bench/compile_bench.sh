#!/usr/bin/env bash
# Compile time and peak memory of parlavox-lngc on generated sources of
# 1,000, 100,000 and 1,000,000 entries, beside cp of the same file and
# beside dd with conv=fsync (the floor of any durable write), all in the same
# run. Each figure is the median of five runs. Then the cost of --reference,
# and of the encoding check, on the largest.
#
# Usage: bench/compile_bench.sh [ENTRIES...]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

printf '%-9s %8s | %9s %9s %9s | %9s %8s | %7s %7s\n' entries "size MB" \
  "cp ms" "dd ms" "lngc ms" "lngc peak" "peak/sz" "time/cp" "time/dd"
entries="${*:-1000 100000 1000000}"
for n in $entries; do
  "$bin/bench/parlavox_make_source" "$n" "$work/langBench.txt"
  bytes=$(stat -c %s "$work/langBench.txt")
  read -r cp_us _ < <(measure cp "$work/langBench.txt" "$work/copy.txt")
  read -r dd_us _ < <(measure dd if="$work/langBench.txt" of="$work/copy.txt" bs=1M conv=fsync)
  read -r lngc_us lngc_kb < <(measure "$bin/cli/parlavox-lngc" "$work/langBench.txt")
  awk -v n="$n" -v b="$bytes" -v cu="$cp_us" -v du="$dd_us" -v lu="$lngc_us" -v lk="$lngc_kb" 'BEGIN {
    printf "%-9d %8.2f | %9.1f %9.1f %9.1f | %7.1fMB %8.2f | %7.2f %7.2f\n",
      n, b / 1e6, cu / 1e3, du / 1e3, lu / 1e3, lk / 1e3, lk * 1024 / b, lu / cu, lu / du
  }'
done

# The reference check: a translation of the largest size against a reference
# of the same size, beside the compile alone.
n=${entries##* }
"$bin/bench/parlavox_make_source" "$n" "$work/langBench.txt"
"$bin/bench/parlavox_make_source" "$n" "$work/langReference.txt"
read -r alone_us _ < <(measure "$bin/cli/parlavox-lngc" "$work/langBench.txt")
read -r checked_us _ < <(measure "$bin/cli/parlavox-lngc" --reference "$work/langReference.txt" "$work/langBench.txt")
awk -v n="$n" -v a="$alone_us" -v c="$checked_us" 'BEGIN {
  printf "\n%d entries: compile %.1f ms, compile with --reference %.1f ms, ratio %.2f\n", n, a / 1000, c / 1000, c / a
}'

# The encoding check every compile runs, timed in one process beside the
# compile alone.
echo
"$bin/bench/parlavox_encoding_bench" "$work/langBench.txt"

# Converting a UTF-8 source's texts into the code page of its Charset, timed
# in one process beside the compile of the same source in that code page.
echo
"$bin/bench/parlavox_code_page_bench" "$n" "$work"
