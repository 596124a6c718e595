#!/usr/bin/env bash
# Time from exec to the window shown (offscreen) and the peak memory of the
# tool, median of five runs, beside /bin/true as the floor of starting any
# process.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh time
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median_of_five() {
  local times=() peaks=()
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/peak" "$@" 2>/dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
    peaks+=($(cat "$work/peak"))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
  printf '%s\n' "${peaks[@]}" | sort -n | sed -n 3p
}

build/bench/bench/parlavox_window_startup 2>/dev/null  # warm the font cache
mapfile -t tool < <(median_of_five build/bench/bench/parlavox_window_startup)
mapfile -t floor < <(median_of_five /bin/true)
awk -v tu="${tool[0]}" -v tk="${tool[1]}" -v fu="${floor[0]}" -v fk="${floor[1]}" 'BEGIN {
  printf "exec to window shown: %.1f ms (peak %.1f MB)\n", tu / 1000, tk / 1000
  printf "/bin/true:            %.1f ms (peak %.1f MB)\n", fu / 1000, fk / 1000
  printf "ratio:                %.1f\n", tu / fu
}'
