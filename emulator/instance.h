// One library instance: the connection of one caller to the register, the
// parameters set for its next operation, what its last operation produced,
// its last error and the settings it has not applied yet.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "emulator/param_value.h"

namespace vorna {
namespace emulator {

struct Instance {
    int number = 0;  // counts the instances of the process, for the trace
    bool opened = false;
    ParamSet input;
    ParamSet output;
    int lastError = 0;
    std::string lastErrorText;                                         // UTF-8
    std::vector<std::pair<std::string, std::string>> pendingSettings;  // UTF-8
};

// Registry of the live instances of the process (thread-safe).
Instance* createInstance();
// The instance behind a handle; null for an unknown handle.
Instance* findInstance(void* handle);
// Forgets and frees the instance; false for an unknown handle.
bool destroyInstance(void* handle);

}  // namespace emulator
}  // namespace vorna
