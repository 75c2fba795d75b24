#!/usr/bin/env bash
# The one test command: installs what is missing, then configures, builds and
# tests every preset (native, native-asan, win32 under Wine), checks the
# formatting and runs each fuzzer for a minute. Fails when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-$(nproc)}

bash scripts/bootstrap.sh
bash scripts/check-format.sh

for preset in native native-asan win32; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$JOBS"
done

echo "=== fuzz: configure and build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$JOBS"
bash scripts/run-fuzzers.sh build/fuzz "$FUZZ_SECONDS"

echo "=== all suites passed"
