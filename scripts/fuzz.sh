#!/usr/bin/env bash
# Replays every fuzz target's seed corpus, then fuzzes each briefly (FUZZ_SECONDS, default 30).
set -euo pipefail
build=${1:-build-asan}
seconds=${FUZZ_SECONDS:-30}
cd "$(dirname "$0")/.."
shopt -s nullglob
for corpus in fuzz/*/corpus/*/; do
  name=$(basename "$corpus")
  bin="$build/bin/$name"
  [ -x "$bin" ] || { echo "fuzz: no binary for corpus $corpus" >&2; exit 1; }
  work="fuzz/corpus-work/$name"
  mkdir -p "$work"
  echo "fuzz: $name replay"
  "$bin" -runs=0 "$corpus" >/dev/null 2>&1 || { "$bin" -runs=0 "$corpus"; exit 1; }
  echo "fuzz: $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$work" "$corpus" >/dev/null 2>&1 \
    || { echo "fuzz: $name found a failure"; ls -1 crash-* leak-* timeout-* oom-* 2>/dev/null; exit 1; }
done
