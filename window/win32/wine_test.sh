#!/usr/bin/env bash
# Drives the Windows window as a translator would, from the unpacked zip,
# under Wine in a private X server with a window manager: checks the title,
# the client area and the frame's buttons, the output name on every key, the
# tab order, Return on buttons and in the name box, the compiled bytes, the
# not-found message box, the pages the buttons open, a Cyrillic name, and
# sources saved as Notepad saves them with the faults they can have.
#
# Usage: wine_test.sh ZIP PROBE   (PROBE: window_texts.exe, which reads the
#                                  window's controls as another program can)
set -euo pipefail
zip=$(realpath "$1")
probe=$(realpath "$2")
here=$(dirname "$0")
source "$here/../x_session.sh"
source "$here/wine_session.sh"
source "$here/../polish_sources.sh"

work=$(mktemp -d)
x_on_exit "rm -rf '$work'"
tool=$work/tool
unzip -q "$zip" -d "$tool" || x_fail "cannot unpack $zip"
[[ -f $tool/parlavox-localization-tool.exe ]] || x_fail "no window in $zip"

# The zip's reference waits aside until the findings against it are tried.
mv "$tool/langEnglish.txt" "$work/langEnglish.txt"

x_session_start --openbox
wine_session_start

# A source with a byte of the code page ("ł" in Windows-1250), and one with a
# name that no single-byte code page holds.
printf 'Charset | 238\r\n0 | Plik // menu\r\n1 | Zapisz \263 http://x.example\r\n' \
  >"$tool/langPolski.txt"
russian=Русский
printf '0 | \320\244\320\260\320\271\320\273\n' >"$tool/lang$russian.txt"

wine_start "$tool/parlavox-localization-tool.exe"
window=$(x_wait_window '^Parlavox Localization Tool v0\.2$' 60) ||
  x_fail "the window did not appear"
x_require_id "$window"

# --- The frame ---------------------------------------------------------------
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ $size == 283x387 ]] || x_fail "the client area is $size, not 283x387"
# What the window asks of the window manager: moved and closed only; a title
# bar with the close box and no minimise or maximise box.
read -r flags functions decorations _ < <(xprop -id "$window" _MOTIF_WM_HINTS |
  sed 's/.*= //; s/,//g')
(( flags & 3 && (functions & 0x3E) == 0x24 && (decorations & 0x64) == 0 )) ||
  x_fail "the frame is asked for more than the close box: $flags $functions $decorations"
# openbox keeps its own minimise action in the window menu, but offers no
# resize or maximise for a window of fixed size.
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
[[ $actions == *_NET_WM_ACTION_CLOSE* ]] || x_fail "no close box: $actions"
[[ $actions != *MAXIMIZE* && $actions != *RESIZE* ]] ||
  x_fail "the frame offers more than the close box: $actions"

# The title bar shows the tool's icon: its 16-pixel image, as drawn in
# window/icon/parlavox-localization-tool-16.png, with the page's grey edge at
# (1, 8) and a clear corner.
icon_pixel() {
  xprop -id "$window" -notype 32c _NET_WM_ICON | sed 's/.*= //' | tr -d ' ' |
    tr ',' '\n' | awk -v x="$1" -v y="$2" '{ v[NR] = $1 }
      END { for (at = 1; at < NR; at += 2 + v[at] * v[at + 1])
              if (v[at] == 16) { print v[at + 2 + y * 16 + x]; exit } }'
}
# 0xFFB6BEC6: opaque, the grey of the edge.
[[ $(icon_pixel 1 8) == 4290166470 && $(icon_pixel 0 0) == 0 ]] ||
  x_fail "the title bar's icon is not the tool's: $(icon_pixel 1 8) $(icon_pixel 0 0)"

# --- Helpers -----------------------------------------------------------------
title='Parlavox Localization Tool v0.2'
key() { xdotool key --clearmodifiers "$@"; sleep 0.2; }

# What the window's controls show: CLASS, visible|hidden, focus, TEXT.
controls() { wine_run "$probe" "$title" | tr -d '\r'; }
# The text of the first control of class `class` whose text starts `prefix`.
text_of() { controls | awk -F'\t' -v p="$1" 'index($4, p) == 1 {print $4; exit}'; }
# The text of the control that has the focus, and how it shows the focus.
focused() { controls | awk -F'\t' '$3 ~ /^focus/ {print $3 ": " $4}'; }
expect_focus() {
  local now
  now=$(focused)
  [[ $now == "focus: $1" ]] || x_fail "the focus is on '$now', not on '$1'"
}

