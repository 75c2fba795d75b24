#include "cash/atol10/fptr10/binding.h"

#include "cash/atol10/config.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/fptr10/fptr10_api.h"
#include "cash/atol10/fptr10/fptr10_numbers.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"
#include "common/platform/platform.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

namespace {

thread_local LibraryFailure lastFailure_;

bool debugLog() { return Config::instance().useLog == "D"; }

template <typename Value>
void logLine(const char* line, Value value) {
    writeLog(line + logText(value));
}

template <typename Fn>
Fn resolve(Module module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(platform::findSymbol(module, name));
}

// How a call into the library ended when it did not return normally.
struct CallFault {
    bool happened = false;
    bool structured = false;  // a crash inside the library (faultCode tells which)
    unsigned long faultCode = 0;
};

// Runs call() inside the platform's guarded call: neither a C++ exception nor
// a crash inside the library leaves the call. The frame handed to the guard
// holds only pointers, so nothing is lost when a crash abandons it.
template <typename Call>
CallFault invokeGuarded(Call& call) {
    struct Frame {
        Call* call;
        bool threw;
    } frame{&call, false};
    CallFault fault;
    const bool returned = platform::guardedCall(
        [](void* context) {
            Frame* f = static_cast<Frame*>(context);
            try {
                (*f->call)();
            } catch (...) {
                f->threw = true;
            }
        },
        &frame, fault.faultCode);
    fault.structured = !returned;
    fault.happened = !returned || frame.threw;
    return fault;
}

// The error line of a call that did not return: with the thread's last error,
// and for a crash also the exception, which is logged in every log mode.
void reportFault(const char* errorLine, const CallFault& fault) {
    const unsigned long lastError = platform::lastError();
    if (fault.structured) {
        writeLog(errorLine + logText(lastError) + ", исключение " +
                 platform::faultText(fault.faultCode));
    } else if (debugLog()) {
        logLine(errorLine, lastError);
    }
}

// One call of an entry point: true when the library answered (result holds
// its value); false when the name does not resolve or the call did not return.
template <typename Fn, typename Result, typename... Args>
bool invoke(Module module, const char* name, const char* errorLine, Result& result, Args... args) {
    Fn function = resolve<Fn>(module, name);
    if (function == nullptr) return false;
    Result answer = result;
    auto call = [&] { answer = function(args...); };
    const CallFault fault = invokeGuarded(call);
    if (fault.happened) {
        reportFault(errorLine, fault);
        return false;
    }
    result = answer;
    return true;
}

template <typename Fn, typename Result, typename... Args>
Result callWithResult(Module module, const char* name, Result fallback, const char* resultLine,
                      const char* errorLine, Args... args) {
    Result result = fallback;
    invoke<Fn>(module, name, errorLine, result, args...);
    if (resultLine != nullptr && debugLog()) logLine(resultLine, result);
    return result;
}

template <typename Fn, typename... Args>
void callWithoutResult(Module module, const char* name, const char* errorLine, Args... args) {
    Fn function = resolve<Fn>(module, name);
    if (function == nullptr) return;
    auto call = [&] { function(args...); };
    const CallFault fault = invokeGuarded(call);
    if (fault.happened) reportFault(errorLine, fault);
}

// The reason of a failed operation, logged once here: the library's number
// (libfptr_error_code after -1; an older library's direct number as it is)
// and its own description.
void recordFailure(Handle handle, Module module, const char* name, int result) {
    const int number = result == -1 ? libfptr_error_code(handle, module) : result;
    lastFailure_.call = name;
    lastFailure_.number = number;
    writeLog(std::string("   ") + name + ": ошибка " + logText(number) + " [" +
             toNarrow(errorDescription(handle, module)) + "]");
}

// An operation of the register: 0 on success, below 0 on failure.
int callOperation(Handle handle, Module module, const char* name, const char* resultLine,
                  const char* errorLine) {
    lastFailure_ = LibraryFailure();
    int result = -1;
    const bool answered = invoke<libfptr_open_fn>(module, name, errorLine, result, handle);
    if (resultLine != nullptr && debugLog()) logLine(resultLine, result);
    if (answered && result < 0) recordFailure(handle, module, name, result);
    return result;
}

int callHandle(Handle handle, Module module, const char* name, const char* resultLine,
               const char* errorLine) {
    return callWithResult<libfptr_open_fn>(module, name, -1, resultLine, errorLine, handle);
}

}  // namespace

const LibraryFailure& lastFailure() { return lastFailure_; }

