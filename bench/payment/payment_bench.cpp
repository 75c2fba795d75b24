// The product as a banking host uses it, natively or as the 32-bit DLLs under
// Wine: sendCheque of the worked example payment with logging off, UseLog Y
// and the driver's debug log (D), checkKKT, and as the baseline the register
// library alone replaying the calls the driver made for one payment; the first
// payment of the day and a later one with the register's health check on and
// off. After the table: our own cost per payment and its ratio to the register's.
//
//   payment_bench [Google Benchmark flags] [--scale[=PAYMENTS]]
//   payment_bench --payments=N [--journal]
//
// --scale adds the long run (10,000 payments unless given) with logging off
// and with UseLog Y: time per payment in each tenth, resident memory and
// loaded modules at its start, middle and end.
//
// --payments=N sends N payments (logging off; with --journal each a transfer
// of its own, journaled) and nothing else: the run that scripts/bench.sh
// counts the instructions of under callgrind.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/payment/host_installation.h"
#include "bench/payment/register_replay.h"
#include "bench/payment/scale_run.h"
#include "bench/payment/summary_reporter.h"
#include "bench/payment/trace_call.h"

namespace vorna {
namespace bench {
namespace {

// One installation per log mode, made at first use and kept for the whole
// run: the sender reads its settings once, when it is loaded.
std::map<LogMode, std::unique_ptr<HostInstallation>>& installations() {
    static std::map<LogMode, std::unique_ptr<HostInstallation>> made;
    return made;
}

HostInstallation& installation(LogMode mode) {
    std::unique_ptr<HostInstallation>& slot = installations()[mode];
    if (!slot) slot = std::make_unique<HostInstallation>(mode);
    slot->enter();
    return *slot;
}

// The calls of one payment as the register traced them, taken once.
const std::vector<TraceCall>& paymentCalls() {
    static const std::vector<TraceCall> calls = [] {
        std::vector<TraceCall> parsed;
        for (const std::string& line : installation(LogMode::off).tracePayment())
            parsed.push_back(parseTraceLine(line));
        return parsed;
    }();
    return calls;
}

void sendCheque(benchmark::State& state, LogMode mode) {
    try {
        HostInstallation& host = installation(mode);
        for (auto _ : state) {
            std::string text;
            const int code = host.sendPayment(&text);
            if (code != 0) {
                state.SkipWithError(("sendCheque: " + std::to_string(code) + " " + text).c_str());
                break;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void checkKkt(benchmark::State& state) {
    try {
        HostInstallation& host = installation(LogMode::off);
        for (auto _ : state) {
            const int code = host.checkKkt();
            if (code != 0) {
                state.SkipWithError(("checkKKT: " + std::to_string(code)).c_str());
                break;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Installations with logging off and the health check on or off (HealthCheck=N).
HostInstallation& healthInstallation(bool healthCheck) {
    static std::map<bool, std::unique_ptr<HostInstallation>> made;
    std::unique_ptr<HostInstallation>& slot = made[healthCheck];
    if (!slot) slot = std::make_unique<HostInstallation>(LogMode::off, false, healthCheck);
    slot->enter();
    return *slot;
}

// The first payment of the day: the sender is loaded afresh (outside the
// measured time) before each, as a new host process; with the health check on
// it then reads the register's health after the payment.
void firstPaymentOfTheDay(benchmark::State& state, bool healthCheck) {
    try {
        HostInstallation& host = healthInstallation(healthCheck);
        host.reloadSender();
        state.counters["register_calls"] = static_cast<double>(host.tracePayment().size());
        for (auto _ : state) {
            state.PauseTiming();
            host.reloadSender();
            state.ResumeTiming();
            std::string text;
            const int code = host.sendPayment(&text);
            if (code != 0) {
                state.SkipWithError(("sendCheque: " + std::to_string(code) + " " + text).c_str());
                break;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// A later payment of the day, with the health check on (its day done) or off.
void laterPayment(benchmark::State& state, bool healthCheck) {
    try {
        HostInstallation& host = healthInstallation(healthCheck);
        state.counters["register_calls"] = static_cast<double>(host.tracePayment().size());
        for (auto _ : state) {
            std::string text;
            const int code = host.sendPayment(&text);
            if (code != 0) {
                state.SkipWithError(("sendCheque: " + std::to_string(code) + " " + text).c_str());
                break;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void registerAlone(benchmark::State& state) {
    try {
        const std::vector<TraceCall>& calls = paymentCalls();
        // Loaded for this benchmark only: while it is loaded the driver's load
        // of the register library by name would find it and skip the real load.
        RegisterReplay replay(installation(LogMode::off).registerLibrary(), calls);
        for (auto _ : state) {
            if (replay.replay() != 0) {
                state.SkipWithError("the register answered differently from the trace");
                break;
            }
        }
        const double perPayment = static_cast<double>(replay.callCount());
        state.counters["register_calls"] = perPayment;
        state.counters["per_call"] =
            benchmark::Counter(perPayment, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void registerBenchmarks() {
    for (LogMode mode : {LogMode::off, LogMode::on, LogMode::debug}) {
        const std::string name = std::string("SendCheque/") + logModeName(mode);
        benchmark::RegisterBenchmark(name.c_str(), sendCheque, mode)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("CheckKKT", checkKkt)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    for (bool healthCheck : {true, false}) {
        const std::string suffix = healthCheck ? "/HealthCheckY" : "/HealthCheckN";
        benchmark::RegisterBenchmark(("FirstPaymentOfTheDay" + suffix).c_str(),
                                     firstPaymentOfTheDay, healthCheck)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LaterPayment" + suffix).c_str(), laterPayment, healthCheck)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("RegisterAlone/PaymentReplay", registerAlone)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

// Takes --scale or --scale=N out of the arguments; 0 when absent.
int takeScaleFlag(int& argc, char** argv) {
    int payments = 0;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scale") == 0) {
            payments = 10000;
        } else if (std::strncmp(argv[i], "--scale=", 8) == 0) {
            payments = std::atoi(argv[i] + 8);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return payments;
}

// Takes --payments=N and --journal out of the arguments; 0 payments when absent.
int takePaymentsFlags(int& argc, char** argv, bool& journal) {
    int payments = 0;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--payments=", 11) == 0) {
            payments = std::atoi(argv[i] + 11);
        } else if (std::strcmp(argv[i], "--journal") == 0) {
            journal = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return payments;
}

// The payments alone, for an instruction count; the exit code is 1 when one failed.
int sendPaymentsOnly(int count, bool journal) {
    try {
        HostInstallation host(LogMode::off, journal);
        for (int i = 1; i <= count; ++i) {
            std::string text;
            const std::string unc = journal ? std::to_string(i) : std::string("4711");
            const int code = host.sendPayment(&text, unc.c_str());
            if (code != 0) {
                std::cerr << "sendCheque: " << code << " " << text << "\n";
                return 1;
            }
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

}  // namespace
}  // namespace bench
}  // namespace vorna

int main(int argc, char** argv) {
    using namespace vorna::bench;
    bool journal = false;
    const int only = takePaymentsFlags(argc, argv, journal);
    if (only > 0) return sendPaymentsOnly(only, journal);
    const int payments = takeScaleFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (payments != 0 && payments < 10) {
        std::cerr << "--scale needs at least 10 payments\n";
        return 1;
    }
    registerBenchmarks();
    if (payments > 0) {
        registerScaleRun(payments, LogMode::off);
        registerScaleRun(payments, LogMode::on);
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary(std::cout);
    installations().clear();
    benchmark::Shutdown();
    return 0;
}
