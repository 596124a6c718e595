#!/usr/bin/env bash
# The cost of --update: a translation of N entries that lacks the reference's
# last N/10 line numbers, updated against a reference of 1.1 N entries,
# beside a compile of that reference alone. Medians of five runs; the
# translation is copied anew before each update, outside the time taken.
#
# Usage: bench/update_bench.sh [N]   (N defaults to 1,000,000)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

n=${1:-1000000}
"$bin/bench/parlavox_make_source" "$((n + n / 10))" "$work/langReference.txt"
"$bin/bench/parlavox_make_source" "$n" "$work/langOriginal.txt"
lngc="$bin/cli/parlavox-lngc"

read -r compile_us compile_kb < <(measure "$lngc" "$work/langReference.txt")
read -r update_us update_kb < <(measure_fresh "$work/langOriginal.txt" "$work/langBench.txt" \
  "$lngc" --update --reference "$work/langReference.txt" "$work/langBench.txt")

# The update must have left a source that compiles to the reference's texts.
"$lngc" "$work/langBench.txt"
cmp -s "$work/LangBench.lng" "$work/LangReference.lng" || {
  echo "the updated source does not compile to the reference's texts" >&2
  exit 1
}

awk -v n="$n" -v r="$((n + n / 10))" -v cu="$compile_us" -v ck="$compile_kb" \
  -v uu="$update_us" -v uk="$update_kb" 'BEGIN {
  printf "compile of the %d-entry reference:           %8.1f ms, peak %6.1f MB\n", r, cu / 1000, ck / 1e3
  printf "update of a %d-entry translation from it:   %8.1f ms, peak %6.1f MB\n", n, uu / 1000, uk / 1e3
  printf "update / compile: %.2f\n", uu / cu
}'
