// The sender's logs: plain files <directory>\<name>.log, one line per call,
// "[DD.MM.YYYY HH:MM:SS:mmm] text" for ordinary lines and
// "[DD.MM.YYYY HH:MM:SS] text" in error.log.
//
// Use:
//   mainLogTarget().directory = settings.logDirectory;   // once per call
//   appendLogLine(mainLogTarget(), user + "_vorna.cash.sender", "text");
//   appendErrorLine(errorLogTarget(), e.what());         // -> <directory>\error.log
// Nothing here throws: a file that cannot be opened loses its line silently;
// a failure while writing retries once in %USERPROFILE%\<name>.log and is then
// swallowed. Only mainLogTarget()/errorLogTarget() may throw winapi::Exception
// on their first use, when the current directory or the user name cannot be had.
#pragma once

#include <string>

namespace vorna {

// A log file named by a directory and a base name (without ".log").
struct LogTarget {
    std::string directory;
    std::string name;
};

// Process-wide targets, made on first use with the current directory and the
// user name of the calling thread.
LogTarget& mainLogTarget();
LogTarget& errorLogTarget();

// Appends "[stamp with milliseconds] text" to <target.directory>\<name>.log.
void appendLogLine(const LogTarget& target, const std::string& name, const std::string& text);
// Appends "[stamp] text" to <target.directory>\error.log.
void appendErrorLine(const LogTarget& target, const std::string& text);

// "DD.MM.YYYY HH:MM:SS:mmm": local date and time, milliseconds of the system time.
std::string senderStampWithMilliseconds();
// "DD.MM.YYYY HH:MM:SS" of the local time.
std::string senderStamp();

}  // namespace vorna
