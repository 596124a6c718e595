#!/usr/bin/env bash
# parlavox-lngc as a process: the compiled file is synced before it is
# renamed into place and the folder after; a file size limit, a pipe as the
# source, a full standard output and ending signals are each reported or
# cleaned up, never a silent death or a hang.
#
# Usage: lngc_process_test.sh PARLAVOX-LNGC
set -euo pipefail
lngc=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_no_temporary() {
  local left
  left=$(find . -name '*.tmp')
  [[ -z $left ]] || fail "$1: temporary files left: $left"
}

printf '0 | small\r\n' >langSmall.txt
seq 0 199999 | awk '{ printf "%d | text number %d // comment\r\n", $1, $1 }' >langBig.txt

# Synced before the rename, the folder after it.
if command -v strace >/dev/null; then
  # LeakSanitizer, in the sanitizer build, cannot run under ptrace.
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -o trace -e trace=openat,fsync,rename "$lngc" langSmall.txt
  order=$(awk '
    /O_EXCL/ && /\.tmp"/ { match($0, /= [0-9]+/); fd = substr($0, RSTART + 2, RLENGTH - 2); print "create" }
    /^[0-9]+ +fsync\(/ { match($0, /\([0-9]+/); print (substr($0, RSTART + 1, RLENGTH - 1) == fd ? "sync-file" : "sync-other") }
    /rename\(.*LangSmall.lng/ { print "rename"; fd = -1 }
    /O_DIRECTORY/ && !/lib/ { match($0, /= [0-9]+/); fd = substr($0, RSTART + 2, RLENGTH - 2); print "open-folder" }
  ' trace | tr '\n' ' ')
  [[ $order == "create sync-file rename open-folder sync-file " ]] ||
    fail "sync order: $order"
fi

# Past the file size limit the write fails and is reported; the next SOURCE
# is still compiled.
printf 'earlier\r\n' >LangBig.lng
set +e
(ulimit -f 100 && exec "$lngc" langBig.txt langSmall.txt) 2>err
status=$?
set -e
[[ $status == 1 ]] || fail "file size limit: status $status"
[[ $(cat err) == "langBig.txt: File LangBig.lng could not be written" ]] ||
  fail "file size limit: $(cat err)"
[[ $(cat LangBig.lng) == $'earlier\r' ]] || fail "file size limit: output replaced"
[[ $(cat LangSmall.lng) == $'\r\nsmall\r' ]] || fail "file size limit: next SOURCE not compiled"
expect_no_temporary "file size limit"

# A pipe in the source's place is no source, and does not block.
mkfifo langPipe.txt
set +e
timeout 10 "$lngc" langPipe.txt 2>err
status=$?
set -e
[[ $status == 1 ]] || fail "pipe: status $status"
[[ $(cat err) == "langPipe.txt: File langPipe.txt not found in this directory" ]] ||
  fail "pipe: $(cat err)"

# A lost write to standard output is a failure with a message.
set +e
"$lngc" --statistics langSmall.txt >/dev/full 2>err
status=$?
set -e
[[ $status == 1 ]] || fail "full standard output: status $status"
[[ $(cat err) == "parlavox-lngc: write error: No space left on device" ]] ||
  fail "full standard output: $(cat err)"

# Ending signals remove the temporary file.
start=$(date +%s%N)
"$lngc" langBig.txt
span_us=$((($(date +%s%N) - start) / 1000))
for signal in INT TERM HUP; do
  for round in 1 2 3 4 5 6 7 8 9 10; do
    delay_us=$((RANDOM * RANDOM % (span_us + 1)))
    # A background job starts with SIGINT ignored; this one must not.
    env --default-signal=INT "$lngc" langBig.txt &
    pid=$!
    sleep "$(printf '0.%06d' "$delay_us")"
    kill -"$signal" "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    expect_no_temporary "SIG$signal round $round after $delay_us us"
  done
done
echo "process test passed"
