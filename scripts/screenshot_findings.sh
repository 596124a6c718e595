#!/usr/bin/env bash
# Takes pictures of the findings box, over the window, in both front ends at
# 96 and at 144 dots per inch: the Linux window from the default build, the
# Windows one under Wine from the zip of the windows build. A Polish
# translation saved as UTF-8 without a Charset line is compiled beside the
# English reference. The pictures go to DIR (build/screenshots by default).
#
# Usage: scripts/screenshot_findings.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
mkdir -p "$out"
scripts/setup.sh imagemagick wine64 fonts-wine
export X_SCREEN=1280x900x24
source window/x_session.sh
source window/win32/wine_session.sh
source window/polish_sources.sh

folder=$(mktemp -d)
x_on_exit "rm -rf '$folder'"
x_session_start --openbox

# Compiles langPolski.txt in the window `title` names and takes the box.
shoot() {
  local window=$1 picture=$2 box
  xdotool windowactivate --sync "$window" key --clearmodifiers Tab ctrl+a
  xdotool type --delay 40 Polski
  xdotool key --clearmodifiers shift+Tab Return
  box=$(x_wait_window '^Parlavox Localization Tool$' 20) || x_fail "no findings box"
  sleep 1
  import -window root -crop "$(screen_around "$window" "$box")" "$picture"
  xdotool windowfocus --sync "$box" key --clearmodifiers Return
  x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "the box did not close"
}
# The part of the screen that holds both windows, frames too.
screen_around() {
  local left=9999 top=9999 right=0 bottom=0 id x y w h
  for id in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    x=$X y=$Y w=$WIDTH h=$HEIGHT
    ((x - 8 < left)) && left=$((x - 8))
    ((y - 40 < top)) && top=$((y - 40))
    ((x + w + 8 > right)) && right=$((x + w + 8))
    ((y + h + 8 > bottom)) && bottom=$((y + h + 8))
  done
  ((left < 0)) && left=0
  ((top < 0)) && top=0
  echo "$((right - left))x$((bottom - top))+$left+$top"
}

# --- Linux ---------------------------------------------------------------------
qt=build/default/window/qt/parlavox-localization-tool
if [[ -x $qt ]]; then
  cp "$qt" samples/langEnglish.txt "$folder/"
  polish_source utf8 "$folder/langPolski.txt"
  # Qt scales its logical pixels, 15 twips each, by the screen's factor.
  for scaled in 1:96 1.5:144; do
    QT_SCALE_FACTOR=${scaled%:*} "$folder/$(basename "$qt")" >/dev/null 2>&1 &
    pid=$!
    window=$(x_wait_window '^Parlavox Localization Tool v' 60) || x_fail "no window"
    shoot "$window" "$out/findings-linux-${scaled#*:}dpi.png"
    x_stop "$pid"
  done
fi

# --- Windows -------------------------------------------------------------------
zip=$(ls build/windows/parlavox-localization-tool-*-win64.zip 2>/dev/null | head -1) || true
if [[ -n $zip ]]; then
  tool=$folder/windows
  unzip -q "$zip" -d "$tool"
  polish_source utf8 "$tool/langPolski.txt"
  wine_session_start
  for dpi in 96 144; do
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    timeout 30 "$wine_bin/wineserver" -w || true
    wine_start "$tool/parlavox-localization-tool.exe"
    window=$(x_wait_window '^Parlavox Localization Tool v' 60) || x_fail "no window"
    shoot "$window" "$out/findings-windows-${dpi}dpi.png"
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    x_wait_for 10 bash -c "! kill -0 $wine_pid" || true
  done
fi
ls "$out"
