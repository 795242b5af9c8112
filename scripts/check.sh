#!/usr/bin/env bash
# Builds everything and runs every test headless.
# Usage: scripts/check.sh [--sanitize]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
"$root/scripts/build.sh" ${1:+"$1"}
export QT_QPA_PLATFORM=offscreen
cd "$root/$dir"
ctest --output-on-failure --parallel "${TELVANE_JOBS:-2}" --timeout 600
