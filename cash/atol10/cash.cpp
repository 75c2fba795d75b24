// The driver object's life, its setters and the receipt parameters.
#include "cash/atol10/cash.h"

#include <boost/lexical_cast.hpp>
#include <cmath>
#include <cstring>
#include <set>

#include "cash/atol10/device_connection.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/fptr10/library_loader.h"
#include "cash/atol10/log_format.h"
#include "cash/atol10/settings_values.h"
#include "common/driver_log.h"

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

int Cash::GetInfoKKT(char** out) {
    writeLogIndented("atol10->GetInfoKKT =>");
    queryRegistrationData(handle_, module_);
    const std::string inn = toNarrow(getParamString(1018, handle_, module_));
    writeLog("   organizationVATIN: " + inn);
    const std::string::size_type first = inn.find_first_not_of(' ');
    std::string result = first == std::string::npos
                             ? std::string()
                             : inn.substr(first, inn.find_last_not_of(' ') - first + 1);
    result += "|";
    const std::string name = toNarrow(getParamString(1048, handle_, module_));
    writeLog("   organizationName: " + name);
    result += name + "|";
    const std::string address = toNarrow(getParamString(1009, handle_, module_));
    writeLog("   organizationAddress: " + address);
    result += address;
    if (out != nullptr) *out = strdup(result.c_str());
    writeLog("   atol10->GetInfoKKT = " + result);
    return 0;
}

int Cash::SetParameters(const std::map<std::string, std::string>& parameters) {
    using settings::lenientInteger;
    static const char* const kExpected[] = {
        "AGENT_PHONE",  "BANK_COMISS",       "CASHIER_INN",   "CASHIER_NAME",   "CLIENT_EMAIL",
        "CLIENT_PHONE", "IS_CASHLESSCHEQUE", "IS_ECHEQUE",    "IS_PRECHEQUE",   "OPERATOR_ADDRESS",
        "OPERATOR_INN", "OPERATOR_NAME",     "OPERATOR_OPER", "OPERATOR_PHONE", "PU_INN",
        "PU_NAME",      "PU_PHONE",          "SERVICE_NAME"};
    std::set<std::string> missing(std::begin(kExpected), std::end(kExpected));
    const std::map<std::string, std::string*> texts = {{"CLIENT_PHONE", &clientPhone_},
                                                       {"CLIENT_EMAIL", &clientPhone_},
                                                       {"SERVICE_NAME", &serviceName_},
                                                       {"CASHIER_NAME", &cashier_},
                                                       {"CASHIER_INN", &cashierInn_},
                                                       {"AGENT_PHONE", &agentPhone_},
                                                       {"OPERATOR_OPER", &operatorOperation_},
                                                       {"OPERATOR_NAME", &operatorName_},
                                                       {"OPERATOR_ADDRESS", &operatorAddress_},
                                                       {"OPERATOR_INN", &operatorInn_},
                                                       {"OPERATOR_PHONE", &operatorPhone_},
                                                       {"PU_PHONE", &supplierPhone_},
                                                       {"PU_NAME", &supplierName_},
                                                       {"PU_INN", &supplierInn_}};
    const std::map<std::string, bool*> flags = {{"IS_PRECHEQUE", &precheque_},
                                                {"IS_CASHLESSCHEQUE", &cashless_},
                                                {"IS_ECHEQUE", &electronic_}};

    writeLog("Прием параметров ------------------------------->");
    for (const auto& pair : parameters) {
        const std::string& name = pair.first;
        const std::string& value = pair.second;
        writeLog("Получен параметр: " + name + " = " + value);
        if (missing.count(name) == 0 && texts.count(name) == 0 && flags.count(name) == 0 &&
            name != "BANK_COMISS") {
            writeLog("Параметр не используется: " + name + " = " + value);
            continue;
        }
        if (name == "BANK_COMISS") {
            bankCommission_ = lenientInteger(value);
        } else if (flags.count(name) != 0) {
            *flags.at(name) = lenientInteger(value) != 0;
        } else {
            *texts.at(name) = value;
        }
        missing.erase(name);
    }
    for (const std::string& name : missing) writeLog("Не получен ожидаемый параметр: " + name);
    writeLog("Прием параметров -------------------------------<");
    return 0;
}

int Cash::kopecksOf(const std::string& sum) {
    const double kopecks = boost::lexical_cast<double>(sum) * 100;
    // A sum no 64-bit number can hold is as unusable as one that is not a number.
    if (!(std::fabs(kopecks) < 9.2e18)) throw boost::bad_lexical_cast();
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(kopecks)));
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
