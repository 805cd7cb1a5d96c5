#!/usr/bin/env bash
# Builds and runs every test: the normal build, the ASan+UBSan build (with the fuzz targets'
# corpus replay and a short fuzzing run), and the engine stress test under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

# Runs ctest and keeps its totals for the closing line.
run_ctest() {
  local out rc=0
  out=$(mktemp)
  ctest "$@" 2>&1 | tee "$out" || rc=$?
  grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$out" >> "$summary" || true
  rm -f "$out"
  return $rc
}

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINTORA_WERROR=ON >/dev/null
# Every include and library link goes down the folders' layers, and every source is formatted.
scripts/check_layers.sh build
scripts/check_layers_test.sh
scripts/check_format.sh
cmake --build build -j "$jobs"
run_ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600

echo "== ASan + UBSan build =="
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUINTORA_WERROR=ON \
  -DQUINTORA_SANITIZE="address,undefined" -DQUINTORA_FUZZ=ON -DQUINTORA_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900
scripts/fuzz.sh build-asan

echo "== ThreadSanitizer: engine stress =="
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUINTORA_WERROR=ON \
  -DQUINTORA_SANITIZE=thread -DQUINTORA_GUI=OFF -DQUINTORA_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target engine_stress_tests
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" build-tsan/bin/engine_stress_tests
echo "tsan stress: 1 test passed" >> "$summary"

total=$(awk '/out of/ {s += $NF} /tsan stress/ {s += 1} END {print s}' "$summary")
echo "all test stages passed"
echo "tests: $total passed, 0 failed"
