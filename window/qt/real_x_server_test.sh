#!/usr/bin/env bash
# Drives the built tool in a real X server as a translator would: types a
# name, clicks "Compile", checks the written file, provokes the not-found
# message box and closes it. Starts its own Xvfb.
set -euo pipefail
tool=$1

work=$(mktemp -d)
cleanup() {
  [[ -n ${tool_pid:-} ]] && kill "$tool_pid" 2>/dev/null || true
  [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do echo "--- $log" >&2; cat "$log" >&2; done
  echo "--- windows:" >&2
  for w in $(xdotool search --name . 2>/dev/null); do
    echo "$w $(xdotool getwindowname "$w" 2>/dev/null)" >&2
  done
  kill -0 "${tool_pid:-0}" 2>/dev/null && echo "(the tool is running)" >&2
  exit 1
}

# Waits until a command succeeds, for at most 30 seconds (the first start of
# a Qt program on a fresh machine builds the font cache).
wait_for() {
  for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# Xvfb picks a free display and writes its number to the pipe.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 30 -u "$display_fd" display || fail "Xvfb did not start"
export DISPLAY=:$display
wait_for xdpyinfo || fail "Xvfb does not answer on $DISPLAY"

cp "$tool" "$work/"
printf 'Charset | 0\r\n// menu\r\n0 | Datei\r\n1 | see http://x.example // link\r\n' \
  >"$work/langDeutsch.txt"
unset QT_QPA_PLATFORM
"$work/$(basename "$tool")" >"$work/tool.log" 2>&1 &
tool_pid=$!

wait_for xdotool search --onlyvisible --name '^Parlavox Localization Tool v0\.2$' ||
  fail "the window did not appear"
window=$(xdotool search --onlyvisible --name '^Parlavox Localization Tool v0\.2$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"

# Click at a point of the client area, in logical pixels.
click_at() {
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.2
}

click_at 120 227                 # into the name box
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Deutsch
sleep 0.2
click_at 230 237                 # "Compile"
wait_for test -f "$work/LangDeutsch.lng" || fail "LangDeutsch.lng was not written"
expected=$(printf '0\r\nDatei\r\nsee http://x.example\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$work/LangDeutsch.lng")
[[ $actual == "$expected" ]] || fail "LangDeutsch.lng holds$actual"

click_at 120 227
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Nope
click_at 230 237
boxes() { xdotool search --onlyvisible --name '^Parlavox Localization Tool$'; }
wait_for boxes || fail "no message box for a missing source"
box=$(boxes | head -1)
xdotool windowfocus --sync "$box" key Return
wait_for bash -c "! xdotool search --onlyvisible --name '^Parlavox Localization Tool\$'" ||
  fail "the message box did not close"
kill -0 "$tool_pid" || fail "the tool ended"
echo "real X server test passed"
