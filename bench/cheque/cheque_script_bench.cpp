// Parse and execute cheque scripts against a device that does nothing, with
// the parser trace on (it goes to "trace.log" in the current directory).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>

#include "cash/sender/script/parser_trace.h"
#include "cash/shared/checks.h"
#include "tests/support/accepting_cash.h"
#include "tests/support/cheque_scripts.h"

namespace {

using vorna::testing_support::controlLine;
using vorna::testing_support::paymentScript;

// One cheque with the given number of itemised positions.
std::string positionsScript(int count) {
    std::string positions;
    for (int i = 0; i < count; ++i) {
        if (i) positions += '|';
        positions += "Position " + std::to_string(i) + "^" + std::to_string(1 + i % 50) + ".25^" +
                     std::to_string(1 + i % 6);
    }
    return controlLine(true) + "~hdr: Номер перевода: 4711\r\n~pos: " + positions +
           "\r\n~srv 1 1.00\r\n~pay 1 100000.00";
}

void run(benchmark::State& state, const std::string& script) {
    vorna::testing_support::AcceptingCash cash;
    const std::map<std::string, std::string> parameters{{"BANK_COMISS", "1500"},
                                                        {"IS_PRECHEQUE", "0"},
                                                        {"IS_CASHLESSCHEQUE", "0"},
                                                        {"IS_ECHEQUE", "0"},
                                                        {"SERVICE_NAME", "Услуга"}};
    for (auto _ : state) {
        // Rewinding keeps the trace file at the size of one parse.
        vorna::parserTrace().seekp(0);
        vorna::Checks checks(script);
        checks.setTaxType(6);
        checks.setPaymentType(0);
        checks.setParameters(parameters);
        const int result = checks.Execute(cash);
        if (result != 0) state.SkipWithError("execution failed");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(script.size()));
}

void BM_StandardPaymentScript(benchmark::State& state) {
    run(state, paymentScript("4711", "123.45"));
}
BENCHMARK(BM_StandardPaymentScript);

void BM_ThousandPositions(benchmark::State& state) { run(state, positionsScript(1000)); }
BENCHMARK(BM_ThousandPositions);

}  // namespace

BENCHMARK_MAIN();
