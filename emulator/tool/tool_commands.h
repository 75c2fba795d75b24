// The commands of the fptr10-emulator tool, on the emulator directory's
// state, journal, tape and trace. Each returns the process exit code and
// writes its output and errors to the given streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vorna {
namespace emulator {
namespace tool {

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void printUsage(std::ostream& out);

}  // namespace tool
}  // namespace emulator
}  // namespace vorna
