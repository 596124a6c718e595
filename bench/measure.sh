# Shared by the benchmark scripts: `measure COMMAND...` prints the median
# wall time in microseconds and the median peak memory in kilobytes of five
# runs. Needs $work, a scratch folder.
measure() {
  local times=() peaks=()
  for _ in 1 2 3 4 5; do
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
