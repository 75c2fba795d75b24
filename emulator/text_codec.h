// Text conversions of the emulated register: UTF-8 inside, wide texts at the
// library interface, code page 866 in the fiscal TLV records.
#pragma once

#include <string>

namespace vorna {
namespace emulator {

// Wide text (as the caller passes it) to UTF-8; null gives an empty text.
std::string wideToUtf8(const wchar_t* text);
std::wstring utf8ToWide(const std::string& text);
// UTF-8 to code page 866; a character without a 866 form becomes '?'.
std::string utf8ToCp866(const std::string& text);
// Code page 866 to UTF-8.
std::string cp866ToUtf8(const std::string& text);

}  // namespace emulator
}  // namespace vorna
