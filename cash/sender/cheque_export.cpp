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

// What the host handed to sendCheque.
struct ChequeRequest {
    const std::string& unc;
    unsigned summa;
    unsigned comis;
    const HostPairs& pairs;
    bool print;
};

// The host's pairs taken into the payment, and the request written to the
// operation log and the start log; 99 when that fails.
int takeRequest(const FrameState& frame, const ChequeRequest& request,
                const SenderSettings& details, PaymentParameters& payment) {
    try {
        std::string parameterLine = "UNC=" + escapedForLog(request.unc) +
                                    ";SUMMA=" + std::to_string(request.summa) +
                                    ";COMIS=" + std::to_string(request.comis) + ";";
        if (request.pairs.count <= 0) parameterLine += "ДЛИНА МАССИВА ПАРАМЕТРОВ НЕ ОПРЕДЕЛЕНА!";
        for (int i = 0; i < request.pairs.size(); ++i) {
            payment.take(request.pairs.key(i), request.pairs.value(i));
            parameterLine += request.pairs.logEntry(i);
        }
        logLine(frame, parameterLine);
        writeStartNote(parameterLine);
        logLine(frame, "<" + details.cashDriver + ">" +
                           (request.print ? "<Печатать чек>" : "<Не печатать чек>"));
        return cash::kSuccess;
    } catch (const std::exception& e) {
        logLine(frame, e.what());
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}

// What refuses the payment before any receipt: a settings code that could
// name a file elsewhere, the payment's own fields, and a missing transfer
// number with the journal on. refusalText: the host's text when it is not
// the result code's own.
int refusal(const FrameState& frame, const ChequeRequest& request, const std::string& code,
            bool codeAccepted, const PaymentParameters& payment, const SenderSettings& details,
            const char*& refusalText) {
    if (!codeAccepted) {
        logLine(frame, refusedCodeLine(code));
        return cash::kInvalidPayment;
    }
    const int result =
        validatePayment(payment.serviceName, request.summa, payment.typeOper, payment.ndsCode,
                        frame.logName, request.print ? request.unc : std::string());
    if (result != cash::kSuccess) return result;
    // The journal knows a payment by its transfer number: without one, every
    // later payment of the sum would be taken for the first.
    if (!details.paymentJournal.empty() && isBlank(request.unc)) {
        logLine(frame,
                "Не указан номер перевода (UNC): при включённом журнале платежей номер перевода "
                "обязателен, платёж не выполнен");
        refusalText = transferNumberRequiredText();
        return cash::kInvalidPayment;
    }
    return cash::kSuccess;
}

// The cheque script of the payment, written to the operation log.
std::string chequeScript(const FrameState& frame, const ChequeRequest& request,
                         const PaymentParameters& payment) {
    ChequeScriptInput input;
    input.logging = frame.logging;
    input.print = request.print;
    input.unc = request.unc;
    input.summa = request.summa;
    input.sale = payment.typeOper == "P";
    const std::string script = buildChequeScript(input);
    logLine(frame, script);
    return script;
}

JournaledPayment journaledPayment(const ChequeRequest& request, const std::string& code,
                                  const PaymentParameters& payment) {
    JournaledPayment journaled;
    journaled.key = JournalKey{code, request.unc, payment.typeOper};
    journaled.summa = request.summa;
    journaled.comis = request.comis;
    journaled.ndsCode = payment.ndsCode;
    for (int i = 0; i < request.pairs.size(); ++i)
        journaled.pairs.emplace_back(request.pairs.key(i), request.pairs.value(i));
    journaled.print = request.print;
    return journaled;
}

// The cheques made from the script and run by the driver, through the
// journal when it is on; 99 for whatever throws.
int registerPayment(const FrameState& frame, const ChequeRequest& request, const std::string& code,
                    const PaymentParameters& payment, const SenderSettings& details,
                    const std::string& script) {
    try {
        Checks cheques(script);
        cheques.setTaxType(taxTypeIndex(details.cashDriver, payment.ndsCode));
        cheques.setPaymentType(0);
        cheques.setParameters(receiptAttributes(details, payment, request.comis, request.print));
        const std::string journalPath = paymentJournalPath(details);
        if (journalPath.empty()) return runCashObject(cheques, code);
        FrameState journalFrame = frame;
        journalFrame.code = code;
        return sendJournaled(journaledPayment(request, code, payment), cheques, journalFrame,
                             journalPath, journalRetentionDays(details));
    } catch (const std::exception& e) {
        if (frame.logging) appendErrorLine(errorLogTarget(), e.what());
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}

int sendChequeCall(const std::string& unc, unsigned summa, unsigned comis, const HostPairs& pairs,
                   const char** resultTextOut, bool print) {
    writeStartMarker("_sendCheque@28", unc);
    const ChequeRequest request{unc, summa, comis, pairs, print};
    const std::string code = pairs.settingsCode();
    writeStartNote(escapedForLog(code));
    const bool codeAccepted = acceptSettingsCode(code);
    if (codeAccepted && !code.empty()) loadSettingsFile(senderIniName(code));
    // The receipt details as they stand now, after any per-code file.
    const SenderSettings details = SenderSettings::instance();
    const FrameState frame = prepareLogging();

    PaymentParameters payment;
    const char* refusalText = nullptr;
    int result = takeRequest(frame, request, details, payment);
    if (result == cash::kSuccess)
        result = refusal(frame, request, code, codeAccepted, payment, details, refusalText);
    if (result == cash::kSuccess)
        result = registerPayment(frame, request, code, payment, details,
                                 chequeScript(frame, request, payment));

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
