// The device check before every operation and the opening of a closed shift.
#include "cash/atol10/cash.h"
#include "cash/atol10/config.h"
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

bool automaticShift() { return Config::instance().autoShift == "Y"; }

}  // namespace

bool Cash::queryShiftState(int& state, int& failure) {
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::dataType,
                                  libfptr::dt::shiftState);
    failure = fptr10::libfptr_query_data(handle_, module_);
    if (failure != 0) return false;
    state = fptr10::libfptr_get_param_int(handle_, module_, libfptr::param::shiftState);
    return true;
}

void Cash::operatorLogin() {
    fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::cashier, toWide(cashier_));
    fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::cashierInn, toWide(cashierInn_));
    fptr10::libfptr_operator_login(handle_, module_);
}

int Cash::CheckKKT() {
    if (module_ == nullptr) {
        writeLog("   atol10->hModule=NULL");
        return kNotConnected;
    }
    openDevice(handle_, module_);
    int paper = CheckPaper();
    if (paper != 0) return mapLibraryResult(paper);
    int state = 0;
    int failure = 0;
    if (!queryShiftState(state, failure)) return mapLibraryResult(failure);
    if (state != libfptr::shift::expired) return kSuccess;

    writeLog("   Необходимо выполнить Z-отчет (закрыть смену)");
    if (automaticShift()) {
        writeLog("   [AutoShift = YES] - попытка выполнить Z-отчет (закрыть смену)");
    } else {
        const int answer =
            askQuestion("Выполнить Z-отчет (закрыть смену)?", "Смена превысила 24 часа",
                        platform::Buttons::yesNo, platform::Icon::question, platform::no);
        if (answer != platform::yes) return kSuccess;
        writeLog("   [AutoShift = NO] - Request - Да - попытка выполнить Z-отчет (закрыть смену)");
    }
    ZReport();
    paper = CheckPaper();
    if (paper != 0) return mapLibraryResult(paper);
    if (!queryShiftState(state, failure)) return mapLibraryResult(failure);
    if (state == libfptr::shift::closed) {
        writeLog("   => Смена закрыта");
        return kSuccess;
    }
    if (state == libfptr::shift::opened) {
        writeLog("   => Смена всё ещё открыта");
        return 1;
    }
    return kSuccess;
}

int Cash::IsSessionOpen() {
    int state = 0;
    int failure = 0;
    if (!queryShiftState(state, failure)) return mapLibraryResult(failure);
    writeLog("   atol10->Открыта ли смена? = " + logText(state));
    if (state == libfptr::shift::opened || state == libfptr::shift::expired) return 1;
    writeLog("   Смена закрыта. Открыть смену? ==>");
    if (automaticShift()) {
        writeLog("   Да - [AutoShift = Y] - попытка выполнить open_shift");
    } else {
        const int answer = askQuestion("Открыть смену?", "Смена закрыта", platform::Buttons::yesNo,
                                       platform::Icon::question, platform::no);
        if (answer != platform::yes) {
            writeLog("   => Нет - отказ открыть смену");
            return 0;
        }
        writeLog("   Да - попытка выполнить atol10->IsSessionOpen [open_shift] ");
    }
    operatorLogin();
    writeLog("   atol10->IsSessionOpen [operator_login] ==> ");
    writeLog("   cashier_    ==> " + cashier_);
    writeLog("   cashierInn_ ==> " + cashierInn_);
    const int opened = fptr10::libfptr_open_shift(handle_, module_);
    writeLog("   => " + logText(opened));
    return opened == 0 ? 1 : 0;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
