// Day numbers of calendar dates, for counting the days between two dates
// (proleptic Gregorian calendar; day 0 is 1970-01-01).
#pragma once

namespace vorna {
namespace cash {

inline long long civilDayNumber(int year, int month, int day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace cash
}  // namespace vorna
