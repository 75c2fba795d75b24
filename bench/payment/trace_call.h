// One line of the emulated register's call trace taken apart:
//   libfptr_set_param_str(#1, 1021, "Иванова")
//   libfptr_get_param_str(#1, 65604, 32) = 8 "5.8.100"
//   libfptr_create(&#1) = 0
// into the function, its arguments and the result as written.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace bench {

struct TraceArgument {
    enum class Kind { word, text, bytes };
    Kind kind = Kind::word;
    std::string word;                  // #1, &#1, 65587, -1.5, true: as written
    std::string text;                  // a quoted text, unescaped (UTF-8)
    std::vector<unsigned char> bytes;  // a byte array [0a ff]
};

struct TraceCall {
    std::string function;
    std::vector<TraceArgument> arguments;
    std::string result;  // after " = "; empty when the function returns nothing
    bool threw = false;
};

// Parses one trace line; throws std::invalid_argument when it is none.
TraceCall parseTraceLine(const std::string& line);

// The instance number of "#3" or "&#3"; -1 for anything else ("#invalid").
int instanceNumber(const TraceArgument& argument);

}  // namespace bench
}  // namespace vorna
