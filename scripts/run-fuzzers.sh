#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for the given seconds, each on
# a copy of its seed corpus. Any crash, leak, timeout or out-of-memory fails.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
src=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
fuzzers=("$build"/bin/*_fuzzer)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "run-fuzzers: no fuzzer built in $build" >&2
  exit 1
fi
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="$build/corpus/$name"
  rm -rf "$corpus" && mkdir -p "$corpus"
  if [ -d "$src/fuzz/corpus/$name" ]; then cp "$src/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true; fi
  echo "=== fuzzing $name for ${seconds}s"
  (cd "$build" && "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$corpus" 2>"$build/$name.log") || {
    tail -60 "$build/$name.log" >&2
    echo "run-fuzzers: $name failed" >&2
    exit 1
  }
  grep -E 'stat::number_of_executed_units|Done' "$build/$name.log" | tail -2
done
