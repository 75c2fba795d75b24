#include "cash/sender/journal/payment_correction.h"

#include <cstdio>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/journal/payment_settling.h"
#include "cash/sender/local_date.h"
#include "cash/sender/payment.h"
#include "cash/sender/payment_receipt.h"
#include "cash/sender/result_text.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/correction_receipt.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

constexpr int kReasonSize = 256;

std::string documentText(const ReceiptDocument& receipt) {
    if (receipt.number == 0) return "документ ККТ не прочитан";
    return "ФД № " + std::to_string(receipt.number) + ", ФП " + receipt.fiscalSign + ", " +
           receipt.dateTime;
}

struct Attempt {
    JournalState state = JournalState::refused;
    int result = cash::kOtherError;
    ReceiptDocument receipt;
    std::string reason;
    std::string journalFailure;
};

CorrectionReport refused(const std::string& text) {
    CorrectionReport report;
    report.code = cash::kInvalidPayment;
    report.lines.push_back("correct: " + text + "; чек коррекции не сформирован");
    return report;
}

// The receipt the payment would have had, from the record alone.
bool receiptData(const JournalRecord& record, const CorrectionRequest& request,
                 PaymentParameters& payment, std::string& missing) {
    if (record.pairsKnown) {
        for (const auto& [key, value] : record.pairs) payment.take(key, value);
    } else {
        // The earlier layout kept the tax code, not the pairs.
        payment.typeOper = record.key.typeOper;
        payment.ndsCode = record.ndsCode;
        payment.serviceName = request.serviceName;
    }
    payment.typeOper = record.key.typeOper;
    if (payment.serviceName.empty()) {
        missing =
            "наименование услуги (SHORT) неизвестно: запись журнала прежней версии, "
            "укажите его параметром --service";
        return false;
    }
    if (payment.ndsCode.empty() || !isKnownTaxCode(payment.ndsCode)) {
        missing = "код НДС записи неизвестен";
        return false;
    }
    return true;
}

// One correction with the driver loaded; the journal gets the starting point
// before the receipt is opened.
int attemptCorrection(PaymentJournal& journal, const JournalRecord& record,
                      const PaymentParameters& payment, const std::string& date,
                      CashDriverLibrary& driver, Attempt& attempt) {
    const cash::QueryFiscalDocumentFunction query = driver.fiscalDocumentQuery();
    const cash::RegisterCorrectionFunction correct = driver.correctionRegistration();
    if (!query || !correct) {
        attempt.reason = "драйвер ККТ " + driver.driverName() + " не формирует чеки коррекции";
        return cash::kOtherError;
    }
    cash::ICash& object = *driver.object();
    const SenderSettings& settings = SenderSettings::instance();
    // As a payment begins: the register checked, the shift open, the receipt's data given.
    int r = callDriver([&] { return object.CheckKKT(); });
    if (r != cash::kSuccess) return r;
    if (callDriver([&] { return object.IsSessionOpen(); }) != 1) return cash::kShiftClosed;
    callDriver([&] {
        object.SetTaxType(taxTypeIndex(settings.cashDriver, payment.ndsCode));
        object.SetPaymentType(0);
        object.SetParameters(receiptAttributes(settings, payment, record.comis, record.print));
        return 0;
    });
    if (callDriver([&] { return object.CheckState(); }) != 0) {
        r = callDriver([&] { return object.CancelCheck(); });
        if (r != cash::kSuccess) return r;
    }
    cash::FiscalDocument last{};
    r = callDriver([&] { return query(&object, 0, &last); });
    if (r != cash::kSuccess) return r;
    try {
        journal.recordCorrectionBefore(record.key, last.number);
    } catch (const JournalError& e) {
        attempt.journalFailure = e.what();
        return cash::kOtherError;
    }
    cash::CorrectionReceipt receipt{};
    receipt.operationType = operationTypeOf(record.key.typeOper);
    std::sscanf(date.c_str(), "%4d-%2d-%2d", &receipt.year, &receipt.month, &receipt.day);
    receipt.sum = record.summa;
    cash::FiscalDocument made{};
    char reason[kReasonSize] = {0};
    r = callDriver([&] { return correct(&object, &receipt, &made, reason, kReasonSize); });
    attempt.reason = reason;
    attempt.result = r;
    if (r == cash::kSuccess) {
        attempt.state = JournalState::corrected;
        attempt.receipt.number = made.number;
        attempt.receipt.dateTime = made.dateTime;
        attempt.receipt.fiscalSign = made.fiscalSign;
    } else if (r == cash::kOtherError) {
        // Nothing fiscal only when the storage shows no new document.
        cash::FiscalDocument after{};
        const int read = callDriver([&] { return query(&object, 0, &after); });
        attempt.state = read == cash::kSuccess && after.number == last.number
                            ? JournalState::refused
                            : JournalState::correcting;
    }
    callDriver([&] {
        object.Finish();
        return 0;
    });
    return r;
}

}  // namespace

