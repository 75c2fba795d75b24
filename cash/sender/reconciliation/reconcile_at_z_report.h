// ReconcileOnZReport=Y: after the Z report has closed the shift, the shift's
// day is reconciled. The verdict goes to the operation log in one line, the
// table to "reconcile-YYYY-MM-DD.csv" in the log directory and, when anything
// is not matched, to error.log and one box for the cashier. It never changes
// the Z report's result: a failure of its own is logged, never raised.
#pragma once

#include "cash/sender/call_frame.h"

namespace vorna {

// Whether ReconcileOnZReport is on in the settings as they stand ("Y", "y", "1").
bool reconcileOnZReportOn();

// Called after a Z report that gave 0.
void reconcileAfterZReport(const FrameState& frame) noexcept;

}  // namespace vorna
