#include "emulator/civil_date.h"

namespace vorna {
namespace emulator {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysOf(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t asIfUtc(const CivilTime& t) {
    return daysOf(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::int64_t fromCivil(const CivilTime& t) {
    const std::int64_t guess = asIfUtc(t);
    // toCivil adds the zone's offset; taking it off once lands on the moment.
    return guess - (asIfUtc(toCivil(guess)) - guess);
}

int dayNumber(std::int64_t seconds) {
    const CivilTime t = toCivil(seconds);
    return t.year * 10000 + t.month * 100 + t.day;
}

}  // namespace emulator
}  // namespace vorna
