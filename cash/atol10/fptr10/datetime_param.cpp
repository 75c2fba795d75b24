#include "cash/atol10/fptr10/datetime_param.h"

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/fptr10_api.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"
#include "common/platform/platform.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

namespace {

struct Call {
    libfptr_set_param_datetime_fn function;
    Handle handle;
    int paramId, year, month, day, hour, minute, second;
};

void body(void* context) {
    Call* c = static_cast<Call*>(context);
    try {
        c->function(c->handle, c->paramId, c->year, c->month, c->day, c->hour, c->minute,
                    c->second);
    } catch (...) {
        c->function = nullptr;  // marks the exception
    }
}

}  // namespace

void libfptr_set_param_datetime(Handle handle, Module module, int paramId, int year, int month,
                                int day, int hour, int minute, int second) {
    if (module == nullptr) return;
    auto function = reinterpret_cast<libfptr_set_param_datetime_fn>(
        platform::findSymbol(module, "libfptr_set_param_datetime"));
    if (function == nullptr) return;
    Call call{function, handle, paramId, year, month, day, hour, minute, second};
    unsigned long faultCode = 0;
    const bool returned = platform::guardedCall(body, &call, faultCode);
    if (returned && call.function != nullptr) return;
    const unsigned long lastError = platform::lastError();
    const char* line = "   libfptr_set_param_datetime GetLastError  = ";
    if (!returned)
        writeLog(line + logText(lastError) + ", исключение " + platform::faultText(faultCode));
    else if (Config::instance().useLog == "D")
        writeLog(line + logText(lastError));
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
