// What the register's health means for the counter: ok, warning, critical or
// unknown, with a text for a person per reason (what is wrong and what to
// do). The host tool and the check at the counter both judge by this.
#pragma once

#include <string>
#include <vector>

#include "cash/shared/register_health.h"

namespace vorna {

struct SenderSettings;

// Days, from the sender settings; a missing or unusable value gives the default.
struct HealthThresholds {
    int fnWarnDays = 30;   // HealthWarnDays: FN days left at or below: warning
    int fnCritDays = 3;    // HealthCritDays: ... critical
    int ofdWarnDays = 3;   // OfdWarnDays: oldest unconfirmed document older than: warning
    int ofdCritDays = 25;  // OfdCritDays: ... critical
};
HealthThresholds healthThresholds(const SenderSettings& settings);

// HealthCheck and HealthWarnBox: on unless "N", "n" or "0".
bool healthCheckOn(const SenderSettings& settings);
bool healthWarnBoxOn(const SenderSettings& settings);

enum class HealthStatus { ok, warning, critical, unknown };

// "ok", "warning", "critical", "unknown".
const char* healthStatusName(HealthStatus status);
// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* healthStatusLabel(HealthStatus status);
// The exit code of a monitoring check: 0, 1, 2, 3.
int healthExitCode(HealthStatus status);

// The verdict on what the driver reported, Windows-1251 texts.
struct HealthVerdict {
    HealthStatus status = HealthStatus::unknown;
    std::vector<std::string> reasons;           // what is wrong and what to do, one text each
    int ofdOldestDays = cash::kHealthNotKnown;  // the oldest unconfirmed document's age in days
    std::string summary;                        // what was read, for a line when all is well
    // The last libraryReasons of reasons are about the register library: bank
    // IT's to act on, not the cashier's; libraryRaised: they alone made it a warning.
    std::size_t libraryReasons = 0;
    bool libraryRaised = false;
};

// Local calendar date, for counting days.
struct CalendarDate {
    int year = 1970, month = 1, day = 1;
};

// health null: the driver has no health export. queryResult: what the export
// returned (1: no connection). today: the host's local date.
HealthVerdict judgeHealth(const cash::RegisterHealth* health, int queryResult,
                          const HealthThresholds& thresholds, const CalendarDate& today);

// "KKT OK - ...", "KKT WARNING - reason; reason", ... (Windows-1251).
std::string healthStatusLine(const HealthVerdict& verdict);

}  // namespace vorna
