#!/usr/bin/env bash
# Kills parlavox-lngc at random moments while it compiles a large source
# over an earlier compiled file, and checks each time that the compiled file
# holds either the earlier or the whole new content and that no temporary
# file outlives the next compile; then while it updates a large source, which must hold
# either its old content or the old content and every added line.
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

seen_old=0 seen_new=0 seen_left=0
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
  # A kill between naming the temporary file and the rename leaves it; the
  # next compile of that output removes it.
  left=$(find "$work" -maxdepth 1 -name '*.tmp')
  if [[ -n $left ]]; then
    seen_left=$((seen_left + 1))
    "$lngc" "$work/langBig.txt"
    left=$(find "$work" -maxdepth 1 -name '*.tmp')
    [[ -z $left ]] || {
      echo "FAIL: round $round (killed after ${delay_us} us) left $left, and the next compile kept it" >&2
      exit 1
    }
  fi
done
echo "$rounds kills: earlier output $seen_old times, whole new output $seen_new times, a temporary file for the next compile $seen_left times"

# The update: a translation of the first half of the reference's lines.
head -n 200000 "$work/langBig.txt" >"$work/langHalf.txt"
cp "$work/langHalf.txt" "$work/fresh/langHalf.txt"
"$lngc" --update --reference "$work/langBig.txt" "$work/fresh/langHalf.txt" >/dev/null
start=$(date +%s%N)
cp "$work/langHalf.txt" "$work/langUpdated.txt"
"$lngc" --update --reference "$work/langBig.txt" "$work/langUpdated.txt" >/dev/null
span_us=$((($(date +%s%N) - start) / 1000))

seen_old=0 seen_new=0
for ((round = 0; round < rounds; round++)); do
  cp "$work/langHalf.txt" "$work/langUpdated.txt"
  delay_us=$((RANDOM * RANDOM % (span_us * 3 / 2 + 1)))
  "$lngc" --update --reference "$work/langBig.txt" "$work/langUpdated.txt" >/dev/null &
  pid=$!
  sleep "$(printf '0.%06d' "$delay_us")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # A write under way finishes after the kill: the file settles.
  for _ in $(seq 100); do
    cmp -s "$work/langUpdated.txt" "$work/langHalf.txt" ||
      cmp -s "$work/langUpdated.txt" "$work/fresh/langHalf.txt" && break
    sleep 0.02
  done
  if cmp -s "$work/langUpdated.txt" "$work/langHalf.txt"; then
    seen_old=$((seen_old + 1))
  elif cmp -s "$work/langUpdated.txt" "$work/fresh/langHalf.txt"; then
    seen_new=$((seen_new + 1))
  else
    echo "FAIL: update round $round (killed after ${delay_us} us) left a partial source" >&2
    exit 1
  fi
done
echo "$rounds kills of the update: old source $seen_old times, with every added line $seen_new times"
