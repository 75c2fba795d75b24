#include "cash/sender/register_busy_report.h"

#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/cash_driver_library.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/sender_log.h"

namespace vorna {

void reportRegisterBusy(CashDriverLibrary& driver) noexcept {
    try {
        const cash::QueryRegisterBusyFunction query = driver.registerBusyQuery();
        if (!query || !driver.object() || !SenderSettings::instance().loggingOn()) return;
        cash::RegisterBusy busy{};
        if (query(driver.object(), &busy) != cash::kSuccess || busy.number == 0) return;
        busy.description[sizeof busy.description - 1] = '\0';
        const std::string libraryText =
            busy.description[0] ? std::string(" [") + busy.description + "]" : "";
        const std::string text =
            "ККТ занята: её порт открыт другой программой или другим рабочим местом (ошибка " +
            std::to_string(busy.number) + libraryText +
            "); операция не выполнена, чек не пробит. Повторите её, когда ККТ освободится.";
        appendLogLine(mainLogTarget(), operationLogName(), text);
        appendErrorLine(errorLogTarget(), text);
    } catch (...) {
        // The operation's own result goes back to the host all the same.
    }
}

}  // namespace vorna
