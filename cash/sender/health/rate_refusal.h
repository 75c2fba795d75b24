// After an operation the driver refused because the register's library
// cannot register the rate asked: error.log says which rate, which library
// version and what to do.
#pragma once

namespace vorna {

class CashDriverLibrary;

// Asks the driver (its optional export) about its last refusal of a rate and
// writes one error.log line when there was one; never throws.
void reportRateRefusal(CashDriverLibrary& driver) noexcept;

}  // namespace vorna