# Checks the message box's text, closes it with Return.
expect_box() {
  x_wait_window '^Parlavox Localization Tool$' 10 >/dev/null || x_fail "no message box for: $1"
  local text
  text=$(wine_run "$probe" 'Parlavox Localization Tool' | tr -d '\r')
  [[ $text == *$'\t'"$1" || $text == *$'\t'"$1"$'\n'* ]] ||
    x_fail "the message box is not '$1': $text"
  [[ $(grep -c $'^Button\tvisible' <<<"$text") == 1 ]] || x_fail "more than OK in the box: $text"
  key Return
  x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "Return did not close the message box"
}

# Checks the findings box: its count line and first finding, the focus on
# OK; closes it with `close` (Return unless given).
expect_findings() {
  local count=$1 first=$2 close=${3:-Return}
  x_wait_window '^Parlavox Localization Tool$' 10 >/dev/null || x_fail "no findings box for: $first"
  local text
  text=$(wine_run "$probe" 'Parlavox Localization Tool' | tr -d '\r')
  awk -F'\t' -v c="$count" '$1 == "Static" && index($4, "\\r\\n" c) {f = 1} END {exit !f}' <<<"$text" ||
    x_fail "the findings box does not say '$count': $text"
  awk -F'\t' -v p="$first" '$1 == "Edit" && index($4, p) == 1 {f = 1} END {exit !f}' <<<"$text" ||
    x_fail "the findings box does not start with '$first': $text"
  [[ $(awk -F'\t' '$3 == "focus" {print $1 ": " $4}' <<<"$text") == "Button: OK" ]] ||
    x_fail "the focus in the findings box is not on OK: $text"
  key "$close"
  x_wait_window_gone '^Parlavox Localization Tool$' || x_fail "$close did not close the findings box"
}

# Fails when a box opens within a second and a half.
expect_no_box() {
  ! x_wait_window '^Parlavox Localization Tool$' 1.5 >/dev/null ||
    x_fail "a box opened after a clean compile: $(wine_run "$probe" 'Parlavox Localization Tool' | tr -d '\r')"
}

expect_opened() {
  local line=$1 page=$2
  # The shell starts the browser through winebrowser, slow on a busy machine;
  # the file is counted afresh on each try.
  x_wait_for 30 bash -c '(( $(wc -l <"$1") >= $2 ))' _ "$wine_opened" "$line" ||
    x_fail "nothing opened $page; opened so far: $(tr "\n" " " <"$wine_opened")"
  [[ $(sed -n "${line}p" "$wine_opened") == "$page" ]] ||
    x_fail "opened '$(sed -n "${line}p" "$wine_opened")', not $page"
}

command2() { controls | awk -F'\t' '$4 == "Go to Translation Center" {print $2}'; }

xdotool windowactivate --sync "$window"
sleep 0.5

# --- At start ------------------------------------------------------------------
[[ $(text_of Output) == "Output: LangLanguage.lng" ]] || x_fail "lblOut reads '$(text_of Output)'"
[[ $(command2) == hidden ]] || x_fail "\"Go to Translation Center\" is shown at start"
expect_focus Compile
# Return on the focused "Compile" clicks it.
key Return
expect_box "File langLanguage.txt not found in this directory"
expect_focus Compile

# --- Tab to the name box; the output name follows every key -----------------
key Tab
expect_focus Language
typed=
for letter in P o l s k i; do
  key "$letter"
  typed+=$letter
  [[ $(text_of Output) == "Output: Lang$typed.lng" ]] ||
    x_fail "after '$letter' lblOut reads '$(text_of Output)'"
done
# Return in the name box starts nothing.
key Return
sleep 0.5
[[ ! -e $tool/LangPolski.lng ]] || x_fail "Return in the name box compiled"
x_wait_window_gone '^Parlavox Localization Tool$' 1 || x_fail "Return in the name box showed a message"

