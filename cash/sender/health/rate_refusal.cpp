#include "cash/sender/health/rate_refusal.h"

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/sender_log.h"

namespace vorna {

void reportRateRefusal(CashDriverLibrary& driver) noexcept {
    try {
        const cash::QueryLibraryInfoFunction query = driver.libraryInfoQuery();
        if (!query || !driver.object() || !SenderSettings::instance().loggingOn()) return;
        cash::LibraryInfo info{};
        cash::ICash* object = driver.object();
        if (callDriver([&] { return query(object, &info); }) != cash::kSuccess) return;
        info.rateRefusal[sizeof info.rateRefusal - 1] = '\0';
        if (info.rateRefusal[0] == '\0') return;
        appendErrorLine(errorLogTarget(), info.rateRefusal);
    } catch (...) {
        // The operation's own result goes back to the host all the same.
    }
}

}  // namespace vorna
