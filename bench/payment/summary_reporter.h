// The console table of Google Benchmark, and after it the figures a reader
// wants from this program: our own cost per payment above the register
// (sendCheque minus the register alone doing the same calls) and the ratio,
// and the scale run's time per payment, resident memory and module counts.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>

namespace vorna {
namespace bench {

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter();
    void ReportRuns(const std::vector<Run>& reports) override;
    void printSummary(std::ostream& out) const;

private:
    struct Figures {
        double milliseconds = 0.0;     // real time per iteration
        double cpuMilliseconds = 0.0;  // this process's CPU time per iteration
        benchmark::UserCounters counters;
        bool median = false;  // of repetitions: preferred to any single one
    };
    const Figures* find(const std::string& prefix) const;
    std::map<std::string, Figures> runs_;
};

}  // namespace bench
}  // namespace vorna
