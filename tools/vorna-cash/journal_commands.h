// The commands for bank IT on the sender's payment journal: listing records
// and settling one in doubt against the register (registering nothing).
#pragma once

#include "tools/vorna-cash/command_line.h"

namespace vorna {
namespace tool {

// Runs "journal" or "settle"; prints to standard output and returns the exit code.
int runJournalCommand(const CommandLine& line);

}  // namespace tool
}  // namespace vorna
