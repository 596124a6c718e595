# Sourced by the shell tests of parlavox-lngc once they have taken their
# arguments: they work in a scratch folder, $work, removed at exit, and
# stop with `fail MESSAGE`.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# For a test that traces the program: LeakSanitizer, in the sanitizer
# build, cannot run under ptrace.
allow_tracing() {
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
}
