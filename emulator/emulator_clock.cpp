#include "emulator/emulator_clock.h"

#include <cstdio>

#include "cash/shared/civil_date.h"
#include "common/platform/platform.h"

namespace vorna {
namespace emulator {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int y, int m, int d) { return cash::civilDayNumber(y, m, d); }

std::int64_t secondsOf(const platform::DateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// The local zone's distance from UTC, rounded to whole minutes.
std::int64_t zoneOffsetSeconds() {
    platform::DateTime local, utc;
    if (!platform::localTime(local) || !platform::systemTime(utc)) return 0;
    std::int64_t diff = secondsOf(local) - secondsOf(utc);
    return (diff >= 0 ? diff + 30 : diff - 30) / 60 * 60;
}

}  // namespace

std::int64_t registerNow(std::int64_t offsetSeconds) {
    return platform::unixTime() + offsetSeconds;
}

CivilTime toCivil(std::int64_t seconds) {
    seconds += zoneOffsetSeconds();
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    std::int64_t rest = seconds - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t fromCivil(const CivilTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 +
           t.second - zoneOffsetSeconds();
}

std::string civilText(const CivilTime& t) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

std::int64_t daysBetween(std::int64_t from, std::int64_t to) {
    const CivilTime a = toCivil(from), b = toCivil(to);
    return daysFromCivil(b.year, b.month, b.day) - daysFromCivil(a.year, a.month, a.day);
}

std::string formatTime(std::int64_t seconds) {
    CivilTime t = toCivil(seconds);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

}  // namespace emulator
}  // namespace vorna
