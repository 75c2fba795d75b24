// A cash device for tests: it writes every ICash call with its arguments as one
// line to "driver.calls" in the current directory and takes the results and
// the failures of its operations from "driver.script" there.
#pragma once

#include <map>
#include <string>

#include "cash/shared/forwarding_cash.h"

namespace vorna {
namespace testing_support {

// What the script says one operation does.
struct ScriptedOutcome {
    int result = 0;
    bool throws = false;
    std::string text;  // the exception text, or the information text of GetInfoKKT
};

// Lines of the script file, one operation per line:
//   CheckKKT 1              the operation returns 1
//   XReport throw no paper  the operation throws a std::exception with that text
//   GetInfoKKT text INN 77  GetInfoKKT hands out that text (and returns 0)
// Operations the script does not name succeed (IsSessionOpen says 1). The
// creating entry points may be scripted to throw as well.
std::map<std::string, ScriptedOutcome> readDriverScript(const std::string& path);

// Appends one line to the calls file.
void recordCall(const std::string& line);

// Throws the std::exception that the script gives an entry point
// ("CreateObject throw text"), if it gives one.
void throwWhenScripted(const std::string& entryPoint);

// The end of a chain that records every call and answers it from the script;
// operations the script does not name are accepted.
class RecordingCash final : public cash::ForwardingCash {
public:
    RecordingCash();
    ~RecordingCash();
    RecordingCash(const RecordingCash&) = delete;
    RecordingCash& operator=(const RecordingCash&) = delete;

    // Hands out the script's information text as well.
    int GetInfoKKT(char** out) override;

protected:
    int endOfChain(const char* operation, const Arguments& arguments, int accepted) override;

private:
    std::map<std::string, ScriptedOutcome> script_;
};

}  // namespace testing_support
}  // namespace vorna
