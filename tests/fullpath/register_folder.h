// The emulated register's files in a host's working folder: set up with the
// emulator tool, saved and put back between runs, faults added to the state,
// the journal's receipts and the call trace read back.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorna {
namespace testing_support {

class RegisterFolder {
public:
    explicit RegisterFolder(std::string directory);

    // A new register (the tool's init with these options) with the trace on.
    void initialise(const std::vector<std::string>& initOptions) const;
    // Keeps the state and the journal as they are now ...
    void save();
    // ... and puts them back, with an empty trace and no contract violations.
    void restore() const;

    // Runs the emulator tool on this register; its standard output. Throws
    // when the tool fails.
    std::string runTool(const std::vector<std::string>& arguments) const;

    // Appends one fault to the state's fault list.
    void addFault(const nlohmann::json& fault) const;
    // No faults left, paper in, cover closed, the line up again.
    void clearFaults() const;

    // The journal's receipt entries, oldest first.
    std::vector<nlohmann::json> receipts() const;
    // The trace lines without their line ends.
    std::vector<std::string> traceLines() const;
    // The contract violations the register recorded (its violations file).
    std::vector<std::string> violations() const;

private:
    std::string file(const char* name) const;
    nlohmann::json readState() const;
    void writeState(const nlohmann::json& state) const;

    std::string directory_;
    std::string savedState_, savedJournal_;
};

// The function a trace line names ("libfptr_open(#1) = 0" -> "libfptr_open").
std::string calledFunction(const std::string& traceLine);

// Where a host process can be killed: before a call of the trace or after it,
// occurrence counting from 0 among the calls of that function.
struct KillPoint {
    std::string function;
    int occurrence;
    std::string timing;  // "before", "after"
};

// Every call of a trace before it, and after it unless it only sets or reads
// a parameter (dying after such a call is dying before the next). With
// VORNA_SWEEP_CASES=representative (under Wine, where every process starts
// slowly) the calls that reach the register only.
std::vector<KillPoint> killPointsOf(const std::vector<std::string>& trace);
// VORNA_SWEEP_CASES=representative: sweeps take the representative cases only.
bool representativeSweep();

}  // namespace testing_support
}  // namespace vorna
