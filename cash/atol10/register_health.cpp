// Reading the register's health for the sender: the fiscal storage's
// validity, state and warnings, the documents the operator has not
// confirmed, the shift and the paper. Each query that fails leaves its fields
// not known (the binding has logged the failure); a lost connection ends the
// reading with 1.
#include <cstdio>
#include <cstring>

#include "cash/atol10/cash.h"
#include "cash/atol10/device_connection.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "common/platform/platform.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

void clear(RegisterHealth& health) {
    std::memset(&health, 0, sizeof health);
    for (int* field : {&health.fnDaysLeft, &health.fnRegistrationsLeft, &health.fnState,
                       &health.fnNeedReplacement, &health.fnResourceExhausted,
                       &health.fnMemoryOverflow, &health.fnOfdTimeout, &health.fnCriticalError,
                       &health.ofdUnsent, &health.ofdFirstUnsentNumber, &health.shiftState,
                       &health.shiftHours, &health.paperPresent})
        *field = kHealthNotKnown;
}

struct Moment {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The date-time the last query reported (parameter 65590).
Moment reportedMoment(fptr10::Handle handle, fptr10::Module module) {
    Moment m;
    fptr10::libfptr_get_param_datetime(handle, module, &m.year, &m.month, &m.day, &m.hour,
                                       &m.minute, &m.second);
    return m;
}

bool plausibleDate(const Moment& m) {
    return m.year >= 2000 && m.year <= 9999 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
           m.day <= 31;
}

std::string yesNo(int flag) { return flag == kHealthNotKnown ? "?" : flag != 0 ? "да" : "нет"; }

std::string known(int value) { return value == kHealthNotKnown ? "?" : logText(value); }

}  // namespace

// The outcome of one query: true when it answered; a failure that means the
// connection is gone is kept in lost.
bool Cash::healthQuery(bool fiscalStorage, int kind, bool& lost) {
    if (lost) return false;
    if (fiscalStorage)
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::fnDataType, kind);
    else
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::dataType, kind);
    const int result = fiscalStorage ? fptr10::libfptr_fn_query_data(handle_, module_)
                                     : fptr10::libfptr_query_data(handle_, module_);
    if (result == 0) return true;
    if (mapLibraryResult(result) == kNotConnected) lost = true;
    return false;
}

int Cash::QueryRegisterHealth(RegisterHealth* out) {
    if (out == nullptr) return kOtherError;
    clear(*out);
    if (module_ == nullptr) {
        writeLog("   atol10->QueryRegisterHealth: hModule=NULL");
        return kNotConnected;
    }
    if (fptr10::libfptr_is_opened(handle_, module_) == 0) openDevice(handle_, module_);
    bool lost = false;
    namespace p = libfptr::param;
    if (healthQuery(true, libfptr::fndt::validity, lost)) {
        const Moment until = reportedMoment(handle_, module_);
        if (plausibleDate(until)) {
            std::snprintf(out->fnValidUntil, sizeof out->fnValidUntil, "%04d-%02d-%02d", until.year,
                          until.month, until.day);
        }
        out->fnRegistrationsLeft =
            fptr10::libfptr_get_param_int(handle_, module_, p::registrationsRemain);
    }
    // Days left as the register counts them from today (its own calendar of
    // the storage's validity, not ours).
    platform::DateTime today;
    if (!lost && platform::localTime(today)) {
        fptr10::libfptr_set_param_datetime(handle_, module_, p::dateTime, today.year, today.month,
                                           today.day, 0, 0, 0);
        if (healthQuery(true, libfptr::fndt::validityDays, lost))
            out->fnDaysLeft = fptr10::libfptr_get_param_int(handle_, module_, p::dateDaysLeft);
    }
    if (healthQuery(true, libfptr::fndt::fnInfo, lost)) {
        out->fnState = fptr10::libfptr_get_param_int(handle_, module_, p::fnState);
        auto flag = [&](int id) {
            return fptr10::libfptr_get_param_bool(handle_, module_, id) ? 1 : 0;
        };
        out->fnNeedReplacement = flag(p::fnNeedReplacement);
        out->fnResourceExhausted = flag(p::fnResourceExhausted);
        out->fnMemoryOverflow = flag(p::fnMemoryOverflow);
        out->fnOfdTimeout = flag(p::fnOfdTimeout);
        out->fnCriticalError = flag(p::fnCriticalError);
    }
    if (healthQuery(true, libfptr::fndt::ofdExchangeStatus, lost)) {
        out->ofdUnsent = fptr10::libfptr_get_param_int(handle_, module_, p::documentsCount);
        if (out->ofdUnsent > 0) {
            out->ofdFirstUnsentNumber =
                fptr10::libfptr_get_param_int(handle_, module_, p::documentNumber);
            const Moment first = reportedMoment(handle_, module_);
            if (plausibleDate(first))
                std::snprintf(out->ofdFirstUnsentAt, sizeof out->ofdFirstUnsentAt,
                              "%04d-%02d-%02d %02d:%02d:%02d", first.year, first.month, first.day,
                              first.hour, first.minute, first.second);
        }
    }
    if (healthQuery(false, libfptr::dt::shiftState, lost)) {
        const int state = fptr10::libfptr_get_param_int(handle_, module_, p::shiftState);
        if (state == libfptr::shift::closed) out->shiftState = kHealthShiftClosed;
        if (state == libfptr::shift::opened) out->shiftState = kHealthShiftOpen;
        if (state == libfptr::shift::expired) out->shiftState = kHealthShiftExpired;
    }
    if (healthQuery(false, libfptr::dt::status, lost))
        out->paperPresent =
            fptr10::libfptr_get_param_bool(handle_, module_, p::isPaperPresent) ? 1 : 0;
    writeLog("   atol10->QueryRegisterHealth: ФН до " +
             std::string(out->fnValidUntil[0] ? out->fnValidUntil : "?") + " (" +
             known(out->fnDaysLeft) + " дн.), перерегистраций " + known(out->fnRegistrationsLeft) +
             ", состояние " + known(out->fnState) + ", флаги " + yesNo(out->fnNeedReplacement) +
             "/" + yesNo(out->fnResourceExhausted) + "/" + yesNo(out->fnMemoryOverflow) + "/" +
             yesNo(out->fnOfdTimeout) + "/" + yesNo(out->fnCriticalError) + ", не передано в ОФД " +
             known(out->ofdUnsent) +
             (out->ofdFirstUnsentAt[0] ? std::string(" с ") + out->ofdFirstUnsentAt : "") +
             ", смена " + known(out->shiftState) + ", бумага " + yesNo(out->paperPresent) +
             (lost ? ", связь потеряна" : ""));
    return lost ? kNotConnected : kSuccess;
}

int Cash::QueryStorageRefusal(StorageRefusal* out) {
    if (out == nullptr) return kOtherError;
    std::memset(out, 0, sizeof *out);
    out->number = lastStorageRefusal();
    if (const char* advice = storageRefusalAdvice(out->number)) {
        std::strncpy(out->advice, advice, sizeof out->advice - 1);
    }
    std::strncpy(out->description, lastStorageRefusalText().c_str(), sizeof out->description - 1);
    return kSuccess;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
