// Normalisation of one piece of a "~hdr" text line.
#pragma once

#include <string>

namespace vorna {

// Trims blanks, line ends, TAB, FF and quotes from both ends (a closing
// escaped quote stays), then removes the escapes: BACKSLASH QUOTE becomes
// QUOTE, a run of backslashes before another character becomes one. Once a
// character has been removed, a blank is dropped when the character at the
// write position is a blank as well.
std::string normalizeTextPiece(const std::string& piece);

}  // namespace vorna
