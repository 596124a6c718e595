#!/usr/bin/env bash
# Drives the built tool in a real X server, under a window manager, as a
# translator would: Return on "Compile", which has the focus from the start;
# a typed name, "Compile" clicked, the written file checked; the not-found
# message box, closed with Return; the findings box after compiles that the
# application would show wrong, read by copying its list, with the English
# reference beside the tool and without it. Checks what the frame offers,
# the icon, and that the window stays minimised when the window manager
# minimises it.
# Starts its own Xvfb and openbox.
set -euo pipefail
tool=$1
lngc=$2   # parlavox-lngc, whose findings the window's must read as
source "$(dirname "$0")/../x_session.sh"
source "$(dirname "$0")/../polish_sources.sh"

work=$(mktemp -d)
x_on_exit "rm -rf '$work'"
x_session_start --openbox

cp "$tool" "$work/"
printf '0 | Sprache\r\n' >"$work/langLanguage.txt"
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
[[ "$WIDTH x $HEIGHT" == "283 x 387" ]] || x_fail "client area $WIDTH x $HEIGHT"

# Bytes of a file as hex, to compare exactly.
hex() { od -An -tx1 "$@"; }

# The window manager gives the new window the keyboard focus, and the focus
# is on "Compile", whose name box holds "Language".
x_wait_for 10 bash -c "[[ \$(xdotool getwindowfocus) == $window ]]" ||
  x_fail "the window did not get the keyboard focus"
# The focus frame is drawn on "Compile": it goes when Tab moves the focus on.
compile_image() { import -window "$window" -crop 84x42+188+216 "$1"; }
compile_image "$work/focused.png"
xdotool key Tab
sleep 0.3
compile_image "$work/unfocused.png"
xdotool key shift+Tab
differing=$(compare -metric AE "$work/focused.png" "$work/unfocused.png" null: 2>&1) || true
((differing > 0)) || x_fail "no focus frame on \"Compile\" at the start"
xdotool key Return
x_wait_for 10 test -f "$work/LangLanguage.lng" ||
  x_fail "Return on \"Compile\" did not compile"
[[ $(hex "$work/LangLanguage.lng") == "$(printf '\r\nSprache\r\n' | hex)" ]] ||
  x_fail "LangLanguage.lng holds$(hex "$work/LangLanguage.lng")"

x_click 120 227                  # into the name box
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Deutsch
sleep 0.2
x_click 230 237                  # "Compile"
x_wait_for 10 test -f "$work/LangDeutsch.lng" || x_fail "LangDeutsch.lng was not written"
expected=$(printf '0\r\nDatei\r\nsee http://x.example\r\n' | hex)
[[ $(hex "$work/LangDeutsch.lng") == "$expected" ]] ||
  x_fail "LangDeutsch.lng holds$(hex "$work/LangDeutsch.lng")"

x_click 120 227
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 Nope
x_click 230 237
box=$(x_wait_window '^Parlavox Localization Tool$' 10) ||
  x_fail "no message box for a missing source"
xdotool windowfocus --sync "$box" key Return
x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "the message box did not close"

