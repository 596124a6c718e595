#!/usr/bin/env bash
# The compile in one pass, beside the floor of any durable write: each source
# is compiled by parlavox-lngc, alternating with `dd bs=1M conv=fsync` of the
# same file, five times each (best and median). A source of ENTRIES entries
# in number order and the same reversed (which must compile to the same
# bytes), and with Polish texts saved as UTF-8 and as UTF-16 (which must
# compile to the same bytes again), and with richer Polish texts (nine
# letters beyond ASCII in every one) saved in Windows-1250, as UTF-8 and as
# UTF-16 (the same bytes once more); then the peak memory of in-order sources
# of about 10 MB, 93 MB and 1 GB; then --reference and --update beside the same runs of BASELINE, a
# parlavox-lngc built from another version, when it is given.
#
# Usage: bench/one_pass_bench.sh [ENTRIES [BASELINE]]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

n=${1:-1000000}
baseline=${2:-}
lngc=$bin/cli/parlavox-lngc
make_source=$bin/bench/parlavox_make_source

echo "$n entries, alternating with dd conv=fsync; times in ms (best / median), peak in MB"
printf '%-9s %7s | %15s | %15s %8s | %9s %9s\n' order "MB" "dd" "lngc" "peak" "best/dd" "med/dd"
for order in in-order reversed utf-8 utf-16 rich-1250 rich-8 rich-16; do
  case $order in
    in-order) "$make_source" "$n" "$work/langBench.txt" ;;
    reversed) "$make_source" "$n" "$work/langBench.txt" reversed ;;
    utf-8) "$make_source" "$n" "$work/langBench.txt" polish ;;
    utf-16)
      "$make_source" "$n" "$work/polish.txt" polish
      { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/polish.txt"; } >"$work/langBench.txt"
      rm "$work/polish.txt"
      ;;
    rich-*)
      # Nine letters beyond ASCII and an address in every text.
      "$make_source" "$n" "$work/rich.txt" rich
      case $order in
        rich-1250) iconv -f UTF-8 -t CP1250 "$work/rich.txt" >"$work/langBench.txt" ;;
        rich-8) cp "$work/rich.txt" "$work/langBench.txt" ;;
        rich-16) { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/rich.txt"; } >"$work/langBench.txt" ;;
      esac
      rm "$work/rich.txt"
      ;;
  esac
  bytes=$(stat -c %s "$work/langBench.txt")
  read -r lb lm lk db dm _ < <(alternate "'$lngc' '$work/langBench.txt'" \
    "dd if='$work/langBench.txt' of='$work/copy.txt' bs=1M conv=fsync")
  cp "$work/LangBench.lng" "$work/$order.lng"
  awk -v o="$order" -v b="$bytes" -v lb="$lb" -v lm="$lm" -v lk="$lk" -v db="$db" -v dm="$dm" 'BEGIN {
    printf "%-9s %7.1f | %6.1f / %6.1f | %6.1f / %6.1f %6.1fMB | %9.2f %9.2f  (peak/source %.2f)\n",
      o, b / 1e6, db / 1e3, dm / 1e3, lb / 1e3, lm / 1e3, lk / 1e3, lb / db, lm / dm, lk * 1024 / b
  }'
done
if cmp -s "$work/in-order.lng" "$work/reversed.lng"; then
  echo "reversed: the same bytes as in order"
else
  echo "reversed: DIFFERENT bytes from in order" >&2
  exit 1
fi
if cmp -s "$work/utf-8.lng" "$work/utf-16.lng"; then
  echo "utf-16: the same bytes as utf-8 (Windows-1250, the code page of Charset 238)"
else
  echo "utf-16: DIFFERENT bytes from utf-8" >&2
  exit 1
fi
for order in rich-8 rich-16; do
  if cmp -s "$work/rich-1250.lng" "$work/$order.lng"; then
    echo "$order: the same bytes as rich-1250"
  else
    echo "$order: DIFFERENT bytes from rich-1250" >&2
    exit 1
  fi
done
rm -f "$work/copy.txt" "$work"/*.lng

echo
echo "peak memory of in-order sources"
for entries in 200000 1800000 20000000; do
  "$make_source" "$entries" "$work/langBench.txt"
  bytes=$(stat -c %s "$work/langBench.txt")
  read -r lb lm lk db dm _ < <(alternate "'$lngc' '$work/langBench.txt'" \
    "dd if='$work/langBench.txt' of='$work/copy.txt' bs=1M conv=fsync")
  awk -v e="$entries" -v b="$bytes" -v lk="$lk" -v lb="$lb" -v lm="$lm" -v db="$db" -v dm="$dm" 'BEGIN {
    printf "%9d entries %8.1f MB: peak %6.1f MB; lngc %8.1f / %8.1f ms, dd %8.1f / %8.1f ms\n",
      e, b / 1e6, lk / 1e3, lb / 1e3, lm / 1e3, db / 1e3, dm / 1e3
  }'
  rm -f "$work/langBench.txt" "$work/copy.txt" "$work/LangBench.lng"
done

[[ -n $baseline ]] || exit 0
echo
echo "--reference and --update beside $baseline (best / median ms)"
"$make_source" "$n" "$work/langBench.txt"
"$make_source" "$n" "$work/langReference.txt"
ms() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN { printf "this %8.1f / %8.1f, baseline %8.1f / %8.1f", a / 1e3, b / 1e3, c / 1e3, d / 1e3 }'; }
read -r nb nm _ bb bm _ < <(alternate \
  "'$lngc' --reference '$work/langReference.txt' '$work/langBench.txt'" \
  "'$baseline' --reference '$work/langReference.txt' '$work/langBench.txt'")
echo "reference: $(ms "$nb" "$nm" "$bb" "$bm")"
"$make_source" "$((n + n / 10))" "$work/langReference.txt"
"$make_source" "$n" "$work/langOriginal.txt"
prepare="cp '$work/langOriginal.txt' '$work/langBench.txt' && sync"
read -r nb nm _ bb bm _ < <(alternate \
  "'$lngc' --update --reference '$work/langReference.txt' '$work/langBench.txt'" \
  "'$baseline' --update --reference '$work/langReference.txt' '$work/langBench.txt'")
echo "update:    $(ms "$nb" "$nm" "$bb" "$bm")"
