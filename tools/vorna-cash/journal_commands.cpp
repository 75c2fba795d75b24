#include "tools/vorna-cash/journal_commands.h"

#include "tools/vorna-cash/journal_files_commands.h"

#include <cstdio>
#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/journal/journaled_payment.h"
#include "cash/sender/journal/payment_correction.h"
#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/journal/payment_settling.h"
#include "cash/sender/payment.h"
#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/platform/platform.h"
#include "common/settings_code.h"
#include "tools/vorna-cash/exit_codes.h"
#include "tools/vorna-cash/reconcile_command.h"

namespace vorna {
namespace tool {

namespace {

void print(const std::string& cp1251) {
    std::printf("%s\n", platform::cp1251ToUtf8(cp1251).c_str());
}

std::string recordLine(const JournalRecord& r) {
    std::string line = "unc=" + r.key.unc + " type=" + r.key.typeOper;
    if (!r.key.code.empty()) line += " code=" + r.key.code;
    line += " sum=" + formatAmount(r.summa) + " comis=" + formatAmount(r.comis) +
            " nds=" + r.ndsCode + " state=" + journalStateName(r.state);
    if (r.result >= 0) line += " result=" + std::to_string(r.result);
    line += " started=" + (r.startedLocal.empty() ? std::to_string(r.startedAt) : r.startedLocal);
    if (r.firstStartedAt != r.startedAt && !r.firstStartedLocal.empty())
        line += " first_started=" + r.firstStartedLocal;
    line += " attempts=" + std::to_string(r.attempts);
    if (r.documentBefore >= 0) line += " document_before=" + std::to_string(r.documentBefore);
    if (r.receipt.number > 0)
        line += " receipt=" + std::to_string(r.receipt.number) +
                " fiscal_sign=" + r.receipt.fiscalSign + " receipt_time=" + r.receipt.dateTime;
    if (!r.correction.date.empty()) {
        line += " corrected_date=" + r.correction.date;
        if (r.correction.documentBefore >= 0)
            line += " correction_before=" + std::to_string(r.correction.documentBefore);
        if (r.correction.result >= 0)
            line += " correction_result=" + std::to_string(r.correction.result);
        if (r.correction.receipt.number > 0)
            line += " correction=" + std::to_string(r.correction.receipt.number) +
                    " correction_sign=" + r.correction.receipt.fiscalSign +
                    " correction_time=" + r.correction.receipt.dateTime;
    }
    if (!r.pairsKnown) line += " pairs=unknown";
    return line;
}

const char* verdictName(SettleVerdict verdict) {
    switch (verdict) {
        case SettleVerdict::registered:
            return "registered";
        case SettleVerdict::notRegistered:
            return "not registered";
        case SettleVerdict::noStartingPoint:
            return "not registered (the attempt never opened a receipt)";
        case SettleVerdict::unsupported:
            return "unknown (the driver cannot read the fiscal storage)";
        case SettleVerdict::unreadable:
            return "unknown (the fiscal storage could not be read)";
        case SettleVerdict::ambiguous:
            return "unknown (more than one receipt fits)";
    }
    return "unknown";
}

int settle(PaymentJournal& journal, const CommandLine& line) {
    const JournalKey key{line.code, line.unc, line.typeOper};
    PaymentKeyLock lock(journal.path(), key);
    if (!lock.held()) {
        std::printf("settle: the payment is being sent by another process\n");
        return cash::kOtherError;
    }
    JournalRecord record;
    if (!journal.find(key, record)) {
        // As correct answers an unknown transfer.
        print("settle: no record of unc=" + line.unc + " type=" + line.typeOper);
        return cash::kInvalidPayment;
    }
    print("record: " + recordLine(record));
    if (record.state == JournalState::registered || record.state == JournalState::refused ||
        record.state == JournalState::corrected) {
        std::printf("settle: nothing to settle, the record is %s\n",
                    journalStateName(record.state));
        return cash::kSuccess;
    }
    const bool correcting = record.state == JournalState::correcting;
    const SettleOutcome outcome = settlePayment(
        journal, record, line.code, correcting ? SettleTarget::correction : SettleTarget::payment);
    print(std::string("settle: ") + (correcting ? "correction " : "") +
          verdictName(outcome.verdict) + ": " + outcome.detail);
    if (correcting) {
        if (outcome.verdict == SettleVerdict::registered) {
            journal.finishCorrection(key, JournalState::corrected, cash::kSuccess, outcome.receipt);
            return cash::kSuccess;
        }
        if (outcome.verdict == SettleVerdict::notRegistered ||
            outcome.verdict == SettleVerdict::noStartingPoint) {
            journal.finishCorrection(key, JournalState::refused, cash::kOtherError,
                                     ReceiptDocument());
            return cash::kSuccess;
        }
        return cash::kOtherError;
    }
    switch (outcome.verdict) {
        case SettleVerdict::registered:
            journal.finish(key, JournalState::registered, cash::kSuccess, outcome.receipt);
            return cash::kSuccess;
        case SettleVerdict::notRegistered:
        case SettleVerdict::noStartingPoint:
            // No receipt: the record stops being in doubt; a send makes the payment.
            journal.finish(key, JournalState::refused, record.result < 0 ? 99 : record.result,
                           ReceiptDocument());
            return cash::kSuccess;
        default:
            return cash::kOtherError;
    }
}

}  // namespace

int runJournalCommand(const CommandLine& line) {
    // The code names a settings file: checked before any is read, as health does.
    if (!line.code.empty() && !isSettingsCode(line.code)) {
        print(line.command + ": " + refusedCodeLine(line.code));
        return cash::kInvalidPayment;
    }
    if (!line.since.empty() && !isCalendarDate(line.since)) {
        print("journal: дата " + line.since + " не распознана");
        return cash::kInvalidPayment;
    }
    if (line.command == "reconcile" && !line.date.empty() && !isCalendarDate(line.date)) {
        print("reconcile: дата " + line.date + " не распознана");
        return cash::kInvalidPayment;
    }
    loadSettingsFile(senderIniName(std::string()));
    if (!line.code.empty()) loadSettingsFile(senderIniName(line.code));
    const SenderSettings& settings = SenderSettings::instance();
    try {
        const std::string path = paymentJournalPath(settings);
        if (path.empty()) {
            std::fprintf(stderr,
                         "vorna-cash: the payment journal is off (no PaymentJournal in "
                         "vorna.cash.sender.ini)\n");
            return kToolFailure;
        }
        if (line.checkFiles) return checkJournalFiles(path);
        if (!line.backupFile.empty()) return backupJournalFiles(path, line.backupFile);
        PaymentJournal journal(path);
        for (const std::string& note : journal.notes()) print(note);
        if (line.command == "settle") return settle(journal, line);
        if (line.command == "reconcile") return runReconcileCommand(journal, line);
        if (line.command == "correct") {
            CorrectionRequest request;
            request.key = JournalKey{line.code, line.unc, line.typeOper};
            request.date = line.date;
            request.serviceName = line.service;
            const CorrectionReport report = correctPayment(journal, request);
            for (const std::string& text : report.lines) print(text);
            return report.code;
        }
        JournalFilter filter;
        filter.unc = line.unc;
        filter.since = line.since;
        filter.state = line.state;
        std::size_t listed = 0;
        for (const JournalRecord& r : journal.list(filter)) {
            if (!line.code.empty() && r.key.code != line.code) continue;
            print(recordLine(r));
            ++listed;
        }
        print("journal: " + path + ", " + std::to_string(listed) + " records");
        return 0;
    } catch (const JournalError& e) {
        std::fprintf(stderr, "vorna-cash: %s\n", platform::cp1251ToUtf8(e.what()).c_str());
        return kJournalUnavailable;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorna-cash: %s\n", platform::cp1251ToUtf8(e.what()).c_str());
        return kToolFailure;
    }
}

}  // namespace tool
}  // namespace vorna
