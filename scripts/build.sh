#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with --sanitize).
# Usage: scripts/build.sh [--sanitize] [TARGET...]   (no target: everything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=build
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-asan
  # clang brings libFuzzer, so the fuzz targets join the sanitizer build.
  opts=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
        -DTELVANE_SANITIZE=ON -DTELVANE_FUZZ=ON -DTELVANE_BENCH=OFF)
fi
[ "${CI:-}" = "true" ] && opts+=(-DTELVANE_WERROR=ON)
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake -S "$root" -B "$root/$dir" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$root/$dir" --parallel "${TELVANE_JOBS:-2}" "${targets[@]}"
