// The optional driver entry point that tells which version of the register's
// own library the driver talks to, which rates that library cannot register,
// and why the driver last refused a rate. The sender resolves it by name and
// does without it. Texts in Windows-1251.
#pragma once

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

struct LibraryInfo {
    char version[64];        // "10.10.6.0"; empty when the library did not tell or cannot be read
    int versionKnown;        // 1 when the version was read, 0 otherwise
    char missingRates[128];  // "НДС 22%, НДС 22/122": rates this library cannot register; empty:
                             // none
    char rateRefusal[512];  // why this object last refused a rate (what to do); empty: none
};

// The export's name and type; asks the register nothing. Returns 0, or 99 for
// a null object or out.
inline constexpr char kLibraryInfoEntryPoint[] = "QueryLibraryInfo";
using QueryLibraryInfoFunction = int (*)(ICash* object, LibraryInfo* out);

}  // namespace cash
}  // namespace vorna
