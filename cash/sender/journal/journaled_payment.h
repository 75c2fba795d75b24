// sendCheque with the payment journal on: a payment already registered is
// answered from the journal, one in doubt is settled against the fiscal
// storage first, and every attempt is recorded before the driver is loaded
// and again with its outcome (on the disk before the receipt opens).
#pragma once

#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/cash_object.h"

namespace vorna {

struct JournaledPayment {
    JournalKey key;
    unsigned summa = 0;
    unsigned comis = 0;
    std::string ndsCode;
    HostPairList pairs;  // as the host gave them: a correction is made of them
    bool print = true;
};

// The journal's file: the setting PaymentJournal, a relative path taken
// relative to LogDirectory, and a relative LogDirectory relative to the
// sender library's folder (never the current directory). Empty when the
// journal is off. Throws JournalError when the library's folder is unknown.
std::string paymentJournalPath(const SenderSettings& settings);
// JournalRetentionDays, 400 when absent or not a positive number.
int journalRetentionDays(const SenderSettings& settings);

// The payment through the journal; cheques is the payment's Checks object.
int sendJournaled(const JournaledPayment& payment, CashObject& cheques, const FrameState& frame,
                  const std::string& journalPath, int retentionDays);

}  // namespace vorna
