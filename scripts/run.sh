#!/usr/bin/env bash
# Builds Quintora2 and starts it (on the built-in synth unless another output is chosen).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec build/bin/Quintora2 "$@"
