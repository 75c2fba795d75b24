// Splitting of "~pos" texts into records and fields.
#pragma once

#include <string>
#include <vector>

namespace vorna {

// The pieces between delimiters, as repeated getline on a string stream
// yields them: an empty piece between two adjacent delimiters, none after a
// final delimiter, none at all for an empty text.
std::vector<std::string> splitFields(const std::string& text, char delimiter);

}  // namespace vorna
