// Opening a receipt: FFD version, cashier login, receipt-level agent data,
// receipt type and form; a non-fiscal document in precheque mode.
#include "cash/atol10/cash.h"
#include "cash/atol10/config.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/library_result.h"
#include "cash/atol10/log_format.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {}  // namespace

int Cash::agentSign(const char* fromSettings, const char* fromRegistration) {
    const int configured = Config::instance().tag1057;
    if (configured > 0) {
        writeLog(fromSettings + logText(configured));
        return configured;
    }
    queryRegistrationData(handle_, module_);
    const int sign = fptr10::libfptr_get_param_int(handle_, module_, libfptr::tag::agentSign);
    writeLog(fromRegistration + logText(sign));
    return sign;
}

int Cash::NewCheck(int kind) {
    if (precheque_) {
        writeLog("   atol10->NewCheck: печать пречека ... begin_nonfiscal_document ... return");
        const int begun = fptr10::libfptr_begin_nonfiscal_document(handle_, module_);
        writeLog("   ==> " + logText(begun));
        return 0;
    }
    // A rate the host set for the receipt that the library cannot register:
    // no receipt is opened.
    rateRefusal_.clear();
    if (taxType_ >= libfptr::tax::vat18 && taxType_ <= libfptr::tax::invalid &&
        refusesRate(taxType_)) {
        writeLog("   atol10->NewCheck ==> " + logText(kOtherError));
        return kOtherError;
    }

    queryRegistrationData(handle_, module_);
    ffdVersion = fptr10::libfptr_get_param_int(handle_, module_, libfptr::tag::ffdVersion);
    writeLog("ФФД: " + logText(ffdVersion));

    operatorLogin();
    writeLog("   atol10->NewCheck [operator_login] ==> ");
    writeLog("   cashier_    ==> " + cashier_);
    writeLog("   cashierInn_ ==> " + cashierInn_);

    const int sign =
        agentSign("   atol10->Tag1057 (Признак агента был взят из ini) ",
                  "   atol10->Tag1057 (Признак агента был взят из 'Регистрационных данных') ");
    if (ffdVersion < libfptr::ffd::v12) {
        writeLog("   atol10-> set_param_int 1057 = " + logText(sign));
        fptr10::libfptr_set_param_int(handle_, module_, libfptr::tag::agentSign, sign);
        writeLog("   atol10-> set_param_int 1057 ok");
    }
    if (sign > 0 && ffdVersion < libfptr::ffd::v12) {
        const struct {
            const std::string& value;
            int tag;
            const char* label;
        } agentData[] = {
            {operatorName_, 1026, "   atol10-> наименование оператора перевода ==>"},
            {operatorInn_, 1016, "   atol10-> инн оператора перевода ==>"},
            {operatorAddress_, 1005, "   atol10-> адрес оператора перевода ==>"},
            {operatorPhone_, 1075, "   atol10-> телефон оператора перевода ==>"},
            {agentPhone_, 1073, "   atol10-> телефон платежного агента ==>"},
            {operatorOperation_, 1044, "   atol10-> операция платежного агента ==>"},
            {supplierPhone_, 1171, "   atol10-> телефон поставщика ==>"},
        };
        for (const auto& row : agentData) {
            if (row.value.empty()) continue;
            fptr10::libfptr_set_param_str(handle_, module_, row.tag, toWide(row.value));
            writeLog(row.label);
            writeLog("   atol10->AttrValue = " + row.value);
        }
    }

    const int receiptType = kind == 1   ? libfptr::rt::sell
                            : kind == 2 ? libfptr::rt::sellReturn
                                        : libfptr::rt::closed;
    fptr10::libfptr_set_param_int(handle_, module_, libfptr::param::receiptType, receiptType);
    int mode = 1;
    if (electronic_) {
        fptr10::libfptr_set_param_bool(handle_, module_, libfptr::param::receiptElectronically, 1);
        if (!clientPhone_.empty()) {
            fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::buyerContact,
                                          toWide(clientPhone_));
        } else if (!clientEmail_.empty()) {
            fptr10::libfptr_set_param_str(handle_, module_, libfptr::tag::buyerContact,
                                          toWide(clientEmail_));
        }
        mode = 0;
    }
    const int opened = fptr10::libfptr_open_receipt(handle_, module_);
    writeLog("   atol10->NewCheck [open_receipt] ==> ");
    writeLog("   CheckType = " + logText(receiptType));
    writeLog("   CheckMode [0-электронный чек, 1-на чековой ленте] = " + logText(mode));
    writeLog("   ==> " + logText(opened));
    return mapLibraryResult(opened);
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