int libfptr_error_code(Handle handle, Module module) {
    return callWithResult<libfptr_error_code_fn>(
        module, "libfptr_error_code", -1,
        "   libfptr_error_code result = ", "   libfptr_error_code GetLastError  = ", handle);
}

int libfptr_create(Handle* handle, Module module) {
    return callWithResult<libfptr_create_fn>(
        module, "libfptr_create", -1,
        "   libfptr_create result = ", "   libfptr_create GetLastError  = ", handle);
}

void libfptr_destroy(Handle* handle, Module module) {
    callWithoutResult<libfptr_destroy_fn>(module, "libfptr_destroy",
                                          "   libfptr_destroy GetLastError  = ", handle);
}

int libfptr_open(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_open",
                         "   libfptr_open result = ", "   libfptr_open GetLastError  = ");
}

int libfptr_close(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_close",
                         "   libfptr_close result = ", "   libfptr_close GetLastError  = ");
}

int libfptr_is_opened(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_is_opened",
                      "   libfptr_is_opened result = ", "   libfptr_is_opened GetLastError  = ");
}

void libfptr_set_param_int(Handle handle, Module module, int paramId, int value) {
    callWithoutResult<libfptr_set_param_int_fn>(module, "libfptr_set_param_int",
                                                "   libfptr_set_param_int GetLastError  = ", handle,
                                                paramId, static_cast<unsigned int>(value));
}

void libfptr_set_param_str(Handle handle, Module module, int paramId, const std::wstring& value) {
    callWithoutResult<libfptr_set_param_str_fn>(module, "libfptr_set_param_str",
                                                "   libfptr_set_param_str GetLastError = ", handle,
                                                paramId, value.c_str());
}

void libfptr_set_param_bool(Handle handle, Module module, int paramId, int value) {
    callWithoutResult<libfptr_set_param_bool_fn>(
        module, "libfptr_set_param_bool", "   libfptr_set_param_bool GetLastError = ", handle,
        paramId, value);
}

void libfptr_set_param_double(Handle handle, Module module, int paramId, double value) {
    callWithoutResult<libfptr_set_param_double_fn>(
        module, "libfptr_set_param_double", "   libfptr_set_param_double GetLastError = ", handle,
        paramId, value);
}

void libfptr_set_param_bytearray(Handle handle, Module module, int paramId,
                                 const unsigned char* value, int size) {
    callWithoutResult<libfptr_set_param_bytearray_fn>(
        module, "libfptr_set_param_bytearray",
        "   libfptr_set_param_bytearray GetLastError  = ", handle, paramId, value, size);
}

int libfptr_get_param_int(Handle handle, Module module, int paramId) {
    return callWithResult<libfptr_get_param_int_fn>(
        module, "libfptr_get_param_int", -1,
        "   libfptr_get_param_int result = ", "   libfptr_get_param_int GetLastError  = ", handle,
        paramId);
}

int libfptr_get_param_bool(Handle handle, Module module, int paramId) {
    return callWithResult<libfptr_get_param_bool_fn>(
        module, "libfptr_get_param_bool", -1,
        "   libfptr_get_param_bool result = ", "   libfptr_get_param_bool GetLastError  = ", handle,
        paramId);
}

double libfptr_get_param_double(Handle handle, Module module, int paramId) {
    return callWithResult<libfptr_get_param_double_fn>(
        module, "libfptr_get_param_double", -1.0, "   libfptr_get_param_double result = ",
        "   libfptr_get_param_double GetLastError = ", handle, paramId);
}

int libfptr_get_param_str(Handle handle, Module module, int paramId, wchar_t* buffer, int size) {
    return callWithResult<libfptr_get_param_str_fn>(
        module, "libfptr_get_param_str", -1,
        "   libfptr_get_param_str result = ", "   libfptr_get_param_str GetLastError  = ", handle,
        paramId, buffer, size);
}

int libfptr_get_param_bytearray(Handle handle, Module module, unsigned char* buffer, int size) {
    return callWithResult<libfptr_get_param_bytearray_fn>(
        module, "libfptr_get_param_bytearray", -1, "   libfptr_get_param_bytearray result = ",
        "   libfptr_get_param_bytearray GetLastError  = ", handle, libfptr::param::tagValue, buffer,
        size);
}

void libfptr_get_param_datetime(Handle handle, Module module, int* year, int* month, int* day,
                                int* hour, int* minute, int* second) {
    callWithoutResult<libfptr_get_param_datetime_fn>(
        module, "libfptr_get_param_datetime",
        "   libfptr_get_param_datetime GetLastError  = ", handle, libfptr::param::dateTime, year,
        month, day, hour, minute, second);
}

