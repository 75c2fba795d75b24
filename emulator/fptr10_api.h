/* The C interface of the register library fptr10 (fptr10.dll on Windows,
 * libfptr10.so on Linux), as our emulated register implements it and as the
 * ATOL driver binds to it by name at run time.
 *
 * All functions are plain C functions with the default (cdecl) calling
 * convention, exported under their undecorated names. Texts are wide strings
 * (wchar_t: UTF-16 on Windows, UTF-32 on Linux). Functions returning int give
 * 0 on success and a negative error number on failure, unless stated otherwise;
 * libfptr_error_description then tells the text of the instance's last error.
 *
 * For each function there is a prototype (libfptr_xxx) and a pointer type
 * (libfptr_xxx_fn) for the binding that resolves the name with
 * GetProcAddress or dlsym.
 */
#ifndef VORNA_EMULATOR_FPTR10_API_H
#define VORNA_EMULATOR_FPTR10_API_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One library instance; opaque to the caller. */
typedef void* libfptr_handle;

/* ---- instance and connection ---------------------------------------------- */

/* Creates an instance and stores it in *handle; 0 on success. */
int libfptr_create(libfptr_handle* handle);
/* Destroys the instance (takes the handle itself, as the caller holds it). */
void libfptr_destroy(libfptr_handle handle);
/* Opens the connection to the register with the applied settings. */
int libfptr_open(libfptr_handle handle);
/* Closes the connection. */
int libfptr_close(libfptr_handle handle);
/* Non-zero when the connection is open, 0 when not. */
int libfptr_is_opened(libfptr_handle handle);

/* ---- parameters of the next operation ----------------------------------- */

void libfptr_set_param_int(libfptr_handle handle, int paramId, int value);
void libfptr_set_param_str(libfptr_handle handle, int paramId, const wchar_t* value);
/* value: 0 = false, 1 = true. */
void libfptr_set_param_bool(libfptr_handle handle, int paramId, int value);
void libfptr_set_param_double(libfptr_handle handle, int paramId, double value);
void libfptr_set_param_bytearray(libfptr_handle handle, int paramId, const unsigned char* value,
                                 int size);

/* ---- results of the last operation --------------------------------------- */

int libfptr_get_param_int(libfptr_handle handle, int paramId);
/* 0 = false, 1 = true. */
int libfptr_get_param_bool(libfptr_handle handle, int paramId);
double libfptr_get_param_double(libfptr_handle handle, int paramId);
/* Copies the text (NUL-terminated, truncated to fit) into buffer of size
 * characters; returns the size the whole text needs, NUL included. */
int libfptr_get_param_str(libfptr_handle handle, int paramId, wchar_t* buffer, int size);
/* Copies at most size bytes; returns the number of bytes the value has. */
int libfptr_get_param_bytearray(libfptr_handle handle, int paramId, unsigned char* buffer,
                                int size);
void libfptr_get_param_datetime(libfptr_handle handle, int paramId, int* year, int* month, int* day,
                                int* hour, int* minute, int* second);

/* ---- operations -------------------------------------------------------------- */

int libfptr_query_data(libfptr_handle handle);
int libfptr_fn_query_data(libfptr_handle handle);
int libfptr_report(libfptr_handle handle);
int libfptr_open_shift(libfptr_handle handle);
int libfptr_operator_login(libfptr_handle handle);
int libfptr_open_receipt(libfptr_handle handle);
int libfptr_cancel_receipt(libfptr_handle handle);
int libfptr_print_text(libfptr_handle handle);
int libfptr_cash_outcome(libfptr_handle handle);
int libfptr_cash_income(libfptr_handle handle);
int libfptr_cut(libfptr_handle handle);
int libfptr_registration(libfptr_handle handle);
int libfptr_payment(libfptr_handle handle);
int libfptr_close_receipt(libfptr_handle handle);
int libfptr_check_document_closed(libfptr_handle handle);
int libfptr_util_form_tlv(libfptr_handle handle);
int libfptr_begin_nonfiscal_document(libfptr_handle handle);
int libfptr_end_nonfiscal_document(libfptr_handle handle);

