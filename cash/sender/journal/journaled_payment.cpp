#include "cash/sender/journal/journaled_payment.h"

#include <memory>
#include <mutex>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/journal/journaled_cash.h"
#include "cash/sender/journal/payment_settling.h"
#include "cash/sender/payment.h"
#include "cash/sender/sender_files.h"
#include "cash/shared/ResultCode.h"
#include "common/error_box.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

namespace vorna {

namespace {

constexpr int kDefaultRetentionDays = 400;

bool isAbsolute(const std::string& path) {
    if (path.empty()) return false;
    if (path[0] == '/' || path[0] == '\\') return true;
    return path.size() > 1 && path[1] == ':';
}

std::string withSeparator(const std::string& directory) {
    if (directory.back() == '/' || directory.back() == '\\') return directory;
    return directory + platform::pathSeparator();
}

// A problem of the journal or the payment's fate: the operation log, and the
// error log, which is where bank IT looks.
void reportProblem(const FrameState& frame, const std::string& text) {
    logLine(frame, text);
    if (frame.logging) appendErrorLine(errorLogTarget(), text);
}

// The journal's full path, named in the operation log once per process (and
// again should a code's settings name another journal).
void nameJournal(const FrameState& frame, const std::string& path) {
    static std::mutex guard;
    static std::string named;
    {
        std::lock_guard<std::mutex> hold(guard);
        if (named == path) return;
        named = path;
    }
    logLine(frame, "Журнал платежей: " + path);
}

std::string transferName(const JournalKey& key) {
    std::string name = "Перевод " + key.unc + " (TYPE_OPER=" + key.typeOper;
    if (!key.code.empty()) name += ", IBS_CODE=" + key.code;
    return name + ")";
}

std::string receiptText(const ReceiptDocument& receipt) {
    if (receipt.number == 0) return "документ ККТ не прочитан";
    return "чек ФД № " + std::to_string(receipt.number) + ", ФП " + receipt.fiscalSign + ", " +
           receipt.dateTime;
}

struct Outcome {
    JournalState state = JournalState::refused;
    int result = cash::kOtherError;
    ReceiptDocument receipt;
};

// What one attempt left, decided while the driver is still loaded.
Outcome attemptOutcome(int result, JournaledCash& cash, CashDriverLibrary& driver) {
    Outcome outcome;
    outcome.result = result;
    if (result == cash::kSuccess) {
        outcome.state = JournalState::registered;
        outcome.receipt = cash.receipt();
        return outcome;
    }
    // A refusal before the receipt, or a refusal code of the driver: nothing is fiscal.
    if (!cash.receiptOpened() || result != cash::kOtherError) return outcome;
    // 99 after the receipt was opened: fiscal or not, unless the storage says.
    outcome.state = JournalState::inDoubt;
    const cash::QueryFiscalDocumentFunction query = driver.fiscalDocumentQuery();
    if (query && cash.documentBefore() >= 0) {
        cash::FiscalDocument last{};
        const int read = callDriver([&] { return query(driver.object(), 0, &last); });
        if (read == cash::kSuccess &&
            static_cast<std::int64_t>(last.number) == cash.documentBefore())
            outcome.state = JournalState::refused;
    }
    return outcome;
}

}  // namespace

std::string paymentJournalPath(const SenderSettings& settings) {
    const std::string& path = settings.paymentJournal;
    if (path.empty() || isAbsolute(path)) return path;
    // A relative journal (and a relative LogDirectory it sits in) is taken
    // from the library's folder: a host's current directory changes with its
    // file dialogs, and a journal found anew there would register a payment twice.
    std::string directory = settings.logDirectory;
    if (!isAbsolute(directory)) {
        const std::string library = senderLibraryFolder();
        if (library.empty())
            throw JournalError("Журнал платежей " + path +
                               ": папка библиотеки vorna.cash.sender не определена");
        directory = directory.empty() ? library : withSeparator(library) + directory;
    }
    return withSeparator(directory) + path;
}

int journalRetentionDays(const SenderSettings& settings) {
    const std::string& text = settings.journalRetentionDays;
    if (text.empty() || text.size() > 6) return kDefaultRetentionDays;
    int days = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return kDefaultRetentionDays;
        days = days * 10 + (c - '0');
    }
    return days > 0 ? days : kDefaultRetentionDays;
}

