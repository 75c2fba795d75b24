#include "cash/sender/reconciliation/day_reconciliation.h"

#include <algorithm>
#include <map>
#include <set>

#include "cash/sender/journal/payment_settling.h"
#include "cash/sender/payment.h"
#include "cash/shared/ResultCode.h"

namespace vorna {

namespace {

bool onDate(const std::string& dateTime, const std::string& date) {
    return dateTime.compare(0, date.size(), date) == 0 && dateTime.size() >= date.size();
}

// The receipt a record names: its correction receipt once corrected.
const ReceiptDocument& namedReceipt(const JournalRecord& r) {
    return r.state == JournalState::corrected ? r.correction.receipt : r.receipt;
}

bool unsettled(const JournalRecord& r) {
    return r.state == JournalState::started || r.state == JournalState::inDoubt ||
           r.state == JournalState::correcting;
}

// No settlement happened: the payment's own parameters were wrong.
bool rejectedOutright(const JournalRecord& r) {
    return r.state == JournalState::refused && r.result == cash::kInvalidPayment;
}

// A record of the day: its receipt was made that day, or it names one of the
// day's documents, or, with no receipt, its last attempt started that day.
bool ofTheDay(const JournalRecord& r, const FiscalDay& day) {
    const ReceiptDocument& receipt = namedReceipt(r);
    if (receipt.number > 0) {
        if (onDate(receipt.dateTime, day.date)) return true;
        return day.first > 0 && receipt.number >= day.first && receipt.number <= day.last;
    }
    return onDate(r.startedLocal, day.date);
}

const char* operationText(int operationType) {
    switch (operationType) {
        case cash::kOperationSale:
            return "продажа";
        case cash::kOperationSaleReturn:
            return "возврат";
        default:
            return "операция ?";
    }
}

std::string documentText(const cash::FiscalDocument& d) {
    if (d.documentType != cash::kFiscalDocumentReceipt)
        return "ФД № " + std::to_string(d.number) + " (не чек, тип " +
               std::to_string(d.documentType) + ")";
    return "ФД № " + std::to_string(d.number) + ": " + (d.correction ? "коррекция, " : "") +
           operationText(d.operationType) + " " + formatAmount(static_cast<unsigned>(d.total)) +
           ", ФП " + d.fiscalSign + ", " + d.dateTime;
}

// Why the document is not the record's receipt; empty when it is.
std::string differences(const JournalRecord& r, bool correction, const cash::FiscalDocument& d) {
    if (d.documentType != cash::kFiscalDocumentReceipt) return "это не чек";
    std::string found;
    auto add = [&](const std::string& text) { found += (found.empty() ? "" : "; ") + text; };
    if (d.operationType != operationTypeOf(r.key.typeOper))
        add(std::string("операция ") + operationText(d.operationType) + " вместо " +
            operationText(operationTypeOf(r.key.typeOper)));
    if (d.total != static_cast<long long>(r.summa))
        add("сумма " + formatAmount(static_cast<unsigned>(d.total)) + " вместо " +
            formatAmount(r.summa));
    const ReceiptDocument& named = namedReceipt(r);
    if (!named.fiscalSign.empty() && named.fiscalSign != d.fiscalSign)
        add("ФП " + std::string(d.fiscalSign) + " вместо " + named.fiscalSign);
    if ((d.correction != 0) != correction)
        add(correction ? "чек не коррекции" : "чек коррекции вместо обычного");
    return found;
}

void tally(ReconcileTally& t, std::int64_t kopecks) {
    ++t.count;
    t.kopecks += kopecks;
}

}  // namespace

const char* reconcileKindName(ReconcileKind kind) {
    switch (kind) {
        case ReconcileKind::matched:
            return "matched";
        case ReconcileKind::mismatch:
            return "mismatch";
        case ReconcileKind::missing:
            return "missing";
        case ReconcileKind::foreign:
            return "foreign";
        case ReconcileKind::open:
            return "open";
    }
    return "open";
}

const char* reconcileStatusName(ReconcileStatus status) {
    switch (status) {
        case ReconcileStatus::ok:
            return "ok";
        case ReconcileStatus::open:
            return "open";
        case ReconcileStatus::discrepancy:
            return "discrepancy";
    }
    return "discrepancy";
}

int DayReconciliation::count(ReconcileKind kind) const {
    return static_cast<int>(std::count_if(items.begin(), items.end(),
                                          [&](const ReconcileItem& i) { return i.kind == kind; }));
}

ReconcileStatus DayReconciliation::status() const {
    if (count(ReconcileKind::mismatch) + count(ReconcileKind::missing) +
            count(ReconcileKind::foreign) >
        0)
        return ReconcileStatus::discrepancy;
    return count(ReconcileKind::open) > 0 ? ReconcileStatus::open : ReconcileStatus::ok;
}

int DayReconciliation::exitCode() const {
    switch (status()) {
        case ReconcileStatus::ok:
            return 0;
        case ReconcileStatus::open:
            return 1;
        case ReconcileStatus::discrepancy:
            return 2;
    }
    return 2;
}

DayReconciliation reconcileDay(const std::string& date, const std::vector<JournalRecord>& records,
                               FiscalStorage& storage, const FiscalDayProgress& progress) {
    DayReconciliation result;
    result.date = date;
    const FiscalDay day = storage.day(date, progress);
    result.first = day.first;
    result.last = day.last;

    // Which record names which document, over every record covered: a
    // receipt named by a record of another day is no foreign one.
    std::map<std::int64_t, std::size_t> claimedBy;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::int64_t number = namedReceipt(records[i]).number;
        if (number > 0 && (records[i].state == JournalState::registered ||
                           records[i].state == JournalState::corrected))
            claimedBy.emplace(number, i);
    }
    std::set<unsigned> accounted;  // the day's documents that an item holds

