// The frame every export shares: the start marker, the walk over the host's
// parameter pairs, the per-code settings, the operation log and its lines,
// and the guard that keeps any failure from crossing into the host.
#pragma once

#include <string>

#include "cash/sender/result_text.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/sender_api.h"
#include "common/log_files.h"

namespace vorna {

// True when the logging switch of the settings is on (read afresh).
bool logEnabled();

// The user name of the calling thread + "_vorna.cash.sender"; throws
// winapi::Exception when the user name cannot be had.
std::string operationLogName();

// A text of the host; a null pointer counts as an empty text.
inline std::string hostText(const char* text) { return text ? text : std::string(); }

// The host's pairs; a null array or a count below 1 means no pairs.
struct HostPairs {
    const cash::ParameterPair* pairs;
    int count;
    int size() const { return pairs && count > 0 ? count : 0; }
    std::string key(int i) const { return hostText(pairs[i].key); }
    std::string value(int i) const { return hostText(pairs[i].value); }
    // The value of the last pair whose key is exactly "IBS_CODE".
    std::string settingsCode() const;
    // "KEY=VALUE;" of pair i as it goes into a log (control characters escaped).
    std::string logEntry(int i) const;
};

// True for no code or one that can only name a file beside the others; a
// code that could name any other file is refused with a start-log line, and
// the export then ends with 100 without reading a file or loading a driver.
bool acceptSettingsCode(const std::string& code);

// The log line that tells why a settings code was refused (code escaped).
std::string refusedCodeLine(const std::string& code);

// What the frame has found out before an export does its work.
struct FrameState {
    std::string code;           // the settings code
    bool codeRefused = false;   // the code could name a file elsewhere: nothing is run
    std::string parameterLine;  // KEY=VALUE; for every pair
    bool logging = false;
    std::string logName;  // the operation log's name
    std::string headLine;
};

// Sets the directory of the main log target from the settings and returns
// whether logging is on and the operation log name.
FrameState prepareLogging();

// The frame of the exports with pairs, up to the work: start marker, pair
// walk, per-code settings, logging set up, head line (title + "<" + driver +
// ">") and, with logging on, the head line and the parameter line logged.
FrameState startFrame(const std::string& label, const std::string& title, const HostPairs& pairs);

// Appends one line to the operation log when logging is on.
void logLine(const FrameState& frame, const std::string& text);

// Runs the export's body; a failure that escapes it (outside the guarded
// regions) ends as 99 and never reaches the host. The call's log files stay
// open until it ends.
template <typename Body>
int outsideGuard(Body body) noexcept {
    try {
        LogFileSession logFiles;
        return body();
    } catch (...) {
        return cash::kOtherError;
    }
}

// The same for the exports with a result text: the host also gets the text of 99.
template <typename Body>
int withResultText(const char** resultTextOut, Body body) noexcept {
    int code = outsideGuard(body);
    if (code == cash::kOtherError && resultTextOut) {
        try {
            *resultTextOut = resultText(code);
        } catch (...) {
        }
    }
    return code;
}

}  // namespace vorna
