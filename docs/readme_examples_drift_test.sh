#!/usr/bin/env bash
# The README's examples checker fails, and names the line, where README.md
# says something that the program does not print.
#
#   docs/readme_examples_drift_test.sh CHECKER README LNGC FIXTURES
#
# First on copies of README.md, each with one change; then on small READMEs
# of its own, for how the checker runs commands and reads what they print.

set -uo pipefail

if (($# != 4)); then
  echo "usage: $0 CHECKER README LNGC FIXTURES" >&2
  exit 2
fi
checker=$(realpath -- "$1") || exit 2
readme=$(realpath -- "$2") || exit 2
lngc=$(realpath -- "$3") || exit 2
fixtures=$(realpath -- "$4") || exit 2

work=$(mktemp -d) || exit 2
trap 'rm -rf -- "$work"' EXIT
cd "$work" || exit 2

passed=0
failed=0
pass() { passed=$((passed + 1)); }
flunk() {
  printf 'FAILED: %s\n' "$1"
  [[ -f report ]] && sed 's/^/  | /' report
  failed=$((failed + 1))
}

# Runs the checker on README.md here, with the fixtures of the real README
# or, once set, $own_fixtures; its report goes to `report`, the lines
# naming a README line to `named`.
check() {
  bash "$checker" README.md "$lngc" "${own_fixtures:-$fixtures}" >report 2>&1
  local status=$?
  grep -E '^README\.md:[0-9]+: ' report >named
  return $status
}

# Passes when the checker fails and names exactly the README lines given,
# in that order, and no other.
expect_named() {
  local case=$1
  shift
  if check; then
    flunk "$case: the checker passed"
    return
  fi
  if [[ $(cat named) != "$(printf '%s\n' "$@")" ]]; then
    flunk "$case: expected the report to name exactly: $*"
    return
  fi
  pass
}

# --- Copies of README.md with one change -----------------------------------

# The first output line of an example: the line after the first
# "$ parlavox-lngc" command that prints something.
out_line=$(awk '/^    \$ parlavox-lngc/ { command = 1; next }
  command && /^    / && !/^    \$ / { print NR; exit }
  { command = 0 }' "$readme")
if [[ -z $out_line ]]; then
  echo "$readme holds no example with output" >&2
  exit 1
fi
out_text=$(sed -n "${out_line}s/^    //p" "$readme")

cp -- "$readme" README.md
if check; then pass; else flunk "README.md as it is: the checker failed"; fi

sed "${out_line}s/\$/ (altered)/" "$readme" >README.md
expect_named "an output line altered" \
  "README.md:$out_line: expected \"$out_text (altered)\""

sed "${out_line}a\\    a line that nothing prints" "$readme" >README.md
expect_named "an output line added" \
  "README.md:$((out_line + 1)): expected \"a line that nothing prints\""

sed "${out_line}d" "$readme" >README.md
if check; then
  flunk "an output line left out: the checker passed"
elif [[ $(wc -l <named) -ne 1 ]] ||
  ! grep -qE "^README\.md:($out_line|$((out_line - 1))): " named; then
  flunk "an output line left out: expected the report to name line $out_line or the one before"
else
  pass
fi

marker_line=$(grep -n -m 1 '^<!-- example: ' "$readme" | cut -d: -f1)
first_line=$(awk -v m="$marker_line" 'NR > m && /^    \$ / { print NR; exit }' "$readme")
sed "${marker_line}d" "$readme" >README.md
expect_named "a marker removed" \
  "README.md:$((first_line - 1)): expected \"<!-- example: NAME -->\" before this example"

sed "${marker_line}s/example: [^ ]*/example: no-such-folder/" "$readme" >README.md
expect_named "a marker naming no folder" \
  "README.md:$first_line: expected the folder $fixtures/no-such-folder for this example"

{
  cat -- "$readme"
  printf '\nRun it as\n\n    $ parlavox-lngc --check langDeutsch.txt\n'
} >README.md
last=$(wc -l <"$readme")
expect_named "an unmarked example" \
  "README.md:$((last + 4)): expected \"<!-- example: NAME -->\" before this example"

{
  cat -- "$readme"
  # shellcheck disable=SC2016
  printf '\nRun `$ parlavox-lngc --check langDeutsch.txt` first.\n'
} >README.md
expect_named "a command in the text" \
  "README.md:$((last + 2)): expected \"\$ parlavox-lngc\" only in an example block"

# --- READMEs of its own -----------------------------------------------------

mkdir own own/mixed own/lines own/state
printf 'a\r\nb\r\n' >own/lines/crlf.txt
own_fixtures=$work/own

# An example that prints "out 1" and "out 2" on standard output and "err 1"
# on standard error, with the lines given as what it prints; then one that
# shows a file of CR LF lines, and one whose commands build on each other.
own_readme() {
  {
    printf 'An example.\n\n<!-- example: mixed -->\n\n'
    printf '    $ printf '\''out 1\\nout 2\\n'\''; echo '\''err 1'\'' >&2\n'
    printf '    %s\n' "$@"
    printf '\n<!-- example: lines -->\n\n'
    printf '    $ tail -n 2 crlf.txt\n    a\n    b\n'
    printf '\n<!-- example: state -->\n\n'
    printf '    $ echo made >made.txt\n    $ cat made.txt\n    made\n'
    printf '    $ false\n    $ echo $?\n    1\n'
  } >README.md
}

# The number of the last line of README.md that is exactly $1.
line_of() { grep -n -x -F -- "$1" README.md | tail -n 1 | cut -d: -f1; }

for order in "out 1|out 2|err 1" "err 1|out 1|out 2" "out 1|err 1|out 2"; do
  IFS='|' read -r -a lines <<<"$order"
  own_readme "${lines[@]}"
  if check; then pass; else flunk "streams interleaved as $order: the checker failed"; fi
done

own_readme "out 2" "out 1" "err 1"
expect_named "standard output's lines swapped" 'README.md:6: expected "out 2"'

own_readme "out 1" "out 2"
expect_named "a line of standard error left out" \
  'README.md:7: expected nothing more after "out 2", not "err 1"'

own_readme "out 1" "out 2" "err 1" "err 1"
expect_named "a line of standard error twice" 'README.md:9: expected "err 1"'

own_readme "out 1" "out 2" "err 1"
printf '\n<!-- example: state -->\n\n    $ ls\n' >>README.md
if check; then pass; else flunk "a later block of the same folder starts afresh"; fi

own_readme "out 1" "out 2" "err 1"
sed -i 's/^    1$/    0/' README.md
expect_named "the status of the command before" \
  "README.md:$(line_of '    0'): expected \"0\""

own_readme "out 1" "out 2" "err 1"
sed -i 's/^    b$/    b\r/' README.md
expect_named "a file's CR LF shown with its CR" \
  "README.md:$(line_of $'    b\r'): expected \"b"$'\r'"\""

own_readme "out 1" "out 2" "err 1"
printf '\n<!-- example: lines -->\n\n    $ printf '\''a\\nb'\''\n    a\n    b\n' >>README.md
expect_named "output without a final line end" \
  "README.md:$(line_of "    \$ printf 'a\\nb'"): expected \"\$ printf 'a\\nb'\" to end what it prints with a line end"

own_readme "out 1" "out 2" "err 1"
mkdir own/unused
if check; then
  flunk "a fixture folder no example uses: the checker passed"
elif ! grep -qxF "$work/own/unused: expected an example of README.md to use this folder" report; then
  flunk "a fixture folder no example uses: not named"
else
  pass
fi
rmdir own/unused

echo "$passed passed, $failed failed"
((failed == 0))