key shift+Tab
expect_focus Compile
key Return
x_wait_for 10 test -f "$tool/LangPolski.lng" || x_fail "LangPolski.lng was not written"
expected=$(printf '238\r\nPlik\r\nZapisz \263 http://x.example\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$tool/LangPolski.lng")
[[ $actual == "$expected" ]] || x_fail "LangPolski.lng holds$actual"
success='Successfully compiled lang.txt into LangPolski.lng \r\nPlease post your file to our Translation center'
[[ $(text_of Successfully) == "$success" ]] || x_fail "Label1 reads '$(text_of Successfully)'"
[[ $(command2) == visible ]] || x_fail "\"Go to Translation Center\" did not appear"

# --- Tab order: name box, "...", Command4, Command2, "Compile" --------------
center=http://www.parlavox.example/parlavox/transcenter.php
key Tab Tab
expect_focus ...
key Return
expect_opened 1 http://www.parlavox.example/parlavox/LangEnglish.txt
key Tab
expect_focus "Check if somebody isn't translating for your language already!"
key Return
expect_opened 2 $center
key Tab
expect_focus "Go to Translation Center"
key Return
expect_opened 3 $center
key Tab
expect_focus Compile

# --- A failed compile leaves the result and the button ----------------------
key Tab
xdotool type --delay 80 Nope
key shift+Tab Return
expect_box "File langNope.txt not found in this directory"
[[ $(text_of Successfully) == "$success" ]] || x_fail "a failed compile changed Label1"
[[ $(command2) == visible ]] || x_fail "a failed compile hid \"Go to Translation Center\""

# --- A name outside the code page --------------------------------------------
key Tab
printf '%s' "$russian" | xclip -selection clipboard >/dev/null 2>&1
key ctrl+v
[[ $(text_of Output) == "Output: Lang$russian.lng" ]] || x_fail "lblOut reads '$(text_of Output)'"
key shift+Tab Return
x_wait_for 10 test -f "$tool/Lang$russian.lng" || x_fail "Lang$russian.lng was not written"
# Saved as UTF-8 without a Charset line: written as read, which the
# application shows wrong; the box says so at once.
expect_findings "2 findings in lang$russian.txt:" \
  "lang$russian.txt: without a Charset line the file is read as Western European, but Russian is written in Charset 204 (Cyrillic)"
[[ $(od -An -tx1 "$tool/Lang$russian.lng") == "$(printf '\r\n\320\244\320\260\320\271\320\273\r\n' | od -An -tx1)" ]] ||
  x_fail "Lang$russian.lng holds $(od -An -tx1 "$tool/Lang$russian.lng")"
[[ $(text_of Successfully) == "Successfully compiled lang.txt into Lang$russian.lng "* ]] ||
  x_fail "Label1 reads '$(text_of Successfully)'"
key Tab End
xdotool type --delay 80 X
key shift+Tab Return
expect_box "File lang${russian}X.txt not found in this directory"
[[ $(ls "$tool" | grep -c '\.lng$') == 2 ]] || x_fail "other files were written: $(ls "$tool")"

# --- Sources saved as Notepad saves them ------------------------------------
# Polish as UTF-8 without a mark, Russian as UTF-16 LE, Japanese as UTF-8
# with a mark (ソ and 表 have "\\" as second byte in Shift-JIS).
printf 'Charset | 238\r\n0 | Zażółć gęślą jaźń\r\n' >"$tool/langPl.txt"
{ printf '\xFF\xFE'; printf 'Charset | 204\r\n0 | Привет, мир\r\n' | iconv -f UTF-8 -t UTF-16LE; } \
  >"$tool/langRu.txt"
printf '\xEF\xBB\xBFCharset | 128\r\n0 | ソフトを表示 // メニュー\r\n' >"$tool/langJa.txt"
printf 'Charset | 0\r\n0 | Nyitás\r\n1 | Hő\r\n' >"$tool/langHu.txt"
printf '0 | a\r\nb\0c | d\r\n' >"$tool/langNul.txt"
# Types NAME into the name box and presses "Compile".
compile_name() {
  key Tab End shift+Home
  xdotool type --delay 80 "$1"
  key shift+Tab Return
}
expect_bytes() {
  x_wait_for 10 test -f "$tool/$1" || x_fail "$1 was not written"
  [[ $(od -An -tx1 "$tool/$1") == "$(printf "$2" | od -An -tx1)" ]] ||
    x_fail "$1 holds $(od -An -tx1 "$tool/$1")"
}
compile_name Pl
expect_bytes LangPl.lng '238\r\nZa\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n'
compile_name Ru
expect_bytes LangRu.lng '204\r\n\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n'
compile_name Ja
expect_bytes LangJa.lng '128\r\n\x83\x5C\x83\x74\x83\x67\x82\xF0\x95\x5C\x8E\xA6\r\n'
# A fault quotes characters, whole; a NUL of the source shows as <0x00>.
compile_name Hu
expect_box 'character "ő" (U+0151) in line number 1 has no place in Windows-1252, the code page of Charset 0; every text fits Charset 238 (Central European)'
[[ ! -e $tool/LangHu.lng ]] || x_fail "LangHu.lng was written despite the fault"
compile_name Nul
expect_box 'string delimiter | missing in line "b<0x00>c | d" (1)'

# --- What the application would show wrong -----------------------------------
# A Polish translation as a new translator saves it, first with no reference
# beside the tool: the box tells what the source alone shows, and nothing of
# a reference.
why_case() {
  polish_source "$1" "$tool/langPolski.txt"
  rm -f "$tool/LangPolski.lng"
  compile_name Polski
  x_wait_for 10 test -f "$tool/LangPolski.lng" || x_fail "LangPolski.lng was not written for $1"
}
no_line_polish='langPolski.txt: without a Charset line the file is read as Western European, but Polish is written in Charset 238 (Central European)'
charset0_polish='langPolski.txt:1: Charset 0 is Western European, but Polish is written in Charset 238 (Central European)'
why_case utf8
expect_findings "2 findings in langPolski.txt:" "$no_line_polish"
[[ $(text_of Successfully) == 'Successfully compiled lang.txt into LangPolski.lng \r\nPlease post your file to our Translation center' ]] ||
  x_fail "Label1 reads '$(text_of Successfully)' behind the findings"
why_case utf8_charset1
expect_findings "2 findings in langPolski.txt:" \
  "langPolski.txt:1: Charset 1 is the system's ANSI code page, but Polish is written in Charset 238 (Central European)" Escape
why_case charset0
expect_findings "1 finding in langPolski.txt:" "$charset0_polish"
why_case no_placeholder
expect_no_box
why_case clean
expect_no_box
polish_source unmappable "$tool/langPolski.txt"
compile_name Polski
expect_box 'character "ń" (U+0144) in line number 3 has no place in Windows-1252, the code page of Charset 0; every text fits Charset 238 (Central European)'

# With the reference beside the tool, the placeholders and line numbers too.
mv "$work/langEnglish.txt" "$tool/langEnglish.txt"
why_case no_placeholder
expect_findings "1 finding in langPolski.txt (the reference: langEnglish.txt):" \
  "langPolski.txt:4: line number 2 uses no placeholder where the reference uses %1"
why_case utf8
expect_findings "2 findings in langPolski.txt (the reference: langEnglish.txt):" "$no_line_polish"
why_case charset0
expect_findings "1 finding in langPolski.txt (the reference: langEnglish.txt):" "$charset0_polish"
why_case clean
expect_no_box
# A translation that stops short of the reference's end.
polish_source clean "$work/full.txt"
head -n 7 "$work/full.txt" >"$tool/langPolski.txt"   # to line number 5
rm -f "$tool/LangPolski.lng"
compile_name Polski
x_wait_for 10 test -f "$tool/LangPolski.lng" || x_fail "the short translation was not written"
expect_findings "1 finding in langPolski.txt (the reference: langEnglish.txt):" \
  "langPolski.txt: line numbers 6 to 11 of the reference are missing"
# The sample German translation is complete: no box.
rm -f "$tool/LangDeutsch.lng"
compile_name Deutsch
x_wait_for 10 test -f "$tool/LangDeutsch.lng" || x_fail "LangDeutsch.lng was not written"
expect_no_box

# --- Closing the window ends the program -------------------------------------
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
x_wait_for 10 bash -c "! kill -0 $wine_pid" || x_fail "the program did not end with its window"
wait "$wine_pid" || x_fail "the program ended with status $?"
# --- At another DPI the layout is scaled, not stretched ------------------------
# 4245 x 5805 twips at 120 dots per inch, each rounded to the nearest pixel.
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null ||
  x_fail "cannot set the DPI"
timeout 30 "$wine_bin/wineserver" -w || true
wine_start "$tool/parlavox-localization-tool.exe"
window=$(x_wait_window '^Parlavox Localization Tool v0\.2$' 60) ||
  x_fail "the window did not appear at 120 dpi"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[[ $size == 354x484 ]] || x_fail "at 120 dpi the client area is $size, not 354x484"
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
x_wait_for 10 bash -c "! kill -0 $wine_pid" || x_fail "the program did not end with its window"
echo "Windows window under Wine: passed"
