#!/usr/bin/env bash
# --update of an N-entry translation (from a reference of 1.1 N entries)
# while an editor saves the translation at a random moment of the update:
# half the runs save atomically (a new file renamed over the source), half
# in place (truncated, then written in 8 chunks 20 ms apart). A run lost
# something when the file left is neither the editor's save nor the save
# with the added lines after it. Then the median time of the update alone.
# With BASELINE naming another parlavox-lngc, the same for it, in this run;
# LNGC names the program measured first (the optimised build by default).
#
# Usage: [LNGC=PARLAVOX-LNGC] [BASELINE=PARLAVOX-LNGC] \
#          bench/update_race_bench.sh [RUNS [N]]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

runs=${1:-20}
n=${2:-1000000}
"$bin/bench/parlavox_make_source" "$((n + n / 10))" "$work/langReference.txt"
"$bin/bench/parlavox_make_source" "$n" "$work/langOriginal.txt"
# The editor's save: the original with one text translated, the same size.
sed '0,/Lyrics not found/s//Liedtext fehlt!!/' "$work/langOriginal.txt" >"$work/save"
cmp -s "$work/save" "$work/langOriginal.txt" && {
  echo "the editor's save does not differ" >&2
  exit 1
}
lngc=${LNGC:-$PWD/$bin/cli/parlavox-lngc}
cp "$work/save" "$work/langBench.txt"
"$lngc" --update --reference "$work/langReference.txt" "$work/langBench.txt" >/dev/null
cp "$work/langBench.txt" "$work/save+added"

# editor.py MODE SAVE TARGET: saves SAVE's bytes as TARGET.
cat >"$work/editor.py" <<'EOF'
import os, sys, time
mode, save, target = sys.argv[1:]
data = open(save, "rb").read()
if mode == "atomic":
    temporary = target + ".editor"
    with open(temporary, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())
    os.rename(temporary, target)
else:
    size = (len(data) + 7) // 8
    with open(target, "r+b") as f:
        f.truncate(0)
        for i in range(8):
            f.write(data[i * size:(i + 1) * size])
            f.flush()
            if i < 7:
                time.sleep(0.02)
EOF

# race LNGC: prints "LOST REFUSED" over the runs.
race() {
  local program=$1 lost=0 refused=0 span_us start mode delay_us pid
  cp "$work/langOriginal.txt" "$work/langBench.txt"
  start=$(date +%s%N)
  "$program" --update --reference "$work/langReference.txt" "$work/langBench.txt" >/dev/null
  span_us=$((($(date +%s%N) - start) / 1000))
  for ((run = 0; run < runs; run++)); do
    mode=$([[ $((run % 2)) == 0 ]] && echo atomic || echo in-place)
    cp "$work/langOriginal.txt" "$work/langBench.txt"
    sync
    delay_us=$((RANDOM * RANDOM % (span_us + 1)))
    "$program" --update --reference "$work/langReference.txt" "$work/langBench.txt" \
      >/dev/null 2>"$work/err" &
    pid=$!
    sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
    python3 "$work/editor.py" "$mode" "$work/save" "$work/langBench.txt"
    wait "$pid" || true
    grep -q 'changed while it was updated' "$work/err" && refused=$((refused + 1))
    cmp -s "$work/langBench.txt" "$work/save" ||
      cmp -s "$work/langBench.txt" "$work/save+added" ||
      lost=$((lost + 1))
  done
  echo "$lost $refused"
}

read -r lost refused < <(race "$lngc")
read -r update_us update_kb < <(measure_fresh "$work/langOriginal.txt" "$work/langBench.txt" \
  "$lngc" --update --reference "$work/langReference.txt" "$work/langBench.txt")
echo "this parlavox-lngc: $lost of $runs runs lost some of the editor's save" \
  "($refused said the file changed); update $((update_us / 1000)) ms, peak $((update_kb / 1000)) MB"
if [[ -n ${BASELINE:-} ]]; then
  read -r lost refused < <(race "$BASELINE")
  read -r base_us base_kb < <(measure_fresh "$work/langOriginal.txt" "$work/langBench.txt" \
    "$BASELINE" --update --reference "$work/langReference.txt" "$work/langBench.txt")
  echo "BASELINE: $lost of $runs runs lost some of the editor's save;" \
    "update $((base_us / 1000)) ms, peak $((base_kb / 1000)) MB"
  awk -v a="$update_us" -v b="$base_us" 'BEGIN { printf "update time / BASELINE: %.2f\n", a / b }'
fi
