#!/usr/bin/env bash
# parlavox-lngc --update started several times at once on one source (a
# script run twice), and killed with its whole process group, or with every
# process of it, at random moments: the source is always the old file or
# the old file with every added line, once; lines a kill of every process
# cut off are finished by the next compile, never compiled as they were cut.
#
# Usage: lngc_update_concurrent_test.sh PARLAVOX-LNGC [TRIES]
set -euo pipefail
lngc=$(realpath "$1")
tries=${2:-12}
source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"

# A reference of 300,000 line numbers and a translation of the first 1,000:
# an update adds about 8 MB.
awk 'BEGIN { printf "Charset | 0\r\n";
             for (i = 0; i < 300000; i++) printf "%d | English text %d\r\n", i, i }' \
  >langEnglish.txt
head -c "$(awk 'NR <= 1001 { n += length($0) + 1 } END { print n }' langEnglish.txt)" \
  langEnglish.txt >old.txt
{
  cat old.txt
  printf '// New in the reference, to be translated:\r\n'
  tail -n +1002 langEnglish.txt
} >whole.txt

added="langDeutsch.txt: 299000 lines added from the reference"
up_to_date="langDeutsch.txt: up to date"

# The source is the old file or the whole update of it.
old_or_whole() {
  cmp -s old.txt langDeutsch.txt || cmp -s whole.txt langDeutsch.txt
}

# Several updates at once: one adds the lines, the others wait for it and
# find the source up to date.
for try in $(seq "$tries"); do
  cp old.txt langDeutsch.txt
  pids=()
  for run in 1 2 3 4; do
    "$lngc" --update --reference langEnglish.txt langDeutsch.txt \
      >"out$run" 2>"err$run" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || fail "try $try: an update failed: $(cat err*)"; done
  cmp -s whole.txt langDeutsch.txt || fail "try $try: the source is not the whole update"
  said=$(cat out1 out2 out3 out4 | sort | uniq -c | sed 's/^ *//')
  [[ $said == "1 $added"$'\n'"3 $up_to_date" ]] || fail "try $try: the updates said: $said"
  [[ -z $(cat err1 err2 err3 err4) ]] || fail "try $try: $(cat err*)"
done
echo "concurrent updates: $tries of $tries tries held"

# Kills of the update's process group (what timeout -s KILL, a closed
# terminal or a cancelled job send) leave the old file or the whole one.
for try in $(seq "$tries"); do
  cp old.txt langDeutsch.txt
  setsid "$lngc" --update --reference langEnglish.txt langDeutsch.txt \
    >/dev/null 2>&1 &
  pid=$!
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  kill -KILL -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # The write, once begun, goes on in a process of its own: give it time.
  for _ in $(seq 100); do
    old_or_whole && break
    sleep 0.05
  done
  old_or_whole || fail "try $try: a group kill cut the source at $(wc -c <langDeutsch.txt) bytes"
  "$lngc" langDeutsch.txt || fail "try $try: the source does not compile"
done
echo "group kills: $tries of $tries tries held"

# Kills of every process of the update at once (a machine that stops all
# of a job's processes): the next compile finishes the cut lines first.
finished=0
for try in $(seq "$tries"); do
  cp old.txt langDeutsch.txt
  "$lngc" --update --reference langEnglish.txt langDeutsch.txt \
    >/dev/null 2>&1 &
  pid=$!
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  # This update's processes only: other tests may run updates meanwhile.
  kill -KILL "$pid" $(pgrep -P "$pid") 2>/dev/null || true
  { wait "$pid" || true; } 2>/dev/null
  old_or_whole || finished=$((finished + 1))
  "$lngc" langDeutsch.txt || fail "try $try: the source does not compile after a kill"
  old_or_whole || fail "try $try: the compile left the source at $(wc -c <langDeutsch.txt) bytes"
  [[ ! -e .langDeutsch.txt.append ]] || fail "try $try: the journal outlived the compile"
  if cmp -s whole.txt langDeutsch.txt; then
    tail -c 33 LangDeutsch.lng | cmp -s - <(printf 'English text 299998\r\nEnglish text 299999\r\n' | tail -c 33) ||
      fail "try $try: the compiled file does not end in the last line"
  fi
done
echo "kills of every process: $tries of $tries tries held ($finished cut appends finished by the compile)"
