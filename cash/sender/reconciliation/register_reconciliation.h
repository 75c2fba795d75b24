// A day reconciled against the register itself: the journal's records of the
// settings code, the register's fiscal storage read through the driver that
// code's settings name.
#pragma once

#include <string>

#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/reconciliation/day_reconciliation.h"

namespace vorna {

// code: the settings code (its settings loaded); its records only, every
// record without one. date "YYYY-MM-DD"; empty: the day of the storage's last
// document (the Z report just made). Throws JournalError when the journal
// cannot be read, FiscalStorageUnreadable (or another std::exception from
// the driver's loading) when the storage cannot be.
DayReconciliation reconcileWithRegister(PaymentJournal& journal, const std::string& code,
                                        const std::string& date,
                                        const FiscalDayProgress& progress = {});

}  // namespace vorna
