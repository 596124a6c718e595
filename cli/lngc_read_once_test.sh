#!/usr/bin/env bash
# How much of a source parlavox-lngc reads: a source whose bytes decide its
# encoding as they come (UTF-8 with or without a byte-order mark, UTF-16,
# ASCII) is read once, after a look at its first 256 bytes; an 8-bit source
# is read once more only as far as the first bytes that are no UTF-8, and the
# blocks read ahead of them. Counted from the read calls on the source's
# file descriptor.
#
# Usage: lngc_read_once_test.sh PARLAVOX-LNGC
set -euo pipefail
lngc=$(realpath "$1")
source "$(dirname "${BASH_SOURCE[0]}")/test_scratch.sh"

allow_tracing

# 4 MB of Polish texts, eight blocks of the compile's reading.
{
  printf 'Charset | 238\r\n'
  for ((n = 0; n < 60000; ++n)); do
    printf '%d | Zażółć gęślą jaźń w pliku %%1: http://x.example/%d\r\n' "$n" "$n"
  done
} >utf8.txt
iconv -f UTF-8 -t CP1250 utf8.txt >cp1250.txt
{ printf '\xef\xbb\xbf'; cat utf8.txt; } >utf8-mark.txt
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE utf8.txt; } >utf16.txt
tr -d '\200-\377' <utf8.txt >ascii.txt

# ASCII whose last line repeats a line number: a fault, which needs no
# second reading either.
{ cat ascii.txt; printf '0 | again\r\n'; } >ascii-fault.txt

# The bytes read from langX.txt by compiling it as SOURCE is; a source whose
# name holds "fault" must fail.
bytes_read() {
  cp "$1" langX.txt
  if [[ $1 == *fault* ]]; then
    ! strace -f -y -e trace=read,pread64 -o trace "$lngc" langX.txt >/dev/null 2>err ||
      fail "$1 compiled"
  else
    strace -f -y -e trace=read,pread64 -o trace "$lngc" langX.txt >/dev/null 2>err ||
      fail "$1 did not compile: $(cat err)"
  fi
  grep -v '^[0-9]* *strace: ' trace |
    awk '/(read|pread64)\([0-9]+<[^>]*\/langX\.txt>/ { sub(/.*= /, ""); total += $1 } END { print total + 0 }'
}

for source in utf8.txt utf8-mark.txt utf16.txt ascii.txt ascii-fault.txt; do
  size=$(stat -c %s "$source")
  read_bytes=$(bytes_read "$source")
  ((read_bytes <= size + 256)) ||
    fail "$source: $read_bytes bytes read for a file of $size"
  ((read_bytes >= size)) || fail "$source: only $read_bytes of $size bytes read"
done

size=$(stat -c %s cp1250.txt)
read_bytes=$(bytes_read cp1250.txt)
# The first reading stops in its first block, with at most two more read
# ahead of the scan.
((read_bytes <= size + 256 + 3 * 524288)) ||
  fail "cp1250.txt: $read_bytes bytes read for a file of $size"
((read_bytes >= size)) || fail "cp1250.txt: only $read_bytes of $size bytes read"
echo "all read once"
