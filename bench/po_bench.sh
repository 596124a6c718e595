#!/usr/bin/env bash
# Export to and import from PO files of a 1,000,000-entry translation,
# beside the compile of the same translation and beside gettext's msgfmt on
# the exported PO file, all in the same run; each figure is the median of
# five runs.
#
# Usage: bench/po_bench.sh [ENTRIES]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

n=${1:-1000000}
lngc=$bin/cli/parlavox-lngc
"$bin/bench/parlavox_make_source" "$n" "$work/langEnglish.txt"
"$bin/bench/parlavox_make_source" "$n" "$work/langBench.txt" polish

# Each command once, untimed, so that a failure stops the benchmark rather
# than timing a fault.
"$lngc" "$work/langBench.txt"
"$lngc" --force --export-po --reference "$work/langEnglish.txt" "$work/langBench.txt"
"$lngc" --force --import-po "$work/langBench.po"
"$lngc" "$work/langBench.txt"
cmp "$work/LangBench.lng" <("$lngc" "$work/langBench.po" && cat "$work/LangBench.lng")
msgfmt -o "$work/bench.mo" "$work/langBench.po"

read -r compile_us compile_kb < <(measure "$lngc" "$work/langBench.txt")
read -r export_us export_kb < <(measure "$lngc" --force --export-po \
  --reference "$work/langEnglish.txt" "$work/langBench.txt")
read -r import_us import_kb < <(measure "$lngc" --force --import-po "$work/langBench.po")
read -r po_us po_kb < <(measure "$lngc" "$work/langBench.po")
read -r msgfmt_us msgfmt_kb < <(measure msgfmt -o "$work/bench.mo" "$work/langBench.po")
# What writing each file durably costs on its own: the floor of the export
# (the PO file) and of the import (the source).
read -r ddpo_us _ < <(measure dd if="$work/langBench.po" of="$work/copy.po" bs=1M conv=fsync)
read -r ddtxt_us _ < <(measure dd if="$work/langBench.txt" of="$work/copy.txt" bs=1M conv=fsync)

printf '%d entries: source %.1f MB, PO file %.1f MB\n' "$n" \
  "$(awk -v b="$(stat -c %s "$work/langBench.txt")" 'BEGIN { print b / 1e6 }')" \
  "$(awk -v b="$(stat -c %s "$work/langBench.po")" 'BEGIN { print b / 1e6 }')"
awk -v c="$compile_us" -v e="$export_us" -v i="$import_us" -v p="$po_us" \
  -v m="$msgfmt_us" -v ck="$compile_kb" -v ek="$export_kb" -v ik="$import_kb" \
  -v pk="$po_kb" -v mk="$msgfmt_kb" -v dp="$ddpo_us" -v dt="$ddtxt_us" 'BEGIN {
  printf "%-32s %9s %9s %9s %9s\n", "", "ms", "peak MB", "/compile", "/msgfmt"
  printf "%-32s %9.1f %9.1f %9.2f %9.2f\n", "compile langBench.txt", c / 1e3, ck / 1e3, 1, c / m
  printf "%-32s %9.1f %9.1f %9.2f %9.2f\n", "--export-po (with --reference)", e / 1e3, ek / 1e3, e / c, e / m
  printf "%-32s %9.1f %9.1f %9.2f %9.2f\n", "--import-po", i / 1e3, ik / 1e3, i / c, i / m
  printf "%-32s %9.1f %9.1f %9.2f %9.2f\n", "compile langBench.po", p / 1e3, pk / 1e3, p / c, p / m
  printf "%-32s %9.1f %9.1f %9.2f %9.2f\n", "msgfmt langBench.po", m / 1e3, mk / 1e3, m / c, 1
  printf "%-32s %9.1f %9s %9.2f %9.2f\n", "dd conv=fsync of the PO file", dp / 1e3, "", dp / c, dp / m
  printf "%-32s %9.1f %9s %9.2f %9.2f\n", "dd conv=fsync of the source", dt / 1e3, "", dt / c, dt / m
}'
