#include "cash/sender/health/storage_refusal.h"

#include <string>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/sender_log.h"

namespace vorna {

void reportStorageRefusal(CashDriverLibrary& driver) noexcept {
    try {
        const cash::QueryStorageRefusalFunction query = driver.storageRefusalQuery();
        if (!query || !driver.object() || !SenderSettings::instance().loggingOn()) return;
        cash::StorageRefusal refusal{};
        if (query(driver.object(), &refusal) != cash::kSuccess || refusal.number == 0) return;
        refusal.advice[sizeof refusal.advice - 1] = '\0';
        refusal.description[sizeof refusal.description - 1] = '\0';
        const std::string libraryText =
            refusal.description[0] ? std::string(" [") + refusal.description + "]" : "";
        appendErrorLine(errorLogTarget(), "ККТ отказала в операции, ошибка ФН " +
                                              std::to_string(refusal.number) + libraryText + ": " +
                                              refusal.advice);
    } catch (...) {
        // The operation's own result goes back to the host all the same.
    }
}

}  // namespace vorna
