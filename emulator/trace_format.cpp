#include "emulator/trace_format.h"

#include <cstdio>

namespace vorna {
namespace emulator {

std::string quotedText(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string hexBytes(const unsigned char* bytes, int size) {
    std::string out = "[";
    for (int i = 0; bytes && i < size; ++i) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
        if (i) out += ' ';
        out += buffer;
    }
    return out + "]";
}

std::string doubleText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string handleText(int instanceNumber) { return "#" + std::to_string(instanceNumber); }

}  // namespace emulator
}  // namespace vorna
