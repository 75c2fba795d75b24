// Today's date on the computer's local clock, as the journal's records and
// the reconciliation name days.
#pragma once

#include <string>

namespace vorna {

// "YYYY-MM-DD"; empty when the clock cannot be read.
std::string localDateToday();

}  // namespace vorna
