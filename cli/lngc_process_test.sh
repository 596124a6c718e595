#!/usr/bin/env bash
# parlavox-lngc as a process: the compiled file is synced before it is
# renamed into place and the folder after; a file size limit, a pipe as the
# source, a full standard output and ending signals are each reported or
# cleaned up, never a silent death or a hang.
#
# Usage: lngc_process_test.sh PARLAVOX-LNGC
set -euo pipefail
lngc=$1
source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"

# Waits until the trace file $1 shows $2.
wait_for_trace() {
  for _ in $(seq 1000); do
    grep -q -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.01
  done
  fail "the trace never showed $2"
}

expect_no_temporary() {
  local left
  left=$(find . -name '*.tmp')
  [[ -z $left ]] || fail "$1: temporary files left: $left"
}

printf '0 | small\r\n' >langSmall.txt
seq 0 199999 | awk '{ printf "%d | text number %d // comment\r\n", $1, $1 }' >langBig.txt

# The compiled file is written without a name, synced, and only then named:
# at once where there is no earlier file, else under a temporary name that
# is renamed over it. The folder is synced after.
sync_order() {
  # LeakSanitizer, in the sanitizer build, cannot run under ptrace.
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -o trace -e trace=openat,fsync,linkat,rename "$@" "$lngc" langSmall.txt
  # The folder counts where it is synced: it is also opened to be read
  # for temporary files that a killed compile left behind.
  awk '
    /O_TMPFILE/ { match($0, /= [0-9]+/); fd = substr($0, RSTART + 2, RLENGTH - 2); print "create" }
    /^[0-9]+ +fsync\(/ { match($0, /\([0-9]+/); synced = substr($0, RSTART + 1, RLENGTH - 1)
                         if (synced == folder) print "open-folder"
                         print (synced == fd || synced == folder ? "sync-file" : "sync-other") }
    /linkat\(.*"\.\/LangSmall.lng".* = 0$/ { print "name"; fd = -1 }
    /linkat\(.*\.tmp".* = 0$/ { print "name-temporary" }
    /linkat\(.*EEXIST/ { print "taken" }
    /rename\(.*LangSmall.lng/ { print "rename"; fd = -1 }
    /O_DIRECTORY/ && !/lib/ { match($0, /= [0-9]+/); folder = substr($0, RSTART + 2, RLENGTH - 2) }
  ' trace | tr '\n' ' '
}
if command -v strace >/dev/null; then
  rm -f LangSmall.lng
  order=$(sync_order)
  [[ $order == "create sync-file name open-folder sync-file " ]] ||
    fail "sync order, new file: $order"
  order=$(sync_order)
  [[ $order == "create sync-file taken name-temporary rename open-folder sync-file " ]] ||
    fail "sync order, earlier file: $order"
  # A temporary name another file took meanwhile is passed over for a new one.
  order=$(sync_order -e inject=linkat:error=EEXIST:when=2)
  [[ $order == "create sync-file taken taken name-temporary rename open-folder sync-file " ]] ||
    fail "taken temporary name: $order"
  [[ $(cat LangSmall.lng) == $'\r\nsmall\r' ]] || fail "taken temporary name: output"
  expect_no_temporary "taken temporary name"

  # Where the file system makes no file without a name, a named temporary
  # file serves.
  printf 'earlier\r\n' >LangSmall.lng
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -o trace -P . -e trace=openat -e inject=openat:error=EOPNOTSUPP:when=1 \
    "$lngc" langSmall.txt
  grep -q 'O_TMPFILE.*(INJECTED)' trace || fail "no file without a name was asked for"
  [[ $(cat LangSmall.lng) == $'\r\nsmall\r' ]] || fail "named temporary file: output"
  expect_no_temporary "named temporary file"

  # A compile killed between naming its file and renaming it over the
  # earlier one leaves the temporary file; the next compile removes it.
  for try in 1 2 3 4 5; do
    printf 'earlier\r\n' >LangSmall.lng
    : >held
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
      strace -f -o held -e trace=rename -e inject=rename:delay_enter=5000000 \
      "$lngc" langSmall.txt &
    pid=$!
    wait_for_trace held 'rename('
    pkill -KILL -P "$pid" || true
    { wait "$pid" || true; } 2>/dev/null
    [[ -n $(find . -name '.LangSmall.lng.*.tmp') ]] ||
      fail "killed before the rename ($try): no temporary file was left"
    [[ $(cat LangSmall.lng) == $'earlier\r' ]] || fail "killed before the rename ($try): output replaced"
    "$lngc" langSmall.txt
    [[ $(cat LangSmall.lng) == $'\r\nsmall\r' ]] || fail "after the kill ($try): output"
    expect_no_temporary "after the kill ($try)"
  done

  # A source rewritten in place while its compiled file is written, keeping
  # its size, is not compiled from the old bytes; the earlier file stays.
  printf '0 | aaaa\r\n' >langSame.txt
  printf 'earlier\r\n' >LangSame.lng
  set +e
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -o held -e trace=fsync -e inject=fsync:delay_enter=1000000:when=1 \
    "$lngc" langSame.txt 2>err &
  pid=$!
  wait_for_trace held 'fsync('
  printf 'bbbb' | dd of=langSame.txt bs=1 seek=4 conv=notrunc status=none
  wait "$pid"
  status=$?
  set -e
  [[ $status == 1 ]] || fail "source rewritten: status $status"
  [[ $(cat err) == "langSame.txt: File langSame.txt could not be read" ]] ||
    fail "source rewritten: $(cat err)"
  [[ $(cat LangSame.lng) == $'earlier\r' ]] || fail "source rewritten: output replaced"
  expect_no_temporary "source rewritten"
fi

# The reasons of a failure, where the system gives one: another user who
# may not write the folder or read the source, and a full disk.
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
  chmod 0755 "$work"
  printf 'earlier\r\n' >LangSmall.lng
  set +e
  setpriv --reuid=nobody --regid=nogroup --clear-groups "$lngc" langSmall.txt 2>err
  status=$?
  set -e
  [[ $status == 1 ]] || fail "another user: status $status"
  [[ $(cat err) == "langSmall.txt: File LangSmall.lng could not be written: permission denied" ]] ||
    fail "another user: $(cat err)"
  [[ $(cat LangSmall.lng) == $'earlier\r' ]] || fail "another user: output replaced"
  chmod 0600 langSmall.txt
  set +e
  setpriv --reuid=nobody --regid=nogroup --clear-groups "$lngc" langSmall.txt 2>err
  set -e
  [[ $(cat err) == "langSmall.txt: File langSmall.txt could not be read: permission denied" ]] ||
    fail "another user's source: $(cat err)"
  chmod 0644 langSmall.txt
fi
mkdir full
if mount -t tmpfs -o size=64k tmpfs full 2>/dev/null; then
  trap 'umount "$work/full"; rm -rf "$work"' EXIT
  head -c 50000 langBig.txt | sed '$d' >full/langFull.txt
  set +e
  "$lngc" full/langFull.txt 2>err
  status=$?
  set -e
  [[ $status == 1 ]] || fail "full file system: status $status"
  [[ $(cat err) == "full/langFull.txt: File LangFull.lng could not be written: no space left on the device" ]] ||
    fail "full file system: $(cat err)"
  [[ $(ls -A full) == langFull.txt ]] || fail "full file system: left $(ls -A full)"
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
