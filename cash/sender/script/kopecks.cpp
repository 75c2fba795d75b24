#include "cash/sender/script/kopecks.h"

#include <cmath>
#include <stdexcept>

namespace vorna {

std::int32_t toKopecks(double roubles) {
    const double scaled = roubles * 100 + 0.5;
    // 2^63 is exactly representable; anything at or past it does not fit.
    const double limit = 9223372036854775808.0;
    if (std::isnan(scaled) || scaled >= limit || scaled <= -limit)
        throw std::out_of_range("amount out of range");
    const auto whole = static_cast<std::int64_t>(scaled);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
}

}  // namespace vorna
