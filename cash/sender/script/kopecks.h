// Amounts of the cheque script are roubles; the cheque keeps kopecks.
#pragma once

#include <cstdint>

namespace vorna {

// x * 100 + 0.5, truncated toward zero into 64 bits, of which the low 32 bits
// are kept: 0.01 -> 1, 150.5 -> 15050, 0.125 -> 13, -1.234 -> -122.
// Throws std::out_of_range for NaN and values beyond the 64-bit range, whose
// conversion the language leaves undefined.
std::int32_t toKopecks(double roubles);

}  // namespace vorna
