# Shared by the benchmark scripts, sourced from the project's root: builds
# the optimised programs into $bin and makes $work, a scratch folder removed
# at exit.
scripts/setup.sh time
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
bin=build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# `measure COMMAND...` prints the median wall time in microseconds and the
# median peak memory in kilobytes of five runs.
measure() { _measure_runs : "$@"; }

# `measure_fresh ORIGINAL COPY COMMAND...` is measure for a command that
# changes its input: COPY is made anew from ORIGINAL before each run, outside
# the time taken.
measure_fresh() {
  local original=$1 copy=$2
  shift 2
  _measure_runs "cp '$original' '$copy' && sync" "$@"
}

# Five timed runs of COMMAND..., each after the untimed PREPARE (for eval).
_measure_runs() {
  local prepare=$1
  shift
  local times=() peaks=()
  for _ in 1 2 3 4 5; do
    eval "$prepare"
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
    peaks+=($(tail -1 "$work/peak"))
  done
  local t p
  t=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
  p=$(printf '%s\n' "${peaks[@]}" | sort -n | sed -n 3p)
  echo "$t $p"
}

# `alternate 'COMMAND A' 'COMMAND B'` runs the two (each for eval) one after
# the other five times, so that both meet the same state of the page cache
# and the disk, and prints for A and then for B the best and the median wall
# time in microseconds and the median peak memory in kilobytes:
# "bestA medianA peakA bestB medianB peakB". $prepare, when set, is run
# (for eval) before each run, outside the time taken.
alternate() {
  local a=() b=() pa=() pb=()
  for _ in 1 2 3 4 5; do
    eval "${prepare:-:}"
    a+=($(_timed "$1")) && pa+=($(tail -1 "$work/peak"))
    eval "${prepare:-:}"
    b+=($(_timed "$2")) && pb+=($(tail -1 "$work/peak"))
  done
  echo "$(_best_median "${a[@]}") $(_median "${pa[@]}") $(_best_median "${b[@]}") $(_median "${pb[@]}")"
}

# The wall time in microseconds of COMMAND (for eval); its peak memory goes
# to $work/peak.
_timed() {
  local start end
  start=$(date +%s%N)
  eval "/usr/bin/time -f %M -o '$work/peak' $1" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

_best_median() {
  printf '%s\n' "$@" | sort -n | sed -n '1p;3p' | paste -sd' '
}

_median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
