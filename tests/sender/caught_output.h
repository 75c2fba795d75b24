// The files a test host run's standard output and error are caught in.
#pragma once

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace testing_support {

// A file in the folder for one run's stream ("out" or "err"), named by this
// process and run: two runs at once in one folder (two hosts sending
// together) never write into each other's file.
inline std::string caughtOutputFile(const std::string& folder, const char* stream) {
    static std::atomic<unsigned> runs{0};
    return folder + platform::pathSeparator() + ".process-" +
           std::to_string(platform::processId()) + "-" + std::to_string(++runs) + "." + stream;
}

// The caught text, this system's line ends read as "\n"; the file is removed.
inline std::string takeCaughtOutput(const std::string& path) {
    std::ostringstream text;
    {
        std::ifstream in(path);
        text << in.rdbuf();
    }
    std::remove(path.c_str());
    return text.str();
}

}  // namespace testing_support
}  // namespace vorna
