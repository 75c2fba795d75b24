// The log files of this library, opened once per exported call: while a
// session is open (the sender's export, the driver object's life) a log file
// stays open after its first line and is closed when the last session ends;
// outside a session every line opens and closes its file. Each line goes to
// the system at once (platform::AppendFile), so a process killed mid-call
// loses no line already written, and other programs may read, rename or
// delete the files meanwhile; a renamed file gets the rest of the call's
// lines, the next call opens the name afresh.
#pragma once

#include <string>

namespace vorna {

enum class LogAppend { written, notOpened, failed };

// Appends bytes (whole lines, line ends included) to the file at path.
LogAppend appendToLogFile(const std::string& path, const std::string& bytes);

// True while a session keeps the file at path open: its folder exists, so a
// writer need not ask the system again for every line.
bool logFileKeptOpen(const std::string& path) noexcept;

// Sessions nest and may overlap between threads; the files close when the
// last one ends. Neither call throws.
void beginLogFileSession() noexcept;
void endLogFileSession() noexcept;

class LogFileSession {
public:
    LogFileSession() noexcept { beginLogFileSession(); }
    ~LogFileSession() { endLogFileSession(); }
    LogFileSession(const LogFileSession&) = delete;
    LogFileSession& operator=(const LogFileSession&) = delete;
};

}  // namespace vorna
