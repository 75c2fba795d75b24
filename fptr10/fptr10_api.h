/* The C interface of the register library fptr10 (fptr10.dll on Windows,
 * libfptr10.so on Linux) as its vendor declares it. The ATOL driver binds to
 * it by name at run time; our emulated register defines exactly these
 * functions. Both take their types from the one list below, so a prototype
 * that drifts from the declaration fails to compile on either side.
 *
 * Every function is a plain C function with the cdecl convention, exported
 * under its undecorated name. Texts are wide strings (wchar_t: UTF-16 on
 * Windows, UTF-32 on Linux); byte arrays are unsigned char.
 *
 * Operations return 0 on success and -1 on failure; the reason is then
 * libfptr_error_code (a number) and libfptr_error_description (its text).
 * Functions that copy a text return the size the whole text needs, the
 * terminator included: when that exceeds the buffer, call again with a
 * larger one.
 */
#ifndef VORNA_FPTR10_API_H
#define VORNA_FPTR10_API_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The caller removes the arguments. Spelled out only where a calling
 * convention can be chosen at all: 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
#define LIBFPTR_CALL __cdecl
#else
#define LIBFPTR_CALL
#endif

/* One library instance; opaque to the caller. */
typedef void* libfptr_handle;

/* X(result type, name, parameter list): every function of the library that
 * the driver uses, in one place. */
#define LIBFPTR_FUNCTIONS(X)                                                                       \
    /* Creates an instance and stores it through the pointer; 0 on success. */                     \
    X(int, libfptr_create, (libfptr_handle * handle))                                              \
    /* Takes the address of the handle variable: destroys the instance and clears the variable. */ \
    X(void, libfptr_destroy, (libfptr_handle * handle))                                            \
    X(int, libfptr_open, (libfptr_handle handle))                                                  \
    X(int, libfptr_close, (libfptr_handle handle))                                                 \
    /* Non-zero when the connection is open. */                                                    \
    X(int, libfptr_is_opened, (libfptr_handle handle))                                             \
    X(void, libfptr_set_param_int, (libfptr_handle handle, int paramId, unsigned int value))       \
    X(void, libfptr_set_param_str, (libfptr_handle handle, int paramId, const wchar_t* value))     \
    /* value: 0 false, 1 true. */                                                                  \
    X(void, libfptr_set_param_bool, (libfptr_handle handle, int paramId, int value))               \
    X(void, libfptr_set_param_double, (libfptr_handle handle, int paramId, double value))          \
    X(void, libfptr_set_param_bytearray,                                                           \
      (libfptr_handle handle, int paramId, const unsigned char* value, int size))                  \
    /* A date and time parameter (for a date alone the time is 00:00:00). */                       \
    X(void, libfptr_set_param_datetime,                                                            \
      (libfptr_handle handle, int paramId, int year, int month, int day, int hour, int minute,     \
       int second))                                                                                \
    X(unsigned int, libfptr_get_param_int, (libfptr_handle handle, int paramId))                   \
    X(int, libfptr_get_param_bool, (libfptr_handle handle, int paramId))                           \
    X(double, libfptr_get_param_double, (libfptr_handle handle, int paramId))                      \
    X(int, libfptr_get_param_str, (libfptr_handle handle, int paramId, wchar_t* buffer, int size)) \
    /* Copies at most size bytes; returns the number of bytes the value has. */                    \
    X(int, libfptr_get_param_bytearray,                                                            \
      (libfptr_handle handle, int paramId, unsigned char* buffer, int size))                       \
    X(void, libfptr_get_param_datetime,                                                            \
      (libfptr_handle handle, int paramId, int* year, int* month, int* day, int* hour,             \
       int* minute, int* second))                                                                  \
    X(int, libfptr_query_data, (libfptr_handle handle))                                            \
    X(int, libfptr_fn_query_data, (libfptr_handle handle))                                         \
    X(int, libfptr_report, (libfptr_handle handle))                                                \
    X(int, libfptr_open_shift, (libfptr_handle handle))                                            \
    X(int, libfptr_operator_login, (libfptr_handle handle))                                        \
    X(int, libfptr_open_receipt, (libfptr_handle handle))                                          \
    X(int, libfptr_cancel_receipt, (libfptr_handle handle))                                        \
    X(int, libfptr_print_text, (libfptr_handle handle))                                            \
    X(int, libfptr_cash_outcome, (libfptr_handle handle))                                          \
    X(int, libfptr_cash_income, (libfptr_handle handle))                                           \
    X(int, libfptr_cut, (libfptr_handle handle))                                                   \
    X(int, libfptr_registration, (libfptr_handle handle))                                          \
    X(int, libfptr_payment, (libfptr_handle handle))                                               \
    X(int, libfptr_close_receipt, (libfptr_handle handle))                                         \
    X(int, libfptr_check_document_closed, (libfptr_handle handle))                                 \
    X(int, libfptr_util_form_tlv, (libfptr_handle handle))                                         \
    X(int, libfptr_begin_nonfiscal_document, (libfptr_handle handle))                              \
    X(int, libfptr_end_nonfiscal_document, (libfptr_handle handle))                                \
    X(int, libfptr_get_settings, (libfptr_handle handle, wchar_t * buffer, int size))              \
    /* The number of the instance's last failure (0: none). */                                     \
    X(int, libfptr_error_code, (libfptr_handle handle))                                            \
    /* The text of the instance's last failure. */                                                 \
    X(int, libfptr_error_description, (libfptr_handle handle, wchar_t * buffer, int size))         \
    /* Remembers one setting; libfptr_apply_single_settings applies them. */                       \
    X(void, libfptr_set_single_setting,                                                            \
      (libfptr_handle handle, const wchar_t* key, const wchar_t* value))                           \
    X(int, libfptr_apply_single_settings, (libfptr_handle handle))                                 \
    /* "major.minor.build.revision"; takes no handle. */                                           \
    X(const char*, libfptr_get_version_string, (void))

/* For each function its prototype and a pointer type libfptr_xxx_fn, for a
 * binding that resolves the name with GetProcAddress or dlsym. */
#define LIBFPTR_DECLARE(result, name, parameters) \
    result LIBFPTR_CALL name parameters;          \
    typedef result(LIBFPTR_CALL* name##_fn) parameters;
LIBFPTR_FUNCTIONS(LIBFPTR_DECLARE)
#undef LIBFPTR_DECLARE

#ifdef __cplusplus
}
#endif

#endif /* VORNA_FPTR10_API_H */
