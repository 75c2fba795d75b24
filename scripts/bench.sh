#!/usr/bin/env bash
# Builds and runs the payment benchmarks (bench/payment): the sender library,
# the ATOL driver and the emulated register installed in a temporary folder
# and called in one process as a banking host does. Google Benchmark's table
# is followed by our own cost per payment above the register and its ratio.
#
#   bash scripts/bench.sh            the Linux build (preset bench, build/bench-native)
#   bash scripts/bench.sh --wine     the 32-bit DLLs under Wine (preset bench-win32,
#                                    build/bench-win32); Google Benchmark is built for
#                                    MinGW from Debian's source package on first use
#   --scale[=N]                      adds the long runs: N payments (default 10000)
#                                    with logging off and with UseLog Y, each a
#                                    transfer of its own in the payment journal
#   --instructions[=N]               instead of the timings: the instructions of
#                                    sendCheque under callgrind over N payments
#                                    (default 20), the register library's and
#                                    ours, per payment; without and with the
#                                    journal (natively only)
#   anything else goes to the program, e.g. --benchmark_filter=SendCheque
#                                    --benchmark_repetitions=3
#
# Not part of CI (scripts/test-all.sh); the program itself is built by the
# native preset like every other benchmark.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=native
program_args=()
instructions=0
for arg in "$@"; do
  case "$arg" in
    --wine) mode=win32 ;;
    --instructions) instructions=20 ;;
    --instructions=*) instructions=${arg#--instructions=} ;;
    -h | --help)
      sed -n '2,23p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) program_args+=("$arg") ;;
  esac
done

step() { printf '==== %s\n' "$*" >&2; }
jobs=2 # the machine is shared: never more

bash "$root/scripts/bootstrap.sh"
cd "$root"

# Google Benchmark for MinGW: Debian packages it only for Linux, so its source
# package (the same 1.7.1) is fetched with apt and cross-built, static.
cross_google_benchmark() {
  local deps=$root/build/bench-win32/google-benchmark
  if [ -f "$deps/install/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then return 0; fi
  step "Google Benchmark for MinGW in $deps"
  mkdir -p "$deps/source"
  # shellcheck source=scripts/debian-source.sh
  source "$root/scripts/debian-source.sh"
  debian_source_fetch benchmark "$deps"
  tar -xzf "$deps"/benchmark_*.orig.tar.gz -C "$deps/source" --strip-components=1
  cmake -S "$deps/source" -B "$deps/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
    -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON \
    -DCMAKE_INSTALL_PREFIX="$deps/install" >"$deps/configure.log" 2>&1 ||
    { tail -n 30 "$deps/configure.log" >&2; exit 1; }
  cmake --build "$deps/build" -j"$jobs" >"$deps/build.log" 2>&1 ||
    { tail -n 30 "$deps/build.log" >&2; exit 1; }
  cmake --install "$deps/build" >/dev/null
}

if [ "$mode" = win32 ]; then
  cross_google_benchmark
  preset=bench-win32
  build=$root/build/bench-win32
else
  preset=bench
  build=$root/build/bench-native
fi

step "Building preset $preset in $build"
mkdir -p "$build"
cmake --preset "$preset" >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log" >&2; exit 1; }
nice cmake --build "$build" -j"$jobs" --target payment_bench journal_bench log_bench >"$build/bench-build.log" 2>&1 ||
  { tail -n 40 "$build/bench-build.log" >&2; exit 1; }

program=$build/bin/payment-bench/payment_bench

# callgrind counts the instructions inside sendCheque; a second run toggles
# the count off again inside every call into the register library (its
# exported libfptr_* functions), which leaves ours. Instruction counts do not
# depend on the machine's load, unlike the timings.
count_instructions() {
  local payments=$1 label=$2
  shift 2
  local out=$build/callgrind
  mkdir -p "$out"
  local total ours
  valgrind --tool=callgrind --callgrind-out-file="$out/all.%p" --toggle-collect=sendCheque \
    "$program" --payments="$payments" "$@" </dev/null >"$out/all.log" 2>&1 ||
    { tail -n 20 "$out/all.log" >&2; exit 1; }
  valgrind --tool=callgrind --callgrind-out-file="$out/ours.%p" --toggle-collect=sendCheque \
    --toggle-collect='libfptr_*' "$program" --payments="$payments" "$@" </dev/null \
    >"$out/ours.log" 2>&1 || { tail -n 20 "$out/ours.log" >&2; exit 1; }
  total=$(grep -h '^summary:' "$out"/all.* | awk '{s += $2} END {print s}')
  ours=$(grep -h '^summary:' "$out"/ours.* | awk '{s += $2} END {print s}')
  rm -f "$out"/all.* "$out"/ours.*
  awk -v t="$total" -v o="$ours" -v n="$payments" -v l="$label" 'BEGIN {
    printf "%-28s %12.0f %12.0f %12.0f   (instructions per payment over %d payments)\n",
      l, t / n, (t - o) / n, o / n, n }'
}

if [ "$instructions" -gt 0 ]; then
  if [ "$mode" = win32 ]; then
    echo "--instructions: natively only (callgrind)" >&2
    exit 1
  fi
  step "Counting the instructions of sendCheque ($instructions payments, callgrind)"
  printf '%-28s %12s %12s %12s\n' "sendCheque, logging off" total register ours
  count_instructions "$instructions" "without the journal"
  count_instructions "$instructions" "with the journal" --journal
  exit 0
fi

step "Running $program ${program_args[*]}"
# A message box would wait for an answer: standard input is empty (POSIX
# boxes take the safe choice) and the run has a time limit.
if [ "$mode" = win32 ]; then
  env -u DISPLAY VORNA_WIN32_BUILD_DIR="$build" timeout 3h \
    bash "$root/cmake/wine-run.sh" "$program.exe" "${program_args[@]}" </dev/null \
    2> >(grep -v '^X connection to' >&2)
else
  timeout 3h "$program" "${program_args[@]}" </dev/null
fi
