// A host installation in a temporary folder: vorna-cash and the sender
// library copied into a working folder, the driver libraries installed there
// under the names a test needs, a profile folder of its own (USERPROFILE) and
// a log folder. Calls go through vorna-cash as a child process.
#pragma once

#include <string>
#include <vector>

#include "tests/sender/host_process.h"

namespace vorna {
namespace testing_support {

class SenderHost {
public:
    SenderHost();
    ~SenderHost();
    SenderHost(const SenderHost&) = delete;
    SenderHost& operator=(const SenderHost&) = delete;

    // Copies a recording driver variant (e.g. "recording_driver_no_ini") into
    // the working folder as fileName.
    void installDriver(const std::string& variant, const std::string& fileName) const;
    // Writes a file into the working folder (beside the sender library and
    // the host program): settings files, the driver script.
    void writeFile(const std::string& fileName, const std::string& text) const;
    // A settings file with logging on, the log folder and the driver named.
    void writeSettings(const std::string& driver, const std::string& more = "") const;

    // Runs vorna-cash with these arguments in the working folder.
    ProcessResult run(const std::vector<std::string>& arguments) const;
    // The same with another current directory (the program stays in the working folder).
    ProcessResult runIn(const std::string& currentDirectory,
                        const std::vector<std::string>& arguments) const;

    // The lines of driver.calls (and then removes it).
    std::vector<std::string> takeCalls() const;
    // The lines of a log file, each without its time stamp and one space.
    std::vector<std::string> logLines(const std::string& path) const;
    // The whole file read in text mode, or empty when it does not exist.
    std::string fileText(const std::string& path) const;
    bool exists(const std::string& path) const;

    const std::string& work() const { return work_; }
    const std::string& logs() const { return logs_; }
    const std::string& profile() const { return profile_; }
    std::string startLog() const;
    std::string operationLog() const;
    std::string errorLog() const;
    std::string path(const std::string& folder, const std::string& fileName) const;
    // The folder of all built binaries, as this system names it.
    std::string binDirectory() const;

private:
    std::string root_, work_, logs_, profile_, savedProfile_;
    bool hadProfile_ = false;
};

// The byte sequences of the lines the sender writes, for expectations.
std::string utf8(const std::string& cp1251);

}  // namespace testing_support
}  // namespace vorna
