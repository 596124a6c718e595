#!/usr/bin/env bash
# Drives the built tool in a real X server as a translator would: types a
# name, clicks "Compile", checks the written file, provokes the not-found
# message box and closes it. Starts its own Xvfb.
set -euo pipefail
tool=$1
source "$(dirname "$0")/../x_session.sh"

work=$(mktemp -d)
x_on_exit "rm -rf '$work'"
x_session_start

cp "$tool" "$work/"
printf 'Charset | 0\r\n// menu\r\n0 | Datei\r\n1 | see http://x.example // link\r\n' \
  >"$work/langDeutsch.txt"
unset QT_QPA_PLATFORM
"$work/$(basename "$tool")" >"$x_logs/tool.log" 2>&1 &
tool_pid=$!
x_on_exit "x_stop $tool_pid"

# The first start of a Qt program on a fresh machine builds the font cache.
window=$(x_wait_window '^Parlavox Localization Tool v0\.2$' 60) ||
  x_fail "the window did not appear"
x_geometry "$window"

x_click 120 227                  # into the name box
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Deutsch
sleep 0.2
x_click 230 237                  # "Compile"
x_wait_for 10 test -f "$work/LangDeutsch.lng" || x_fail "LangDeutsch.lng was not written"
expected=$(printf '0\r\nDatei\r\nsee http://x.example\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$work/LangDeutsch.lng")
[[ $actual == "$expected" ]] || x_fail "LangDeutsch.lng holds$actual"

x_click 120 227
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Nope
x_click 230 237
box=$(x_wait_window '^Parlavox Localization Tool$' 10) ||
  x_fail "no message box for a missing source"
xdotool windowfocus --sync "$box" key Return
x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "the message box did not close"
kill -0 "$tool_pid" || x_fail "the tool ended"
echo "real X server test passed"
