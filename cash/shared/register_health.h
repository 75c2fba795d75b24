// The driver entry points a sender may use to learn the register's health (its
// fiscal storage, the operator link, shift and paper) and why the register
// refused the last operation. Both are optional: the sender resolves them by
// name and does without them. The results are plain C data.
#pragma once

#include <climits>

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

// Every whole-number field of RegisterHealth holds this when the register did
// not tell (texts are empty then); yes/no fields are 1, 0 or this.
inline constexpr int kHealthNotKnown = INT_MIN;

// Shift states as RegisterHealth reports them.
enum : int { kHealthShiftClosed = 0, kHealthShiftOpen = 1, kHealthShiftExpired = 2 };

struct RegisterHealth {
    char fnValidUntil[11];      // "YYYY-MM-DD", the date the fiscal storage expires
    int fnDaysLeft;             // days from today to that date (below 0: expired)
    int fnRegistrationsLeft;    // re-registrations the storage still takes
    int fnState;                // the storage's state (3: fiscal mode, the working one)
    int fnNeedReplacement;      // the storage's own warnings, 1 or 0 ...
    int fnResourceExhausted;    // ... the 30-day operator limit is near
    int fnMemoryOverflow;       // ... memory more than 90 % full
    int fnOfdTimeout;           // ... the operator has not answered in time
    int fnCriticalError;        // ... a critical storage error
    int ofdUnsent;              // documents the operator (OFD) has not confirmed
    int ofdFirstUnsentNumber;   // the number of the oldest of them
    char ofdFirstUnsentAt[20];  // "YYYY-MM-DD HH:MM:SS", its time on the register
    int shiftState;             // kHealthShift...
    int shiftHours;             // whole hours the shift has been open
    int paperPresent;           // 1 or 0
};

// The export's name and type. Fills *out, each field the register did not
// answer left "not known" (the failure logged once). Returns 0, 1 when there
// is no connection to the register (or it was lost: the rest stays not known),
// 99 for a null out.
inline constexpr char kRegisterHealthEntryPoint[] = "QueryRegisterHealth";
using QueryRegisterHealthFunction = int (*)(ICash* object, RegisterHealth* out);

// Why the register refused the last operation of this object, when its fiscal
// storage refuses documents: the library's failure number and a text for a
// person (what happened and what to do), beside the library's own description
// of the failure; number 0 when no such refusal happened. Texts in Windows-1251.
struct StorageRefusal {
    int number;
    char advice[256];
    char description[256];
};

// The export's name and type; reads nothing from the register. Returns 0, or
// 99 for a null object or out.
inline constexpr char kStorageRefusalEntryPoint[] = "QueryStorageRefusal";
using QueryStorageRefusalFunction = int (*)(ICash* object, StorageRefusal* out);

}  // namespace cash
}  // namespace vorna
