#include "cash/sender/journal/journaled_payment.h"

#include <memory>
#include <mutex>
#include <optional>

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

// The journal open, the payment's key held and its record read.
struct HeldPayment {
    std::unique_ptr<PaymentJournal> journal;
    std::unique_ptr<PaymentKeyLock> lock;
    JournalRecord record;
    bool known = false;  // the journal has a record of the key
};

// False, the reason reported, when the journal cannot be used or another
// process holds the key: the payment is not made (99).
bool holdPayment(const FrameState& frame, const std::string& journalPath, const JournalKey& key,
                 HeldPayment& held) {
    try {
        held.journal = std::make_unique<PaymentJournal>(journalPath);
        for (const std::string& note : held.journal->notes()) reportProblem(frame, note);
        held.lock = std::make_unique<PaymentKeyLock>(journalPath, key);
        if (!held.lock->held()) {
            reportProblem(
                frame, transferName(key) + " уже проводится другим процессом: платёж не выполнен");
            return false;
        }
        held.known = held.journal->find(key, held.record);
        return true;
    } catch (const JournalError& e) {
        reportProblem(frame, std::string(e.what()) + ": платёж не выполнен");
        return false;
    }
}

// The answer a settled record gives without the register: registered or
// corrected (0, or 100 for another sum), a correction of unknown fate (99).
// None for a record the payment is still to be made or settled for.
std::optional<int> answerFromRecord(const FrameState& frame, const JournaledPayment& payment,
                                    const JournalRecord& record) {
    const JournalKey& key = payment.key;
    if (record.state == JournalState::registered || record.state == JournalState::corrected) {
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
    if (record.state == JournalState::correcting) {
        reportProblem(frame, transferName(key) +
                                 ": начата коррекция, её исход неизвестен; завершите её "
                                 "командой vorna-cash correct: платёж не выполнен");
        return cash::kOtherError;
    }
    return std::nullopt;
}

// A record whose last attempt has no known outcome, settled against the
// fiscal storage: its receipt found (0), or no answer (99). None when the
// payment is to be made anew, and for a record of any other state.
std::optional<int> settleLastAttempt(const FrameState& frame, PaymentJournal& journal,
                                     const JournalKey& key, const JournalRecord& record) {
    if (record.state != JournalState::started && record.state != JournalState::inDoubt)
        return std::nullopt;
    logLine(frame, transferName(key) +
                       ": исход прошлой попытки неизвестен - сверка с "
                       "фискальным накопителем ККТ");
    const SettleOutcome settled = settlePayment(journal, record, frame.code);
    logLine(frame, "Сверка: " + settled.detail);
    switch (settled.verdict) {
        case SettleVerdict::registered:
            try {
                journal.finish(key, JournalState::registered, cash::kSuccess, settled.receipt);
            } catch (const JournalError& e) {
                reportProblem(frame, e.what());
            }
            logLine(frame,
                    transferName(key) + " уже зарегистрирован: " + receiptText(settled.receipt));
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
    return std::nullopt;
}

// The record made (or reset) "started" for this attempt; false, the reason
// reported, when it cannot be written: the payment is not made (99).
bool beginAttempt(const FrameState& frame, PaymentJournal& journal, const JournaledPayment& payment,
                  JournalRecord& record) {
    record.key = payment.key;
    record.summa = payment.summa;
    record.comis = payment.comis;
    record.ndsCode = payment.ndsCode;
    record.pairs = payment.pairs;
    record.print = payment.print;
    record.pairsKnown = true;
    try {
        journal.begin(record);
        return true;
    } catch (const JournalError& e) {
        reportProblem(frame, std::string(e.what()) + ": платёж не выполнен");
        return false;
    }
}

struct Attempt {
    Outcome outcome;
    std::string journalFailure;  // the journal's failure inside the driver's run
};

// The cheques run by the driver through JournaledCash, and the outcome
// written to the record, also when the run throws.
Attempt makeAttempt(const FrameState& frame, PaymentJournal& journal, const JournalKey& key,
                    CashObject& cheques) {
    Attempt attempt;
    Outcome& outcome = attempt.outcome;
    auto settleRecord = [&] {
        try {
            journal.finish(key, outcome.state, outcome.result, outcome.receipt);
        } catch (const JournalError& e) {
            // The record stays "started" with its starting point: the next
            // attempt settles it against the register.
            reportProblem(frame, e.what());
        }
    };
    try {
        outcome.result = runWithDriver(frame.code, [&](CashDriverLibrary& driver) {
            JournaledCash cash(*driver.object(), driver.fiscalDocumentQuery(), journal, key);
            const int result = callDriver([&] { return cheques.Execute(cash); });
            outcome = attemptOutcome(result, cash, driver);
            attempt.journalFailure = cash.journalFailure();
            return result;
        });
    } catch (...) {
        settleRecord();
        throw;
    }
    settleRecord();
    return attempt;
}

void reportAttempt(const FrameState& frame, const JournalKey& key, const Attempt& attempt) {
    if (!attempt.journalFailure.empty())
        reportProblem(frame, attempt.journalFailure + ": чек не открыт");
    if (attempt.outcome.state == JournalState::registered)
        logLine(frame,
                transferName(key) + " зарегистрирован: " + receiptText(attempt.outcome.receipt));
    else if (attempt.outcome.state == JournalState::inDoubt)
        reportProblem(frame, transferName(key) +
                                 ": неизвестно, зарегистрирован ли чек; повтор платежа сверит его "
                                 "с фискальным накопителем ККТ");
}

// The journal's upkeep, after the outcome is recorded and never inside a
// payment; its failure is reported and changes no result.
void keepJournalUp(const FrameState& frame, PaymentJournal& journal, const std::string& journalPath,
                   int retentionDays) {
    try {
        const JournalUpkeep upkeep = journal.upkeep(retentionDays);
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
    nameJournal(frame, journalPath);
    HeldPayment held;
    if (!holdPayment(frame, journalPath, payment.key, held)) return cash::kOtherError;
    if (held.known) {
        if (const std::optional<int> answer = answerFromRecord(frame, payment, held.record))
            return *answer;
        if (const std::optional<int> answer =
                settleLastAttempt(frame, *held.journal, payment.key, held.record))
            return *answer;
    }
    if (!beginAttempt(frame, *held.journal, payment, held.record)) return cash::kOtherError;
    const Attempt attempt = makeAttempt(frame, *held.journal, payment.key, cheques);
    reportAttempt(frame, payment.key, attempt);
    keepJournalUp(frame, *held.journal, journalPath, retentionDays);
    return attempt.outcome.result;
}

}  // namespace vorna
