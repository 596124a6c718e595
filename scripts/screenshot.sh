#!/usr/bin/env bash
# Takes docs/screenshot.png from the built tool in Xvfb, after compiling the
# sample source.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh imagemagick
source window/x_session.sh
tool=build/default/window/qt/parlavox-localization-tool
x_session_start
x_on_exit "rm -f ${tool%/*}/LangDeutsch.lng"
"$tool" 2>/dev/null &
x_on_exit "x_stop $!"
window=$(x_wait_window '^Parlavox Localization Tool v' 60) ||
  x_fail "the window did not appear"
x_geometry "$window"
x_click 120 227
xdotool key ctrl+a type Deutsch
x_click 230 237
x_wait_for 10 test -f "${tool%/*}/LangDeutsch.lng" || x_fail "no LangDeutsch.lng"
sleep 0.5
x_screenshot "$window" docs/screenshot.png
