#include "cash/sender/journal/payment_settling.h"

#include <algorithm>
#include <vector>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_run.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {

int operationTypeOf(const std::string& typeOper) {
    return typeOper == "P" ? cash::kOperationSale : cash::kOperationSaleReturn;
}

bool receiptFits(const cash::FiscalDocument& document, const JournalRecord& record,
                 bool correction) {
    return document.documentType == cash::kFiscalDocumentReceipt &&
           document.operationType == operationTypeOf(record.key.typeOper) &&
           document.total == static_cast<long long>(record.summa) &&
           (document.correction != 0) == correction;
}

SettleOutcome settleWithDriver(PaymentJournal& journal, const JournalRecord& record,
                               CashDriverLibrary& driver, SettleTarget target) {
    SettleOutcome outcome;
    const bool correction = target == SettleTarget::correction;
    const std::int64_t start =
        correction ? record.correction.documentBefore : record.documentBefore;
    const std::int64_t startedAt = correction ? record.correction.startedAt : record.startedAt;
    if (start < 0) {
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
    // Records registered without the number of their receipt each own the
    // first fitting receipt after their starting point: those are not ours.
    const std::vector<UnnumberedClaim> claims =
        journal.unnumberedClaims(record.key, record.summa, correction, start, startedAt);
    std::int64_t from = start;
    for (const UnnumberedClaim& claim : claims) from = std::min(from, claim.documentBefore);
    struct Candidate {
        std::int64_t number;
        cash::FiscalDocument document;
        bool taken;
    };
    std::vector<Candidate> fitting;
    for (std::int64_t n = from + 1; n <= static_cast<std::int64_t>(last.number); ++n) {
        cash::FiscalDocument document{};
        const int read =
            callDriver([&] { return query(object, static_cast<unsigned>(n), &document); });
        if (read != cash::kSuccess) {
            outcome.verdict = SettleVerdict::unreadable;
            outcome.detail = "документ № " + std::to_string(n) + " не прочитан (код " +
                             std::to_string(read) + ")";
            return outcome;
        }
        if (!receiptFits(document, record, correction)) continue;
        if (journal.claimedByOther(record.key, n)) continue;
        fitting.push_back(Candidate{n, document, false});
    }
    for (const UnnumberedClaim& claim : claims)  // ordered by their starting points
        for (Candidate& c : fitting)
            if (!c.taken && c.number > claim.documentBefore) {
                c.taken = true;
                break;
            }
    int found = 0;
    std::string candidates;
    for (const Candidate& c : fitting) {
        if (c.taken || c.number <= start) continue;
        ++found;
        candidates += (candidates.empty() ? "" : ", ") + std::to_string(c.number);
        outcome.receipt.number = c.document.number;
        outcome.receipt.dateTime = c.document.dateTime;
        outcome.receipt.fiscalSign = c.document.fiscalSign;
    }
    const std::string range =
        "документы " + std::to_string(start + 1) + ".." + std::to_string(last.number);
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
                            const std::string& code, SettleTarget target) {
    SettleOutcome outcome;
    if ((target == SettleTarget::correction ? record.correction.documentBefore
                                            : record.documentBefore) < 0) {
        outcome.verdict = SettleVerdict::noStartingPoint;
        outcome.detail = "попытка не дошла до открытия чека";
        return outcome;
    }
    runWithDriver(code, [&](CashDriverLibrary& driver) {
        outcome = settleWithDriver(journal, record, driver, target);
        return 0;
    });
    return outcome;
}

}  // namespace vorna
