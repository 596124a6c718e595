#!/usr/bin/env bash
# The peak memory of a compile whose Charset line comes late: a source of
# ENTRIES Polish entries in number order (about 120 MB in Windows-1250 at the
# default), saved in Windows-1250, as UTF-8 and as UTF-16, with its
# `Charset | 238` line first, after a quarter or three quarters of the
# entries, last, or left out. Texts that come before the line wait for it
# only up to a bound; then the compile writes on and reads the source again
# once the line comes. Each figure is the median peak resident memory of
# five runs of the command printed beside it, by this parlavox-lngc and,
# when given, by BASELINE, a parlavox-lngc built from another version. Every
# place of the line but "none" must compile to the same bytes, in all three
# encodings.
#
# Usage: bench/late_charset_memory_bench.sh [ENTRIES [BASELINE]]
set -euo pipefail
baseline=${2:+$(realpath "$2")}
cd "$(dirname "$0")/.."
source bench/common.sh

n=${1:-2000000}
lngc=$(realpath "$bin/cli/parlavox-lngc")
make_source=$bin/bench/parlavox_make_source

# `place WHERE FILE` prints FILE, a source with its Charset line first, with
# that line moved to WHERE: first, a percentage of the entries, last or none.
place() {
  awk -v where="$1" '
    NR == FNR { if (!/^Charset \|/) entries++; next }
    FNR == 1 { after = where ~ /^[0-9]+$/ ? int(entries * where / 100) : -1 }
    /^Charset \|/ { charset = $0; if (where == "first") print; next }
    { print; if (++seen == after) print charset }
    END { if (where == "last") print charset }
  ' "$2" "$2"
}

"$make_source" "$n" "$work/polish.txt" polish
echo "$n entries in number order; peak resident memory in MB, median of five runs"
printf '%-12s %-6s %7s %9s %9s  %s\n' encoding place "MB" "peak" "baseline" command
for encoding in windows-1250 utf-8 utf-16; do
  for where in first 25 75 last none; do
    source=$work/langBench.txt
    case $encoding in
      windows-1250) place "$where" "$work/polish.txt" | iconv -f UTF-8 -t CP1250 >"$source" ;;
      utf-8) place "$where" "$work/polish.txt" >"$source" ;;
      utf-16)
        { printf '\xff\xfe'; place "$where" "$work/polish.txt" | iconv -f UTF-8 -t UTF-16LE; } >"$source"
        ;;
    esac
    bytes=$(stat -c %s "$source")
    read -r _ peak < <(measure "$lngc" "$source")
    compiled=$work/$encoding-$where.lng
    mv "$work/LangBench.lng" "$compiled"
    base=-
    if [[ -n $baseline ]]; then
      read -r _ base < <(measure "$baseline" "$source")
      if ! cmp -s "$work/LangBench.lng" "$compiled"; then
        echo "$encoding $where: DIFFERENT bytes from $baseline" >&2
        exit 1
      fi
      rm "$work/LangBench.lng"
      base=$(awk -v k="$base" 'BEGIN { printf "%.1f", k / 1e3 }')
    fi
    awk -v e="$encoding" -v w="$where" -v b="$bytes" -v k="$peak" -v base="$base" -v c="$lngc $source" 'BEGIN {
      printf "%-12s %-6s %7.1f %9.1f %9s  %s\n", e, w, b / 1e6, k / 1e3, base, c
    }'
  done
done

# A late line changes nothing in the compiled file, nor does the encoding
# the source was saved in.
for compiled in "$work"/*.lng; do
  case $compiled in
    */windows-1250-first.lng | *-none.lng) continue ;;
  esac
  if ! cmp -s "$work/windows-1250-first.lng" "$compiled"; then
    echo "$(basename "$compiled" .lng): DIFFERENT bytes from windows-1250-first" >&2
    exit 1
  fi
done
echo "every place of the line, in every encoding: the same bytes"
