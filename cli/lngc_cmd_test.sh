#!/usr/bin/env bash
# Runs parlavox-lngc.exe in cmd under Wine as a Windows user types it: cmd
# hands wildcards over as typed, and the program expands those not quoted.
# Checks what it prints, its exit statuses and the files it writes.
#
# Usage: lngc_cmd_test.sh PROGRAM WINE
set -euo pipefail
program=$(realpath "$1")
wine=$2
export WINEDEBUG=-all

source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"
cp "$program" parlavox-lngc.exe

# Runs the batch file of `lines` in cmd; its standard output and error,
# with CR LF as LF. (Its status is the last program's: the echoed ones count.)
run_batch() {
  printf '%s\r\n' '@echo off' "$@" >test.cmd
  { timeout 60 "$wine" cmd /c test.cmd 2>&1 || true; } | tr -d '\r'
}

expect() {
  local what=$1 expected=$2 actual=$3
  [[ $actual == "$expected" ]] ||
    fail "$what:"$'\n'"--- printed"$'\n'"$actual"$'\n'"--- expected"$'\n'"$expected"
}

printf '0 | a\r\n' >langA.txt
printf '0 | b\r\n1 | c\r\n' >langb.txt
printf 'notes\r\n' >langnotes.doc
printf '0 | r\r\n' >"langРусский.txt"

actual=$(run_batch \
  'parlavox-lngc.exe --verbose lang*.txt' 'echo exit %ERRORLEVEL%' \
  'parlavox-lngc.exe "lang*.txt"' 'echo exit %ERRORLEVEL%' \
  'parlavox-lngc.exe --check --verbose lang?.txt langZ*.txt' 'echo exit %ERRORLEVEL%' \
  'parlavox-lngc.exe *.doc' 'echo exit %ERRORLEVEL%')
reading="read as 8-bit text, written as read (no Charset line)"
# Russian is known by its own name, and its Charset is 204.
russian="langРусский.txt: warning: without a Charset line the file is read as Western European, but Russian is written in Charset 204 (Cyrillic)"
expected="langA.txt: $reading
LangA.lng: 1 strings
langb.txt: $reading
Langb.lng: 2 strings
$russian
langРусский.txt: $reading
LangРусский.lng: 1 strings
exit 0
lang*.txt: Language name may not contain any of \\ / : * ? \" < > |
exit 1
langZ*.txt: no file named langNAME.txt matches this pattern
langA.txt: $reading
langA.txt: 1 strings
langb.txt: $reading
langb.txt: 2 strings
exit 1
*.doc: no file named langNAME.txt matches this pattern
exit 1"
expect "wildcards" "$expected" "$actual"
[[ $(od -An -tx1 LangРусский.lng) == " 0d 0a 72 0d 0a" ]] ||
  fail "LangРусский.lng holds$(od -An -tx1 LangРусский.lng)"
[[ ! -e LangNotes.lng && ! -e Langnotes.lng ]] || fail "langnotes.doc was compiled"

# A Cyrillic pattern, typed on the command line, in the other case: Windows
# compares names without regard to case in every alphabet.
rm -f ./*.lng
actual=$(timeout 60 "$wine" cmd /c parlavox-lngc.exe --verbose 'langру*.txt' 2>&1 |
  tr -d '\r')
expect "a Cyrillic pattern" "$russian"$'\n'"langРусский.txt: $reading"$'\n'"LangРусский.lng: 1 strings" "$actual"
[[ $(ls ./*.lng) == ./LangРусский.lng ]] || fail "wrote $(ls ./*.lng)"

# The help, as Windows programs give it and as everywhere.
actual=$(run_batch 'parlavox-lngc.exe /?' 'echo exit %ERRORLEVEL%' \
  'parlavox-lngc.exe -h' 'echo exit %ERRORLEVEL%')
[[ $actual == "Usage: parlavox-lngc [OPTION]... SOURCE..."*"exit 0"$'\n'"Usage: parlavox-lngc [OPTION]... SOURCE..."*"exit 0" ]] ||
  fail "the help:"$'\n'"$actual"
[[ $actual == *"  -h, --help, /?      show this help and exit"* &&
  $actual == *"as in lang*.txt"* ]] || fail "the help names neither /? nor wildcards"
echo "parlavox-lngc in cmd: passed"
