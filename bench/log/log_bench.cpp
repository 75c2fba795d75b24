// One log line of the driver (writeLog, a day file of Quorvale) and of the
// sender (appendLogLine), in a fresh folder of the system's temporary
// directory (TMPDIR, or TEMP on Windows):
//   OpenEachLine  outside a call: the file opened, written and closed per line
//   InOneCall     inside a log-file session: the file stays open, one write a line
//   CStream       the C stream per line (fopen "a+", fprintf, fclose), as the
//                 writers did before, for comparison
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/driver_log.h"
#include "common/log_files.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

namespace {

namespace fs = std::filesystem;

// A typical line of a payment's log.
const std::string kMessage = "   atol10->RegisterSale(Услуга, 12345, 1, 1, 4) ==> 0";

class LogFolder {
public:
    LogFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = fs::temp_directory_path() / ("vorna-log-bench-" + std::to_string(stamp));
        fs::create_directories(folder_);
    }
    ~LogFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string path() const { return folder_.string(); }

private:
    fs::path folder_;
};

std::string driverLogFolder;
vorna::DriverLogSettings benchSettings() { return {"Y", driverLogFolder}; }

void driverLines(benchmark::State& state, bool inOneCall) {
    LogFolder folder;
    driverLogFolder = folder.path();
    vorna::setDriverLogSettingsSource(benchSettings);
    if (inOneCall) vorna::beginLogFileSession();
    for (auto _ : state) vorna::writeLog(kMessage);
    if (inOneCall) vorna::endLogFileSession();
    vorna::setDriverLogSettingsSource(nullptr);
}

void BM_DriverLogLine_OpenEachLine(benchmark::State& state) { driverLines(state, false); }
void BM_DriverLogLine_InOneCall(benchmark::State& state) { driverLines(state, true); }
BENCHMARK(BM_DriverLogLine_OpenEachLine)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_DriverLogLine_InOneCall)->Unit(benchmark::kMicrosecond)->UseRealTime();

void senderLines(benchmark::State& state, bool inOneCall) {
    LogFolder folder;
    const vorna::LogTarget target{folder.path(), "bench"};
    if (inOneCall) vorna::beginLogFileSession();
    for (auto _ : state) vorna::appendLogLine(target, "bench_vorna.cash.sender", kMessage);
    if (inOneCall) vorna::endLogFileSession();
}

void BM_SenderLogLine_OpenEachLine(benchmark::State& state) { senderLines(state, false); }
void BM_SenderLogLine_InOneCall(benchmark::State& state) { senderLines(state, true); }
BENCHMARK(BM_SenderLogLine_OpenEachLine)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SenderLogLine_InOneCall)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The writers' former way: a C stream opened and closed for every line.
void BM_LogLine_CStream(benchmark::State& state) {
    LogFolder folder;
    const std::string file = folder.path() + vorna::platform::pathSeparator() + "stream.log";
    for (auto _ : state) {
        std::FILE* out = std::fopen(file.c_str(), "a+");
        if (!out) {
            state.SkipWithError("the file cannot be opened");
            break;
        }
        std::fprintf(out, "[2026-12-09 10:00:00] [WRN] %s\n", kMessage.c_str());
        std::fclose(out);
    }
}
BENCHMARK(BM_LogLine_CStream)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
