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

// The process's figures at one point of the run ("start", "middle", "end").
void processFigures(benchmark::State& state, const std::string& when) {
    state.counters["rss_" + when + "_MiB"] = mebibytes(platform::residentMemoryBytes());
    state.counters["handles_" + when] = platform::openHandleCount();
    state.counters["modules_" + when] = platform::loadedModuleCount();
}

// A repeated send of the run's first payment, answered from the journal: the
// journal's look-up with every record so far (milliseconds).
double repeatMilliseconds(const HostInstallation& host) {
    const auto start = std::chrono::steady_clock::now();
    const int code = host.sendPayment(nullptr, "1");
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    return code == 0 ? spent.count() : -1.0;
}

void payments(benchmark::State& state, int count, LogMode mode) {
    try {
        // Every payment a transfer of its own, all in the payment journal.
        HostInstallation host(mode, true);
        host.enter();
        const int perBlock = count / kScaleBlocks;
        for (auto _ : state) {
            processFigures(state, "start");
            double firstBlock = 0.0, lastBlock = 0.0, firstCpu = 0.0, lastCpu = 0.0;
            int paid = 0;
            for (int block = 1; block <= kScaleBlocks; ++block) {
                const auto start = std::chrono::steady_clock::now();
                const double cpuStart = platform::processCpuSeconds();
                for (int i = 0; i < perBlock; ++i) {
                    std::string text;
                    const std::string unc = std::to_string(++paid);
                    const int code = host.sendPayment(&text, unc.c_str());
                    if (code != 0) {
                        state.SkipWithError(
                            ("sendCheque: " + std::to_string(code) + " " + text).c_str());
                        return;
                    }
                }
                const std::chrono::duration<double, std::milli> spent =
                    std::chrono::steady_clock::now() - start;
                const double perPayment = spent.count() / perBlock;
                // The process's own processor time: the disk's waits and the
                // machine's other work, which sway the real time, are not in it.
                const double cpuPerPayment =
                    (platform::processCpuSeconds() - cpuStart) * 1e3 / perBlock;
                state.counters[blockCounterName(block)] = perPayment;
                state.counters[blockCounterName(block, true)] = cpuPerPayment;
                if (block == 1) {
                    firstBlock = perPayment;
                    firstCpu = cpuPerPayment;
                    state.counters["repeat_first_ms"] = repeatMilliseconds(host);
                }
                lastBlock = perPayment;
                lastCpu = cpuPerPayment;
                if (block == kScaleBlocks / 2) processFigures(state, "middle");
            }
            processFigures(state, "end");
            state.counters["repeat_last_ms"] = repeatMilliseconds(host);
            state.counters["journal_records"] = paid;
            state.counters["last_vs_first"] = lastBlock / firstBlock;
            state.counters["last_vs_first_cpu"] = lastCpu / firstCpu;
            state.counters["driver_loaded_after"] =
                platform::isLibraryLoaded("vorna.cash.atol10.dll") ? 1 : 0;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

}  // namespace

std::string blockCounterName(int block, bool cpu) {
    char name[24];
    std::snprintf(name, sizeof name, cpu ? "block%02d_cpu_ms" : "block%02d_ms", block);
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
