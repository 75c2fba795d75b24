// The register library's part of the health verdict: a library that cannot
// register some rates (older than 10.10.8, or of a version the driver could
// not read) is a warning for bank IT, naming the version and the rates.
#pragma once

#include "cash/sender/health/health_status.h"
#include "cash/shared/library_info.h"

namespace vorna {

// info null: the driver does not tell. Adds the reason (status at least
// warning when it was ok) and a mention of the version to the summary.
void judgeLibrary(const cash::LibraryInfo* info, HealthVerdict& verdict);

// The version text for a person: the version, or "не определена".
std::string libraryVersionText(const cash::LibraryInfo* info);

}  // namespace vorna
