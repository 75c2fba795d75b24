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

# callgrind's --toggle-collect flips the count on entry and exit of a
# function; it cannot switch it off. Three runs: A counts inside sendCheque;
# B toggles also at every call into the register library (its exported
# libfptr_* functions), which leaves ours inside sendCheque but adds the
# library's calls outside it (the host's set-up); C counts the library's
# calls alone, inside and outside. Ours is then (A + B - C) / 2. Instruction
# counts do not depend on the machine's load, unlike the timings.
callgrind_total() {
  local out=$1 name=$2
  shift 2
  valgrind --tool=callgrind --callgrind-out-file="$out/$name.%p" "$@" </dev/null \
    >"$out/$name.log" 2>&1 || { tail -n 20 "$out/$name.log" >&2; exit 1; }
  grep -h '^summary:' "$out/$name".[0-9]* | awk '{s += $2} END {printf "%.0f", s}'
  rm -f "$out/$name".[0-9]*
}

count_instructions() {
  local payments=$1 label=$2
  shift 2
  local out=$build/callgrind
  mkdir -p "$out"
  local run=("$program" --payments="$payments" "$@")
  local a b c
  a=$(callgrind_total "$out" inside --toggle-collect=sendCheque "${run[@]}")
  b=$(callgrind_total "$out" ours --toggle-collect=sendCheque --toggle-collect='libfptr_*' "${run[@]}")
  c=$(callgrind_total "$out" library --toggle-collect='libfptr_*' "${run[@]}")
  awk -v a="$a" -v b="$b" -v c="$c" -v n="$payments" -v l="$label" 'BEGIN {
    o = (a + b - c) / 2
    printf "%-28s %12.0f %12.0f %12.0f   (instructions per payment over %d payments)\n",
      l, a / n, (a - o) / n, o / n, n }'
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
  # Wine's server holds a descriptor for every open handle of the program, and
  # for some closed ones: a growth there is invisible to the program's own
  # handle count. Its descriptors are sampled every 30 s and the first and
  # last samples printed at the end.
  samples=$build/wineserver-descriptors.txt
  : >"$samples"
  (
    while sleep 30; do
      for pid in $(pgrep wineserver); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$build/wineprefix"; then
          echo "$(date +%T) $(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)" >>"$samples"
        fi
      done
    done
  ) &
  sampler=$!
  status=0
  env -u DISPLAY VORNA_WIN32_BUILD_DIR="$build" timeout 3h \
    bash "$root/cmake/wine-run.sh" "$program.exe" "${program_args[@]}" </dev/null \
    2> >(grep -v '^X connection to' >&2) || status=$?
  kill "$sampler" 2>/dev/null || true
  if [ -s "$samples" ]; then
    printf "Wine server's descriptors (every 30 s, %s samples): first %s, last %s\n" \
      "$(wc -l <"$samples")" "$(head -n 1 "$samples" | cut -d' ' -f2)" \
      "$(tail -n 1 "$samples" | cut -d' ' -f2)"
  fi
  exit "$status"
else
  timeout 3h "$program" "${program_args[@]}" </dev/null
fi
