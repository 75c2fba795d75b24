#include "cash/atol10/settings_values.h"

#include <boost/lexical_cast.hpp>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace vorna {
namespace cash {
namespace settings {

int strictInteger(const std::string& text) { return boost::lexical_cast<int>(text); }

int lenientInteger(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int strictFlag(const std::string& text) {
    const int value = strictInteger(text);
    return value == 0 || value == 1 ? value : 0;
}

bool sameKey(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool parityWord(const std::string& text, std::uint8_t& parity) {
    static const char* const words[] = {"None", "Odd", "Even", "Mark", "Space"};
    for (std::uint8_t i = 0; i < 5; ++i) {
        if (sameKey(text, words[i])) {
            parity = i;
            return true;
        }
    }
    return false;
}

bool stopBitsWord(const std::string& text, std::uint8_t& stopBits) {
    if (text.empty()) return false;
    if (text[0] == '1') {
        stopBits = 0;
        return true;
    }
    if (text[0] == '2') {
        stopBits = 2;
        return true;
    }
    return false;
}

std::vector<std::uint8_t> packedBcd(const std::string& text, std::size_t bytes) {
    // The value is read as a floating-point number and truncated toward zero.
    double number = std::trunc(std::fabs(std::strtod(text.c_str(), nullptr)));
    if (!std::isfinite(number)) number = 0;
    std::vector<std::uint8_t> packed(bytes, 0);
    for (std::size_t i = bytes; i-- > 0;) {
        const int low = static_cast<int>(std::fmod(number, 10.0));
        number = std::trunc(number / 10.0);
        const int high = static_cast<int>(std::fmod(number, 10.0));
        number = std::trunc(number / 10.0);
        packed[i] = static_cast<std::uint8_t>((high << 4) | low);
    }
    return packed;
}

}  // namespace settings
}  // namespace cash
}  // namespace vorna
