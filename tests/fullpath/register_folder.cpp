#include "tests/fullpath/register_folder.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "common/platform/platform.h"
#include "emulator/state_store.h"
#include "emulator/tool/tool_commands.h"

namespace vorna {
namespace testing_support {

using nlohmann::json;

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

RegisterFolder::RegisterFolder(std::string directory) : directory_(std::move(directory)) {}

std::string RegisterFolder::file(const char* name) const {
    return directory_ + platform::pathSeparator() + name;
}

std::string RegisterFolder::runTool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> full = {"--dir", directory_};
    full.insert(full.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    if (emulator::tool::runCommand(full, out, err) != 0)
        throw std::runtime_error("fptr10-emulator " + arguments.front() + ": " + err.str());
    return out.str();
}

void RegisterFolder::initialise(const std::vector<std::string>& initOptions) const {
    std::vector<std::string> init = {"init"};
    init.insert(init.end(), initOptions.begin(), initOptions.end());
    runTool(init);
    runTool({"set", "trace", "true"});
}

void RegisterFolder::save() {
    savedState_ = readBytes(file(emulator::kStateFileName));
    savedJournal_ = readBytes(file(emulator::kJournalFileName));
    if (savedState_.empty()) throw std::runtime_error("no register state in " + directory_);
}

void RegisterFolder::restore() const {
    writeBytes(file(emulator::kStateFileName), savedState_);
    writeBytes(file(emulator::kJournalFileName), savedJournal_);
    writeBytes(file(emulator::kTraceFileName), std::string());
    writeBytes(file(emulator::kViolationsFileName), std::string());
}

json RegisterFolder::readState() const {
    return json::parse(readBytes(file(emulator::kStateFileName)));
}

void RegisterFolder::writeState(const json& state) const {
    writeBytes(file(emulator::kStateFileName), state.dump(2));
}

void RegisterFolder::addFault(const json& fault) const {
    json state = readState();
    if (!state["faults"].is_array()) state["faults"] = json::array();
    state["faults"].push_back(fault);
    writeState(state);
}

void RegisterFolder::clearFaults() const { runTool({"fault", "clear"}); }

std::vector<json> RegisterFolder::receipts() const {
    std::vector<json> found;
    for (const std::string& line : linesOf(readBytes(file(emulator::kJournalFileName)))) {
        json entry = json::parse(line);
        if (entry.value("type", "") == "receipt") found.push_back(entry);
    }
    return found;
}

std::vector<std::string> RegisterFolder::traceLines() const {
    return linesOf(readBytes(file(emulator::kTraceFileName)));
}

std::vector<std::string> RegisterFolder::violations() const {
    return linesOf(readBytes(file(emulator::kViolationsFileName)));
}

std::string calledFunction(const std::string& traceLine) {
    return traceLine.substr(0, traceLine.find('('));
}

bool representativeSweep() {
    std::string which;
    platform::environmentVariable("VORNA_SWEEP_CASES", which);
    return which == "representative";
}

std::vector<KillPoint> killPointsOf(const std::vector<std::string>& trace) {
    const bool representative = representativeSweep();
    std::vector<KillPoint> points;
    std::map<std::string, int> seen;
    for (const std::string& line : trace) {
        const std::string function = calledFunction(line);
        const int occurrence = seen[function]++;
        const bool parameter = function.find("_param") != std::string::npos ||
                               function.find("error_") != std::string::npos ||
                               function == "libfptr_set_single_setting";
        if (representative && parameter) continue;
        points.push_back({function, occurrence, "before"});
        if (!parameter) points.push_back({function, occurrence, "after"});
    }
    return points;
}

}  // namespace testing_support
}  // namespace vorna
