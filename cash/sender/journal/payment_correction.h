// Putting right a payment the register did not take: a correction receipt on
// the taxpayer's own initiative, of the same operation, sum, tax, service
// name, agent and supplier data and payment type as the payment's receipt,
// made from the journal's record alone. It is journaled as a payment is: the
// document number before it committed durably before the receipt is opened,
// the outcome after; a record in doubt, or a correction in doubt, is settled
// against the fiscal storage before anything is made, so a repeat or a run
// after a crash never makes a second receipt.
#pragma once

#include <string>
#include <vector>

#include "cash/sender/journal/payment_journal.h"

namespace vorna {

struct CorrectionRequest {
    JournalKey key;
    // The day of the settlement corrected, "YYYY-MM-DD"; empty: the day of
    // the payment's first attempt. From that day to today, no other.
    std::string date;
    // The service name for a record of the earlier layout, which lacks its pairs.
    std::string serviceName;
};

struct CorrectionReport {
    // 0 (the correction receipt exists, made now or before, or the payment was
    // registered after all), 100 (the request is refused: nothing to correct,
    // or it cannot be made as asked), or the driver's result code.
    int code = 0;
    std::vector<std::string> lines;  // what was found and done, Windows-1251
};

// The sender settings of the record's code must be loaded. Throws JournalError
// when the journal cannot be read or written before anything is made.
CorrectionReport correctPayment(PaymentJournal& journal, const CorrectionRequest& request);

// True for "YYYY-MM-DD" naming a day of the calendar.
bool isCalendarDate(const std::string& date);

}  // namespace vorna
