#!/usr/bin/env bash
# parlavox-lngc reads one opened source: a source renamed over, rewritten in
# place, or rewritten with its modification time put back while it is
# compiled "could not be read", and the earlier compiled file stays. Each
# compile is held by strace at one system call while the source changes.
#
# Usage: lngc_source_change_test.sh PARLAVOX-LNGC
set -euo pipefail
lngc=$(realpath "$1")
source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"

allow_tracing

source=$work/langPolski.txt
unreadable="$source: File langPolski.txt could not be read"

# Runs the compile of langPolski.txt held for a second where the strace
# option $1 says, runs the command $3 once the trace shows the pattern $2
# (the compile is then held), and waits for it; sets status, and keeps
# standard error in err.
compile_held() {
  local inject=$1 pattern=$2 change=$3
  : >trace
  set +e
  strace -f -o trace -P "$source" -e trace=openat,read \
    -e inject="$inject" "$lngc" "$source" >out 2>err &
  local pid=$!
  set -e
  for _ in $(seq 1000); do
    grep -q -- "$pattern" trace && break
    sleep 0.01
  done
  grep -q -- "$pattern" trace || fail "the compile was never held at $pattern: $(cat trace err)"
  eval "$change"
  set +e
  wait "$pid"
  status=$?
  set -e
}

# The compile failed as unreadable and left the earlier compiled file.
expect_unreadable() {
  local what=$1
  [[ $status == 1 && $(cat err) == "$unreadable" ]] ||
    fail "$what: status $status, said '$(cat err)'"
  cmp -s earlier.lng LangPolski.lng ||
    fail "$what: the earlier compiled file was replaced by '$(cat -A LangPolski.lng)'"
}

# Starts a case from source bytes $1 and an earlier compiled file.
start() {
  printf '%s' "$1" >"$source"
  printf 'earlier\r\n' >earlier.lng
  cp earlier.lng LangPolski.lng
}

ascii=$'Charset | 238\r\n0 | Plik\r\n1 | Zapisz\r\n'
renamed=$'Charset | 238\r\n0 | Nowy\r\n1 | Zapisz jako\r\n'

# Renamed over right after the open: the file opened is compiled, and the
# name leads elsewhere by the time the compiled file would take its name.
start "$ascii"
printf '%s' "$renamed" >saved.txt
compile_held 'openat:delay_exit=1000000:when=1' 'O_RDONLY' \
  'mv saved.txt "$source"'
expect_unreadable "renamed over after the open"

# UTF-8 rewritten in place between the readings, the same size and its
# modification time put back, as a restore does: only the change time
# tells. Held at the source's second read, the survey's.
utf8=$'Charset | 238\r\n0 | Zażółć\r\n1 | gęślą\r\n'
swapped=$'Charset | 238\r\n0 | Źdźbło\r\n1 | jaźń!\r\n'
[[ ${#utf8} == "${#swapped}" ]] || fail "the two sources differ in size"
start "$utf8"
touch -r "$source" stamp
compile_held 'read:delay_exit=1000000:when=2' 'read(' \
  'printf "%s" "$swapped" | dd of="$source" conv=notrunc status=none; touch -r stamp "$source"'
expect_unreadable "rewritten in place with its time put back"

# UTF-16 rewritten in place, shorter, while it is read: never a parse fault
# of the bytes the compile happened to see.
utf16=$(printf '\xff\xfeC\0h\0a\0r\0s\0e\0t\0 \0|\0 \x30\0\r\0\n\0\x30\0 \0|\0 \0A\0\r\0\n\0' | base64 -w0)
start "$(printf x)"
base64 -d <<<"$utf16" >"$source"
compile_held 'read:delay_exit=1000000:when=1' 'read(' \
  'printf "0 | kurz\r\n" | dd of="$source" status=none'
expect_unreadable "UTF-16 rewritten in place"

# Left alone, the same compiles pass: the holds themselves change nothing.
start "$utf8"
compile_held 'read:delay_exit=200000:when=2' 'read(' 'true'
[[ $status == 0 && ! -s err ]] || fail "unchanged: status $status, said '$(cat err)'"
printf '238\r\nZa\xbf\xf3\xb3\xe6\r\ng\xea\x9cl\xb9\r\n' >want
cmp -s want LangPolski.lng || fail "unchanged: wrote '$(cat -A LangPolski.lng)'"
echo "all source change cases passed"
