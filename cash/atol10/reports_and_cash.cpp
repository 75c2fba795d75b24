// Shift reports and cash paid into or out of the drawer.
#include "cash/atol10/cash.h"
#include "cash/atol10/device_connection.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "common/error_box.h"
#include "common/platform/platform.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

struct ShiftTotals {
    double revenue;
    double deposits;
    double withdrawals;
};

double readTotal(fptr10::Handle handle, fptr10::Module module, int dataType, const char* label) {
    fptr10::libfptr_set_param_int(handle, module, libfptr::param::dataType, dataType);
    fptr10::libfptr_query_data(handle, module);
    const double value = fptr10::libfptr_get_param_double(handle, module, libfptr::param::sum);
    writeLog(label + logText(value));
    return value;
}

ShiftTotals readTotals(fptr10::Handle handle, fptr10::Module module) {
    ShiftTotals totals;
    totals.revenue = readTotal(handle, module, libfptr::dt::revenue, "   Сумма выручки: ");
    totals.deposits = readTotal(handle, module, libfptr::dt::cashInSum, "   Сумма внесений: ");
    totals.withdrawals = readTotal(handle, module, libfptr::dt::cashOutSum, "   Сумма выплат: ");
    return totals;
}

int report(fptr10::Handle handle, fptr10::Module module, int type, const char* line) {
    openDevice(handle, module);
    writeLog(line);
    fptr10::libfptr_set_param_int(handle, module, libfptr::param::reportType, type);
    const int result = fptr10::libfptr_report(handle, module);
    writeLog("   ==> " + logText(result));
    return mapLibraryResult(result);
}

}  // namespace

int Cash::XReport() {
    return report(handle_, module_, libfptr::report::x, "   atol10->XReport [report] ==> ");
}

int Cash::ZReport() {
    return report(handle_, module_, libfptr::report::closeShift,
                  "   atol10->ZReport [report] ==> ");
}

int Cash::CashIncome(const std::string& sum) { return CashIncome(kopecksOf(sum)); }

int Cash::CashOutcome(const std::string& sum) { return CashOutcome(kopecksOf(sum)); }

int Cash::CashIncome(int sum) {
    openDevice(handle_, module_);
    const double roubles = static_cast<double>(static_cast<unsigned>(sum)) / 100;
    writeLog("   atol10->CashIncome [cash_income] ==> " + logText(roubles));
    if (roubles == 0) {
        writeLog("   Не указана сумма");
        return kOtherError;
    }
    readTotals(handle_, module_);
    fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::sum, roubles);
    const int result = fptr10::libfptr_cash_income(handle_, module_);
    writeLog("   ==> " + logText(result));
    return mapLibraryResult(result);
}

int Cash::CashOutcome(int sum) {
    openDevice(handle_, module_);
    const double roubles = static_cast<double>(static_cast<unsigned>(sum)) / 100;
    writeLog("   atol10->CashOutcome [cash_outcome] ==> " + logText(roubles));
    if (roubles == 0) {
        writeLog("   Не указана сумма");
        return kOtherError;
    }
    const ShiftTotals totals = readTotals(handle_, module_);
    fptr10::libfptr_set_param_double(handle_, module_, libfptr::param::sum, roubles);
    const int result = fptr10::libfptr_cash_outcome(handle_, module_);
    if (result != 0 && totals.revenue + totals.deposits - totals.withdrawals <= roubles) {
        writeLog("   Указанной суммы нет в кассе!");
        showMessageBox("Указанной суммы нет в кассе!", "Ошибка!", platform::Icon::error);
    }
    writeLog("   ==> " + logText(result));
    return mapLibraryResult(result);
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
