#!/usr/bin/env bash
# Sets everything up, builds, and starts the tool. A sample language source,
# langDeutsch.txt, lies beside the executable: type "Deutsch" and compile.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default
cmake --build --preset default
exec build/default/window/qt/parlavox-localization-tool
