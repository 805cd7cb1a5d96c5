#!/usr/bin/env bash
# Keeps the folders free of loops: every product folder may include only the folders listed
# after it in scripts/layers.txt (its allowed directions, which name lower folders only), and the
# CMake libraries may link only without a cycle. Tests, fuzz targets and benchmarks may include
# anything. With a configured build folder as its argument it also checks the link graph.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=scripts/layers.txt
fail=0

declare -A allowed
order=()
while read -r line; do
  line=${line%%#*}
  [ -z "${line// /}" ] && continue
  folder=${line%%:*}
  folder=${folder// /}
  allowed[$folder]=" ${line#*:} "
  order+=("$folder")
done < "$layers"

# The folder a source belongs to: the deepest listed folder holding it.
owner() {
  local d=$1
  while [ "$d" != "." ]; do
    [ -n "${allowed[$d]+x}" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
}

# Each listed folder may name only folders listed before it, so the directions cannot loop.
declare -A seen
for folder in "${order[@]}"; do
  for dep in ${allowed[$folder]}; do
    if [ -z "${seen[$dep]+x}" ]; then
      echo "layers: $folder may include $dep, which is not listed before it" >&2
      fail=1
    fi
  done
  seen[$folder]=1
done

while read -r file; do
  case $file in tests/* | fuzz/* | bench/*) continue ;; esac
  from=$(owner "$(dirname "$file")")
  if [ -z "$from" ]; then
    echo "layers: $file is in no folder of $layers" >&2
    fail=1
    continue
  fi
  while IFS=: read -r lineno inc; do
    inc=${inc#*\"}
    inc=${inc%\"*}
    [[ $inc == */* ]] || continue
    to=$(owner "$(dirname "$inc")")
    [ -z "$to" ] && continue  # not one of ours
    [ "$to" = "$from" ] && continue
    if [[ ${allowed[$from]} != *" $to "* ]]; then
      echo "layers: $file:$lineno: $from may not include $inc ($to)" >&2
      fail=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(git ls-files '*.h' '*.cpp' '*.hpp' '*.cc')

# The link graph: CMake's own description of the targets, sorted; tsort names any loop.
if [ $# -ge 1 ]; then
  dot=$(mktemp -d)
  trap 'rm -rf "$dot"' EXIT
  cmake --graphviz="$dot/targets.dot" "$1" >/dev/null
  declare -A name
  while read -r id label; do name[$id]=$label; done < <(
    sed -nE 's/^[[:space:]]*"(node[0-9]+)" \[ label = "([^"]+)".*/\1 \2/p' "$dot/targets.dot")
  if ! sed -nE 's/^[[:space:]]*"(node[0-9]+)" -> "(node[0-9]+)".*/\1 \2/p' "$dot/targets.dot" |
      while read -r a b; do echo "${name[$a]} ${name[$b]}"; done | tsort >/dev/null 2>"$dot/loops"; then
    echo "layers: the libraries link in a loop:" >&2
    sed 's/^/  /' "$dot/loops" >&2
    fail=1
  fi
fi

[ $fail -eq 0 ] && echo "layers: every include and link goes down"
exit $fail