# --- The findings box --------------------------------------------------------
# Compiles the Polish translation as VARIANT saves it.
compile_polish() {
  polish_source "$1" "$work/langPolski.txt"
  rm -f "$work/LangPolski.lng"
  x_click 120 227
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 Polski
  x_click 230 237
  x_wait_for 10 test -f "$work/LangPolski.lng" || x_fail "LangPolski.lng was not written for $1"
}
# The findings box opens by itself; its list, copied as a translator would
# copy it (Tab from OK to the list, select all, copy), starts with `first`,
# and holds what parlavox-lngc warns of the same source, in its words;
# Return closes the box from the list.
expect_findings() {
  local first=$1 box copied printed reference=()
  box=$(x_wait_window '^Parlavox Localization Tool$' 10) || x_fail "no findings box for: $first"
  xdotool windowfocus --sync "$box"
  xdotool key --clearmodifiers Tab ctrl+a ctrl+c
  sleep 0.3
  copied=$(xclip -selection clipboard -o)
  [[ $copied == "$first"* ]] || x_fail "the findings box lists '$copied', not '$first'"
  if [[ -f $work/langEnglish.txt ]]; then reference=(--reference langEnglish.txt); fi
  printed=$(cd "$work" && "$lngc" --check "${reference[@]}" langPolski.txt 2>&1 |
    sed 's/: warning: /: /' | awk 'NR > 1 {print ""} {print}')
  [[ $copied == "$printed" ]] ||
    x_fail "the findings box lists '$copied', parlavox-lngc '$printed'"
  if [[ -n ${2:-} ]]; then x_screenshot "$box" "$2"; fi
  xdotool key --clearmodifiers Return
  x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "Return did not close the findings box"
}
expect_no_box() {
  ! x_wait_window '^Parlavox Localization Tool$' 1.5 >/dev/null || x_fail "a box opened after a clean compile"
}
shots=${PARLAVOX_SCREENSHOTS:-}
compile_polish utf8
expect_findings 'langPolski.txt: without a Charset line the file is read as Western European, but Polish is written in Charset 238 (Central European)' \
  "${shots:+$shots/findings-qt.png}"
compile_polish charset0
expect_findings 'langPolski.txt:1: Charset 0 is Western European, but Polish is written in Charset 238 (Central European)'
compile_polish no_placeholder
expect_no_box
cp "$(dirname "$0")/../../samples/langEnglish.txt" "$work/"
compile_polish no_placeholder
expect_findings 'langPolski.txt:4: line number 2 uses no placeholder where the reference uses %1'
compile_polish clean
expect_no_box
polish_source unmappable "$work/langPolski.txt"
x_click 230 237
box=$(x_wait_window '^Parlavox Localization Tool$' 10) || x_fail "no message box for a character without place"
if [[ -n $shots ]]; then x_screenshot "$box" "$shots/unmappable-qt.png"; fi
xdotool windowfocus --sync "$box" key Return
x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "the message box did not close"

# The window asks for a frame with a close box only: Motif hints with the
# functions flag and neither minimise (0x8) nor maximise (0x10) among them,
# nor their decorations (0x20, 0x40).
read -r flags functions decorations _ < <(xprop -id "$window" _MOTIF_WM_HINTS |
  sed -n 's/.*= //p' | tr -d ',')
[[ -n ${decorations:-} ]] || x_fail "no Motif hints"
((flags & 1 && !(functions & 0x18) && functions & 0x20 && !(decorations & 0x60))) ||
  x_fail "Motif hints $flags $functions $decorations"
# A fixed size: the window manager offers neither resizing nor maximising.
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
[[ $actions == *_NET_WM_ACTION_CLOSE* ]] || x_fail "cannot close: $actions"
[[ $actions != *_NET_WM_ACTION_RESIZE* && $actions != *_NET_WM_ACTION_MAXIMIZE* ]] ||
  x_fail "can resize or maximise: $actions"
# The tool's icon, for the title bar and the task list, at each size drawn
# that Qt hands the window manager (it leaves out the 256-pixel one).
icons=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[[ $icons == "Icon (16 x 16) Icon (32 x 32) Icon (48 x 48) " ]] ||
  x_fail "the window's icons: '$icons'"

# A minimise request, as the minimise item of openbox's window menu sends:
# the window is iconic and hidden, and stays so.
iconic() {
  xprop -id "$window" WM_STATE | grep -q 'window state: Iconic' &&
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN
}
xdotool windowminimize "$window"
x_wait_for 10 iconic || x_fail "the window did not minimise"
sleep 1
iconic || x_fail "the window did not stay minimised"
xwininfo -id "$window" | grep -q IsUnMapped || x_fail "a minimised window is on screen"
xdotool windowactivate --sync "$window"
x_wait_for 10 bash -c "xwininfo -id $window | grep -q IsViewable" ||
  x_fail "the window did not come back when activated"

kill -0 "$tool_pid" || x_fail "the tool ended"
echo "real X server test passed"
