#include "common/driver_log.h"

#include <cstring>
#include <string>

#include "common/log_files.h"

namespace vorna {

namespace {

const char kSubdirectory[] = "Quorvale";

// The day file name, or "mirel.log" when the local time cannot be had.
std::string dayFileName() {
    platform::DateTime now;
    if (!platform::localTime(now)) return "mirel.log";
    char name[64];
    std::snprintf(name, sizeof name, "mirel_%04d-%02d-%02d.log", now.year, now.month, now.day);
    return name;
}

// Installed by the driver's settings; read before every message. A plain
// pointer, so it is valid before any constructor of the library has run.
DriverLogSettingsSource settingsSource = nullptr;

void writeOneMessage(const std::string& message) {
    // Logging never makes an operation fail: whatever goes wrong is swallowed.
    try {
        const DriverLogSettingsSource source = settingsSource;
        if (!source) return;
        const DriverLogSettings settings = source();
        if (settings.useLog != "Y" && settings.useLog != "D") return;
        Log log(settings.logPath);
        log.writeLevel(WRN, "%s", message.c_str());
        log.setEnabled(0);  // no "--Logger destroed--" line for these writers
    } catch (...) {
    }
}

}  // namespace

const char* logLevelText(int level) {
    switch (level) {
        case DBG:
            return "DBG";
        case WRN:
            return "WRN";
        case ERR:
            return "ERR";
        case FTL:
            return "FTL";
        default:
            return "UNK";
    }
}

Log::Log(const std::string& directory) : enabled_(true), ready_(false) {
    path_[0] = '\0';
    const char separator = platform::pathSeparator();
    const std::string folder = directory + separator + kSubdirectory;
    const std::string folderPrefix = folder + separator;
    const std::string fileName = dayFileName();
    if (folderPrefix.size() + fileName.size() >= kPathSize) {
        // A cut path would point somewhere else: write nothing instead.
        std::printf("log path too long %s%s\n", folderPrefix.c_str(), fileName.c_str());
        std::fflush(stdout);
        return;
    }
    std::memcpy(path_, folderPrefix.c_str(), folderPrefix.size() + 1);
    // A day file kept open by this call has its folder: asking the system
    // again for every line is what a line cost most under Wine.
    if (!logFileKeptOpen(folderPrefix + fileName) &&
        platform::createDirectory(folder) == platform::DirectoryResult::failed) {
        const unsigned long code = platform::lastError();
        if (code != platform::alreadyExistsCode()) {
            std::printf("directory not created %s err_code=%lu\n", path_, code);
            std::fflush(stdout);
            return;
        }
    }
    std::memcpy(path_ + folderPrefix.size(), fileName.c_str(), fileName.size() + 1);
    ready_ = true;
}

Log::~Log() { writeLevel(DBG, "--Logger destroed--"); }

void Log::write(const char* format, ...) {
    if (!enabled_) return;
    std::va_list arguments;
    va_start(arguments, format);
    writeLine(DBG, format, arguments);
    va_end(arguments);
}

void Log::writeLevel(int level, const char* format, ...) {
    if (!enabled_ && level == DBG) return;
    std::va_list arguments;
    va_start(arguments, format);
    writeLine(level, format, arguments);
    va_end(arguments);
}

void Log::writeSystemError(unsigned long code) {
    if (code == 0) return;
    const std::string text = platform::errorText(code);
    writeLevel(ERR, "error[%lX] %s", code, text.c_str());
}

void Log::setEnabled(int enabled) { enabled_ = enabled != 0; }

const char* Log::path() const { return path_; }

void Log::writeLine(int level, const char* format, std::va_list arguments) {
    if (!ready_) return;
    platform::LockGuard guard(lock_);
    std::string line;
    platform::DateTime now;
    if (platform::localTime(now)) {
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] [%s] ", now.year,
                      now.month, now.day, now.hour, now.minute, now.second, logLevelText(level));
        line = stamp;
    }
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        const std::size_t start = line.size();
        line.resize(start + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&line[start], static_cast<std::size_t>(length) + 1, format, arguments);
        line.resize(start + static_cast<std::size_t>(length));
    }
    line += '\n';
    // The whole line in one write, as a text-mode stream would have put it.
    if (appendToLogFile(path_, platform::textFileBytes(line)) == LogAppend::notOpened) {
        const unsigned long code = platform::lastError();
        std::printf("file not created %s err_code=%lu\n", path_, code);
        std::fflush(stdout);
    }
}

void setDriverLogSettingsSource(DriverLogSettingsSource source) { settingsSource = source; }

DriverLogSettingsSource driverLogSettingsSource() { return settingsSource; }

void writeLog(const std::string& message) { writeOneMessage(message); }

void writeLogIndented(const std::string& message) {
    try {
        writeOneMessage("   " + message);
    } catch (...) {
    }
}

bool createDriverLogDirectory(const std::string& logPath) {
    try {
        Log log(logPath);
        log.setEnabled(0);
        return log.ready();
    } catch (...) {
        return false;
    }
}

}  // namespace vorna
