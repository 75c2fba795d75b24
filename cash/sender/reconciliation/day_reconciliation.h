// A day's payment journal held against the fiscal documents the register made
// that day: every record and every receipt of the day ends in exactly one
// kind, with the day's counts and sums on both sides.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/reconciliation/fiscal_day_reading.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {

// matched: the record and the receipt it names agree; mismatch: the storage
// holds the named receipt otherwise; missing: the storage does not hold it;
// foreign: a receipt no record names; open: a record not settled.
enum class ReconcileKind { matched, mismatch, missing, foreign, open };

// "matched", "mismatch", "missing", "foreign", "open".
const char* reconcileKindName(ReconcileKind kind);

struct ReconcileItem {
    ReconcileKind kind = ReconcileKind::matched;
    bool hasRecord = false;
    JournalRecord record;
    bool correctionReceipt = false;   // the record's receipt is its correction receipt
    bool hasDocument = false;         // a document of the storage is involved ...
    cash::FiscalDocument document{};  // ... this one (or only its number, when missing)
    std::string action;               // open: "settle" or "correct"
    std::string detail;               // what differs or what to do, Windows-1251
};

struct ReconcileTally {
    int count = 0;
    std::int64_t kopecks = 0;
};

struct ReconcileTotals {
    ReconcileTally journal;
    ReconcileTally storage;
};

enum class ReconcileStatus { ok, open, discrepancy };

// "ok", "open", "discrepancy"; "unknown" is a reconciliation that could not be made.
const char* reconcileStatusName(ReconcileStatus status);

struct DayReconciliation {
    std::string date;       // "YYYY-MM-DD"
    int documentsRead = 0;  // the storage's reads (the last number's and the bisection's included)
    unsigned first = 0;     // the day's first and last document (0: the day has none)
    unsigned last = 0;
    int rejected = 0;  // the day's records refused with 100: no settlement, nothing due
    std::vector<ReconcileItem> items;  // every record and receipt of the day
    ReconcileTotals sale, saleReturn, correction;

    int count(ReconcileKind kind) const;
    ReconcileStatus status() const;
    // 0 all matched, nothing open; 1 only open records; 2 any foreign, missing or mismatch.
    int exitCode() const;
};

// Exit code of a reconciliation that could not be made: the journal or the
// storage could not be read.
constexpr int kReconcileUnknown = 3;

// Holds the day's records among records (every record of the journal that
// the reconciliation covers: a receipt named by any of them is no foreign
// one) against the storage's documents of date. Throws FiscalStorageUnreadable.
DayReconciliation reconcileDay(const std::string& date, const std::vector<JournalRecord>& records,
                               FiscalStorage& storage, const FiscalDayProgress& progress = {});

}  // namespace vorna