/* ---- settings, errors, version ------------------------------------------ */

/* The settings as text (NUL-terminated, truncated to fit); returns the size
 * the whole text needs, NUL included. */
int libfptr_get_settings(libfptr_handle handle, wchar_t* buffer, int size);
/* The text of the instance's last error, like libfptr_get_settings. */
int libfptr_error_description(libfptr_handle handle, wchar_t* buffer, int size);
/* Remembers one setting; libfptr_apply_single_settings applies them. */
void libfptr_set_single_setting(libfptr_handle handle, const wchar_t* key, const wchar_t* value);
int libfptr_apply_single_settings(libfptr_handle handle);
/* The library's version, "major.minor.build.revision"; takes no handle. */
const char* libfptr_get_version_string(void);

/* ---- pointer types for binding by name ------------------------------------- */

typedef int (*libfptr_create_fn)(libfptr_handle*);
typedef void (*libfptr_destroy_fn)(libfptr_handle);
typedef int (*libfptr_handle_fn)(libfptr_handle); /* every int f(handle) above */
typedef libfptr_handle_fn libfptr_open_fn;
typedef libfptr_handle_fn libfptr_close_fn;
typedef libfptr_handle_fn libfptr_is_opened_fn;
typedef libfptr_handle_fn libfptr_query_data_fn;
typedef libfptr_handle_fn libfptr_fn_query_data_fn;
typedef libfptr_handle_fn libfptr_report_fn;
typedef libfptr_handle_fn libfptr_open_shift_fn;
typedef libfptr_handle_fn libfptr_operator_login_fn;
typedef libfptr_handle_fn libfptr_open_receipt_fn;
typedef libfptr_handle_fn libfptr_cancel_receipt_fn;
typedef libfptr_handle_fn libfptr_print_text_fn;
typedef libfptr_handle_fn libfptr_cash_outcome_fn;
typedef libfptr_handle_fn libfptr_cash_income_fn;
typedef libfptr_handle_fn libfptr_cut_fn;
typedef libfptr_handle_fn libfptr_registration_fn;
typedef libfptr_handle_fn libfptr_payment_fn;
typedef libfptr_handle_fn libfptr_close_receipt_fn;
typedef libfptr_handle_fn libfptr_check_document_closed_fn;
typedef libfptr_handle_fn libfptr_util_form_tlv_fn;
typedef libfptr_handle_fn libfptr_begin_nonfiscal_document_fn;
typedef libfptr_handle_fn libfptr_end_nonfiscal_document_fn;
typedef libfptr_handle_fn libfptr_apply_single_settings_fn;
typedef void (*libfptr_set_param_int_fn)(libfptr_handle, int, int);
typedef void (*libfptr_set_param_str_fn)(libfptr_handle, int, const wchar_t*);
typedef void (*libfptr_set_param_bool_fn)(libfptr_handle, int, int);
typedef void (*libfptr_set_param_double_fn)(libfptr_handle, int, double);
typedef void (*libfptr_set_param_bytearray_fn)(libfptr_handle, int, const unsigned char*, int);
typedef int (*libfptr_get_param_int_fn)(libfptr_handle, int);
typedef int (*libfptr_get_param_bool_fn)(libfptr_handle, int);
typedef double (*libfptr_get_param_double_fn)(libfptr_handle, int);
typedef int (*libfptr_get_param_str_fn)(libfptr_handle, int, wchar_t*, int);
typedef int (*libfptr_get_param_bytearray_fn)(libfptr_handle, int, unsigned char*, int);
typedef void (*libfptr_get_param_datetime_fn)(libfptr_handle, int, int*, int*, int*, int*, int*,
                                              int*);
typedef int (*libfptr_get_settings_fn)(libfptr_handle, wchar_t*, int);
typedef int (*libfptr_error_description_fn)(libfptr_handle, wchar_t*, int);
typedef void (*libfptr_set_single_setting_fn)(libfptr_handle, const wchar_t*, const wchar_t*);
typedef const char* (*libfptr_get_version_string_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* VORNA_EMULATOR_FPTR10_API_H */
