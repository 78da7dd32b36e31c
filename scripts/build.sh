#!/usr/bin/env bash
# Configures and builds one build tree:
#   scripts/build.sh DIR [cmake options...] [--target NAME...]
# Without --target every target is built.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
options=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--target" ]; then
    shift
    targets+=("$@")
    break
  fi
  options+=("$1")
  shift
done
# A tree configured before with the same options is not configured again:
# ninja itself runs CMake when a CMake file (or a checked glob) changed.
stamp="$dir/.qv-configured-with"
wanted=$(printf '%s\n' "${options[@]+"${options[@]}"}")
if [ ! -f "$dir/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; then
  rm -f "$stamp"
  cmake -S . -B "$dir" -G Ninja "${options[@]+"${options[@]}"}" >/dev/null
  printf '%s' "$wanted" >"$stamp"
fi
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" --target "${targets[@]}"
else
  cmake --build "$dir"
fi
