#!/usr/bin/env bash
# Kills parlavox-lngc at random moments while it compiles a large source
# over an earlier compiled file, and checks each time that the compiled file
# holds either the earlier or the whole new content.
#
# Usage: lngc_kill_test.sh PARLAVOX-LNGC [ROUNDS]
set -euo pipefail
lngc=$1
rounds=${2:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seq 0 399999 | awk '{ printf "%d | text number %d // comment\r\n", $1, $1 }' >"$work/langBig.txt"
mkdir "$work/fresh"
cp "$work/langBig.txt" "$work/fresh/"
"$lngc" "$work/fresh/langBig.txt"
printf 'earlier\r\n' >"$work/earlier.lng"

start=$(date +%s%N)
"$lngc" "$work/fresh/langBig.txt"
span_us=$((($(date +%s%N) - start) / 1000))

seen_old=0 seen_new=0
for ((round = 0; round < rounds; round++)); do
  cp "$work/earlier.lng" "$work/LangBig.lng"
  delay_us=$((RANDOM * RANDOM % (span_us * 3 / 2 + 1)))
  "$lngc" "$work/langBig.txt" &
  pid=$!
  sleep "$(printf '0.%06d' "$delay_us")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s "$work/LangBig.lng" "$work/earlier.lng"; then
    seen_old=$((seen_old + 1))
  elif cmp -s "$work/LangBig.lng" "$work/fresh/LangBig.lng"; then
    seen_new=$((seen_new + 1))
  else
    echo "FAIL: round $round (killed after ${delay_us} us) left a partial LangBig.lng" >&2
    exit 1
  fi
  find "$work" -maxdepth 1 -name '*.tmp' -delete
done
echo "$rounds kills: earlier output $seen_old times, whole new output $seen_new times"
