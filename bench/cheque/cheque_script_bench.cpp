// Parse and execute cheque scripts against a device that does nothing, with
// the parser trace on (it goes to "trace.log" in the current directory).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>

#include "cash/sender/script/parser_trace.h"
#include "cash/shared/checks.h"

namespace {

class IdleCash : public vorna::cash::ICash {
public:
    int CheckState() override { return 0; }
    int NewCheck(int) override { return 0; }
    int CashOutcome(const std::string&) override { return 0; }
    int CashOutcome(int) override { return 0; }
    int CashIncome(const std::string&) override { return 0; }
    int CashIncome(int) override { return 0; }
    int RegisterSale(const std::string&, unsigned, int, int, int) override { return 0; }
    int PrintSlip(const std::string&, unsigned, int, int) override { return 0; }
    int Return(const std::string&, unsigned, int) override { return 0; }
    int CancelCheck() override { return 0; }
    int CloseCheck(unsigned, int) override { return 0; }
    int Print(const std::string&) override { return 0; }
    int Ready() override { return 0; }
    int IsSessionOpen() override { return 1; }
    int XReport() override { return 0; }
    int ZReport() override { return 0; }
    int CheckKKT() override { return 0; }
    int GetMaxCashStringLength() override { return 40; }
    void Finish() override {}
    void EndOperation() override {}
    void SetCheckAttributes(bool, bool, int, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {}
    void SetTaxType(int) override {}
    void SetPaymentType(int) override {}
    void SetPrecheque(bool) override {}
    void SetLongValue(std::int64_t) override {}
    void SetCashierInn(const std::string&) override {}
    int GetInfoKKT(char**) override { return 0; }
    int SetParameters(const std::map<std::string, std::string>&) override { return 0; }
};

const std::string kControlLine = "\x01SEPARATE=NO\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2\r\n";

// The script the sender writes for a printed payment.
std::string paymentScript() {
    return kControlLine + "~hdr: Номер перевода: 4711\r\n~srv 1 123.45\r\n~pay 1 123.45";
}

// One cheque with the given number of itemised positions.
std::string positionsScript(int count) {
    std::string positions;
    for (int i = 0; i < count; ++i) {
        if (i) positions += '|';
        positions += "Position " + std::to_string(i) + "^" + std::to_string(1 + i % 50) + ".25^" +
                     std::to_string(1 + i % 6);
    }
    return kControlLine + "~hdr: Номер перевода: 4711\r\n~pos: " + positions +
           "\r\n~srv 1 1.00\r\n~pay 1 100000.00";
}

void run(benchmark::State& state, const std::string& script) {
    IdleCash cash;
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

void BM_StandardPaymentScript(benchmark::State& state) { run(state, paymentScript()); }
BENCHMARK(BM_StandardPaymentScript);

void BM_ThousandPositions(benchmark::State& state) { run(state, positionsScript(1000)); }
BENCHMARK(BM_ThousandPositions);

}  // namespace

BENCHMARK_MAIN();
