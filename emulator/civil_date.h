// A calendar date and time of the register's clock back to a moment: what a
// caller's date-time parameter (libfptr_set_param_datetime) stands for.
#pragma once

#include <cstdint>

#include "emulator/emulator_clock.h"

namespace vorna {
namespace emulator {

// Seconds since 1970 of the register's local calendar time t (the inverse of toCivil).
std::int64_t fromCivil(const CivilTime& t);

// The calendar day of a moment as one number YYYYMMDD, for comparing days.
int dayNumber(std::int64_t seconds);

}  // namespace emulator
}  // namespace vorna
