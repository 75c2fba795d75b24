// Reading documents of the register's fiscal storage for the sender: the last
// document's number, and one document by number.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cash/atol10/cash.h"
#include "cash/atol10/device_connection.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

void copyText(char* target, std::size_t size, const std::string& text) {
    std::strncpy(target, text.c_str(), size - 1);
    target[size - 1] = '\0';
}

}  // namespace

int Cash::QueryFiscalDocument(unsigned number, FiscalDocument* out) {
    if (out == nullptr) return kOtherError;
    std::memset(out, 0, sizeof *out);
    if (module_ == nullptr) {
        writeLog("   atol10->QueryFiscalDocument: hModule=NULL");
        return kNotConnected;
    }
    if (fptr10::libfptr_is_opened(handle_, module_) == 0) openDevice(handle_, module_);
    fptr10::libfptr_set_param_int(
        handle_, module_, libfptr::param::fnDataType,
        number == 0 ? libfptr::fndt::lastDocument : libfptr::fndt::documentByNumber);
    if (number != 0)
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::documentNumber,
                                      static_cast<int>(number));
    const int queried = fptr10::libfptr_fn_query_data(handle_, module_);
    if (queried < 0) {
        const int result = mapLibraryResult(queried);
        writeLog("   atol10->QueryFiscalDocument(" + logText(static_cast<int>(number)) + ") ==> " +
                 logText(queried) + ", " + logText(result));
        // The storage did not give the document: whatever the reason, nothing
        // is known, which a success code must never suggest.
        return result != kSuccess ? result : kOtherError;
    }
    out->number = static_cast<unsigned>(
        fptr10::libfptr_get_param_int(handle_, module_, libfptr::param::documentNumber));
    if (number == 0) {
        writeLog("   atol10->QueryFiscalDocument: последний ФД № " +
                 logText(static_cast<int>(out->number)));
        return kSuccess;
    }
    out->documentType =
        fptr10::libfptr_get_param_int(handle_, module_, libfptr::param::fnDocumentType);
    out->operationType =
        fptr10::libfptr_get_param_int(handle_, module_, libfptr::tag::operationType);
    const int receiptType =
        fptr10::libfptr_get_param_int(handle_, module_, libfptr::param::receiptType);
    out->correction = receiptType >= libfptr::rt::sellCorrection &&
                      receiptType <= libfptr::rt::buyReturnCorrection;
    out->total = std::llround(
        fptr10::libfptr_get_param_double(handle_, module_, libfptr::tag::total) * 100.0);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    fptr10::libfptr_get_param_datetime(handle_, module_, &year, &month, &day, &hour, &minute,
                                       &second);
    char stamp[sizeof out->dateTime + 40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    copyText(out->dateTime, sizeof out->dateTime, stamp);
    copyText(out->fiscalSign, sizeof out->fiscalSign,
             toNarrow(getParamString(libfptr::param::fiscalSign, handle_, module_)));
    writeLog("   atol10->QueryFiscalDocument: ФД № " + logText(static_cast<int>(out->number)) +
             ", тип " + logText(out->documentType) + ", чек " + logText(receiptType) +
             ", 1054 = " + logText(out->operationType) +
             ", 1020 = " + logText(static_cast<double>(out->total) / 100) + ", " + out->dateTime +
             ", ФП " + out->fiscalSign);
    return kSuccess;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
