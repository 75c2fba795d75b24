// The receipt parameters received by name from the sender.
#include <set>

#include "cash/atol10/cash.h"
#include "cash/atol10/settings_values.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {

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

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
