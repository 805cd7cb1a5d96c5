#!/usr/bin/env bash
# The layer check's own test: on a copy of the tree it must pass as the tree stands and fail on
# each way a wrong include or link could be written. Each case is applied to a fresh copy.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

git ls-files --cached --others --exclude-standard -z >"$work/files"
fresh_copy() {
  rm -rf "$work/tree"
  mkdir "$work/tree"
  xargs -0 cp --parents -t "$work/tree" <"$work/files"
}

# Runs the check on the copy (with its link half, which needs the copy configured).
check_copy() {
  cmake -S "$work/tree" -B "$work/tree/build" -G Ninja -DQUINTORA_TESTS=OFF -DQUINTORA_BENCH=OFF \
    >/dev/null 2>&1
  "$work/tree/scripts/check_layers.sh" build 2>"$work/errors" >/dev/null
}

# Each case: a name, a shell command run inside the copy that makes the fault, and what the
# check must say about it.
cases=(
  "an angle include of a higher folder"
  "sed -i '1a #include <program/program_state.h>' drums/drum_pattern.h"
  "drums/drum_pattern.h:[0-9]*: drums may not include program/program_state.h"
  "a parent-relative include of a higher folder"
  "sed -i '1a #include \"../program/program_state.h\"' drums/transport.cpp"
  "drums/transport.cpp:[0-9]*: drums may not include program/program_state.h"
  "a dot-relative include resolved from the root"
  "sed -i '1a #include \"./program/program_state.h\"' drums/steps.h"
  "drums/steps.h:[0-9]*: drums may not include program/program_state.h"
  "product code including test support"
  "sed -i '1a #include \"tests/support/jack_server.h\"' common/folders.cpp"
  "common/folders.cpp:[0-9]*: product code may not include tests/support/jack_server.h"
  "a link edge up the layers that closes no loop"
  "echo 'target_link_libraries(live_core PRIVATE player)' >>live/CMakeLists.txt"
  "live_core (live) may not link player (player)"
  "a product library linking a test library"
  "echo 'target_link_libraries(live_core PRIVATE platform_testing)' >>live/CMakeLists.txt"
  "live_core (live) may not link platform_testing"
  "a core library linking the device libraries"
  "echo 'target_link_libraries(common_core PRIVATE platform_backends)' >>common/CMakeLists.txt"
  "common_core (common) may not link platform_backends (platform/backends)"
)

status=0
fresh_copy
if check_copy; then
  echo "check_layers_test: the tree as it stands passes"
else
  echo "check_layers_test: FAILED: the tree as it stands does not pass:" >&2
  cat "$work/errors" >&2
  status=1
fi

for ((i = 0; i < ${#cases[@]}; i += 3)); do
  name=${cases[i]}
  fresh_copy
  (cd "$work/tree" && eval "${cases[i + 1]}")
  if check_copy; then
    echo "check_layers_test: FAILED: the check passed $name" >&2
    status=1
  elif ! grep -q -- "${cases[i + 2]}" "$work/errors"; then
    echo "check_layers_test: FAILED: for $name the check did not say '${cases[i + 2]}':" >&2
    cat "$work/errors" >&2
    status=1
  else
    echo "check_layers_test: refused $name"
  fi
done
exit $status
