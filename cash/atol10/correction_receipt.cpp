// A correction receipt on the taxpayer's own initiative (FFD 1.2): the basis
// (tag 1174) formed by the library from the date of the settlement corrected
// (tag 1178), the receipt opened as a sale or sale-return correction, then
// the position, payment and close exactly as a payment's, and the fiscal
// document it made read back.
#include <algorithm>
#include <vector>

#include "cash/atol10/cash.h"
#include "cash/atol10/config.h"
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

constexpr int kOneUnit = 1000;
constexpr int kCloseMode = 1;

// The FFD as people name it: "1.05", "1.1", "1.2".
std::string ffdName(int version) {
    switch (version) {
        case libfptr::ffd::v105:
            return "1.05";
        case libfptr::ffd::v110:
            return "1.1";
        case libfptr::ffd::v12:
            return "1.2";
        default:
            return logText(version);
    }
}

// The composite value the library formed.
std::vector<unsigned char> formedValue(fptr10::Handle handle, fptr10::Module module) {
    return getTagValue(handle, module, 64);
}

}  // namespace

int Cash::RegisterCorrection(const CorrectionReceipt& request, FiscalDocument* out,
                             std::string& reason) {
    reason.clear();
    writeLog("   atol10->RegisterCorrection ---------------------------->");
    if (module_ == nullptr) {
        writeLog("   atol10->RegisterCorrection: hModule=NULL");
        return kNotConnected;
    }
    if (request.operationType != kOperationSale && request.operationType != kOperationSaleReturn)
        return kOtherError;
    if (fptr10::libfptr_is_opened(handle_, module_) == 0) openDevice(handle_, module_);

    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::fnDataType,
                                  libfptr::fndt::registration);
    const int queried = fptr10::libfptr_fn_query_data(handle_, module_);
    if (queried < 0) {
        const int result = mapLibraryResult(queried);
        writeLog("   atol10->RegisterCorrection: регистрационные данные не прочитаны ==> " +
                 logText(result));
        return result != kSuccess ? result : kOtherError;
    }
    ffdVersion = fptr10::libfptr_get_param_int(handle_, module_, libfptr::tag::ffdVersion);
    writeLog("ФФД: " + logText(ffdVersion));
    if (ffdVersion < libfptr::ffd::v12) {
        reason = "ККТ зарегистрирована по ФФД " + ffdName(ffdVersion) +
                 ": чек коррекции этим драйвером формируется только по ФФД 1.2";
        writeLog("   atol10->RegisterCorrection: " + reason);
        return kOtherError;
    }

    // The rate the position will take, refused before the receipt is opened.
    rateRefusal_.clear();
    const int rate = taxType_ >= libfptr::tax::vat18 && taxType_ <= libfptr::tax::invalid
                         ? taxType_
                         : Config::instance().taxTypeNumber;
    if (refusesRate(rate)) {
        reason = rateRefusal_;
        return kOtherError;
    }

    operatorLogin();
    writeLog("   atol10->RegisterCorrection [operator_login] ==> " + cashier_);

    // The basis: the library forms tag 1174 of the date corrected.
    fptr10::libfptr_set_param_datetime(handle_, module_, libfptr::tag::correctionDate, request.year,
                                       request.month, request.day, 0, 0, 0);
    fptr10::libfptr_util_form_tlv(handle_, module_);
    const std::vector<unsigned char> basis = formedValue(handle_, module_);
    writeLog("   Tag 1178 = " + logText(request.day) + "." + logText(request.month) + "." +
             logText(request.year) + ", Tag 1174: " + logText(static_cast<int>(basis.size())) +
             " байт");

    const int receiptType = request.operationType == kOperationSale
                                ? libfptr::rt::sellCorrection
                                : libfptr::rt::sellReturnCorrection;
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::receiptType, receiptType);
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::correctionType,
                                  libfptr::correctionType::self);
    fptr10::libfptr_set_param_bytearray(handle_, module_, libfptr::tag::correctionBase,
                                        basis.data(), static_cast<int>(basis.size()));
    if (electronic_) {
        fptr10::libfptr_set_param_bool(handle_, module_, libfptr::param::receiptElectronically, 1);
        const std::string& contact = !clientPhone_.empty() ? clientPhone_ : clientEmail_;
        if (!contact.empty())
            fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::buyerContact,
                                          toWide(contact));
    }
    const int opened = fptr10::libfptr_open_receipt(handle_, module_);
    writeLog("   atol10->RegisterCorrection [open_receipt] ==> ");
    writeLog("   CheckType = " + logText(receiptType));
    writeLog("   ==> " + logText(opened));
    if (opened < 0) return mapLibraryResult(opened);

    const int registered = RegisterSale(std::string(), request.sum, kOneUnit, 0, 0);
    if (registered != kSuccess) {
        CancelCheck();
        return registered;
    }
    const int closed = CloseCheck(request.sum, kCloseMode);
    if (closed != kSuccess) return closed;

    // The receipt is fiscal now; reading it back only tells which document it is.
    FiscalDocument last{};
    if (out != nullptr && QueryFiscalDocument(0, &last) == kSuccess && last.number != 0)
        QueryFiscalDocument(last.number, out);
    return kSuccess;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
