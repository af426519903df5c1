#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a fixed time on a copy of its corpus.
# Usage: tests/fuzz/run.sh [seconds per target]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-20}"
build="${SUMSPROUT_FUZZ_BUILD:-$root/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DSUMSPROUT_FUZZ=ON \
  -DSUMSPROUT_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
for target in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$target")
  work=$(mktemp -d)
  cp -r "$target"/. "$work/"
  echo "== $name for ${seconds}s"
  # Data files and pictures of a few kilobytes reach every branch; longer inputs only slow
  # each run down (the readers' long-line cases are tests of their own).
  if ! (cd "$work" && "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=4096 -max_len=4096 -print_final_stats=1 "$work" >"$work/log" 2>&1); then
    grep -E -A20 'ERROR|SUMMARY|deadly signal' "$work/log" | head -n 40
    echo "FAILED: $name (the input that failed is in $work)"
    status=1
    continue
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$work/log" || true
  rm -rf "$work"
done
exit $status
