#!/usr/bin/env bash
# The one test command: installs what is missing, then configures, builds and
# tests every preset (native, native-asan, win32 under Wine), checks the
# formatting and runs each fuzzer for a minute. Fails when anything fails,
# and when the suites leave a new or changed file in the checkout.
set -euo pipefail
cd "$(dirname "$0")/.."

# The checkout outside build/ and work/ as git sees it, ignored files
# included, with a hash of each file listed: a file that was already changed
# and is changed again shows too.
checkout_state() {
  git status --porcelain --ignored --untracked-files=all -- . ':(exclude)build' ':(exclude)work' |
    while IFS= read -r line; do
      file=${line:3}
      hash=-
      [ -f "$file" ] && hash=$(git hash-object --no-filters -- "$file")
      printf '%s %s\n' "$line" "$hash"
    done
}
checkout_before=$(checkout_state)

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-$(nproc)}

# Each step says how long it took, so the run shows where its time goes.
step_start=$SECONDS
step_done() {
  echo "=== $1: $((SECONDS - step_start)) s"
  step_start=$SECONDS
}

bash scripts/bootstrap.sh
step_done "bootstrap"
bash scripts/check-format.sh

for preset in native native-asan win32; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
  [ "$preset" = win32 ] && bash scripts/check-win32-exports.sh build/win32
  step_done "$preset: build"
  if [ "$preset" = win32 ] && ! bash scripts/can-run-win32.sh; then
    # Built and linked, but nothing 32-bit can run on this machine: say so
    # loudly rather than fail on the machine or pretend the tests passed.
    echo "=== win32: TESTS NOT RUN: this machine cannot run 32-bit programs;" \
      "the Windows build was compiled and linked only"
    continue
  fi
  echo "=== $preset: tests"
  runner=()
  repeat=()
  if [ "$preset" = win32 ]; then
    # One virtual display for the whole run: Wine's desktop process of the
    # shared prefix keeps the display of the program that started it, and a
    # display per program went away with that program while others still
    # used the desktop (a program then finished every case and never exited).
    [ -z "${DISPLAY:-}" ] && runner=(xvfb-run -a -n 99 -s "-screen 0 1024x768x24")
    # Should a program still not exit, its timeout is run once more, and the
    # listing shows it.
    repeat=(--repeat after-timeout:2)
  fi
  log="build/ctest-$preset.log"
  if [ "$preset" = win32 ]; then
    # The shared prefix's server is started here, not by a test program
    # (scripts/wine-prefix-server.sh says why), and stopped after the suite.
    bash scripts/wine-prefix-server.sh start build/win32
    "${runner[@]}" ctest --preset "$preset" -j "$JOBS" "${repeat[@]}" | tee "$log" ||
      { bash scripts/wine-prefix-server.sh stop build/win32; exit 1; }
    bash scripts/wine-prefix-server.sh stop build/win32
  else
    "${runner[@]}" ctest --preset "$preset" -j "$JOBS" "${repeat[@]}" | tee "$log"
  fi
  if [ ${#repeat[@]} -gt 0 ]; then
    echo "=== $preset: $(grep -c '\*\*\*Timeout' "$log" || true) test program(s) reached the timeout and were repeated"
  fi
  step_done "$preset: tests"
done

echo "=== fuzz: configure and build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$JOBS"
step_done "fuzz: build"
bash scripts/run-fuzzers.sh build/fuzz "$FUZZ_SECONDS"
step_done "fuzz: runs"

checkout_after=$(checkout_state)
if [ "$checkout_after" != "$checkout_before" ]; then
  echo "=== FAILED: the suites left these files in the checkout (tests write under build/ or the temp folder):"
  diff <(printf '%s\n' "$checkout_before") <(printf '%s\n' "$checkout_after") | sed -n 's/^> /  /p' || true
  exit 1
fi

echo "=== all suites passed"
