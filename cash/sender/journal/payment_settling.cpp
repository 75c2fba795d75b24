#include "cash/sender/journal/payment_settling.h"

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_run.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {

int operationTypeOf(const std::string& typeOper) {
    return typeOper == "P" ? cash::kOperationSale : cash::kOperationSaleReturn;
}

SettleOutcome settleWithDriver(PaymentJournal& journal, const JournalRecord& record,
                               CashDriverLibrary& driver) {
    SettleOutcome outcome;
    if (record.documentBefore < 0) {
        outcome.verdict = SettleVerdict::noStartingPoint;
        outcome.detail = "попытка не дошла до открытия чека";
        return outcome;
    }
    const cash::QueryFiscalDocumentFunction query = driver.fiscalDocumentQuery();
    if (!query) {
        outcome.verdict = SettleVerdict::unsupported;
        outcome.detail = "драйвер ККТ не читает фискальный накопитель";
        return outcome;
    }
    cash::ICash* object = driver.object();
    cash::FiscalDocument last{};
    const int lastRead = callDriver([&] { return query(object, 0, &last); });
    if (lastRead != cash::kSuccess) {
        outcome.detail =
            "номер последнего документа не прочитан (код " + std::to_string(lastRead) + ")";
        return outcome;
    }
    int found = 0;
    std::string candidates;
    for (std::int64_t n = record.documentBefore + 1; n <= static_cast<std::int64_t>(last.number);
         ++n) {
        cash::FiscalDocument document{};
        const int read =
            callDriver([&] { return query(object, static_cast<unsigned>(n), &document); });
        if (read != cash::kSuccess) {
            outcome.verdict = SettleVerdict::unreadable;
            outcome.detail = "документ № " + std::to_string(n) + " не прочитан (код " +
                             std::to_string(read) + ")";
            return outcome;
        }
        if (document.documentType != cash::kFiscalDocumentReceipt ||
            document.operationType != operationTypeOf(record.key.typeOper) ||
            document.total != static_cast<long long>(record.summa))
            continue;
        if (journal.claimedByOther(record.key, n)) continue;
        ++found;
        candidates += (candidates.empty() ? "" : ", ") + std::to_string(n);
        outcome.receipt.number = document.number;
        outcome.receipt.dateTime = document.dateTime;
        outcome.receipt.fiscalSign = document.fiscalSign;
    }
    const std::string range = "документы " + std::to_string(record.documentBefore + 1) + ".." +
                              std::to_string(last.number);
    if (found == 0) {
        outcome.verdict = SettleVerdict::notRegistered;
        outcome.receipt = ReceiptDocument();
        outcome.detail = range + ": подходящего чека нет";
    } else if (found == 1) {
        outcome.verdict = SettleVerdict::registered;
        outcome.detail = range + ": чек ФД № " + std::to_string(outcome.receipt.number) + ", ФП " +
                         outcome.receipt.fiscalSign + ", " + outcome.receipt.dateTime;
    } else {
        outcome.verdict = SettleVerdict::ambiguous;
        outcome.receipt = ReceiptDocument();
        outcome.detail = range + ": подходят несколько чеков (ФД № " + candidates + ")";
    }
    return outcome;
}

SettleOutcome settlePayment(PaymentJournal& journal, const JournalRecord& record,
                            const std::string& code) {
    SettleOutcome outcome;
    if (record.documentBefore < 0) {
        outcome.verdict = SettleVerdict::noStartingPoint;
        outcome.detail = "попытка не дошла до открытия чека";
        return outcome;
    }
    runWithDriver(code, [&](CashDriverLibrary& driver) {
        outcome = settleWithDriver(journal, record, driver);
        return 0;
    });
    return outcome;
}

}  // namespace vorna
