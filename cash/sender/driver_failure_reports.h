// After an operation the driver did not complete: what its optional exports
// can tell of the reason goes to the sender's logs, so that the host's code
// comes with a cause someone can act on.
#pragma once

namespace vorna {

class CashDriverLibrary;

// Asks the driver, through each optional export it has, whether the fiscal
// storage refused the document, the register library lacked the rate asked,
// or another program held the register, and writes what it says; never throws.
void reportDriverFailure(CashDriverLibrary& driver) noexcept;

// Whether the driver says another program held the register's port when its
// object last wanted it (false for a driver without the export).
bool registerWasBusy(CashDriverLibrary& driver);

}  // namespace vorna
