#include "common/sender_log.h"

#include <cstdio>
#include <stdexcept>

#include "common/app_exception.h"
#include "common/log_files.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

const char kErrorLogName[] = "error";

LogTarget targetForThisProcess() {
    LogTarget target;
    target.directory = platform::currentDirectory();
    if (target.directory.empty()) throw winapi::Exception();
    if (!platform::userName(target.name)) throw winapi::Exception();
    return target;
}

std::string logFilePath(const std::string& directory, const std::string& name) {
    return directory + platform::pathSeparator() + name + ".log";
}

// One line appended in one write; an unopenable file loses the line without
// a word, a failure while writing throws.
void appendToFile(const std::string& path, const std::string& line) {
    if (appendToLogFile(path, platform::textFileBytes(line + '\n')) == LogAppend::failed)
        throw std::runtime_error("log write failed");
}

// The further attempt after a failure: the same file name directly in the
// user's profile directory.
void appendInProfile(const std::string& name, const std::string& line) {
    try {
        std::string profile;
        if (!platform::environmentVariable("USERPROFILE", profile) || profile.empty()) return;
        appendToFile(logFilePath(profile, name), line);
    } catch (...) {
    }
}

void appendLine(const std::string& directory, const std::string& name, const std::string& line) {
    try {
        appendToFile(logFilePath(directory, name), line);
    } catch (...) {
        appendInProfile(name, line);
    }
}

}  // namespace

LogTarget& mainLogTarget() {
    static LogTarget target = targetForThisProcess();
    return target;
}

LogTarget& errorLogTarget() {
    static LogTarget target = targetForThisProcess();
    return target;
}

std::string senderStamp() {
    platform::DateTime local;
    platform::localTime(local);  // a clock that fails leaves zeros; the line is kept
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", local.day, local.month,
                  local.year, local.hour, local.minute, local.second);
    return text;
}

std::string senderStampWithMilliseconds() {
    platform::DateTime system;
    platform::systemTime(system);
    char milliseconds[8];
    std::snprintf(milliseconds, sizeof milliseconds, ":%03d", system.millisecond % 1000);
    return senderStamp() + milliseconds;
}

void appendLogLine(const LogTarget& target, const std::string& name, const std::string& text) {
    try {
        appendLine(target.directory, name, "[" + senderStampWithMilliseconds() + "] " + text);
    } catch (...) {
    }
}

void appendErrorLine(const LogTarget& target, const std::string& text) {
    try {
        appendLine(target.directory, kErrorLogName, "[" + senderStamp() + "] " + text);
    } catch (...) {
    }
}

}  // namespace vorna
