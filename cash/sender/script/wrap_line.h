// Splitting of a cheque text line into print lines of the device's width.
#pragma once

#include <string>
#include <vector>

namespace vorna {

// Appends the line to out in pieces of at most max characters, each cut just
// after its last blank (or at max when it has none). A maximum of 0 or below
// means no wrapping; an empty line gives one empty print line.
void wrapLine(const std::string& line, int max, std::vector<std::string>& out);

}  // namespace vorna
