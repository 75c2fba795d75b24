// The export sendCheque: one accepted payment becomes one fiscal receipt.
#include <exception>
#include <map>
#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/health/daily_health_check.h"
#include "cash/sender/journal/journaled_payment.h"
#include "cash/sender/payment.h"
#include "cash/sender/payment_receipt.h"
#include "cash/sender/result_text.h"
#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/checks.h"
#include "common/log_escape.h"
#include "common/sender_log.h"

namespace vorna {
namespace {

bool isBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
}

int sendChequeCall(const std::string& unc, unsigned summa, unsigned comis, const HostPairs& pairs,
                   const char** resultTextOut, bool print) {
    writeStartMarker("_sendCheque@28", unc);
    PaymentParameters payment;
    int result = cash::kSuccess;
    const std::string code = pairs.settingsCode();
    writeStartNote(escapedForLog(code));
    const bool codeAccepted = acceptSettingsCode(code);
    if (codeAccepted && !code.empty()) loadSettingsFile(senderIniName(code));
    // The receipt details as they stand now, after any per-code file.
    const SenderSettings details = SenderSettings::instance();
    const FrameState frame = prepareLogging();

    try {
        std::string parameterLine = "UNC=" + escapedForLog(unc) +
                                    ";SUMMA=" + std::to_string(summa) +
                                    ";COMIS=" + std::to_string(comis) + ";";
        if (pairs.count <= 0) parameterLine += "ДЛИНА МАССИВА ПАРАМЕТРОВ НЕ ОПРЕДЕЛЕНА!";
        for (int i = 0; i < pairs.size(); ++i) {
            payment.take(pairs.key(i), pairs.value(i));
            parameterLine += pairs.logEntry(i);
        }
        logLine(frame, parameterLine);
        writeStartNote(parameterLine);
        logLine(frame,
                "<" + details.cashDriver + ">" + (print ? "<Печатать чек>" : "<Не печатать чек>"));
    } catch (const std::exception& e) {
        logLine(frame, e.what());
        result = cash::kOtherError;
    } catch (...) {
        result = cash::kOtherError;
    }

    if (result == cash::kSuccess && !codeAccepted) {
        logLine(frame, refusedCodeLine(code));
        result = cash::kInvalidPayment;
    }
    if (result == cash::kSuccess)
        result = validatePayment(payment.serviceName, summa, payment.typeOper, payment.ndsCode,
                                 frame.logName, print ? unc : std::string());
    const char* refusalText = nullptr;
    // The journal knows a payment by its transfer number: without one, every
    // later payment of the sum would be taken for the first.
    if (result == cash::kSuccess && !details.paymentJournal.empty() && isBlank(unc)) {
        logLine(frame,
                "Не указан номер перевода (UNC): при включённом журнале платежей номер перевода "
                "обязателен, платёж не выполнен");
        result = cash::kInvalidPayment;
        refusalText = transferNumberRequiredText();
    }
    if (result == cash::kSuccess) {
        ChequeScriptInput input;
        input.logging = frame.logging;
        input.print = print;
        input.unc = unc;
        input.summa = summa;
        input.sale = payment.typeOper == "P";
        const std::string script = buildChequeScript(input);
        logLine(frame, script);
        try {
            Checks cheques(script);
            cheques.setTaxType(taxTypeIndex(details.cashDriver, payment.ndsCode));
            cheques.setPaymentType(0);
            cheques.setParameters(receiptAttributes(details, payment, comis, print));
            const std::string journalPath = paymentJournalPath(details);
            if (journalPath.empty()) {
                result = runCashObject(cheques, code);
            } else {
                FrameState journalFrame = frame;
                journalFrame.code = code;
                JournaledPayment journaled;
                journaled.key = JournalKey{code, unc, payment.typeOper};
                journaled.summa = summa;
                journaled.comis = comis;
                journaled.ndsCode = payment.ndsCode;
                for (int i = 0; i < pairs.size(); ++i)
                    journaled.pairs.emplace_back(pairs.key(i), pairs.value(i));
                journaled.print = print;
                result = sendJournaled(journaled, cheques, journalFrame, journalPath,
                                       journalRetentionDays(details));
            }
        } catch (const std::exception& e) {
            if (frame.logging) appendErrorLine(errorLogTarget(), e.what());
            result = cash::kOtherError;
        } catch (...) {
            result = cash::kOtherError;
        }
    }

    // The health check comes after the work, and only a refused code keeps
    // it away from that code's settings and driver.
    checkHealthOncePerDay(frame, codeAccepted ? code : std::string());
    const char* text = refusalText ? refusalText : resultText(result);
    if (resultTextOut) *resultTextOut = text;
    logLine(frame, std::to_string(result) + " " + text + "\r\n");
    return result;
}

}  // namespace
}  // namespace vorna

extern "C" int VORNA_STDCALL sendCheque(const char* unc, unsigned summa, unsigned comis,
                                        const vorna::cash::ParameterPair* pairs, int count,
                                        const char** resultText, int print) {
    return vorna::withResultText(resultText, [&] {
        return vorna::sendChequeCall(vorna::hostText(unc), summa, comis,
                                     vorna::HostPairs{pairs, count}, resultText, print != 0);
    });
}
