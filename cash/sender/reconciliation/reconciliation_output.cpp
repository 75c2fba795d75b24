#include "cash/sender/reconciliation/reconciliation_output.h"

#include <fstream>

namespace vorna {

namespace {

std::string recordText(const JournalRecord& r) {
    std::string text = "перевод " + r.key.unc + " (" + r.key.typeOper;
    if (!r.key.code.empty()) text += ", IBS_CODE=" + r.key.code;
    return text + "), " + kopecksText(r.summa);
}

std::string totalsLine(const char* name, const ReconcileTotals& t) {
    return std::string(name) + ": журнал " + std::to_string(t.journal.count) + " на " +
           kopecksText(t.journal.kopecks) + ", ФН " + std::to_string(t.storage.count) + " на " +
           kopecksText(t.storage.kopecks);
}

const char* verdictText(ReconcileStatus status) {
    switch (status) {
        case ReconcileStatus::ok:
            return "Итог: всё сопоставлено";
        case ReconcileStatus::open:
            return "Итог: есть незавершённые платежи";
        case ReconcileStatus::discrepancy:
            return "Итог: есть расхождения";
    }
    return "Итог: есть расхождения";
}

// A field of the table: quoted when it holds a separator, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

const char* operationName(int operationType) {
    return operationType == 1 ? "продажа" : operationType == 2 ? "возврат" : "";
}

}  // namespace

std::string kopecksText(std::int64_t kopecks, char point) {
    const bool negative = kopecks < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(kopecks) : static_cast<std::uint64_t>(kopecks);
    std::string cents = std::to_string(magnitude % 100);
    if (cents.size() < 2) cents.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + point + cents;
}

std::string reconcileItemLine(const ReconcileItem& item) {
    std::string line = reconcileKindName(item.kind);
    line += ": ";
    if (item.hasRecord) {
        line += recordText(item.record);
        if (item.hasDocument) line += ", ФД № " + std::to_string(item.document.number);
    } else {
        const cash::FiscalDocument& d = item.document;
        line += "ФД № " + std::to_string(d.number) + ", ФП " + d.fiscalSign + ", " +
                (d.correction ? "коррекция, " : "") + operationName(d.operationType) + " " +
                kopecksText(d.total) + ", " + d.dateTime;
    }
    if (!item.detail.empty()) line += ": " + item.detail;
    return line;
}

std::vector<std::string> reconciliationText(const DayReconciliation& day) {
    std::vector<std::string> lines;
    std::string head = "Сверка за " + day.date + ": ";
    head += day.first > 0
                ? "документы ФН № " + std::to_string(day.first) + ".." + std::to_string(day.last)
                : std::string("документов ФН за этот день нет");
    lines.push_back(head + ", прочитано " + std::to_string(day.documentsRead));
    lines.push_back(totalsLine("Продажи", day.sale));
    lines.push_back(totalsLine("Возвраты", day.saleReturn));
    lines.push_back(totalsLine("Коррекции", day.correction));
    std::string counts = "Сопоставлено: " + std::to_string(day.count(ReconcileKind::matched));
    if (day.rejected > 0)
        counts += "; отклонено без расчёта (код 100): " + std::to_string(day.rejected);
    lines.push_back(counts);
    for (const ReconcileItem& item : day.items)
        if (item.kind != ReconcileKind::matched) lines.push_back(reconcileItemLine(item));
    lines.push_back(verdictText(day.status()));
    return lines;
}

std::string reconciliationSummaryLine(const DayReconciliation& day, const std::string& file) {
    std::string line = "Сверка за " + day.date + ": сопоставлено " +
                       std::to_string(day.count(ReconcileKind::matched)) + ", не завершено " +
                       std::to_string(day.count(ReconcileKind::open)) + ", чужих " +
                       std::to_string(day.count(ReconcileKind::foreign)) + ", нет чека " +
                       std::to_string(day.count(ReconcileKind::missing)) + ", расхождений " +
                       std::to_string(day.count(ReconcileKind::mismatch));
    if (!file.empty()) line += " (" + file + ")";
    return line;
}

std::string reconciliationCsv(const DayReconciliation& day) {
    std::string csv =
        "вид;перевод;тип;код;состояние;ФД;ФП;время ФН;операция;коррекция;сумма журнала;"
        "сумма ФН;действие;пояснение\r\n";
    for (const ReconcileItem& item : day.items) {
        const bool document = item.hasDocument && item.document.documentType != 0;
        std::vector<std::string> fields = {
            reconcileKindName(item.kind),
            item.hasRecord ? item.record.key.unc : "",
            item.hasRecord ? item.record.key.typeOper : "",
            item.hasRecord ? item.record.key.code : "",
            item.hasRecord ? journalStateName(item.record.state) : "",
            item.hasDocument ? std::to_string(item.document.number) : "",
            document ? item.document.fiscalSign : "",
            document ? item.document.dateTime : "",
            document ? operationName(item.document.operationType) : "",
            document ? (item.document.correction ? "да" : "нет") : "",
            item.hasRecord ? kopecksText(item.record.summa, ',') : "",
            document ? kopecksText(item.document.total, ',') : "",
            item.action,
            item.detail};
        std::string line;
        for (std::size_t i = 0; i < fields.size(); ++i)
            line += (i ? ";" : "") + csvField(fields[i]);
        csv += line + "\r\n";
    }
    return csv;
}

bool writeReconciliationCsv(const std::string& path, const DayReconciliation& day) {
    const std::string text = reconciliationCsv(day);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    return !file.fail();
}

std::string reconciliationCsvName(const std::string& date) { return "reconcile-" + date + ".csv"; }

}  // namespace vorna
