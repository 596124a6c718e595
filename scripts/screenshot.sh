#!/usr/bin/env bash
# Takes docs/screenshot.png from the built tool in Xvfb, after compiling the
# sample source.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh imagemagick
tool=build/default/window/qt/parlavox-localization-tool
export DISPLAY=:$((90 + RANDOM % 400))
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; kill $tool_pid 2>/dev/null' EXIT
sleep 1
"$tool" 2>/dev/null &
tool_pid=$!
sleep 2
window=$(xdotool search --onlyvisible --name '^Parlavox Localization Tool v' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --sync $((X + 120)) $((Y + 227)) click 1 key ctrl+a type Deutsch
xdotool mousemove --sync $((X + 230)) $((Y + 237)) click 1
sleep 1
import -window "$window" docs/screenshot.png
rm -f build/default/window/qt/LangDeutsch.lng