int sendJournaled(const JournaledPayment& payment, CashObject& cheques, const FrameState& frame,
                  const std::string& journalPath, int retentionDays) {
    const JournalKey& key = payment.key;
    std::unique_ptr<PaymentJournal> journal;
    std::unique_ptr<PaymentKeyLock> lock;
    JournalRecord record;
    bool known = false;
    nameJournal(frame, journalPath);
    try {
        journal = std::make_unique<PaymentJournal>(journalPath);
        for (const std::string& note : journal->notes()) reportProblem(frame, note);
        lock = std::make_unique<PaymentKeyLock>(journalPath, key);
        if (!lock->held()) {
            reportProblem(
                frame, transferName(key) + " уже проводится другим процессом: платёж не выполнен");
            return cash::kOtherError;
        }
        known = journal->find(key, record);
    } catch (const JournalError& e) {
        reportProblem(frame, std::string(e.what()) + ": платёж не выполнен");
        return cash::kOtherError;
    }

    if (known &&
        (record.state == JournalState::registered || record.state == JournalState::corrected)) {
        // A corrected payment has its receipt too: the correction receipt.
        const bool corrected = record.state == JournalState::corrected;
        const std::string receipt = corrected
                                        ? "чек коррекции: " + receiptText(record.correction.receipt)
                                        : receiptText(record.receipt);
        if (record.summa != payment.summa) {
            reportProblem(frame, transferName(key) + " уже зарегистрирован на сумму " +
                                     formatAmount(record.summa) + " (" + receipt +
                                     "), передана сумма " + formatAmount(payment.summa) +
                                     ": платёж отклонён");
            return cash::kInvalidPayment;
        }
        logLine(frame, transferName(key) + " уже зарегистрирован (журнал платежей): " + receipt);
        return cash::kSuccess;
    }
    if (known && record.state == JournalState::correcting) {
        reportProblem(frame, transferName(key) +
                                 ": начата коррекция, её исход неизвестен; завершите её "
                                 "командой vorna-cash correct: платёж не выполнен");
        return cash::kOtherError;
    }

    if (known && (record.state == JournalState::started || record.state == JournalState::inDoubt)) {
        logLine(frame, transferName(key) +
                           ": исход прошлой попытки неизвестен - сверка с "
                           "фискальным накопителем ККТ");
        const SettleOutcome settled = settlePayment(*journal, record, frame.code);
        logLine(frame, "Сверка: " + settled.detail);
        switch (settled.verdict) {
            case SettleVerdict::registered:
                try {
                    journal->finish(key, JournalState::registered, cash::kSuccess, settled.receipt);
                } catch (const JournalError& e) {
                    reportProblem(frame, e.what());
                }
                logLine(frame, transferName(key) +
                                   " уже зарегистрирован: " + receiptText(settled.receipt));
                return cash::kSuccess;
            case SettleVerdict::notRegistered:
            case SettleVerdict::noStartingPoint:
            case SettleVerdict::unsupported:
                break;  // no receipt of it can exist, or none can be found: a new payment
            case SettleVerdict::unreadable:
            case SettleVerdict::ambiguous: {
                const std::string text =
                    transferName(key) + ": неизвестно, зарегистрирован ли чек (" + settled.detail +
                    ").\nПроверьте связь с ККТ и её последние документы, затем повторите платёж.";
                reportProblem(frame, text);
                showMessageBox(text, "Ошибка!", platform::Icon::error);
                return cash::kOtherError;
            }
        }
    }

    record.key = key;
    record.summa = payment.summa;
    record.comis = payment.comis;
    record.ndsCode = payment.ndsCode;
    record.pairs = payment.pairs;
    record.print = payment.print;
    record.pairsKnown = true;
    try {
        journal->begin(record);
    } catch (const JournalError& e) {
        reportProblem(frame, std::string(e.what()) + ": платёж не выполнен");
        return cash::kOtherError;
    }

    Outcome outcome;
    std::string journalFailure;
    auto settleRecord = [&] {
        try {
            journal->finish(key, outcome.state, outcome.result, outcome.receipt);
        } catch (const JournalError& e) {
            // The record stays "started" with its starting point: the next
            // attempt settles it against the register.
            reportProblem(frame, e.what());
        }
    };
    try {
        outcome.result = runWithDriver(frame.code, [&](CashDriverLibrary& driver) {
            JournaledCash cash(*driver.object(), driver.fiscalDocumentQuery(), *journal, key);
            const int result = callDriver([&] { return cheques.Execute(cash); });
            outcome = attemptOutcome(result, cash, driver);
            journalFailure = cash.journalFailure();
            return result;
        });
    } catch (...) {
        settleRecord();
        throw;
    }
    settleRecord();
    if (!journalFailure.empty()) reportProblem(frame, journalFailure + ": чек не открыт");
    if (outcome.state == JournalState::registered)
        logLine(frame, transferName(key) + " зарегистрирован: " + receiptText(outcome.receipt));
    else if (outcome.state == JournalState::inDoubt)
        reportProblem(frame, transferName(key) +
                                 ": неизвестно, зарегистрирован ли чек; повтор платежа сверит его "
                                 "с фискальным накопителем ККТ");
    // The journal's upkeep comes after the outcome is recorded, never inside a payment.
    try {
        const JournalUpkeep upkeep = journal->upkeep(retentionDays);
        if (upkeep.pruned > 0)
            logLine(frame, "Журнал платежей: удалено записей старше " +
                               std::to_string(retentionDays) +
                               " дней: " + std::to_string(upkeep.pruned));
        if (upkeep.checkpointed)
            logLine(frame, "Журнал платежей: записи перенесены в файл " + journalPath + " (" +
                               (upkeep.dayStarted ? "ежедневно"
                                                  : "файл " + journalPath + "-wal больше 4 МБ") +
                               ")");
        if (upkeep.busy)
            logLine(frame, "Журнал платежей: перенос записей в файл " + journalPath +
                               " отложен, журнал занят другим процессом");
    } catch (const JournalError& e) {
        reportProblem(frame, e.what());
    }
    return outcome.result;
}

}  // namespace vorna