    // Records that own a receipt whose number they do not know, and unsettled
    // ones that may own one, take the first free fitting receipt after their
    // starting point once the named receipts are accounted for.
    struct Seeker {
        std::size_t item;
        std::int64_t after;
        bool correction;
    };
    std::vector<Seeker> seekers;

    for (std::size_t i = 0; i < records.size(); ++i) {
        const JournalRecord& r = records[i];
        if (!ofTheDay(r, day)) continue;
        if (rejectedOutright(r)) {
            ++result.rejected;
            continue;
        }
        ReconcileItem item;
        item.hasRecord = true;
        item.record = r;
        const bool corrected = r.state == JournalState::corrected;
        item.correctionReceipt = corrected || r.state == JournalState::correcting;
        if (r.state == JournalState::registered || corrected) {
            const ReceiptDocument& named = namedReceipt(r);
            if (named.number <= 0) {
                item.kind = ReconcileKind::missing;
                item.detail = "номер чека не записан в журнале";
                seekers.push_back(Seeker{result.items.size(),
                                         corrected ? r.correction.documentBefore : r.documentBefore,
                                         corrected});
            } else if (named.number > static_cast<std::int64_t>(storage.lastNumber())) {
                item.kind = ReconcileKind::missing;
                item.hasDocument = true;
                item.document.number = static_cast<unsigned>(named.number);
                item.detail = "журнал называет ФД № " + std::to_string(named.number) +
                              ", в ФН его нет (последний ФД № " +
                              std::to_string(storage.lastNumber()) + ")";
            } else {
                const unsigned number = static_cast<unsigned>(named.number);
                item.hasDocument = true;
                item.document = storage.document(number);
                const std::string differ = differences(r, corrected, item.document);
                const auto owner = claimedBy.find(named.number);
                if (owner != claimedBy.end() && owner->second != i) {
                    item.kind = ReconcileKind::mismatch;
                    item.detail = "ФД № " + std::to_string(number) + " назван и переводом " +
                                  records[owner->second].key.unc;
                } else if (!differ.empty()) {
                    item.kind = ReconcileKind::mismatch;
                    item.detail = "в ФН " + documentText(item.document) + ": " + differ;
                    accounted.insert(number);
                } else {
                    item.kind = ReconcileKind::matched;
                    accounted.insert(number);
                }
            }
            ReconcileTotals& totals = corrected               ? result.correction
                                      : r.key.typeOper == "P" ? result.sale
                                                              : result.saleReturn;
            tally(totals.journal, r.summa);
        } else {
            item.kind = ReconcileKind::open;
            if (unsettled(r)) {
                // correct settles a correction in doubt and makes it when it is missing.
                const bool correcting = r.state == JournalState::correcting;
                item.action = correcting ? "correct" : "settle";
                item.detail = std::string("состояние ") + journalStateName(r.state) +
                              ": исход не известен, выполните vorna-cash " + item.action;
                seekers.push_back(Seeker{
                    result.items.size(),
                    correcting ? r.correction.documentBefore : r.documentBefore, correcting});
            } else {
                item.action = "correct";
                item.detail = "отклонён с кодом " + std::to_string(r.result) +
                              ": чека нет, выполните vorna-cash correct или проведите платёж "
                              "повторно";
            }
        }
        result.items.push_back(item);
    }

    std::stable_sort(seekers.begin(), seekers.end(),
                     [](const Seeker& a, const Seeker& b) { return a.after < b.after; });
    for (const Seeker& seeker : seekers) {
        ReconcileItem& item = result.items[seeker.item];
        if (seeker.after < 0 && item.kind == ReconcileKind::open) continue;
        for (const cash::FiscalDocument& d : day.documents) {
            if (static_cast<std::int64_t>(d.number) <= seeker.after || accounted.count(d.number) ||
                claimedBy.count(d.number) || !receiptFits(d, item.record, seeker.correction))
                continue;
            accounted.insert(d.number);
            item.hasDocument = true;
            item.document = d;
            if (item.kind == ReconcileKind::open) {
                item.detail += "; его чеком может быть " + documentText(d);
            } else {
                item.kind = ReconcileKind::matched;
                item.detail.clear();
            }
            break;
        }
    }

    for (const cash::FiscalDocument& d : day.documents) {
        if (d.documentType != cash::kFiscalDocumentReceipt) continue;
        ReconcileTotals& totals = d.correction                              ? result.correction
                                  : d.operationType == cash::kOperationSale ? result.sale
                                                                            : result.saleReturn;
        tally(totals.storage, d.total);
        if (accounted.count(d.number) || claimedBy.count(d.number)) continue;
        ReconcileItem item;
        item.kind = ReconcileKind::foreign;
        item.hasDocument = true;
        item.document = d;
        item.detail = "чек не назван ни одной записью журнала";
        result.items.push_back(item);
    }
    result.documentsRead = storage.reads();
    return result;
}

}  // namespace vorna
