// After an operation the register refused: when its fiscal storage refuses
// documents, error.log says what happened and what to do.
#pragma once

namespace vorna {

class CashDriverLibrary;

// Asks the driver (its optional export) about its last storage refusal and
// writes one error.log line when there was one; never throws.
void reportStorageRefusal(CashDriverLibrary& driver) noexcept;

}  // namespace vorna
