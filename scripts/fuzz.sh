#!/usr/bin/env bash
# Fuzzes each target for N minutes (default 10), one after the other, starting from
# its seed corpus, in the sanitizer build. New inputs stay in the build tree
# (build-asan/fuzz-runs/TARGET/corpus), anything found in .../findings. Ends with a
# table: target, minutes, executions, coverage (edges) at start and end, findings
# (crashes, leaks, time-outs, out-of-memory) and inputs slower than 10 s.
# Usage: scripts/fuzz.sh [--minutes N] [TARGET...]   (no target: all of them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=10
if [ "${1:-}" = "--minutes" ]; then
  minutes=${2:?--minutes needs a number}
  shift 2
fi
build=$root/build-asan

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  [ -f "$build/build.ninja" ] || "$root/scripts/build.sh" --sanitize
  mapfile -t targets < <(cmake --build "$build" --target help \
    | sed -n 's/^\([a-z_]*fuzz_[a-z_]*\): phony$/\1/p' | grep -v '_autogen' | sort)
fi
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no fuzz targets found" >&2; exit 1; }
"$root/scripts/build.sh" --sanitize "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=default.debug=false

rows=()
for t in "${targets[@]}"; do
  exe=$(find "$build" -type f -name "$t" -perm -u+x | head -n1)
  seeds=$(find "$root/fuzz" -type d -path "*/corpus/$t" | head -n1)
  [ -n "$exe" ] || { echo "fuzz: $t was not built" >&2; exit 1; }
  work=$build/fuzz-runs/$t
  mkdir -p "$work/corpus" "$work/findings"
  log=$work/last.log
  echo "fuzz: $t for $minutes min (log $log)" >&2
  # The first corpus folder receives the new inputs; the seeds are only read.
  (cd "$work" && nice -n 19 "$exe" -max_total_time=$((minutes * 60)) -max_len=70000 -timeout=60 \
      -print_final_stats=1 -artifact_prefix="$work/findings/" corpus ${seeds:+"$seeds"}) >"$log" 2>&1 || true
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  start=$(grep -m1 -o 'INITED cov: [0-9]*' "$log" | grep -o '[0-9]*$' || true)
  end=$(grep -o 'cov: [0-9]*' "$log" | tail -n1 | grep -o '[0-9]*$' || true)
  found=$(find "$work/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  slow=$(find "$work/findings" -type f -name 'slow-unit-*' | wc -l)
  rows+=("$(printf '%-24s %7s %12s %9s %9s %8s %5s' "$t" "$minutes" "${execs:-?}" "${start:-?}" "${end:-?}" "$found" "$slow")")
done

printf '%-24s %7s %12s %9s %9s %8s %5s\n' target minutes executions cov-start cov-end findings slow
printf '%s\n' "${rows[@]}"
