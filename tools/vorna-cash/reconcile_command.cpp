#include "tools/vorna-cash/reconcile_command.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/local_date.h"
#include "cash/sender/reconciliation/reconciliation_output.h"
#include "cash/sender/reconciliation/register_reconciliation.h"
#include "common/platform/platform.h"
#include "tools/vorna-cash/exit_codes.h"

namespace vorna {
namespace tool {

namespace {

using json = nlohmann::ordered_json;

std::string utf8(const std::string& cp1251) { return platform::cp1251ToUtf8(cp1251); }

void print(const std::string& cp1251) { std::printf("%s\n", utf8(cp1251).c_str()); }

json totalsObject(const ReconcileTotals& t) {
    return {{"journal", {{"count", t.journal.count}, {"sum", kopecksText(t.journal.kopecks)}}},
            {"storage", {{"count", t.storage.count}, {"sum", kopecksText(t.storage.kopecks)}}}};
}

json orNull(bool present, const json& value) { return present ? value : json(); }

json itemObject(const ReconcileItem& item) {
    const bool record = item.hasRecord;
    const bool document = item.hasDocument && item.document.documentType != 0;
    const cash::FiscalDocument& d = item.document;
    return {{"kind", reconcileKindName(item.kind)},
            {"unc", orNull(record, utf8(item.record.key.unc))},
            {"type", orNull(record, item.record.key.typeOper)},
            {"code", orNull(record && !item.record.key.code.empty(), utf8(item.record.key.code))},
            {"state", orNull(record, journalStateName(item.record.state))},
            {"document", orNull(item.hasDocument, d.number)},
            {"fiscal_sign", orNull(document, std::string(d.fiscalSign))},
            {"time", orNull(document, std::string(d.dateTime))},
            {"correction", orNull(document, d.correction != 0)},
            {"sum", record ? kopecksText(item.record.summa) : kopecksText(d.total)},
            {"storage_sum", orNull(document, kopecksText(d.total))},
            {"action", orNull(!item.action.empty(), item.action)},
            {"detail", orNull(!item.detail.empty(), utf8(item.detail))}};
}

json dayObject(const DayReconciliation& day) {
    json items = json::array();
    for (const ReconcileItem& item : day.items)
        if (item.kind != ReconcileKind::matched) items.push_back(itemObject(item));
    return {{"date", day.date},
            {"status", reconcileStatusName(day.status())},
            {"documents_read", day.documentsRead},
            {"first_document", orNull(day.first > 0, day.first)},
            {"last_document", orNull(day.first > 0, day.last)},
            {"matched", day.count(ReconcileKind::matched)},
            {"rejected", day.rejected},
            {"totals",
             {{"sale", totalsObject(day.sale)},
              {"return", totalsObject(day.saleReturn)},
              {"correction", totalsObject(day.correction)}}},
            {"items", items}};
}

// The verdict could not be reached: the reason on the standard error, and
// for a program the status "unknown" with nothing concluded.
int unknown(const CommandLine& line, const std::string& date, const std::string& reason) {
    std::fprintf(stderr, "vorna-cash: reconcile: %s\n", utf8(reason).c_str());
    if (line.json)
        std::printf("%s\n", json{{"date", date},
                                 {"status", "unknown"},
                                 {"error", utf8(reason)},
                                 {"items", json::array()}}
                                .dump()
                                .c_str());
    else
        print("Сверка за " + date + " не выполнена: " + reason);
    return kReconcileUnknown;
}

}  // namespace

int runReconcileCommand(PaymentJournal& journal, const CommandLine& line) {
    const std::string date = line.date.empty() ? localDateToday() : line.date;
    DayReconciliation day;
    try {
        day = reconcileWithRegister(journal, line.code, date, [](int read, int estimate) {
            std::fprintf(stderr, "%s\n",
                         utf8("сверка: прочитано " + std::to_string(read) + " из ~" +
                              std::to_string(estimate) + " документов дня")
                             .c_str());
        });
    } catch (const JournalError&) {
        throw;  // the journal's own exit code
    } catch (const std::exception& e) {
        return unknown(line, date, e.what());
    }
    if (!line.csvFile.empty() && !writeReconciliationCsv(line.csvFile, day)) {
        std::fprintf(stderr, "vorna-cash: reconcile: cannot write %s\n",
                     utf8(line.csvFile).c_str());
        return kToolFailure;
    }
    if (line.json) {
        std::printf("%s\n", dayObject(day).dump(2).c_str());
    } else {
        for (const std::string& text : reconciliationText(day)) print(text);
    }
    return day.exitCode();
}

}  // namespace tool
}  // namespace vorna
