#!/usr/bin/env bash
# Time from exec to the window shown (offscreen) and the peak memory of the
# tool, median of five runs, beside /bin/true as the floor of starting any
# process.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
export QT_QPA_PLATFORM=offscreen

"$bin/bench/parlavox_window_startup" 2>/dev/null  # warm the font cache
read -r tool_us tool_kb < <(measure "$bin/bench/parlavox_window_startup")
read -r floor_us floor_kb < <(measure /bin/true)
awk -v tu="$tool_us" -v tk="$tool_kb" -v fu="$floor_us" -v fk="$floor_kb" 'BEGIN {
  printf "exec to window shown: %.1f ms (peak %.1f MB)\n", tu / 1000, tk / 1000
  printf "/bin/true:            %.1f ms (peak %.1f MB)\n", fu / 1000, fk / 1000
  printf "ratio:                %.1f\n", tu / fu
}'
