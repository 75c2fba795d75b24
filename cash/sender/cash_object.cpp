#include "cash/shared/cash_object.h"

#include <stdexcept>

namespace vorna {

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

ClassId classIdFromText(const char* text) {
    ClassId id{};
    std::size_t n = 0;
    for (const char* p = text; *p && n < 32; ++p) {
        int d = hexDigit(*p);
        if (d < 0) continue;  // braces and dashes
        id[n / 2] = static_cast<std::uint8_t>(id[n / 2] << 4 | d);
        ++n;
    }
    if (n != 32) throw std::invalid_argument("class identifier must have 32 hex digits");
    return id;
}

}  // namespace vorna
