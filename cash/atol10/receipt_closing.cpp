// The end of a receipt: payment, closing, confirmation by the register and
// cancelling; precheque ending with the partial cut; printing a line; the paper check.
#include "cash/atol10/cash.h"
#include "cash/atol10/config.h"
#include "cash/atol10/device_connection.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/app_exception.h"
#include "common/driver_log.h"
#include "common/error_box.h"
#include "common/platform/platform.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

const int kFirstFirmwareWithoutCut = 5;

// Shown when neither the confirmation nor the receipt state can be read: the
// payment may be fiscal, so a blind repeat could register it twice.
const char kFateUnknown[] =
    "Нет связи с ККТ: неизвестно, зарегистрирован ли чек.\n"
    "Перед повтором оплаты проверьте последний документ ККТ.";

}  // namespace

int Cash::CloseCheck(unsigned carryIn, int /*closeMode*/) {
    if (precheque_) {
        writeLog("   atol10->CloseCheck: печать пречека");
        writeLog("   Частичная отрезка ленты");
        const int firmware = firmwareMajorVersion(handle_, module_);
        writeLog("   firmWare: " + logText(firmware));
        if (firmware < kFirstFirmwareWithoutCut) {
            const int lines = Config::instance().linesBeforeCut;
            writeLog("   Пропустить строк перед отрезкой: " + logText(lines));
            if (lines > 0) {
                for (int i = 0; i < lines; ++i) Print(std::string());
                writeLog("   atol10->PartialCut ==> cut()");
                fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::cutType,
                                              libfptr::cut::part);
                fptr10::libfptr_cut(handle_, module_);
            }
        }
        writeLog("   atol10->end_nonfiscal_document()");
        const int ended = fptr10::libfptr_end_nonfiscal_document(handle_, module_);
        writeLog("   ==> " + logText(ended));
        return mapLibraryResult(ended);
    }

    try {
        const int receiptType = CheckState();
        const double sum = static_cast<double>(carryIn) / 100;
        int type = 0;
        if (receiptType == libfptr::rt::sell && !cashless_) {
            fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::paymentType, type);
            fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::paymentSum, sum);
            writeLog("   atol10->CloseCheck [payment] ==> ");
            writeLog("   CarryIn\t= " + logText(sum));
            writeLog("   TypeClose = " + logText(type) + "(Тип оплаты по-умолчанию НАЛ) ");
        } else {
            const char* note = "";
            if (cashless_) {
                if (paymentType_ != 0) {
                    type = paymentType_;
                    note = "(Тип оплаты был передан параметром) ";
                } else {
                    type = Config::instance().cashlessTypeClose;
                    note = "(Тип оплаты был взят из ini) ";
                }
            }
            fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::paymentType, type);
            fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::paymentSum, sum);
            writeLog("   atol10->CloseCheck [payment] ==>");
            writeLog("   TypeClose = " + logText(type) + note);
        }
        const int paid = fptr10::libfptr_payment(handle_, module_);
        writeLog("   ==> " + logText(paid));
    } catch (...) {
        CancelCheck();
        throw app_exception(ErrorContext(VORNA_SOURCE_LOCATION), chequeCancelled);
    }

    writeLog("   atol10->CloseCheck [close_receipt] ==>");
    const int closed = fptr10::libfptr_close_receipt(handle_, module_);
    writeLog("   ==> " + logText(closed));

    if (confirmClosing() &&
        fptr10::libfptr_get_param_bool(handle_, module_, libfptr::param::documentClosed) == 1) {
        logDocumentNumber();
        if (closed != 0) {
            // The register confirms the document: it is fiscal whatever closing reported.
            writeLog("   close_receipt ==> " + logText(closed) +
                     ", документ закрыт в ККТ - чек зарегистрирован");
        }
        return kSuccess;
    }
    return settleUnconfirmedClose();
}

bool Cash::confirmClosing() {
    while (fptr10::libfptr_check_document_closed(handle_, module_) < 0) {
        const std::string description = toNarrow(fptr10::errorDescription(handle_, module_));
        writeLog("   getErrorDescription: " + description);
        const int answer = askQuestion(description, "Ошибка", platform::Buttons::cancelTryContinue,
                                       platform::Icon::question, platform::cancel);
        if (answer != platform::tryAgain && answer != platform::continueOn) return false;
    }
    return true;
}

int Cash::settleUnconfirmedClose() {
    // Neither a failed confirmation nor a "not closed" answer proves that the
    // receipt is not fiscal (the reply may be what was lost): the receipt still
    // being open in the register does.
    int openReceipt = 0;
    const int queried = queryOpenReceipt(handle_, module_, openReceipt);
    if (queried < 0) {
        writeLog("   atol10->CloseCheck: состояние чека в ККТ неизвестно ==> " + logText(queried) +
                 ", чек мог быть зарегистрирован");
        showMessageBox(kFateUnknown, "Ошибка!", platform::Icon::error);
        return kOtherError;
    }
    if (openReceipt == libfptr::rt::closed) {
        writeLog(
            "   atol10->CloseCheck: чек в ККТ не открыт - документ закрыт, чек зарегистрирован");
        logDocumentNumber();
        return kSuccess;
    }
    // Still open, so not fiscal: the host must not take it as registered.
    const int cancelled = CancelCheck();
    return cancelled != 0 ? cancelled : kOtherError;
}

void Cash::logDocumentNumber() {
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::fnDataType,
                                  libfptr::fndt::lastDocument);
    fptr10::libfptr_fn_query_data(handle_, module_);
    const int number =
        fptr10::libfptr_get_param_int(handle_, module_, libfptr::param::documentNumber);
    writeLog(">>> ФД № = " + logText(number));
}

int Cash::CancelCheck() {
    const int cancelled = fptr10::libfptr_cancel_receipt(handle_, module_);
    writeLog("   atol10->CancelCheck [cancel_receipt] ==> ");
    writeLog("   ==> " + logText(cancelled));
    return mapLibraryResult(cancelled);
}

int Cash::Print(const std::string& text) {
    writeLog("   atol10->Print ==> " + text);
    fptr10::libfptr_set_param_str(handle_, module_, libfptr::param::text, toWide(text));
    const int printed = fptr10::libfptr_print_text(handle_, module_);
    if (printed < 0) writeLog("   ==> " + logText(printed));
    return mapLibraryResult(printed);
}

int Cash::CheckPaper() {
    if (electronic_) {
        writeLog("   atol10_->CheckPaper: Электронный чек - кассовая лента не нужна");
        return kSuccess;
    }
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::dataType, libfptr::dt::status);
    const int queried = fptr10::libfptr_query_data(handle_, module_);
    if (queried != 0) return mapLibraryResult(queried);
    const bool paper =
        fptr10::libfptr_get_param_bool(handle_, module_, libfptr::param::isPaperPresent) != 0;
    writeLog("   atol10_->CheckPaper = " + logFlag(paper));
    if (paper) {
        writeLog("   ==> кассовая лента есть");
        return kSuccess;
    }
    writeLog("   ==> кассовой ленты нет");
    showMessageBox("Отсутствует кассовая лента!", "Ошибка!", platform::Icon::error);
    return kPaperOut;
}

int Cash::PrintSlip(const std::string& text, unsigned price, int quantity, int department) {
    // The library carries no slip-document dialog template, so no dialog is shown.
    return RegisterSale(text, price, quantity, department, 0);
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
