// The driver's ICash as a journaled payment sees it: every operation goes to
// the driver unchanged (the forwarding base passes on what is not written
// here), but before the receipt is opened the fiscal storage's last document
// number is read and committed to the payment journal (the payment's durable
// commit, made also without the number), and after a successful close the
// receipt's document is read.
#pragma once

#include <string>

#include "cash/sender/journal/payment_journal.h"
#include "cash/shared/fiscal_document.h"
#include "cash/shared/forwarding_cash.h"

namespace vorna {

class JournaledCash final : public cash::ForwardingCash {
public:
    // query may be null (a driver without the export): then only the
    // operations pass through.
    JournaledCash(cash::ICash& driver, cash::QueryFiscalDocumentFunction query,
                  PaymentJournal& journal, const JournalKey& key);

    // True once NewCheck reached the driver: a receipt may exist from here on.
    bool receiptOpened() const { return opened_; }
    // The last document number before the receipt (-1: unknown).
    std::int64_t documentBefore() const { return documentBefore_; }
    // The receipt after a successful close (number 0: not read).
    const ReceiptDocument& receipt() const { return receipt_; }
    // The journal's failure that stopped the payment before the receipt (empty: none).
    const std::string& journalFailure() const { return journalFailure_; }

    int NewCheck(int kind) override;
    int CloseCheck(unsigned carryIn, int closeMode) override;

private:
    cash::ICash& driver_;
    cash::QueryFiscalDocumentFunction query_;
    PaymentJournal& journal_;
    JournalKey key_;
    bool opened_ = false;
    std::int64_t documentBefore_ = -1;
    ReceiptDocument receipt_;
    std::string journalFailure_;
};

}  // namespace vorna
