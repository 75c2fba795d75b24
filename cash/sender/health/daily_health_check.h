// The register's health at the counter: once per calendar day per host
// process, after the work of the first checkKKT or sendCheque of the day, the
// driver is asked for the register's health; the verdict goes to the operation
// log, and a warning or a critical one also to error.log and to the cashier in
// one message box (HealthWarnBox=N keeps the box away). HealthCheck=N turns
// the check off. A driver without the health export is not asked (nothing of
// the call changes). Nothing of it reaches the host's result.
#pragma once

#include <string>

namespace vorna {

struct FrameState;

// code: the settings code of the call (empty: none).
void checkHealthOncePerDay(const FrameState& frame, const std::string& code) noexcept;

}  // namespace vorna
