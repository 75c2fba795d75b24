#include "cash/sender/script/parser_trace.h"

namespace vorna {

std::ofstream& parserTrace() {
    // A function-local object: safe even when a script is parsed during the
    // static initialisation of another translation unit.
    static std::ofstream trace("trace.log", std::ios::out | std::ios::trunc);
    return trace;
}

namespace {
// Opens the trace when the library is loaded.
[[maybe_unused]] const bool traceOpenedAtLoad = parserTrace().is_open();
}  // namespace

}  // namespace vorna
