#!/usr/bin/env bash
# Every include and library link goes down the folders' layers (scripts/layers.txt); with a
# configured build folder as its argument, the links are checked too. See check_layers.py.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/check_layers.py "$@"
