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
