#!/usr/bin/env bash
# Runs the examples of README.md and compares what they print with what the
# README says they print.
#
#   docs/readme_examples_test.sh README LNGC FIXTURES
#
# An example is an indented code block whose lines start with "$ " commands,
# each followed by the lines it prints. The line before the block (blank
# lines aside) is <!-- example: NAME -->, and FIXTURES/NAME/ holds the files
# the example needs: the commands of a block run in order, with bash, in one
# fresh copy of that folder, with LNGC first on PATH as parlavox-lngc.
#
# parlavox-lngc writes reports to standard output and faults and warnings to
# standard error, and standard output is buffered, so the two are captured
# apart: the README's lines must be the two streams' lines interleaved, each
# stream's own order kept, nothing missing and nothing more. A file's lines
# that another command shows (tail) are compared without the CR of their CR
# LF; what a "$ parlavox-lngc" command prints is compared byte for byte.
#
# A "$ parlavox-lngc" outside such a block, a block of commands without its
# marker, and a marker or fixture folder that no example uses all fail too.
# Exit status 0 when every example printed what the README says, else 1.

set -uo pipefail

if (($# != 3)); then
  echo "usage: $0 README LNGC FIXTURES" >&2
  exit 2
fi
readme=$1
lngc=$(realpath -- "$2") || exit 2
fixtures=$(realpath -- "$3") || exit 2
if [[ ! -f $readme || ! -x $lngc || ! -d $fixtures ]]; then
  echo "$0: needs a README file, an executable LNGC and a FIXTURES folder" >&2
  exit 2
fi

work=$(mktemp -d) || exit 2
trap 'rm -rf -- "$work"' EXIT
mkdir "$work/bin"
ln -s -- "$lngc" "$work/bin/parlavox-lngc"

failures=0
fail() {
  printf '%s\n' "$1"
  failures=$((failures + 1))
}

# The README, one element per line; line N is lines[N-1].
mapfile -t lines <"$readme"
count=${#lines[@]}

indented() { [[ $1 == "    "* ]]; }
blank() { [[ $1 =~ ^[[:space:]]*$ ]]; }

# Each example block: its first and last line index, and its marker's name.
block_first=()
block_last=()
block_name=()
in_commands=() # per line index: 1 inside a block of commands
marker_used=()
fenced=0
i=0
while ((i < count)); do
  line=${lines[i]}
  if [[ $line == '```'* ]]; then
    fenced=$((1 - fenced))
    i=$((i + 1))
    continue
  fi
  if ((fenced)) || ! indented "$line" || { ((i > 0)) && ! blank "${lines[i - 1]}"; }; then
    i=$((i + 1))
    continue
  fi
  # An indented block: indented lines and the blank lines between them.
  first=$i
  last=$i
  commands=0
  j=$i
  while ((j < count)) && { indented "${lines[j]}" || blank "${lines[j]}"; }; do
    if indented "${lines[j]}"; then
      last=$j
      [[ ${lines[j]:4} == '$ '* ]] && commands=1
    fi
    j=$((j + 1))
  done
  i=$((last + 1))
  ((commands)) || continue
  for ((k = first; k <= last; k++)); do in_commands[k]=1; done

  m=$((first - 1))
  while ((m >= 0)) && blank "${lines[m]}"; do m=$((m - 1)); done
  if ((m < 0)) || [[ ! ${lines[m]} =~ ^'<!-- example: '([A-Za-z0-9._-]+)' -->'$ ]]; then
    fail "$readme:$((first + 1)): expected \"<!-- example: NAME -->\" before this example"
    continue
  fi
  marker_used[m]=1
  block_first+=("$first")
  block_last+=("$last")
  block_name+=("${BASH_REMATCH[1]}")
done

for ((i = 0; i < count; i++)); do
  if [[ ${lines[i]} == *'$ parlavox-lngc'* && -z ${in_commands[i]-} ]]; then
    fail "$readme:$((i + 1)): expected \"\$ parlavox-lngc\" only in an example block"
  fi
  if [[ ${lines[i]} == '<!-- example:'* && -z ${marker_used[i]-} ]]; then
    fail "$readme:$((i + 1)): expected an example block after this marker"
  fi
done
for folder in "$fixtures"/*/; do
  [[ -d $folder ]] || continue
  name=$(basename -- "$folder")
  used=0
  for n in "${block_name[@]}"; do [[ $n == "$name" ]] && used=1; done
  ((used)) || fail "$3/$name: expected an example of $readme to use this folder"
done

# What a command printed, line by line, and what the README says it prints.
out=()
err=()
expected=()
expected_lines=()

# Reads FILE into the array named by $2, one element per line; with $3 = 1
# drops the CR of each CR LF.
read_lines() {
  local -n into=$2
  into=()
  local text
  while IFS= read -r text || [[ -n $text ]]; do
    if (($3)); then text=${text%$'\r'}; fi
    into+=("$text")
  done <"$1"
}

# Whether the lines of `expected` are those of `out` and `err` interleaved.
# Sets `matched` to the most expected lines that some interleaving gives,
# `whole` to 1 when one gives all of them and uses up both streams, and
# `more` to a line printed beyond all of them where none does.
interleaves() {
  local -A reach=([0,0]=1)
  local n=${#expected[@]} a=${#out[@]} b=${#err[@]} k i j any
  matched=0
  whole=0
  more=
  for ((k = 0; k <= n; k++)); do
    any=0
    for ((i = 0; i <= k && i <= a; i++)); do
      j=$((k - i))
      if ((j > b)) || [[ -z ${reach[$i,$j]-} ]]; then continue; fi
      any=1
      matched=$k
      if ((k == n)); then
        if ((i == a && j == b)); then
          whole=1
        elif ((i < a)); then
          more=${out[i]}
        else
          more=${err[j]}
        fi
        continue
      fi
      [[ $i -lt $a && ${out[i]} == "${expected[k]}" ]] && reach[$((i + 1)),$j]=1
      [[ $j -lt $b && ${err[j]} == "${expected[k]}" ]] && reach[$i,$((j + 1))]=1
    done
    ((any)) || break
  done
  ((whole))
}

show_printed() {
  printf 'printed by "$ %s":\n' "$1"
  local text
  ((${#out[@]} + ${#err[@]})) || printf '  nothing\n'
  for text in "${out[@]}"; do printf '  stdout: %s\n' "$text"; done
  for text in "${err[@]}"; do printf '  stderr: %s\n' "$text"; done
}

ends_in_line_end() { [[ ! -s $1 || $(tail -c 1 -- "$1" | od -An -tx1) == *0a* ]]; }

commands_run=0
for ((e = 0; e < ${#block_name[@]}; e++)); do
  name=${block_name[e]}
  first=${block_first[e]}
  last=${block_last[e]}
  if [[ ! -d $fixtures/$name ]]; then
    fail "$readme:$((first + 1)): expected the folder $3/$name for this example"
    continue
  fi
  if [[ ${lines[first]:4} != '$ '* ]]; then
    fail "$readme:$((first + 1)): expected the example to start with a \"\$ \" command"
    continue
  fi
  copy=$work/example-$e
  cp -R -- "$fixtures/$name" "$copy" || exit 2
  status=0
  k=$first
  while ((k <= last)); do
    command=${lines[k]:6}
    command_line=$((k + 1))
    expected=()
    expected_lines=()
    k=$((k + 1))
    while ((k <= last)) && [[ ${lines[k]:4} != '$ '* ]]; do
      expected+=("${lines[k]:4}")
      expected_lines+=("$((k + 1))")
      k=$((k + 1))
    done

    # The status of the command before is $? for this one.
    # shellcheck disable=SC2016
    (cd -- "$copy" && PATH=$work/bin:$PATH LC_ALL=C \
      timeout 120 bash -c '(exit "$1"); eval "$2"' bash "$status" "$command" \
      >"$work/stdout" 2>"$work/stderr" </dev/null)
    status=$?
    commands_run=$((commands_run + 1))
    strip_cr=1
    [[ $command == parlavox-lngc* ]] && strip_cr=0
    read_lines "$work/stdout" out "$strip_cr"
    read_lines "$work/stderr" err "$strip_cr"

    if ((status == 124)); then
      fail "$readme:$command_line: expected \"\$ $command\" to end within 120 seconds"
    elif ! ends_in_line_end "$work/stdout" || ! ends_in_line_end "$work/stderr"; then
      fail "$readme:$command_line: expected \"\$ $command\" to end what it prints with a line end"
      show_printed "$command"
    elif ! interleaves; then
      if ((matched < ${#expected[@]})); then
        fail "$readme:${expected_lines[matched]}: expected \"${expected[matched]}\""
      elif ((matched > 0)); then
        fail "$readme:${expected_lines[matched - 1]}: expected nothing more after \"${expected[matched - 1]}\", not \"$more\""
      else
        fail "$readme:$command_line: expected nothing printed by \"\$ $command\", not \"$more\""
      fi
      show_printed "$command"
    else
      continue
    fi
    break # the commands after it would run on what this one left
  done
done

if ((failures)); then
  echo "$readme: $failures faults in the examples"
  exit 1
fi
echo "$readme: ${#block_name[@]} examples, $commands_run commands, all as printed"
