// Conversions of settings-file values into the fields of the driver settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorna {
namespace cash {
namespace settings {

// The whole text as a decimal integer; throws boost::bad_lexical_cast otherwise.
int strictInteger(const std::string& text);
// The leading decimal digits (optional sign), 0 when there are none; never fails.
int lenientInteger(const std::string& text);
// A strict integer that must be 0 or 1; any other number is stored as 0.
int strictFlag(const std::string& text);
// "None", "Odd", "Even", "Mark", "Space" (any case) give 0..4; false for other texts.
bool parityWord(const std::string& text, std::uint8_t& parity);
// A text beginning with "1" gives 0 (one stop bit), with "2" gives 2; false otherwise.
bool stopBitsWord(const std::string& text, std::uint8_t& stopBits);
// The number's decimal digits right-aligned, two per byte, most significant byte
// first, in a vector of the given size; digits that do not fit are dropped.
std::vector<std::uint8_t> packedBcd(const std::string& text, std::size_t bytes);
// Case-insensitive comparison of two ASCII keys.
bool sameKey(const std::string& a, const char* b);

}  // namespace settings
}  // namespace cash
}  // namespace vorna
