// The registered organisation's taxpayer number, name and address for the host.
#include <cstring>

#include "cash/atol10/cash.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {

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

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
