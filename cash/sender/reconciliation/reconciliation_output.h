// A day's reconciliation as people and programs read it: the text summary
// with one line per item not matched, the one-line summary of the logs, and
// the table of every record and receipt for Excel on a Russian Windows
// (Windows-1251, semicolons, decimal commas, CRLF). Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cash/sender/reconciliation/day_reconciliation.h"

namespace vorna {

// Kopecks as roubles with two decimals and this decimal point: "123.45".
std::string kopecksText(std::int64_t kopecks, char point = '.');

// The summary (period, totals, counts), one line per item not matched, and
// the verdict ("Итог: ...").
std::vector<std::string> reconciliationText(const DayReconciliation& day);

// One line of an item not matched, beginning with its kind's name.
std::string reconcileItemLine(const ReconcileItem& item);

// "Сверка за DATE: сопоставлено N, не завершено N, чужих N, нет чека N,
// расхождений N" (and " (file)" when a table was written).
std::string reconciliationSummaryLine(const DayReconciliation& day, const std::string& file = "");

// The table, header first.
std::string reconciliationCsv(const DayReconciliation& day);

// Writes the table to path (replacing it); false when it could not be written whole.
bool writeReconciliationCsv(const std::string& path, const DayReconciliation& day);

// "reconcile-YYYY-MM-DD.csv".
std::string reconciliationCsvName(const std::string& date);

}  // namespace vorna
