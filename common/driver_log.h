// The driver's log: one file per day, <directory>\Quorvale\mirel_YYYY-MM-DD.log,
// each line "[YYYY-MM-DD HH:MM:SS] [LVL] message". Each line is one write to
// the system; the file stays open for a log-file session (common/log_files.h).
//
// Use in the driver:
//   writeLog("   atol10->CheckKKT ==> 0");        // one line, level WRN
//   writeLogIndented("Open shift");                // the same, three spaces first
// Both read UseLog and LogPath afresh for every message from the source that
// the driver's settings install once:
//   setDriverLogSettingsSource([] { return DriverLogSettings{cfg.useLog, cfg.logPath}; });
// Only UseLog "Y" or "D" (exactly) writes; without a source nothing is written.
// A Log can also be used directly: Log log(directory); log.write("%d", n);
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

#include "common/platform/platform.h"

namespace vorna {

// Levels of a driver log line; other numbers print as "UNK".
enum LogLevel : int { DBG = 0, WRN = 1, ERR = 2, FTL = 3 };

// "DBG", "WRN", "ERR", "FTL", or "UNK" for any other number.
const char* logLevelText(int level);

class Log {
public:
    // Room for the whole path, its terminating NUL included.
    static constexpr std::size_t kPathSize = 248;

    // Creates <directory>\Quorvale (one level) and forms the day file's path.
    // The writer stays not ready (writes nothing) when the directory cannot
    // be created or the path would not fit in kPathSize bytes.
    explicit Log(const std::string& directory);
    // Writes "--Logger destroed--" at level DBG (so only while enabled).
    virtual ~Log();
    // A printf-style line at level DBG; only while enabled.
    virtual void write(const char* format, ...);
    // A printf-style line at the given level; level DBG only while enabled.
    virtual void writeLevel(int level, const char* format, ...);
    // "error[%lX] %s" with the system's text for a non-zero code, at level ERR.
    virtual void writeSystemError(unsigned long code);
    // Non-zero enables level-DBG lines.
    virtual void setEnabled(int enabled);
    // The full path of the log file (empty while not ready).
    virtual const char* path() const;

    // True once the directory exists and the path is formed.
    bool ready() const { return ready_; }

    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

private:
    void writeLine(int level, const char* format, std::va_list arguments);

    bool enabled_;
    platform::Lock lock_;
    char path_[kPathSize];
    bool ready_;
};

// Where writeLog finds the driver settings UseLog and LogPath.
struct DriverLogSettings {
    std::string useLog;
    std::string logPath;
};
using DriverLogSettingsSource = DriverLogSettings (*)();

// Installs the source read before every message; null means "no logging".
void setDriverLogSettingsSource(DriverLogSettingsSource source);
// The source now installed (null when none).
DriverLogSettingsSource driverLogSettingsSource();

// Writes the message literally (never as a format) as one WRN line, when
// UseLog is "Y" or "D"; a fresh writer for LogPath is made for every message.
void writeLog(const std::string& message);
// The same with three spaces before the message.
void writeLogIndented(const std::string& message);

// Creates <logPath>\Quorvale as the writer would, without writing a line;
// true when the directory exists afterwards.
bool createDriverLogDirectory(const std::string& logPath);

}  // namespace vorna
