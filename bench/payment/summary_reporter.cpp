#include "bench/payment/summary_reporter.h"

#include <cstdio>

#include "bench/payment/scale_run.h"

namespace vorna {
namespace bench {

namespace {

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

double counter(const benchmark::UserCounters& counters, const std::string& name) {
    const auto found = counters.find(name);
    return found == counters.end() ? 0.0 : found->second.value;
}

}  // namespace

// No colours: the output goes to files and READMEs as often as to a terminal.
SummaryReporter::SummaryReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

void SummaryReporter::ReportRuns(const std::vector<Run>& reports) {
    benchmark::ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        if (run.error_occurred) continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type != Run::RT_Iteration && !median) continue;
        Figures& figures = runs_[run.run_name.str()];
        if (figures.median && !median) continue;
        figures.median = median;
        const double toMilliseconds = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        figures.milliseconds = run.GetAdjustedRealTime() * toMilliseconds;
        figures.cpuMilliseconds = run.GetAdjustedCPUTime() * toMilliseconds;
        figures.counters = run.counters;
    }
}

const SummaryReporter::Figures* SummaryReporter::find(const std::string& prefix) const {
    for (const auto& [name, figures] : runs_)
        if (name.rfind(prefix, 0) == 0) return &figures;
    return nullptr;
}

void SummaryReporter::printSummary(std::ostream& out) const {
    // Real time is what the host waits; CPU time is steadier on a busy machine.
    const Figures* replay = find("RegisterAlone/");
    if (replay) {
        const double calls = counter(replay->counters, "register_calls");
        out << "\nPer call, real time (CPU time)\n";
        out << format("  register alone, one payment's %.0f calls: %8.3f ms", calls,
                      replay->milliseconds)
            << format(" (%.3f ms), %.1f us per register call\n", replay->cpuMilliseconds,
                      replay->milliseconds * 1e3 / calls);
        for (const char* mode : {"LogOff", "UseLogY", "UseLogD"}) {
            const Figures* send = find(std::string("SendCheque/") + mode);
            if (!send) continue;
            out << "  sendCheque " << mode << ":"
                << format(" %8.3f ms (%.3f ms); ours above the register %.3f ms",
                          send->milliseconds, send->cpuMilliseconds,
                          send->milliseconds - replay->milliseconds)
                << format(" (%.3f ms), ratio %.2f", send->cpuMilliseconds - replay->cpuMilliseconds,
                          send->milliseconds / replay->milliseconds)
                << format(" (%.2f)\n", send->cpuMilliseconds / replay->cpuMilliseconds);
        }
    }
    if (const Figures* check = find("CheckKKT"))
        out << format("  checkKKT: %.3f ms (%.3f ms)\n", check->milliseconds,
                      check->cpuMilliseconds);
    for (const auto& [name, figures] : runs_) {
        if (name.rfind("Payments/", 0) != 0) continue;
        const benchmark::UserCounters& c = figures.counters;
        out << "\n" << name << ": time per payment in each tenth of the run (ms)\n ";
        for (int block = 1; block <= kScaleBlocks; ++block)
            out << format(" %.3f", counter(c, blockCounterName(block)));
        out << format("\n  last tenth / first tenth: %.3f\n", counter(c, "last_vs_first"));
        out << "  processor time of the process per payment in each tenth (ms)\n ";
        for (int block = 1; block <= kScaleBlocks; ++block)
            out << format(" %.3f", counter(c, blockCounterName(block, true)));
        out << format("\n  last tenth / first tenth: %.3f\n", counter(c, "last_vs_first_cpu"));
        out << format("  resident memory (MiB): start %.1f, middle %.1f, end %.1f\n",
                      counter(c, "rss_start_MiB"), counter(c, "rss_middle_MiB"),
                      counter(c, "rss_end_MiB"));
        out << format("  loaded modules: start %.0f, middle %.0f, end %.0f",
                      counter(c, "modules_start"), counter(c, "modules_middle"),
                      counter(c, "modules_end"));
        out << (counter(c, "driver_loaded_after") != 0.0 ? "; the driver is still loaded\n"
                                                         : "; the driver is not loaded\n");
    }
    out.flush();
}

}  // namespace bench
}  // namespace vorna