bool isCalendarDate(const std::string& date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (date[i] < '0' || date[i] > '9') return false;
    const int year = std::stoi(date.substr(0, 4)), month = std::stoi(date.substr(5, 2)),
              day = std::stoi(date.substr(8, 2));
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 2000 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

CorrectionReport correctPayment(PaymentJournal& journal, const CorrectionRequest& request) {
    const JournalKey& key = request.key;
    PaymentKeyLock lock(journal.path(), key);
    if (!lock.held()) {
        CorrectionReport report;
        report.code = cash::kOtherError;
        report.lines.push_back("correct: перевод " + key.unc +
                               " сейчас проводится другим процессом; повторите позже");
        return report;
    }
    JournalRecord record;
    if (!journal.find(key, record))
        return refused("в журнале нет перевода " + key.unc + " (TYPE_OPER=" + key.typeOper +
                       (key.code.empty() ? "" : ", IBS_CODE=" + key.code) + ")");
    CorrectionReport report;
    report.lines.push_back("correct: перевод " + key.unc + " на сумму " +
                           formatAmount(record.summa) + ", состояние " +
                           journalStateName(record.state));

    switch (record.state) {
        case JournalState::registered:
            return refused("платёж зарегистрирован, чек " + documentText(record.receipt) +
                           ": коррекция не нужна");
        case JournalState::corrected:
            report.lines.push_back("correct: чек коррекции уже зарегистрирован: " +
                                   documentText(record.correction.receipt) + " (дата расчёта " +
                                   record.correction.date + ")");
            return report;
        case JournalState::refused:
            if (record.result == cash::kInvalidPayment)
                return refused(
                    "платёж отклонён с кодом 100 (неверные параметры платежа): расчёта не было");
            break;
        case JournalState::started:
        case JournalState::inDoubt:
        case JournalState::correcting: {
            const bool correcting = record.state == JournalState::correcting;
            const SettleOutcome settled =
                settlePayment(journal, record, key.code,
                              correcting ? SettleTarget::correction : SettleTarget::payment);
            report.lines.push_back(std::string("correct: сверка с фискальным накопителем: ") +
                                   settled.detail);
            if (settled.verdict == SettleVerdict::registered) {
                if (correcting) {
                    journal.finishCorrection(key, JournalState::corrected, cash::kSuccess,
                                             settled.receipt);
                    report.lines.push_back("correct: чек коррекции уже зарегистрирован: " +
                                           documentText(settled.receipt));
                } else {
                    journal.finish(key, JournalState::registered, cash::kSuccess, settled.receipt);
                    report.lines.push_back("correct: платёж всё же зарегистрирован: чек " +
                                           documentText(settled.receipt) +
                                           "; чек коррекции не нужен и не сформирован");
                }
                return report;
            }
            if (settled.verdict != SettleVerdict::notRegistered &&
                settled.verdict != SettleVerdict::noStartingPoint) {
                report.code = cash::kOtherError;
                report.lines.push_back(
                    "correct: неизвестно, есть ли чек; проверьте связь с ККТ и повторите "
                    "команду; чек коррекции не сформирован");
                return report;
            }
            break;
        }
    }

    // The settlement was due on the day of the payment's first attempt, or
    // later: a correction never names a day before the payment existed.
    const std::string firstDay =
        (record.firstStartedLocal.empty() ? record.startedLocal : record.firstStartedLocal)
            .substr(0, 10);
    const std::string date = request.date.empty() ? firstDay : request.date;
    const std::string now = localDateToday();
    if (!isCalendarDate(date)) return refused("дата расчёта " + date + " не распознана");
    if (now.empty()) return refused("сегодняшняя дата неизвестна");
    if (date < firstDay || date > now)
        return refused("дата расчёта " + date + " вне допустимых: с " + firstDay +
                       " (день первой попытки платежа) по " + now + " (сегодня)");
    PaymentParameters payment;
    std::string missing;
    if (!receiptData(record, request, payment, missing)) return refused(missing);

    journal.beginCorrection(key, date);
    record.correction.date = date;
    Attempt attempt;
    int result = cash::kOtherError;
    try {
        result = runWithDriver(key.code, [&](CashDriverLibrary& driver) {
            return attemptCorrection(journal, record, payment, date, driver, attempt);
        });
    } catch (const std::exception& e) {
        // The record keeps "correcting" with what it has: the next run settles it.
        attempt.state = JournalState::correcting;
        attempt.reason = e.what();
        result = cash::kOtherError;
    }
    try {
        journal.finishCorrection(key, attempt.state, result, attempt.receipt);
    } catch (const JournalError& e) {
        report.lines.push_back(std::string("correct: ") + e.what());
    }
    if (!attempt.journalFailure.empty())
        report.lines.push_back("correct: " + attempt.journalFailure + ": чек не открыт");
    if (!attempt.reason.empty()) report.lines.push_back("correct: " + attempt.reason);
    report.code = result;
    switch (attempt.state) {
        case JournalState::corrected:
            report.code = cash::kSuccess;
            report.lines.push_back("correct: чек коррекции зарегистрирован: " +
                                   documentText(attempt.receipt) + " (дата расчёта " + date + ")");
            break;
        case JournalState::correcting:
            report.lines.push_back(
                "correct: неизвестно, зарегистрирован ли чек коррекции; повторите команду, "
                "когда связь с ККТ восстановится: она сверит его с фискальным накопителем");
            break;
        default:
            report.lines.push_back("correct: чек коррекции не зарегистрирован: " +
                                   std::to_string(result) + " " + resultText(result));
    }
    return report;
}

}  // namespace vorna
