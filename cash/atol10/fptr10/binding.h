// The binding to the register library: one callable object per entry point of
// fptr10_api.h's list, made from that list, named and typed as the library
// declares it, with the module handle after the first argument:
//   fptr10::libfptr_open(handle, module)
//   fptr10::libfptr_get_param_int(handle, module, paramId)
// Each resolves its entry point by name at every call, so a missing library or
// an older one without the entry point yields the default result (-1, -1.0,
// an empty text or nothing). Each call runs guarded: a C++ exception or a
// crash inside the library yields the default too. In debug-log mode each
// call logs its outcome. An operation that fails (below 0) has its reason
// logged once, with the library's number and description.
#pragma once

#include <string>

#include "common/platform/platform.h"
#include "fptr10/fptr10_api.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

using Handle = libfptr_handle;
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
// The library's description of the last failure of this instance.
std::wstring errorDescription(Handle handle, Module module);
// The library's description (Windows-1251) of the last failure the binding
// logged in this process, when that failure had this number; empty otherwise.
// Kept apart from the per-thread failure: the thread-local block stays small
// (the sanitizers' leak checker cannot read a large one in the library's
// dynamic TLS after the library is unloaded, and a destructor there would
// keep it from unloading at all).
std::string lastFailureDescription(int number);

// A text argument of the library, given as the driver holds it or as a pointer.
class WideText {
public:
    WideText(const wchar_t* text) : text_(text) {}
    WideText(const std::wstring& text) : text_(text.c_str()) {}
    operator const wchar_t*() const { return text_; }

private:
    const wchar_t* text_;
};

// How the driver passes each parameter type of the library.
template <typename Parameter>
struct Passed {
    using type = Parameter;
};
template <>
struct Passed<const wchar_t*> {
    using type = WideText;
};

// How the driver reads each result type of the library: numbers as int or
// double (the library's unsigned ones too, so the default reads -1), texts as
// std::string.
template <typename Result>
struct Read {
    using type = Result;
};
template <>
struct Read<unsigned int> {
    using type = int;
};
template <>
struct Read<const char*> {
    using type = std::string;
};

// One entry point of fptr10_api.h: Function is its pointer type, name its
// exported name.
#define VORNA_FPTR10_ENTRY(result, function, parameters) \
    struct function##_entry {                            \
        using Function = function##_fn;                  \
        static constexpr const char* name = #function;   \
    };
LIBFPTR_FUNCTIONS(VORNA_FPTR10_ENTRY)
#undef VORNA_FPTR10_ENTRY

// The binding of an entry point as the library declares it.
template <typename Entry, typename Function = typename Entry::Function>
class Binding;

template <typename Entry, typename Result, typename First, typename... Rest>
class Binding<Entry, Result(LIBFPTR_CALL*)(First, Rest...)> {
public:
    typename Read<Result>::type operator()(First first, Module module,
                                           typename Passed<Rest>::type... rest) const;
};

// An entry point that takes no argument at all.
template <typename Entry, typename Result>
class Binding<Entry, Result(LIBFPTR_CALL*)(void)> {
public:
    typename Read<Result>::type operator()(Module module) const;
};

// The entry points the driver calls in a shape of their own.

// libfptr_get_param_bytearray of the combined TLV value; the binding supplies its parameter id.
class TagValuesBinding {
public:
    int operator()(Handle handle, Module module, unsigned char* buffer, int size) const;
};
// libfptr_get_param_datetime of the register's date and time; the binding supplies its
// parameter id.
class DateTimeBinding {
public:
    void operator()(Handle handle, Module module, int* year, int* month, int* day, int* hour,
                    int* minute, int* second) const;
};
// libfptr_set_single_setting; always 0, since the library gives no result.
class SingleSettingBinding {
public:
    int operator()(Handle handle, Module module, WideText key, WideText value) const;
};

template <typename Entry>
struct BindingOf {
    using type = Binding<Entry>;
};
template <>
struct BindingOf<libfptr_get_param_bytearray_entry> {
    using type = TagValuesBinding;
};
template <>
struct BindingOf<libfptr_get_param_datetime_entry> {
    using type = DateTimeBinding;
};
template <>
struct BindingOf<libfptr_set_single_setting_entry> {
    using type = SingleSettingBinding;
};

#define VORNA_FPTR10_BINDING(result, function, parameters) \
    extern const BindingOf<function##_entry>::type function;
LIBFPTR_FUNCTIONS(VORNA_FPTR10_BINDING)
#undef VORNA_FPTR10_BINDING

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
