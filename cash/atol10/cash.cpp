// The driver object's life and its setters.
#include "cash/atol10/cash.h"

#include <boost/lexical_cast.hpp>
#include <cmath>
#include <cstring>

#include "cash/atol10/device_connection.h"
#include "cash/atol10/fptr10/library_loader.h"
#include "cash/atol10/library_result.h"
#include "cash/shared/ResultCode.h"

namespace vorna {
namespace cash {
namespace atol10 {

int ffdVersion = 0;

Cash::Cash()
    : slipDialog_(nullptr),
      handle_(nullptr),
      module_(nullptr),
      bankCommission_(0),
      precheque_(false),
      cashless_(false),
      electronic_(false),
      taxType_(0),
      paymentType_(0),
      longValue_(0) {
    forgetStorageRefusal();
    forgetRegisterBusy();
    fptr10::loadLibrary(handle_, module_);
}

Cash::~Cash() {
    // No slip-document dialog is ever created: the library carries no template for it.
    slipDialog_ = nullptr;
    fptr10::releaseLibrary(handle_, module_);
}

void Cash::EndOperation() {}

void Cash::Finish() {}

int Cash::Ready() { return 0; }

int Cash::CheckState() { return checkState(handle_, module_); }

int Cash::QueryRegisterBusy(RegisterBusy* out) {
    if (out == nullptr) return kOtherError;
    std::memset(out, 0, sizeof *out);
    out->number = registerBusyFailure();
    std::strncpy(out->description, registerBusyDescription().c_str(), sizeof out->description - 1);
    return kSuccess;
}

void Cash::SetCheckAttributes(bool cashless, bool electronic, int bankCommission,
                              const std::string& clientPhone, const std::string& clientEmail,
                              const std::string& serviceName, const std::string& cashierName,
                              const std::string& agentPhone, const std::string& operatorOperation,
                              const std::string& operatorName, const std::string& operatorAddress,
                              const std::string& operatorInn, const std::string& operatorPhone) {
    cashless_ = cashless;
    electronic_ = electronic;
    bankCommission_ = bankCommission;
    clientPhone_ = clientPhone;
    clientEmail_ = clientEmail;
    serviceName_ = serviceName;
    cashier_ = cashierName;
    agentPhone_ = agentPhone;
    operatorOperation_ = operatorOperation;
    operatorName_ = operatorName;
    operatorAddress_ = operatorAddress;
    operatorInn_ = operatorInn;
    operatorPhone_ = operatorPhone;
}

void Cash::SetTaxType(int taxType) { taxType_ = taxType; }

void Cash::SetPaymentType(int paymentType) { paymentType_ = paymentType; }

void Cash::SetLongValue(std::int64_t value) { longValue_ = value; }

int Cash::kopecksOf(const std::string& sum) {
    const double kopecks = boost::lexical_cast<double>(sum) * 100;
    // A sum no 64-bit number can hold is as unusable as one that is not a number.
    if (!(std::fabs(kopecks) < 9.2e18)) throw boost::bad_lexical_cast();
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(kopecks)));
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
