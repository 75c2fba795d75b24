#include "cash/sender/reconciliation/reconcile_at_z_report.h"

#include <exception>

#include "cash/sender/journal/journaled_payment.h"
#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/reconciliation/reconciliation_output.h"
#include "cash/sender/reconciliation/register_reconciliation.h"
#include "cash/sender/sender_settings.h"
#include "common/error_box.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

namespace vorna {

namespace {

constexpr char kCaption[] = "Сверка с фискальным накопителем";

std::string csvPath(const std::string& date) {
    std::string directory = mainLogTarget().directory;
    if (directory.empty()) directory = platform::currentDirectory();
    return directory + platform::pathSeparator() + reconciliationCsvName(date);
}

void failed(const FrameState& frame, const std::string& reason) {
    const std::string line = "Сверка не выполнена: " + reason;
    logLine(frame, line);
    appendErrorLine(errorLogTarget(), line);
}

void tellCashier(const DayReconciliation& day, const std::string& file) {
    std::string text = "Сверка за " + day.date + " нашла:";
    const struct {
        const char* name;
        ReconcileKind kind;
    } counts[] = {{"чужих чеков", ReconcileKind::foreign},
                  {"платежей без чека в ФН", ReconcileKind::missing},
                  {"расхождений с чеком", ReconcileKind::mismatch},
                  {"незавершённых платежей", ReconcileKind::open}};
    for (const auto& c : counts)
        if (day.count(c.kind) > 0)
            text += std::string("\n") + c.name + ": " + std::to_string(day.count(c.kind));
    text += "\nПодробности: " + file + ". Сообщите в службу поддержки.";
    showMessageBox(
        text, kCaption,
        day.status() == ReconcileStatus::open ? platform::Icon::warning : platform::Icon::error);
}

}  // namespace

bool reconcileOnZReportOn() { return switchedOn(SenderSettings::instance().reconcileOnZReport); }

void reconcileAfterZReport(const FrameState& frame) noexcept {
    try {
        if (!reconcileOnZReportOn()) return;
        const std::string path = paymentJournalPath(SenderSettings::instance());
        if (path.empty()) {
            failed(frame, "журнал платежей выключен (PaymentJournal)");
            return;
        }
        DayReconciliation day;
        {
            PaymentJournal journal(path);
            day = reconcileWithRegister(journal, frame.code, std::string());
        }
        const std::string file = csvPath(day.date);
        const bool written = writeReconciliationCsv(file, day);
        const std::string line = reconciliationSummaryLine(day, written ? file : std::string());
        logLine(frame, line);
        if (!written) failed(frame, "файл " + file + " не записан");
        if (day.status() == ReconcileStatus::ok) return;
        appendErrorLine(errorLogTarget(), line);
        for (const ReconcileItem& item : day.items)
            if (item.kind != ReconcileKind::matched)
                appendErrorLine(errorLogTarget(), reconcileItemLine(item));
        tellCashier(day, file);
    } catch (const std::exception& e) {
        try {
            failed(frame, e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            failed(frame, "неизвестная ошибка");
        } catch (...) {
        }
    }
}

}  // namespace vorna
