#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the unit, window and
# command-line tests; the static checks; the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer; each fuzz target for a bounded time; and
# the Windows build: the compiler's tests under Wine, the zip, and the
# Windows window driven under Wine from the unpacked zip.
#
# Usage: scripts/test.sh [--quick]   (--quick: the first part only)
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
[[ ${1:-} == --quick ]] && quick=true
fuzz_seconds=${PARLAVOX_FUZZ_SECONDS:-60}

step() { printf '\n=== %s\n' "$*"; }

if $quick; then
  scripts/setup.sh
else
  scripts/setup.sh clang libclang-rt-14-dev clang-tidy clang-format \
    g++-mingw-w64-x86-64-posix wine64 fonts-wine googletest xclip
fi

step "build and tests"
cmake --preset default
cmake --build --preset default
ctest --preset default
$quick && exit 0

step "clang-format and clang-tidy"
scripts/lint.sh

step "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

step "fuzz targets, ${fuzz_seconds} seconds each"
cmake --preset fuzz
cmake --build --preset fuzz
for target in parse_fuzzer compile_fuzzer po_fuzzer; do
  corpus=$(mktemp -d)
  log=build/fuzz/$target.log
  if ! build/fuzz/fuzz/$target -max_total_time="$fuzz_seconds" -max_len=4096 \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/$target- "$corpus" fuzz/corpus >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "$target found a fault; the input is in build/fuzz/" >&2
    exit 1
  fi
  rm -rf "$corpus"
  echo "$target: $(grep -E '^Done' "$log")"
done

step "Windows build, zip and window under Wine"
export WINEPREFIX=$PWD/build/windows-wineprefix WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
# One wineserver and one set of Wine's own services for the whole step,
# rather than one started and awaited for each test. The services start here,
# so that they hold no test's output open.
wineserver=${wine%/*}/wineserver
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wine" wineboot --init >/dev/null 2>&1 || true
cmake --preset windows
cmake --build --preset windows
# The windows preset runs a failed test once more: now and then Wine ends a
# test program before it prints anything. A test that fails in earnest fails
# both times.
ctest --preset windows
ls -l build/windows/parlavox-localization-tool-*-win64.zip

step "all green"
