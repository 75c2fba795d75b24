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
    // The register's own keyboard: no line to the host that could be lost.
    bool keyboard = false;
    // The connection holds its process's share of the register's port
    // (register_port.h) from its open to its close or destruction.
    bool holdsPort = false;
    std::string portDirectory;
    ParamSet input;
    ParamSet output;
    int lastError = 0;
    std::string lastErrorText;                                         // UTF-8
    std::vector<std::pair<std::string, std::string>> pendingSettings;  // UTF-8
};

// Registry of the live instances of the process (thread-safe); it also
// remembers the handles it destroyed, to tell them from foreign ones.
Instance* createInstance();
// Forgets the instance and keeps its storage for a later one; false for an unknown handle.
bool destroyInstance(void* handle);

// A handle as a call received it: the live instance behind it, or what is
// wrong with it (a breach of the library's contract by the caller).
struct HandleCheck {
    Instance* instance = nullptr;
    std::string violation;  // empty for a live instance
};

// The handle of an instance call.
HandleCheck checkHandle(void* handle);
// libfptr_destroy's argument, which must be the address of a variable that
// holds a live handle. The variable is read only when the pointer is neither
// null nor an instance of the library itself (live or destroyed), so that the
// older mistake of passing the handle value is told apart without reading
// the instance's memory as a handle.
HandleCheck checkHolder(void** holder);

}  // namespace emulator
}  // namespace vorna
