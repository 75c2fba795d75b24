// Settling a payment in doubt against the register's fiscal storage: the
// receipts after the document number recorded when the attempt began are read
// through the driver's optional export, and exactly one receipt of the same
// operation type and sum that no other record claims is the payment's. A
// correction in doubt is settled the same way against the correction receipts.
#pragma once

#include <string>

#include "cash/sender/journal/payment_journal.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {

class CashDriverLibrary;

enum class SettleVerdict {
    registered,       // one receipt found: the payment is fiscal
    notRegistered,    // no such receipt: the payment may be made
    noStartingPoint,  // the attempt never reached the receipt: nothing can exist
    unsupported,      // the driver cannot read its fiscal storage
    unreadable,       // the storage did not answer: nothing is known
    ambiguous,        // more than one receipt fits: a person must decide
};

struct SettleOutcome {
    SettleVerdict verdict = SettleVerdict::unreadable;
    ReceiptDocument receipt;  // with registered
    std::string detail;       // what was found, for the logs and the tool
};

// What is settled: the payment's receipt, or its correction receipt.
enum class SettleTarget { payment, correction };

// With a driver already loaded.
SettleOutcome settleWithDriver(PaymentJournal& journal, const JournalRecord& record,
                               CashDriverLibrary& driver,
                               SettleTarget target = SettleTarget::payment);
// Loads the driver of the settings code for the reading.
SettleOutcome settlePayment(PaymentJournal& journal, const JournalRecord& record,
                            const std::string& code, SettleTarget target = SettleTarget::payment);

// Tag 1054 of the operation type "P" (sale) or "V" (sale return).
int operationTypeOf(const std::string& typeOper);

// A receipt that can be the record's own: of its operation and sum, and a
// correction receipt exactly when correction is asked for.
bool receiptFits(const cash::FiscalDocument& document, const JournalRecord& record,
                 bool correction);

}  // namespace vorna
