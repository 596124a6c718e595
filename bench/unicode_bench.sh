#!/usr/bin/env bash
# The cost of converting: a source of 1,000,000 Polish entries saved as UTF-8
# under Charset 238, beside the same source saved in Windows-1250, compiled
# by the same parlavox-lngc in the same run, for texts with one letter beyond
# ASCII and with nine (the UTF-8 one by OLD too). Then 8-bit sources (the
# English one of compile_bench.sh and the two Windows-1250 ones) compiled by
# this parlavox-lngc and by an earlier one, OLD, built the same way. Each figure
# is the median of five runs.
#
# Usage: bench/unicode_bench.sh OLD [NEW] [ENTRIES]
#   OLD: an earlier parlavox-lngc; NEW: the one to compare with it
#   (default: the benchmark build's)
set -euo pipefail
old=$(realpath "$1")
cd "$(dirname "$0")/.."
source bench/common.sh
new=$(realpath "${2:-$bin/cli/parlavox-lngc}")
n=${3:-1000000}

"$bin/bench/parlavox_make_source" "$n" "$work/langAscii.txt"
# Polish texts with one letter beyond ASCII each, and with nine.
for kind in polish rich; do
  "$bin/bench/parlavox_make_source" "$n" "$work/langUtf8.txt" "$kind"
  iconv -f UTF-8 -t CP1250 "$work/langUtf8.txt" >"$work/langCp1250.txt"
  # The two compiled files must be the same bytes, or the figures compare
  # different work.
  "$new" "$work/langUtf8.txt" "$work/langCp1250.txt"
  cmp "$work/LangUtf8.lng" "$work/LangCp1250.lng"

  read -r utf8_us utf8_kb < <(measure "$new" "$work/langUtf8.txt")
  read -r cp_us cp_kb < <(measure "$new" "$work/langCp1250.txt")
  read -r old_utf8_us _ < <(measure "$old" "$work/langUtf8.txt")
  printf '%d %s entries, Charset 238, one run\n' "$n" "$kind"
  awk -v u="$utf8_us" -v c="$cp_us" -v uk="$utf8_kb" -v ck="$cp_kb" -v ou="$old_utf8_us" 'BEGIN {
    printf "  UTF-8 source:        %8.1f ms %7.1f MB peak (old %8.1f ms)\n", u / 1e3, uk / 1e3, ou / 1e3
    printf "  Windows-1250 source: %8.1f ms %7.1f MB peak\n", c / 1e3, ck / 1e3
    printf "  UTF-8 / Windows-1250: %.2f\n", u / c
  }'
  [[ $kind == rich ]] || mv "$work/langCp1250.txt" "$work/langPolish1250.txt"
done

echo
printf '8-bit sources, %s (new) against %s (old)\n' "$new" "$old"
for source in langAscii.txt langPolish1250.txt langCp1250.txt; do
  read -r new_us _ < <(measure "$new" "$work/$source")
  read -r old_us _ < <(measure "$old" "$work/$source")
  awk -v s="$source" -v nu="$new_us" -v ou="$old_us" 'BEGIN {
    printf "  %-15s new %8.1f ms  old %8.1f ms  new/old %.2f\n", s, nu / 1e3, ou / 1e3, nu / ou
  }'
done
