#include "tests/recording_driver/recording_cash.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace vorna {
namespace testing_support {

namespace {
constexpr char kCallsFile[] = "driver.calls";
constexpr char kScriptFile[] = "driver.script";
}  // namespace

std::map<std::string, ScriptedOutcome> readDriverScript(const std::string& path) {
    std::map<std::string, ScriptedOutcome> script;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t space = line.find(' ');
        if (line.empty() || space == std::string::npos) continue;
        std::string operation = line.substr(0, space);
        std::string rest = line.substr(space + 1);
        ScriptedOutcome outcome;
        if (rest.compare(0, 6, "throw ") == 0) {
            outcome.throws = true;
            outcome.text = rest.substr(6);
        } else if (rest.compare(0, 5, "text ") == 0) {
            outcome.text = rest.substr(5);
        } else {
            outcome.result = std::atoi(rest.c_str());
        }
        script[operation] = outcome;
    }
    return script;
}

void recordCall(const std::string& line) {
    std::ofstream out(kCallsFile, std::ios::binary | std::ios::app);
    out << line << '\n';
}

void throwWhenScripted(const std::string& entryPoint) {
    auto script = readDriverScript(kScriptFile);
    auto found = script.find(entryPoint);
    if (found != script.end() && found->second.throws) throw std::runtime_error(found->second.text);
}

RecordingCash::RecordingCash() : ForwardingCash(nullptr), script_(readDriverScript(kScriptFile)) {}

RecordingCash::~RecordingCash() = default;

int RecordingCash::endOfChain(const char* operation, const Arguments& arguments, int accepted) {
    recordCall(std::string(operation) + "(" + arguments.text() + ")");
    auto found = script_.find(operation);
    if (found == script_.end()) return accepted;
    if (found->second.throws) throw std::runtime_error(found->second.text);
    return found->second.result;
}

int RecordingCash::GetInfoKKT(char** out) {
    int result = ForwardingCash::GetInfoKKT(out);
    auto found = script_.find("GetInfoKKT");
    // The text is the caller's, allocated with malloc.
    if (out) *out = strdup(found == script_.end() ? "" : found->second.text.c_str());
    return result;
}

}  // namespace testing_support
}  // namespace vorna
