#!/usr/bin/env bash
# Fails when a C++ source (committed or new) differs from .clang-format, naming the files; `--fix`
# formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t listed < <(git ls-files --cached --others --exclude-standard '*.h' '*.cpp')
files=()
for f in "${listed[@]}"; do [ -f "$f" ] && files+=("$f"); done  # not the ones deleted meanwhile
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "format: ${#bad[@]} files differ from .clang-format (scripts/check_format.sh --fix formats them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "format: every source matches .clang-format"
