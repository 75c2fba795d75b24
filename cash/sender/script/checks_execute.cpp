// Running a cheque list against the device, and the device checks.
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <string>

#include "cash/sender/script/step_trace.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/checks.h"
#include "common/error_box.h"

namespace vorna {

namespace {
constexpr int kCloseMode = 1;
}  // namespace

int Checks::Execute(cash::ICash& cash) {
    try {
        stepTrace("A. Проверка связи с ККТ и состояния сессии (смены).");
        const int r = cash.CheckKKT();
        if (r != 0) return r;
        // A shift opened on the way is a fiscal document of its own and must
        // name the cashier: the driver learns the cashier from the attributes.
        if (!separate_ && !empty())
            cash.SetParameters(std::map<std::string, std::string>(front().parameters()));
        if (cash.IsSessionOpen() != 1) return cash::kShiftClosed;
        return separate_ ? executeSeparate(cash) : executeNormal(cash);
    } catch (const std::exception& e) {
        showErrorBox(e);
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}

int Checks::executeNormal(cash::ICash& cash) {
    try {
        for (Check& check : *this) {
            cash.SetTaxType(check.taxType());
            cash.SetPaymentType(check.paymentType());
            cash.SetParameters(std::map<std::string, std::string>(check.parameters()));
            if (cash.CheckState() != 0) {
                stepTrace("D. Чек не находится в состоянии 0 - переходим к CancelCheck");
                const int r = cash.CancelCheck();
                if (r != 0) return r;
            }
            stepTrace("F. Выполняется NewCheck");
            int r = cash.NewCheck(check.receiptKind());
            if (r != 0) return r;
            stepTrace("E. Выполняется Execute");
            r = check.Execute(cash);
            if (r != 0) return r;
            stepTrace("G. Выполняется CloseCheck");
            r = cash.CloseCheck(check.carryIn(), kCloseMode);
            if (r != 0) return r;
        }
        cash.EndOperation();
        stepTrace("H. End");
    } catch (const std::exception& e) {
        showErrorBox(e);
        if (cash.CheckState() != 0) {
            stepTrace("CATCH. Чек не находится в состоянии 0 - закрыть его с помощью CancelCheck");
            const int r = cash.CancelCheck();
            if (r != 0) return r;
        }
        // The receipt is gone but the payment was not registered: the host
        // must not be told it succeeded.
        cash.Finish();
        return cash::kOtherError;
    }
    cash.Finish();
    return cash::kSuccess;
}

int Checks::executeSeparate(cash::ICash& cash) {
    traceCheques();
    // Each cheque is a printout of its own; no receipt is opened, and the
    // device's answers do not stop the run.
    for (Check& check : *this) check.Execute(cash);
    cash.Finish();
    return cash::kSuccess;
}

void Checks::traceCheques() const {
    if (!logEnable_) return;
    for (const Check& check : *this) check.traceLines();
}

int Checks::CheckKKT(cash::ICash& cash) {
    try {
        stepTrace("T. Проверка связи с ККТ и состояния сессии (смены) [CheckKKT]");
        const int r = cash.CheckKKT();
        if (r == 0) stepTrace("   Устройство готово к работе");
        cash.EndOperation();
        return r;
    } catch (const std::exception& e) {
        showErrorBox(e);
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}

int Checks::CheckInfoKKT(cash::ICash& cash, char** info) {
    try {
        stepTrace("T. Проверка связи с ККТ и состояния сессии (смены) [CheckKKT]");
        const int r = cash.CheckKKT();
        if (r == 0) {
            stepTrace("   Устройство готово к работе");
            try {
                cash.GetInfoKKT(info);  // a failure code leaves the text as the driver set it
            } catch (...) {
                if (info) *info = strdup("");
            }
        } else if (info) {
            *info = strdup("");
        }
        cash.EndOperation();
        return r;
    } catch (const std::exception& e) {
        showErrorBox(e);
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}

}  // namespace vorna
