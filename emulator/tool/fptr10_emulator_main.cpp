// fptr10-emulator: sets up and inspects the emulated register.
#include <iostream>
#include <string>
#include <vector>

#include "emulator/tool/tool_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vorna::emulator::tool::runCommand(args, std::cout, std::cerr);
}
