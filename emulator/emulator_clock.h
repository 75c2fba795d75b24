// The register's clock: the wall clock plus an offset kept in the state, so
// that tests and the tool can move the register's time forward.
#pragma once

#include <cstdint>
#include <string>

namespace vorna {
namespace emulator {

struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970 on the register's clock (wall clock + offset).
std::int64_t registerNow(std::int64_t offsetSeconds);
// The register's local calendar time of a moment on its clock.
CivilTime toCivil(std::int64_t seconds);
// "YYYY-MM-DD HH:MM:SS" of a moment on the register's clock.
std::string formatTime(std::int64_t seconds);
// The moment of a local calendar time (the inverse of toCivil).
std::int64_t fromCivil(const CivilTime& t);
// "YYYY-MM-DD HH:MM:SS" of a calendar time as it is.
std::string civilText(const CivilTime& t);
// Whole days from the local date of one moment to that of another.
std::int64_t daysBetween(std::int64_t from, std::int64_t to);

}  // namespace emulator
}  // namespace vorna