int libfptr_query_data(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_query_data", "   libfptr_query_data result = ",
                         "   libfptr_query_data GetLastError  = ");
}

int libfptr_fn_query_data(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_fn_query_data",
        "   libfptr_fn_query_data result = ", "   libfptr_fn_query_data GetLastError  = ");
}

int libfptr_report(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_report",
                         "   libfptr_report result = ", "   libfptr_report GetLastError  = ");
}

int libfptr_open_shift(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_open_shift", "   libfptr_open_shift result = ",
                         "   libfptr_open_shift GetLastError  = ");
}

int libfptr_operator_login(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_operator_login",
        "   libfptr_operator_login result = ", "   libfptr_operator_login GetLastError  = ");
}

int libfptr_open_receipt(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_open_receipt",
        "   libfptr_open_receipt result = ", "   libfptr_open_receipt GetLastError  = ");
}

int libfptr_cancel_receipt(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_cancel_receipt",
                         "   cancel_receipt result = ", "   cancel_receipt GetLastError  = ");
}

int libfptr_print_text(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_print_text", "   libfptr_print_text result = ",
                         "   libfptr_print_text GetLastError  = ");
}

int libfptr_cash_outcome(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_cash_outcome",
        "   libfptr_cash_outcome result = ", "   libfptr_cash_outcome GetLastError  = ");
}

int libfptr_cash_income(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_cash_income", "   libfptr_cash_income result = ",
                         "   libfptr_cash_income GetLastError  = ");
}

int libfptr_cut(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_cut",
                         "   libfptr_cut result = ", "   libfptr_cut GetLastError  = ");
}

int libfptr_registration(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_registration",
        "   libfptr_registration result = ", "   libfptr_registration GetLastError  = ");
}

int libfptr_payment(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_payment",
                         "   libfptr_payment result = ", "   libfptr_payment GetLastError  = ");
}

int libfptr_close_receipt(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_close_receipt",
        "   libfptr_close_receipt result = ", "   libfptr_close_receipt GetLastError  = ");
}

int libfptr_check_document_closed(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_check_document_closed",
                         "   libfptr_check_document_closed result = ",
                         "   libfptr_check_document_closed GetLastError  = ");
}

int libfptr_util_form_tlv(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_util_form_tlv",
        "   libfptr_util_form_tlv result = ", "   libfptr_util_form_tlv GetLastError  = ");
}

int libfptr_begin_nonfiscal_document(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_begin_nonfiscal_document",
        "   begin_nonfiscal_document result = ", "   begin_nonfiscal_document GetLastError  = ");
}

int libfptr_end_nonfiscal_document(Handle handle, Module module) {
    return callOperation(
        handle, module, "libfptr_end_nonfiscal_document",
        "   end_nonfiscal_document result = ", "   end_nonfiscal_document GetLastError  = ");
}

int libfptr_get_settings(Handle handle, Module module, wchar_t* buffer, int size) {
    return callWithResult<libfptr_get_settings_fn>(
        module, "libfptr_get_settings", -1,
        "   libfptr_get_settings result = ", "   libfptr_get_settings GetLastError  = ", handle,
        buffer, size);
}

int libfptr_error_description(Handle handle, Module module, wchar_t* buffer, int size) {
    return callWithResult<libfptr_error_description_fn>(
        module, "libfptr_error_description", -1, "   libfptr_error_description result = ",
        "   libfptr_error_description GetLastError  = ", handle, buffer, size);
}

int libfptr_set_single_setting(Handle handle, Module module, const std::wstring& key,
                               const std::wstring& value) {
    callWithoutResult<libfptr_set_single_setting_fn>(
        module, "libfptr_set_single_setting",
        "   libfptr_set_single_setting GetLastError  = ", handle, key.c_str(), value.c_str());
    return 0;
}

int libfptr_apply_single_settings(Handle handle, Module module) {
    return callOperation(handle, module, "libfptr_apply_single_settings",
                         "   libfptr_apply_single_settings result = ",
                         "   libfptr_apply_single_settings GetLastError  = ");
}

std::string libfptr_get_version_string(Module module) {
    const char* text = nullptr;
    invoke<libfptr_get_version_string_fn>(module, "libfptr_get_version_string",
                                          "   libfptr_get_version_string GetLastError  = ", text);
    std::string result = text != nullptr ? text : "";
    if (debugLog()) writeLog("   libfptr_get_version_string result = " + result);
    return result;
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
