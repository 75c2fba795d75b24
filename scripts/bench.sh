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
#                                    with logging off and with UseLog Y
#   anything else goes to the program, e.g. --benchmark_filter=SendCheque
#                                    --benchmark_repetitions=3
#
# Not part of CI (scripts/test-all.sh); the program itself is built by the
# native preset like every other benchmark.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=native
program_args=()
for arg in "$@"; do
  case "$arg" in
    --wine) mode=win32 ;;
    -h | --help)
      sed -n '2,17p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
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
nice cmake --build "$build" -j"$jobs" --target payment_bench >"$build/bench-build.log" 2>&1 ||
  { tail -n 40 "$build/bench-build.log" >&2; exit 1; }

program=$build/bin/payment-bench/payment_bench
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
