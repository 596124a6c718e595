#!/usr/bin/env bash
# Checks that the compiler's layers only look down: every
# #include "compiler/..." in a file under compiler/ names a file of the same
# layer or of one below it. The layers, bottom to top, are the folders in
# `layers`; the operations are the files in compiler/ itself ("."). A file in
# a folder not named there is a fault too, so that a new folder is placed.
#
# Usage: scripts/check_layers.sh [repository root]
set -euo pipefail
export LC_ALL=C
cd "${1:-$(dirname "$0")/..}"

layers=(encodings files format source . po)

# The index in `layers` of the file at `path`, relative to compiler/; -1 for
# a folder that is no layer.
rank() {
  local path=$1 folder=. i
  [[ $path == */* ]] && folder=${path%%/*}
  for i in "${!layers[@]}"; do
    [[ ${layers[$i]} == "$folder" ]] && { echo "$i"; return; }
  done
  echo -1
}

name() { [[ $1 == . ]] && echo "the operations (compiler/)" || echo "$1/"; }

faults=0
checked=0
while IFS= read -r -d '' file; do
  relative=${file#compiler/}
  own=$(rank "$relative")
  if ((own < 0)); then
    echo "$file: compiler/${relative%%/*}/ is no layer of scripts/check_layers.sh"
    faults=$((faults + 1))
    continue
  fi
  while IFS=: read -r line target; do
    checked=$((checked + 1))
    other=$(rank "$target")
    if ((other < 0)); then
      echo "$file:$line: includes compiler/$target, in no layer"
      faults=$((faults + 1))
    elif ((other > own)); then
      echo "$file:$line: includes compiler/$target of $(name "${layers[$other]}")," \
        "a layer above $(name "${layers[$own]}")"
      faults=$((faults + 1))
    fi
  done < <(awk '/^[ \t]*#[ \t]*include[ \t]*"compiler\// {
      target = $0
      sub(/^[^"]*"compiler\//, "", target)
      sub(/".*/, "", target)
      print FNR ":" target
    }' "$file")
done < <(find compiler -type f \( -name '*.h' -o -name '*.cc' \) -print0 | sort -z)

if ((faults > 0)); then
  order=""
  for layer in "${layers[@]}"; do
    [[ $layer == . ]] && order+=" compiler/" || order+=" $layer/"
  done
  ((faults == 1)) && plural="" || plural="s"
  echo "layers: $faults fault$plural; bottom to top:$order" >&2
  exit 1
fi
echo "layers: $checked includes, each of its own layer or a lower one"
