#include "cash/sender/health/daily_health_check.h"

#include <exception>

#include "cash/sender/call_frame.h"
#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_failure_reports.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/dynamic_library.h"
#include "cash/sender/health/health_status.h"
#include "cash/sender/health/library_health.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/civil_date.h"
#include "common/error_box.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

namespace vorna {

namespace {

// The local day of this process's last check (a day number; none yet: below 0).
long long checkedDay = -1;

void tellCashier(const HealthVerdict& verdict) {
    std::string text;
    // The register library's reasons are bank IT's: error.log has them.
    for (std::size_t i = 0; i + verdict.libraryReasons < verdict.reasons.size(); ++i)
        text += (text.empty() ? "" : "\n") + verdict.reasons[i];
    showMessageBox(
        text, "Состояние ККТ",
        verdict.status == HealthStatus::critical ? platform::Icon::error : platform::Icon::warning);
}

// False when the check could not be made and is left for a later call.
bool checkHealth(const FrameState& frame, const std::string& code, const CalendarDate& today) {
    const SenderSettings& settings = SenderSettings::instance();
    // A driver without the health export is left alone: no object of it is
    // made and nothing is logged. The probe keeps the library loaded for the run.
    const dynamic_library probe(settings.cashDriver);
    if (!probe.optional_address(cash::kRegisterHealthEntryPoint)) return true;
    HealthVerdict verdict;
    bool busy = false;
    runWithDriver(code, [&](CashDriverLibrary& driver) {
        const cash::QueryRegisterHealthFunction query = driver.registerHealthQuery();
        if (!query) {
            verdict = judgeHealth(nullptr, 0, healthThresholds(settings), today);
            return 0;
        }
        cash::RegisterHealth health{};
        cash::ICash* object = driver.object();
        const int result = callDriver([&] { return query(object, &health); });
        // A register held by another program says nothing of its health, and
        // "no connection" would send the cashier to the cables for nothing.
        if (result != cash::kSuccess && registerWasBusy(driver)) {
            busy = true;
            return 0;
        }
        verdict = judgeHealth(&health, result, healthThresholds(settings), today);
        cash::LibraryInfo library{};
        const cash::QueryLibraryInfoFunction info = driver.libraryInfoQuery();
        if (info && callDriver([&] { return info(object, &library); }) == cash::kSuccess)
            judgeLibrary(&library, verdict);
        return 0;
    });
    if (busy) {
        logLine(frame,
                "Состояние ККТ не проверено: ККТ занята другой программой, проверка повторится "
                "при следующем вызове");
        return false;
    }
    const std::string line = "Состояние ККТ: " + healthStatusLine(verdict);
    logLine(frame, line);
    if (verdict.status != HealthStatus::warning && verdict.status != HealthStatus::critical)
        return true;
    if (frame.logging) appendErrorLine(errorLogTarget(), line);
    if (healthWarnBoxOn(settings) && !verdict.libraryRaised) tellCashier(verdict);
    return true;
}

}  // namespace

void checkHealthOncePerDay(const FrameState& frame, const std::string& code) noexcept {
    try {
        if (!healthCheckOn(SenderSettings::instance())) return;
        platform::DateTime now;
        if (!platform::localTime(now)) return;
        const long long day = cash::civilDayNumber(now.year, now.month, now.day);
        if (day == checkedDay) return;
        // Once a day whatever the check's outcome: a failing check must not
        // cost every later payment of the day a second driver run.
        checkedDay = day;
        if (!checkHealth(frame, code, CalendarDate{now.year, now.month, now.day})) checkedDay = -1;
    } catch (const std::exception& e) {
        try {
            logLine(frame, std::string("Состояние ККТ не проверено: ") + e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            logLine(frame, "Состояние ККТ не проверено");
        } catch (...) {
        }
    }
}

}  // namespace vorna
