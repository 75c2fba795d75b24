#include "cash/sender/reconciliation/register_reconciliation.h"

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_failure_reports.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/local_date.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

// The register's storage read through the driver of code's settings.
void reconcileThroughDriver(const std::string& code, const std::string& date,
                            const std::vector<JournalRecord>& records,
                            const FiscalDayProgress& progress, DayReconciliation& day) {
    runWithDriver(code, [&](CashDriverLibrary& driver) {
        const cash::QueryFiscalDocumentFunction query = driver.fiscalDocumentQuery();
        if (!query)
            throw FiscalStorageUnreadable("драйвер ККТ " + driver.driverName() +
                                          " не читает фискальный накопитель");
        cash::ICash* object = driver.object();
        FiscalStorage storage([&](unsigned number, cash::FiscalDocument& out) {
            const int result = callDriver([&] { return query(object, number, &out); });
            if (result != cash::kSuccess && registerWasBusy(driver))
                throw FiscalStorageUnreadable(
                    "ККТ занята: её порт открыт другой программой; повторите сверку позже");
            return result;
        });
        std::string wanted = date;
        if (wanted.empty()) {
            const unsigned last = storage.lastNumber();
            wanted = last > 0 ? documentDate(storage.document(last)) : localDateToday();
        }
        day = reconcileDay(wanted, records, storage, progress);
        return 0;
    });
}

}  // namespace

DayReconciliation reconcileWithRegister(PaymentJournal& journal, const std::string& code,
                                        const std::string& date,
                                        const FiscalDayProgress& progress) {
    // The journal first: a journal that cannot be read costs no register run.
    std::vector<JournalRecord> records;
    for (JournalRecord& r : journal.list(JournalFilter{}))
        if (code.empty() || r.key.code == code) records.push_back(std::move(r));
    DayReconciliation day;
    try {
        reconcileThroughDriver(code, date, records, progress, day);
    } catch (const FiscalStorageUnreadable&) {
        throw;
    } catch (const std::exception& e) {
        // The driver could not be loaded or could not make its object: say which.
        throw FiscalStorageUnreadable("драйвер ККТ " + SenderSettings::instance().cashDriver +
                                      " не работает: " + e.what());
    }
    return day;
}

}  // namespace vorna
