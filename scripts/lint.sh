#!/usr/bin/env bash
# Static checks: clang-format on every source file, clang-tidy on every file
# of the default build. Run after the default build is configured.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files '*.cc' '*.h' | xargs clang-format --dry-run -Werror
echo "clang-format: clean"
run-clang-tidy -quiet -p build/default "$PWD/(compiler|cli|window)/.*\\.cc\$" \
  >build/clang-tidy.log 2>&1 || { grep -E 'warning:|error:' build/clang-tidy.log; exit 1; }
echo "clang-tidy: clean"
