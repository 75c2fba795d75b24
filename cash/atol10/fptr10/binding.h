// The binding to the register library: one function per library entry point.
// Each resolves its entry point by name at every call, so a missing library or
// an older one without the entry point yields the default result (-1, -1.0,
// an empty text or nothing). Each call runs guarded: a C++ exception or a
// crash inside the library yields the default too. In debug-log mode each
// call logs its outcome. An operation that fails (below 0) has its reason
// logged once, with the library's number and description.
#pragma once

#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

using Handle = void*;
using Module = platform::LibraryHandle;

// The reason of the last operation on this thread that the library answered
// with a failure: the call and the library's number (libfptr_error_code after
// -1, or an older library's direct number). Reset by every operation, so it is
// empty after a success, a missing library or entry point, or a crash.
struct LibraryFailure {
    const char* call = nullptr;
    int number = 0;
};
const LibraryFailure& lastFailure();

int libfptr_create(Handle* handle, Module module);
// Destroys the instance and clears the handle variable.
void libfptr_destroy(Handle* handle, Module module);
int libfptr_open(Handle handle, Module module);
int libfptr_close(Handle handle, Module module);
int libfptr_is_opened(Handle handle, Module module);

void libfptr_set_param_int(Handle handle, Module module, int paramId, int value);
void libfptr_set_param_str(Handle handle, Module module, int paramId, const std::wstring& value);
void libfptr_set_param_bool(Handle handle, Module module, int paramId, int value);
void libfptr_set_param_double(Handle handle, Module module, int paramId, double value);
void libfptr_set_param_bytearray(Handle handle, Module module, int paramId,
                                 const unsigned char* value, int size);

int libfptr_get_param_int(Handle handle, Module module, int paramId);
int libfptr_get_param_bool(Handle handle, Module module, int paramId);
double libfptr_get_param_double(Handle handle, Module module, int paramId);
int libfptr_get_param_str(Handle handle, Module module, int paramId, wchar_t* buffer, int size);
// Reads the combined TLV value (parameter 65624).
int libfptr_get_param_bytearray(Handle handle, Module module, unsigned char* buffer, int size);
// Reads the register's date and time (parameter 65590).
void libfptr_get_param_datetime(Handle handle, Module module, int* year, int* month, int* day,
                                int* hour, int* minute, int* second);

int libfptr_query_data(Handle handle, Module module);
int libfptr_fn_query_data(Handle handle, Module module);
int libfptr_report(Handle handle, Module module);
int libfptr_open_shift(Handle handle, Module module);
int libfptr_operator_login(Handle handle, Module module);
int libfptr_open_receipt(Handle handle, Module module);
int libfptr_cancel_receipt(Handle handle, Module module);
int libfptr_print_text(Handle handle, Module module);
int libfptr_cash_outcome(Handle handle, Module module);
int libfptr_cash_income(Handle handle, Module module);
int libfptr_cut(Handle handle, Module module);
int libfptr_registration(Handle handle, Module module);
int libfptr_payment(Handle handle, Module module);
int libfptr_close_receipt(Handle handle, Module module);
int libfptr_check_document_closed(Handle handle, Module module);
int libfptr_util_form_tlv(Handle handle, Module module);
int libfptr_begin_nonfiscal_document(Handle handle, Module module);
int libfptr_end_nonfiscal_document(Handle handle, Module module);

int libfptr_get_settings(Handle handle, Module module, wchar_t* buffer, int size);
// The number of the instance's last failure.
int libfptr_error_code(Handle handle, Module module);
int libfptr_error_description(Handle handle, Module module, wchar_t* buffer, int size);
// Always 0: the library gives no result.
int libfptr_set_single_setting(Handle handle, Module module, const std::wstring& key,
                               const std::wstring& value);
int libfptr_apply_single_settings(Handle handle, Module module);
std::string libfptr_get_version_string(Module module);

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
