// The binding runs every call into the register library inside
// platform::guardedCall; this measures what that adds to one call.
#include <benchmark/benchmark.h>

#include "common/platform/platform.h"

namespace {

// Stands in for a cheap library entry point (a parameter setter).
int counter = 0;
void libraryEntry(void* context) { *static_cast<int*>(context) += 1; }
void (*volatile entry)(void*) = &libraryEntry;

void DirectCall(benchmark::State& state) {
    for (auto _ : state) {
        entry(&counter);
        benchmark::DoNotOptimize(counter);
    }
}
BENCHMARK(DirectCall);

void GuardedCall(benchmark::State& state) {
    unsigned long fault = 0;
    for (auto _ : state) {
        const bool returned = vorna::platform::guardedCall(entry, &counter, fault);
        benchmark::DoNotOptimize(returned);
        benchmark::DoNotOptimize(counter);
    }
}
BENCHMARK(GuardedCall);

}  // namespace

BENCHMARK_MAIN();
