// Runs a program as a child process in a working directory of its own, with
// standard input empty and standard output and error caught in files; the
// test programs use it to run vorna-cash like a banking host would be run.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace testing_support {

struct ProcessResult {
    int exitCode = -1;  // -1 when the program could not be started or did not exit normally
    std::string output;
    std::string errors;
};

// Extra library folder: natively added to LD_LIBRARY_PATH of the child (a
// Windows child finds libraries beside its program and on the PATH it inherits).
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::string& libraryFolder);

}  // namespace testing_support
}  // namespace vorna
