#include "cash/sender/driver_failure_reports.h"

#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/sender_log.h"

namespace vorna {

namespace {

// The driver's answer through one optional export into out; false when it has
// the export not or answers nothing.
template <typename Query, typename Answer>
bool askDriver(Query query, CashDriverLibrary& driver, Answer& out) {
    cash::ICash* object = driver.object();
    if (!query || !object) return false;
    return callDriver([&] { return query(object, &out); }) == cash::kSuccess;
}

// " [the library's own text]", or nothing when it gave none.
template <std::size_t N>
std::string libraryText(char (&description)[N]) {
    description[N - 1] = '\0';
    return description[0] ? std::string(" [") + description + "]" : std::string();
}

void reportStorageRefusal(CashDriverLibrary& driver) {
    cash::StorageRefusal refusal{};
    if (!askDriver(driver.storageRefusalQuery(), driver, refusal) || refusal.number == 0) return;
    refusal.advice[sizeof refusal.advice - 1] = '\0';
    appendErrorLine(errorLogTarget(), "ККТ отказала в операции, ошибка ФН " +
                                          std::to_string(refusal.number) +
                                          libraryText(refusal.description) + ": " + refusal.advice);
}

void reportRateRefusal(CashDriverLibrary& driver) {
    cash::LibraryInfo info{};
    if (!askDriver(driver.libraryInfoQuery(), driver, info)) return;
    info.rateRefusal[sizeof info.rateRefusal - 1] = '\0';
    if (info.rateRefusal[0] != '\0') appendErrorLine(errorLogTarget(), info.rateRefusal);
}

}  // namespace

bool registerWasBusy(CashDriverLibrary& driver) {
    cash::RegisterBusy busy{};
    return askDriver(driver.registerBusyQuery(), driver, busy) && busy.number != 0;
}

namespace {

void reportRegisterBusy(CashDriverLibrary& driver) {
    cash::RegisterBusy busy{};
    if (!askDriver(driver.registerBusyQuery(), driver, busy) || busy.number == 0) return;
    const std::string text =
        "ККТ занята: её порт открыт другой программой или другим рабочим местом (ошибка " +
        std::to_string(busy.number) + libraryText(busy.description) +
        "); операция не выполнена, чек не пробит. Повторите её, когда ККТ освободится.";
    appendLogLine(mainLogTarget(), operationLogName(), text);
    appendErrorLine(errorLogTarget(), text);
}

}  // namespace

void reportDriverFailure(CashDriverLibrary& driver) noexcept {
    if (!SenderSettings::instance().loggingOn()) return;
    // Each report on its own: one that fails leaves the others their say, and
    // the operation's own result goes back to the host all the same.
    for (void (*report)(CashDriverLibrary&) :
         {reportStorageRefusal, reportRateRefusal, reportRegisterBusy}) {
        try {
            report(driver);
        } catch (...) {
        }
    }
}

}  // namespace vorna
