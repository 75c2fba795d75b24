// After an operation that did not succeed: when the register was held by
// another program or process (its port busy), the operation log and error.log
// say so, so that the counter and bank IT know the operation may simply be
// repeated once the register is free.
#pragma once

namespace vorna {

class CashDriverLibrary;

// Asks the driver (its optional export) whether the register was busy and
// writes the two lines when it was; never throws.
void reportRegisterBusy(CashDriverLibrary& driver) noexcept;

}  // namespace vorna
