// The rates the loaded register library can register: the driver refuses,
// before anything reaches the register, a rate the library would register
// as another one or not at all.
#include <cstring>

#include "cash/atol10/cash.h"
#include "cash/atol10/fptr10/library_version.h"
#include "cash/shared/ResultCode.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {

bool Cash::refusesRate(int taxType) {
    const std::string reason = fptr10::rateRefusal(fptr10::libraryVersion(module_), taxType);
    if (reason.empty()) return false;
    rateRefusal_ = reason;
    writeLog("   atol10-> " + reason);
    return true;
}

int Cash::QueryLibraryInfo(LibraryInfo* out) {
    if (out == nullptr) return kOtherError;
    std::memset(out, 0, sizeof *out);
    const fptr10::LibraryVersion& version = fptr10::libraryVersion(module_);
    if (version.known) std::strncpy(out->version, version.text.c_str(), sizeof out->version - 1);
    out->versionKnown = version.known ? 1 : 0;
    if (module_ != nullptr) {
        const std::string missing = fptr10::missingRates(version);
        std::strncpy(out->missingRates, missing.c_str(), sizeof out->missingRates - 1);
    }
    std::strncpy(out->rateRefusal, rateRefusal_.c_str(), sizeof out->rateRefusal - 1);
    return kSuccess;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
