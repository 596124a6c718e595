#!/usr/bin/env bash
# scripts/check_layers.sh run on small trees of its own: it passes includes
# that look down or sideways within a layer, and names every include that
# looks up, also one under #if, and every file or include of a folder that
# is no layer.
set -euo pipefail
check=$(cd "$(dirname "$0")" && pwd)/check_layers.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failed=0

# Runs the check on the tree and compares its status, output and errors.
expect() {
  local what=$1 status=$2 out=$3 err=$4 got_status=0
  "$check" "$tree" >"$tree.out" 2>"$tree.err" || got_status=$?
  if [[ $got_status != "$status" || $(<"$tree.out") != "$out" ||
    $(<"$tree.err") != "$err" ]]; then
    echo "$what: status $got_status, printed:"
    cat "$tree.out" "$tree.err"
    failed=1
  fi
  rm -f "$tree.out" "$tree.err"
}

mkdir -p "$tree"/compiler/{encodings,files,po}
printf '#include <string>\n' >"$tree/compiler/encodings/utf16.h"
printf '#include "compiler/encodings/utf16.h"\n' >"$tree/compiler/files/names.h"
printf '#include "compiler/files/names.h"\n\n#include "compiler/encodings/utf16.h"\n' \
  >"$tree/compiler/files/names.cc"
printf '#include "compiler/files/names.h"\n' >"$tree/compiler/compile.h"
printf '#include "compiler/compile.h"\n' >"$tree/compiler/po/po_source.h"
expect "includes that look down" 0 \
  "layers: 5 includes, each of its own layer or a lower one" ""

printf '#include "compiler/files/names.h"\n\n#include "compiler/compile.h"\n' \
  >"$tree/compiler/files/names.cc"
printf '#if defined(_WIN32)\n#  include "compiler/po/po_source.h"\n#endif\n' \
  >"$tree/compiler/encodings/utf16.cc"
expect "includes that look up" 1 \
  "compiler/encodings/utf16.cc:2: includes compiler/po/po_source.h of po/, a layer above encodings/
compiler/files/names.cc:3: includes compiler/compile.h of the operations (compiler/), a layer above files/" \
  "layers: 2 faults; bottom to top: encodings/ files/ format/ source/ compiler/ po/"
rm "$tree/compiler/encodings/utf16.cc"
printf '#include "compiler/files/names.h"\n' >"$tree/compiler/files/names.cc"

mkdir "$tree/compiler/extra"
printf '\n' >"$tree/compiler/extra/more.h"
printf '#include "compiler/extra/more.h"\n' >"$tree/compiler/compile.cc"
expect "a folder that is no layer" 1 \
  "compiler/compile.cc:1: includes compiler/extra/more.h, in no layer
compiler/extra/more.h: compiler/extra/ is no layer of scripts/check_layers.sh" \
  "layers: 2 faults; bottom to top: encodings/ files/ format/ source/ compiler/ po/"

exit "$failed"
