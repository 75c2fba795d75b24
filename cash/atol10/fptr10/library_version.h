// The register library's version, asked once per load of the library, and
// what it means for the rates: the library's own number for each tax type,
// and the rates it cannot register at all.
#pragma once

#include <string>

#include "cash/atol10/fptr10/binding.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

struct LibraryVersion {
    std::string text;  // as the library answered (empty: it did not)
    bool known = false;
    libfptr::TaxNumbering numbering = libfptr::TaxNumbering::unknown;
};

// The version of the library in module: asked the first time the module is
// seen, answered from memory afterwards. A null module is of unknown version.
const LibraryVersion& libraryVersion(Module module);

// Forgets what was asked, so that the next libraryVersion asks the library
// again: for a host (a test) that sets up another library in one process.
void forgetLibraryVersion();

// How the log and the messages name a version: its text, or "неизвестна".
std::string versionName(const LibraryVersion& version);

// The library's number for the driver's tax type (libfptr::tax::).
int libraryTaxType(const LibraryVersion& version, int taxType);

// Why the library cannot register this tax type, for a person (the rate, the
// version and what to do); empty when it can.
std::string rateRefusal(const LibraryVersion& version, int taxType);

// The rates the library cannot register ("НДС 22%, НДС 22/122"); empty: none.
std::string missingRates(const LibraryVersion& version);

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
