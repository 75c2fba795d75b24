// vorna-cash reconcile --json as bank IT's scheduled task runs it: a child
// process in the host's folder, reading the fiscal storage of an emulated
// register through the ATOL driver. The storage holds 10,000 documents, the
// last 300 of them today's (the shift's opening and 299 payments, all in the
// payment journal); the rest were made three days ago.
//
//   BM_ReconcileDay       today: the bisection to the day's first document,
//                         then the day's documents, each read once
//   BM_ReconcileEmptyDay  a day without documents (2000-01-01): the bisection
//                         alone, the logarithmic part of the work
//
// Counters: documents_read and day_documents (from the JSON) and
// storage_documents (the last document's number, taken after the setup);
// child_cpu_ms, the processor time of one vorna-cash run. The scene is made once,
// before the first run; its time is printed on standard error.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/platform/platform.h"
#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace bench {
namespace {

using nlohmann::json;
using testing_support::FullPathHost;
using testing_support::ProcessResult;

constexpr int kEarlierReceipts = 9698;
constexpr int kDayPayments = 299;

// What the whole-road tests give the sender, with both logs off: the journal
// on and no daily health check.
std::string senderSettings(const std::string& logs) {
    return "UseLog=N\nLogDirectory=" + logs +
           "\nCashDriver=vorna.cash.atol10.dll\n"
           "PaymentJournal=payments.sqlite\nHealthCheck=N\n"
           "OperatorName=Operator LLC\nOperatorInn=7700000001\nAgentPhone=+79990000001\n"
           "SupplierName=Supplier LLC\nSupplierInn=7700000002\nSupplierPhone=+79990000002\n";
}

std::vector<std::string> payment(int i) {
    return {"send",
            "--unc",
            std::to_string(50000 + i),
            "--sum",
            std::to_string(1000 + i),
            "--pair",
            "SHORT=Услуга",
            "--pair",
            "NDS_CODE=1105",
            "--pair",
            "TYPE_OPER=P",
            "--pair",
            "TYPE_OPL=NAL"};
}

struct Scene {
    std::unique_ptr<FullPathHost> path;
    // The storage's last document number, which a day without documents does not name.
    double storageDocuments = 0;
};

Scene makeScene() {
    const auto start = std::chrono::steady_clock::now();
    auto path = std::make_unique<FullPathHost>(
        std::vector<std::string>{"--ffd", "1.2", "--agent-sign", "2"});
    path->host.writeFile("vorna.cash.sender.ini", senderSettings(path->host.logs()));
    // A real register keeps no call trace: its writes are left out of the figures.
    path->registerFolder.runTool({"set", "trace", "false"});

    path->registerFolder.runTool({"clock", "-3d"});
    path->registerFolder.runTool(
        {"receipt", "--sum", "10.00", "--count", std::to_string(kEarlierReceipts)});
    const ProcessResult z = path->run({"z-report"});
    if (z.exitCode != 0) throw std::runtime_error("z-report: " + z.output + z.errors);
    path->registerFolder.runTool({"clock", "reset"});

    // The day's payments in one host process, the first opening the shift.
    std::vector<std::string> calls;
    for (int i = 0; i < kDayPayments; ++i) {
        if (i > 0) calls.push_back("--");
        const std::vector<std::string> send = payment(i);
        calls.insert(calls.end(), send.begin(), send.end());
        if (i == 0) calls.insert(calls.end(), {"--answer", "yes"});
    }
    const ProcessResult paid = path->run(calls);
    if (paid.exitCode != 0) throw std::runtime_error("payments: " + paid.output + paid.errors);

    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "setup: %d earlier receipts, a Z report and %d payments in %.1f s\n",
                 kEarlierReceipts, kDayPayments, took.count());

    const ProcessResult today = path->run({"reconcile", "--json"});
    json o = json::parse(today.output, nullptr, false);
    if (today.exitCode != 0 || o.is_discarded() || !o["last_document"].is_number())
        throw std::runtime_error("reconcile after the setup: " + today.output + today.errors);
    return Scene{std::move(path), o["last_document"].get<double>()};
}

// The processor time of the waited-for child processes so far, in
// milliseconds: on a shared machine steadier than their real time.
double childProcessorMs() { return platform::waitedChildrenCpuSeconds() * 1e3; }

// Made at first use and kept for the whole run.
const Scene& scene() {
    static const Scene made = makeScene();
    return made;
}

void reconcile(benchmark::State& state, const std::vector<std::string>& arguments) {
    const Scene* made = nullptr;
    try {
        made = &scene();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    ProcessResult last;
    const double childBefore = childProcessorMs();
    for (auto _ : state) {
        last = made->path->run(arguments);
        if (last.exitCode != 0) {
            state.SkipWithError(("reconcile exited with " + std::to_string(last.exitCode) + ": " +
                                 last.output + last.errors)
                                    .c_str());
            return;
        }
    }
    const double childMs = childProcessorMs() - childBefore;
    json o = json::parse(last.output, nullptr, false);
    if (o.is_discarded()) {
        state.SkipWithError("reconcile printed no JSON");
        return;
    }
    // A key missing from the object reads as null, and null as 0.
    const auto number = [&](const char* key) {
        return o[key].is_number() ? o[key].get<double>() : 0.0;
    };
    state.counters["documents_read"] = number("documents_read");
    state.counters["day_documents"] = o["first_document"].is_number()
                                          ? number("last_document") - number("first_document") + 1
                                          : 0.0;
    state.counters["storage_documents"] = made->storageDocuments;
    state.counters["child_cpu_ms"] = childMs / static_cast<double>(state.iterations());
}

void BM_ReconcileDay(benchmark::State& state) { reconcile(state, {"reconcile", "--json"}); }

void BM_ReconcileEmptyDay(benchmark::State& state) {
    reconcile(state, {"reconcile", "--json", "--date", "2000-01-01"});
}

// The work is in the child process: real time, a few runs each.
BENCHMARK(BM_ReconcileDay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReconcileEmptyDay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace bench
}  // namespace vorna

int main(int argc, char** argv) {
    // The host helpers copy vorna-cash and the libraries from here.
    std::string bin;
    if (!vorna::platform::environmentVariable("VORNA_BIN_DIR", bin))
        vorna::platform::setEnvironmentVariable("VORNA_BIN_DIR", VORNA_BUILD_BIN_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
