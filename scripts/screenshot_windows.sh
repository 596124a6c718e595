#!/usr/bin/env bash
# Takes docs/screenshot-windows.png: the Windows window under Wine, from the
# zip of the windows build, after compiling the sample source, framed by a
# window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh imagemagick wine64 fonts-wine
source window/x_session.sh
source window/win32/wine_session.sh
zip=$(ls build/windows/parlavox-localization-tool-*-win64.zip 2>/dev/null | head -1)
[[ -n $zip ]] || x_fail "no zip: cmake --build --preset windows && cpack --preset windows"
folder=$(mktemp -d)
x_on_exit "rm -rf '$folder'"
unzip -q "$zip" -d "$folder"
x_session_start --openbox
wine_session_start
wine_start "$folder/parlavox-localization-tool.exe"
window=$(x_wait_window '^Parlavox Localization Tool v' 60) ||
  x_fail "the window did not appear"
xdotool windowactivate --sync "$window" key Tab type Deutsch
xdotool key shift+Tab Return
x_wait_for 10 test -f "$folder/LangDeutsch.lng" || x_fail "no LangDeutsch.lng"
sleep 0.5
x_screenshot "$window" docs/screenshot-windows.png
echo "docs/screenshot-windows.png"
