#!/usr/bin/env bash
# Four --update runs at once on one source, then kills of the whole process
# group of one update at random moments; counts how often the source is the
# old file or the whole update once (and how often it no longer compiles).
#
# Usage: N=1000000 MAXMS=1500 bench/update_stress.sh PARLAVOX-LNGC TRIES
set -u
lngc=$(realpath "$1"); tries=$2
N=${N:-300000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
awk 'BEGIN { printf "Charset | 0\r\n"; for (i = 0; i < '"$N"'; i++) printf "%d | English text %d\r\n", i, i }' >langEnglish.txt
head -c "$(awk 'NR <= 1001 { n += length($0) + 1 } END { print n }' langEnglish.txt)" langEnglish.txt >old.txt
{ cat old.txt; printf '// New in the reference, to be translated:\r\n'; tail -n +1002 langEnglish.txt; } >whole.txt
ok=0; double=0
for t in $(seq $tries); do
  cp old.txt langDeutsch.txt
  for r in 1 2 3 4; do "$lngc" --update --reference langEnglish.txt langDeutsch.txt >/dev/null 2>&1 & done; wait
  if cmp -s whole.txt langDeutsch.txt; then ok=$((ok+1)); elif ! "$lngc" --check langDeutsch.txt 2>/dev/null; then double=$((double+1)); fi
done
echo "concurrent: $ok of $tries whole once, $double left a source that does not compile"
held=0
for t in $(seq $tries); do
  cp old.txt langDeutsch.txt
  setsid "$lngc" --update --reference langEnglish.txt langDeutsch.txt >/dev/null 2>&1 & pid=$!
  sleep "$(awk -v r=$RANDOM -v m=${MAXMS:-400} 'BEGIN { print (r % m) / 1000 }')"; kill -KILL -- "-$pid" 2>/dev/null; wait $pid 2>/dev/null
  sleep 1
  if cmp -s old.txt langDeutsch.txt || cmp -s whole.txt langDeutsch.txt; then held=$((held+1)); fi
done
echo "group kills: $held of $tries old or whole"
