// Where the emulated register keeps its state, and the locked, atomically
// written state file that outlives instances and processes.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/platform/platform.h"

namespace vorna {
namespace emulator {

// The directory named by FPTR10_EMULATOR_DIR, else the current directory.
std::string emulatorDirectory();
// A file of the emulator directory.
std::string emulatorFile(const std::string& directory, const std::string& name);

extern const char* const kStateFileName;       // "fptr10-state.json"
extern const char* const kLockFileName;        // "fptr10-state.lock"
extern const char* const kJournalFileName;     // "fptr10-journal.jsonl"
extern const char* const kTapeFileName;        // "fptr10-tape.txt"
extern const char* const kTraceFileName;       // "fptr10-trace.log"
extern const char* const kViolationsFileName;  // "fptr10-violations.log"

// A freshly registered register (FFD 1.05, closed shift, paper in).
nlohmann::json defaultState();
// The fiscal storage's health and the operator link of a fresh register
// (register_health.cpp).
void addHealthState(nlohmann::json& state);
// Fills in members missing from an older or hand-written state.
void completeState(nlohmann::json& state);

// Holds the register's lock from construction to destruction and the state
// read under it. A missing state file gives the default state.
class StateSession {
public:
    explicit StateSession(const std::string& directory);
    StateSession(const StateSession&) = delete;
    StateSession& operator=(const StateSession&) = delete;

    // False when the lock could not be taken or the state file is unreadable.
    bool ok() const { return ok_; }
    const std::string& problem() const { return problem_; }
    const std::string& directory() const { return directory_; }
    nlohmann::json& state() { return state_; }
    // Writes the state (temporary file, then atomic replace) when it changed
    // since it was read or last saved; false when writing failed.
    bool save();
    // Appends one line to a file of the emulator directory.
    bool appendLine(const std::string& fileName, const std::string& line);
    // From here on appended lines are kept in memory until flushAppends(),
    // so that thousands of documents cost one write per file.
    void holdAppends() { holding_ = true; }
    // Writes the held lines (each file in one append) and stops holding.
    bool flushAppends();

private:
    std::string directory_;
    std::unique_ptr<platform::FileLock> lock_;
    nlohmann::json state_;
    std::string savedText_;
    bool ok_ = false;
    std::string problem_;
    bool holding_ = false;
    std::vector<std::pair<std::string, std::string>> held_;  // file name, its lines
};

}  // namespace emulator
}  // namespace vorna
