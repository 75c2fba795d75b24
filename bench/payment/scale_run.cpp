#include "bench/payment/scale_run.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace bench {

namespace {

double mebibytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void payments(benchmark::State& state, int count, LogMode mode) {
    try {
        HostInstallation host(mode);
        host.enter();
        const int perBlock = count / kScaleBlocks;
        for (auto _ : state) {
            state.counters["rss_start_MiB"] = mebibytes(platform::residentMemoryBytes());
            state.counters["modules_start"] = platform::loadedModuleCount();
            double firstBlock = 0.0, lastBlock = 0.0;
            for (int block = 1; block <= kScaleBlocks; ++block) {
                const auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < perBlock; ++i) {
                    std::string text;
                    const int code = host.sendPayment(&text);
                    if (code != 0) {
                        state.SkipWithError(
                            ("sendCheque: " + std::to_string(code) + " " + text).c_str());
                        return;
                    }
                }
                const std::chrono::duration<double, std::milli> spent =
                    std::chrono::steady_clock::now() - start;
                const double perPayment = spent.count() / perBlock;
                state.counters[blockCounterName(block)] = perPayment;
                if (block == 1) firstBlock = perPayment;
                lastBlock = perPayment;
                if (block == kScaleBlocks / 2) {
                    state.counters["rss_middle_MiB"] = mebibytes(platform::residentMemoryBytes());
                    state.counters["modules_middle"] = platform::loadedModuleCount();
                }
            }
            state.counters["rss_end_MiB"] = mebibytes(platform::residentMemoryBytes());
            state.counters["modules_end"] = platform::loadedModuleCount();
            state.counters["last_vs_first"] = lastBlock / firstBlock;
            state.counters["driver_loaded_after"] =
                platform::isLibraryLoaded("vorna.cash.atol10.dll") ? 1 : 0;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

}  // namespace

std::string blockCounterName(int block) {
    char name[16];
    std::snprintf(name, sizeof name, "block%02d_ms", block);
    return name;
}

void registerScaleRun(int count, LogMode mode) {
    const std::string name = "Payments/" + std::to_string(count) + "/" + logModeName(mode);
    benchmark::RegisterBenchmark(name.c_str(), payments, count, mode)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
}

}  // namespace bench
}  // namespace vorna
