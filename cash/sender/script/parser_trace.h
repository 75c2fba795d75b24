// The cheque grammar's debug trace, "trace.log" in the current directory.
#pragma once

#include <fstream>

namespace vorna {

// The trace stream. A static initialiser of this library opens it (truncated)
// when the library is loaded, so the file exists even when nothing is parsed.
std::ofstream& parserTrace();

}  // namespace vorna
