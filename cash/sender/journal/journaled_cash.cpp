#include "cash/sender/journal/journaled_cash.h"

#include "cash/shared/ResultCode.h"

namespace vorna {

JournaledCash::JournaledCash(cash::ICash& driver, cash::QueryFiscalDocumentFunction query,
                             PaymentJournal& journal, const JournalKey& key)
    : ForwardingCash(&driver), driver_(driver), query_(query), journal_(journal), key_(key) {}

int JournaledCash::NewCheck(int kind) {
    if (query_) {
        cash::FiscalDocument last{};
        const int read = query_(&driver_, 0, &last);
        // Without the starting point a receipt could not be found again after
        // a lost reply: no receipt is opened then.
        if (read != cash::kSuccess) return read;
        try {
            journal_.recordDocumentBefore(key_, last.number);
        } catch (const JournalError& e) {
            journalFailure_ = e.what();
            return cash::kOtherError;
        }
        documentBefore_ = last.number;
    } else {
        // No starting point to record, but the attempt's record must still be
        // on the disk before a receipt can exist: the payment's one flush.
        try {
            journal_.recordDocumentBefore(key_, -1);
        } catch (const JournalError& e) {
            journalFailure_ = e.what();
            return cash::kOtherError;
        }
    }
    opened_ = true;
    return driver_.NewCheck(kind);
}

int JournaledCash::CloseCheck(unsigned carryIn, int closeMode) {
    const int closed = driver_.CloseCheck(carryIn, closeMode);
    if (closed != cash::kSuccess || !query_) return closed;
    // The receipt is fiscal now; what the storage says of it is for the record
    // only, so a failure to read it changes nothing.
    cash::FiscalDocument last{};
    if (query_(&driver_, 0, &last) != cash::kSuccess || last.number == 0) return closed;
    cash::FiscalDocument document{};
    if (query_(&driver_, last.number, &document) != cash::kSuccess) return closed;
    receipt_.number = document.number;
    receipt_.dateTime = document.dateTime;
    receipt_.fiscalSign = document.fiscalSign;
    return closed;
}

}  // namespace vorna
