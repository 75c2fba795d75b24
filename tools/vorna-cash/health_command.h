// The command for bank IT and their monitoring: the register's health as one
// status line in the convention of monitoring checks (Nagios, Icinga, Zabbix
// agents), or as one JSON object, with the exit code 0 ok, 1 warning,
// 2 critical, 3 unknown.
#pragma once

#include "tools/vorna-cash/command_line.h"

namespace vorna {
namespace tool {

// Runs "health"; prints to standard output and returns the exit code.
int runHealthCommand(const CommandLine& line);

}  // namespace tool
}  // namespace vorna
