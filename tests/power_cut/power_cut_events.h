// The events file of the power-cut VFS, read back by a test.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "tests/power_cut/power_cut_vfs.h"

namespace vorna {
namespace testing_support {

struct PowerCutEvents {
    long writes = 0;
    long syncs = 0;
    long walHeaders = 0;             // write-ahead logs started (their header written)
    long syncsBeforeTheLog = 0;      // before the first write to a write-ahead log
    bool cut = false;                // the power went
    std::vector<std::string> lines;  // the writes and syncs in order
    std::string text;                // the whole file, for messages
};

inline PowerCutEvents readPowerCutEvents(const std::string& file) {
    PowerCutEvents events;
    std::ifstream in(file);
    std::string line;
    bool logWritten = false;
    while (std::getline(in, line)) {
        events.text += line + "\n";
        if (line == "cut") {
            events.cut = true;
            continue;
        }
        events.lines.push_back(line);
        const bool write = line.rfind("write ", 0) == 0;
        const bool ofTheLog = line.find("-wal ") != std::string::npos;
        if (write) ++events.writes;
        if (line.rfind("sync ", 0) == 0) {
            ++events.syncs;
            if (!logWritten) ++events.syncsBeforeTheLog;
        }
        if (write && ofTheLog) {
            logWritten = true;
            const std::string header = "-wal 32 0";
            if (line.compare(line.size() - header.size(), header.size(), header) == 0)
                ++events.walHeaders;
        }
    }
    return events;
}

}  // namespace testing_support
}  // namespace vorna
