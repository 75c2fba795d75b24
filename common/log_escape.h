// Texts that come from the host (the transfer number, parameter keys and
// values, the settings code) on their way into a log: a control character
// would let a value end the line and write one of its own, so each is written
// as a visible escape instead.
#pragma once

#include <string>

namespace vorna {

// The text with CR as "\r", LF as "\n" and every other byte below 0x20, and
// 0x7F, as "\xNN" (two upper-case hex digits); all other bytes unchanged.
std::string escapedForLog(const std::string& text);

}  // namespace vorna
