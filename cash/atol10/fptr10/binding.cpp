#include "cash/atol10/fptr10/binding.h"

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/fptr10_api.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

namespace {

const int kTagValueParam = 65624;
const int kDateTimeParam = 65590;

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

// One call of an entry point with a result: the default stands when the name
// does not resolve or the call throws.
template <typename Fn, typename Result, typename... Args>
Result callWithResult(Module module, const char* name, Result fallback, const char* resultLine,
                      const char* errorLine, Args... args) {
    Result result = fallback;
    try {
        if (Fn function = resolve<Fn>(module, name)) result = function(args...);
    } catch (...) {
        result = fallback;
        if (debugLog()) logLine(errorLine, platform::lastError());
    }
    if (resultLine != nullptr && debugLog()) logLine(resultLine, result);
    return result;
}

template <typename Fn, typename... Args>
void callWithoutResult(Module module, const char* name, const char* errorLine, Args... args) {
    try {
        if (Fn function = resolve<Fn>(module, name)) function(args...);
    } catch (...) {
        if (debugLog()) logLine(errorLine, platform::lastError());
    }
}

int callHandle(Handle handle, Module module, const char* name, const char* resultLine,
               const char* errorLine) {
    return callWithResult<libfptr_open_fn>(module, name, -1, resultLine, errorLine, handle);
}

}  // namespace

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
    return callHandle(handle, module, "libfptr_open",
                      "   libfptr_open result = ", "   libfptr_open GetLastError  = ");
}

int libfptr_close(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_close",
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
        "   libfptr_get_param_bytearray GetLastError  = ", handle, kTagValueParam, buffer, size);
}

void libfptr_get_param_datetime(Handle handle, Module module, int* year, int* month, int* day,
                                int* hour, int* minute, int* second) {
    callWithoutResult<libfptr_get_param_datetime_fn>(
        module, "libfptr_get_param_datetime",
        "   libfptr_get_param_datetime GetLastError  = ", handle, kDateTimeParam, year, month, day,
        hour, minute, second);
}

int libfptr_query_data(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_query_data",
                      "   libfptr_query_data result = ", "   libfptr_query_data GetLastError  = ");
}

int libfptr_fn_query_data(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_fn_query_data", "   libfptr_fn_query_data result = ",
                      "   libfptr_fn_query_data GetLastError  = ");
}

int libfptr_report(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_report",
                      "   libfptr_report result = ", "   libfptr_report GetLastError  = ");
}

int libfptr_open_shift(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_open_shift",
                      "   libfptr_open_shift result = ", "   libfptr_open_shift GetLastError  = ");
}

int libfptr_operator_login(Handle handle, Module module) {
    return callHandle(
        handle, module, "libfptr_operator_login",
        "   libfptr_operator_login result = ", "   libfptr_operator_login GetLastError  = ");
}

int libfptr_open_receipt(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_open_receipt", "   libfptr_open_receipt result = ",
                      "   libfptr_open_receipt GetLastError  = ");
}

int libfptr_cancel_receipt(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_cancel_receipt",
                      "   cancel_receipt result = ", "   cancel_receipt GetLastError  = ");
}

int libfptr_print_text(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_print_text",
                      "   libfptr_print_text result = ", "   libfptr_print_text GetLastError  = ");
}

int libfptr_cash_outcome(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_cash_outcome", "   libfptr_cash_outcome result = ",
                      "   libfptr_cash_outcome GetLastError  = ");
}

int libfptr_cash_income(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_cash_income", "   libfptr_cash_income result = ",
                      "   libfptr_cash_income GetLastError  = ");
}

int libfptr_cut(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_cut",
                      "   libfptr_cut result = ", "   libfptr_cut GetLastError  = ");
}

int libfptr_registration(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_registration", "   libfptr_registration result = ",
                      "   libfptr_registration GetLastError  = ");
}

int libfptr_payment(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_payment",
                      "   libfptr_payment result = ", "   libfptr_payment GetLastError  = ");
}

int libfptr_close_receipt(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_close_receipt", "   libfptr_close_receipt result = ",
                      "   libfptr_close_receipt GetLastError  = ");
}

int libfptr_check_document_closed(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_check_document_closed",
                      "   libfptr_check_document_closed result = ",
                      "   libfptr_check_document_closed GetLastError  = ");
}

int libfptr_util_form_tlv(Handle handle, Module module) {
    return callHandle(handle, module, "libfptr_util_form_tlv", "   libfptr_util_form_tlv result = ",
                      "   libfptr_util_form_tlv GetLastError  = ");
}

int libfptr_begin_nonfiscal_document(Handle handle, Module module) {
    return callHandle(
        handle, module, "libfptr_begin_nonfiscal_document",
        "   begin_nonfiscal_document result = ", "   begin_nonfiscal_document GetLastError  = ");
}

int libfptr_end_nonfiscal_document(Handle handle, Module module) {
    return callHandle(
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
    return callHandle(handle, module, "libfptr_apply_single_settings",
                      "   libfptr_apply_single_settings result = ",
                      "   libfptr_apply_single_settings GetLastError  = ");
}

std::string libfptr_get_version_string(Module module) {
    std::string result;
    try {
        if (libfptr_get_version_string_fn function =
                resolve<libfptr_get_version_string_fn>(module, "libfptr_get_version_string")) {
            const char* text = function();
            if (text != nullptr) result = text;
        }
    } catch (...) {
        result.clear();
        if (debugLog())
            logLine("   libfptr_get_version_string GetLastError  = ", platform::lastError());
    }
    if (debugLog()) writeLog("   libfptr_get_version_string result = " + result);
    return result;
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
