#include "tools/vorna-cash/health_command.h"

#include <cstdio>
#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/health/health_status.h"
#include "cash/sender/health/library_health.h"
#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/platform/platform.h"
#include "common/settings_code.h"

namespace vorna {
namespace tool {

namespace {

using nlohmann::json;

std::string utf8(const std::string& cp1251) { return platform::cp1251ToUtf8(cp1251); }

json count(int value) { return value == cash::kHealthNotKnown ? json() : json(value); }

json flag(int value) { return value == cash::kHealthNotKnown ? json() : json(value != 0); }

json text(const char* value) { return value[0] ? json(value) : json(); }

json shiftName(int state) {
    switch (state) {
        case cash::kHealthShiftClosed:
            return "closed";
        case cash::kHealthShiftOpen:
            return "open";
        case cash::kHealthShiftExpired:
            return "expired";
        default:
            return json();
    }
}

json healthObject(const cash::RegisterHealth& h, const HealthVerdict& verdict,
                  const json& libraryVersion) {
    json reasons = json::array();
    for (const std::string& reason : verdict.reasons) reasons.push_back(utf8(reason));
    return json{{"status", healthStatusName(verdict.status)},
                {"fn_valid_until", text(h.fnValidUntil)},
                {"fn_days_left", count(h.fnDaysLeft)},
                {"fn_registrations_left", count(h.fnRegistrationsLeft)},
                {"fn_state", count(h.fnState)},
                {"fn_need_replacement", flag(h.fnNeedReplacement)},
                {"fn_resource_exhausted", flag(h.fnResourceExhausted)},
                {"fn_memory_overflow", flag(h.fnMemoryOverflow)},
                {"fn_ofd_timeout", flag(h.fnOfdTimeout)},
                {"fn_critical_error", flag(h.fnCriticalError)},
                {"ofd_unsent", count(h.ofdUnsent)},
                {"ofd_first_unsent_number", count(h.ofdFirstUnsentNumber)},
                {"ofd_first_unsent_at", text(h.ofdFirstUnsentAt)},
                {"ofd_oldest_unsent_days", count(verdict.ofdOldestDays)},
                {"shift", shiftName(h.shiftState)},
                {"shift_hours", count(h.shiftHours)},
                {"paper", flag(h.paperPresent)},
                {"library_version", libraryVersion},
                {"reasons", reasons}};
}

// What was read, for a person, after the status line.
void printDetails(const cash::RegisterHealth& h, const HealthVerdict& verdict) {
    auto line = [](const std::string& cp1251) { std::printf("%s\n", utf8(cp1251).c_str()); };
    auto known = [](int v) {
        return v == cash::kHealthNotKnown ? std::string("?") : std::to_string(v);
    };
    line("ФН действует до: " + std::string(h.fnValidUntil[0] ? h.fnValidUntil : "?") +
         ", осталось дней: " + known(h.fnDaysLeft) +
         ", перерегистраций: " + known(h.fnRegistrationsLeft) + ", состояние: " + known(h.fnState));
    line("Не передано в ОФД: " + known(h.ofdUnsent) +
         (h.ofdFirstUnsentAt[0]
              ? ", первый № " + known(h.ofdFirstUnsentNumber) + " от " + h.ofdFirstUnsentAt + " (" +
                    known(verdict.ofdOldestDays) + " дн.)"
              : std::string()));
}

}  // namespace

int runHealthCommand(const CommandLine& line) {
    const int unknown = healthExitCode(HealthStatus::unknown);
    loadSettingsFile(senderIniName(std::string()));
    cash::RegisterHealth health{};
    cash::LibraryInfo library{};
    bool libraryTold = false;
    bool exported = false;
    int result = 0;
    HealthVerdict verdict;
    std::string failure;
    if (!line.code.empty() && !isSettingsCode(line.code)) {
        failure = "Недопустимый код настроек: " + line.code;
    } else {
        try {
            runWithDriver(line.code, [&](CashDriverLibrary& driver) {
                const cash::QueryRegisterHealthFunction query = driver.registerHealthQuery();
                exported = query != nullptr;
                if (exported) {
                    cash::ICash* object = driver.object();
                    result = callDriver([&] { return query(object, &health); });
                }
                if (const cash::QueryLibraryInfoFunction info = driver.libraryInfoQuery()) {
                    cash::ICash* object = driver.object();
                    libraryTold =
                        callDriver([&] { return info(object, &library); }) == cash::kSuccess;
                }
                return 0;
            });
        } catch (const std::exception& e) {
            failure = std::string("Драйвер ККТ не загружен: ") + e.what();
        }
    }
    platform::DateTime now;
    CalendarDate today;
    if (platform::localTime(now)) today = CalendarDate{now.year, now.month, now.day};
    if (failure.empty()) {
        verdict = judgeHealth(exported ? &health : nullptr, result,
                              healthThresholds(SenderSettings::instance()), today);
        judgeLibrary(libraryTold ? &library : nullptr, verdict);
    } else {
        verdict.reasons.push_back(failure);
    }
    if (!failure.empty() || !exported) {
        // Nothing was read: every field is not known.
        cash::RegisterHealth none{};
        for (int* field :
             {&none.fnDaysLeft, &none.fnRegistrationsLeft, &none.fnState, &none.fnNeedReplacement,
              &none.fnResourceExhausted, &none.fnMemoryOverflow, &none.fnOfdTimeout,
              &none.fnCriticalError, &none.ofdUnsent, &none.ofdFirstUnsentNumber, &none.shiftState,
              &none.shiftHours, &none.paperPresent})
            *field = cash::kHealthNotKnown;
        health = none;
    }
    if (line.json) {
        const json version = libraryTold && library.versionKnown && library.version[0]
                                 ? json(utf8(libraryVersionText(&library)))
                                 : json();
        std::printf("%s\n", healthObject(health, verdict, version).dump().c_str());
    } else {
        std::printf("%s\n", utf8(healthStatusLine(verdict)).c_str());
        if (failure.empty() && exported) printDetails(health, verdict);
        if (failure.empty() && libraryTold)
            std::printf("%s\n",
                        utf8("Версия библиотеки ККТ: " + libraryVersionText(&library)).c_str());
    }
    std::fflush(stdout);
    return failure.empty() ? healthExitCode(verdict.status) : unknown;
}

}  // namespace tool
}  // namespace vorna
