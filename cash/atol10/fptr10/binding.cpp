#include "cash/atol10/fptr10/binding.h"

#include <mutex>
#include <type_traits>

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/growing_text.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"
#include "common/platform/platform.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

namespace {

thread_local LibraryFailure lastFailure_;

std::mutex describedMutex;
int describedNumber = 0;
std::string describedText;

bool debugLog() { return Config::instance().useLog == "D"; }

// ---- what sets one entry point apart --------------------------------------

// An operation of the register: it returns 0 or, failing, below 0, and its
// failure has a reason to log. Those are the entry points that take nothing
// but the instance and return int, save the two that answer a question.
template <typename Entry>
constexpr bool isOperation =
    std::is_same<typename Entry::Function, int(LIBFPTR_CALL*)(libfptr_handle)>::value;
template <>
constexpr bool isOperation<libfptr_is_opened_entry> = false;
template <>
constexpr bool isOperation<libfptr_error_code_entry> = false;

// The name in the log lines: the library's, save three older spellings that
// the logs have always shown.
template <typename Entry>
constexpr const char* logName = Entry::name;
template <>
constexpr const char* logName<libfptr_cancel_receipt_entry> = "cancel_receipt";
template <>
constexpr const char* logName<libfptr_begin_nonfiscal_document_entry> = "begin_nonfiscal_document";
template <>
constexpr const char* logName<libfptr_end_nonfiscal_document_entry> = "end_nonfiscal_document";

// The end of the error line: two blanks before "=", one in four of them.
template <typename Entry>
constexpr const char* errorLineEnd = " GetLastError  = ";
template <>
constexpr const char* errorLineEnd<libfptr_set_param_str_entry> = " GetLastError = ";
template <>
constexpr const char* errorLineEnd<libfptr_set_param_bool_entry> = " GetLastError = ";
template <>
constexpr const char* errorLineEnd<libfptr_set_param_double_entry> = " GetLastError = ";
template <>
constexpr const char* errorLineEnd<libfptr_get_param_double_entry> = " GetLastError = ";

template <typename Entry>
std::string resultLine() {
    return std::string("   ") + logName<Entry> + " result = ";
}
template <typename Entry>
std::string errorLine() {
    return std::string("   ") + logName<Entry> + errorLineEnd<Entry>;
}

// ---- results as the driver reads them -------------------------------------

template <typename Result>
typename Read<Result>::type readResult(Result value) {
    return static_cast<typename Read<Result>::type>(value);
}
template <>
std::string readResult(const char* value) {
    return value != nullptr ? value : "";
}

// The result of an entry point that does not answer.
template <typename Value>
Value defaultResult() {
    return static_cast<Value>(-1);
}
template <>
std::string defaultResult<std::string>() {
    return std::string();
}

std::string resultText(const std::string& value) { return value; }
template <typename Value>
std::string resultText(Value value) {
    return logText(value);
}

// ---- one guarded call ---------------------------------------------------------

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
void reportFault(const std::string& errorLine, const CallFault& fault) {
    const unsigned long lastError = platform::lastError();
    if (fault.structured) {
        writeLog(errorLine + logText(lastError) + ", исключение " +
                 platform::faultText(fault.faultCode));
    } else if (debugLog()) {
        writeLog(errorLine + logText(lastError));
    }
}

// Resolves the entry point by name in the module, anew at every call.
template <typename Entry>
typename Entry::Function resolve(Module module) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<typename Entry::Function>(platform::findSymbol(module, Entry::name));
}

// One call of an entry point that returns a value: true when the library
// answered (answer holds its value); false when the name does not resolve or
// the call did not return.
template <typename Entry, typename Result, typename... Args>
bool invoke(Module module, Result& answer, Args... args) {
    const typename Entry::Function function = resolve<Entry>(module);
    if (function == nullptr) return false;
    Result value{};
    auto call = [&] { value = function(args...); };
    const CallFault fault = invokeGuarded(call);
    if (fault.happened) {
        reportFault(errorLine<Entry>(), fault);
        return false;
    }
    answer = value;
    return true;
}

template <typename Entry, typename... Args>
void invokeWithoutResult(Module module, Args... args) {
    const typename Entry::Function function = resolve<Entry>(module);
    if (function == nullptr) return;
    auto call = [&] { function(args...); };
    const CallFault fault = invokeGuarded(call);
    if (fault.happened) reportFault(errorLine<Entry>(), fault);
}

// The reason of a failed operation, logged once here: the library's number
// (libfptr_error_code after -1; an older library's direct number as it is)
// and its own description.
void recordFailure(Handle handle, Module module, const char* name, int result) {
    const int number = result == -1 ? libfptr_error_code(handle, module) : result;
    lastFailure_.call = name;
    lastFailure_.number = number;
    const std::string description = toNarrow(errorDescription(handle, module));
    {
        std::lock_guard<std::mutex> hold(describedMutex);
        describedNumber = number;
        describedText = description;
    }
    writeLog(std::string("   ") + name + ": ошибка " + logText(number) + " [" + description + "]");
}

template <typename Entry, typename Result, typename... Args>
typename Read<Result>::type call(Module module, Args... args) {
    if constexpr (std::is_void<Result>::value) {
        invokeWithoutResult<Entry>(module, args...);
    } else {
        using Value = typename Read<Result>::type;
        if (isOperation<Entry>) lastFailure_ = LibraryFailure();
        Result answer{};
        const bool answered = invoke<Entry>(module, answer, args...);
        const Value result = answered ? readResult(answer) : defaultResult<Value>();
        if (debugLog()) writeLog(resultLine<Entry>() + resultText(result));
        if constexpr (isOperation<Entry>) {
            if (answered && result < 0) recordFailure(args..., module, Entry::name, result);
        }
        return result;
    }
}

}  // namespace

template <typename Entry, typename Result, typename First, typename... Rest>
typename Read<Result>::type Binding<Entry, Result(LIBFPTR_CALL*)(First, Rest...)>::operator()(
    First first, Module module, typename Passed<Rest>::type... rest) const {
    return call<Entry, Result>(module, first, static_cast<Rest>(rest)...);
}

template <typename Entry, typename Result>
typename Read<Result>::type Binding<Entry, Result(LIBFPTR_CALL*)(void)>::operator()(
    Module module) const {
    return call<Entry, Result>(module);
}

int TagValuesBinding::operator()(Handle handle, Module module, unsigned char* buffer,
                                 int size) const {
    return Binding<libfptr_get_param_bytearray_entry>()(handle, module, libfptr::param::tagValue,
                                                        buffer, size);
}

void DateTimeBinding::operator()(Handle handle, Module module, int* year, int* month, int* day,
                                 int* hour, int* minute, int* second) const {
    Binding<libfptr_get_param_datetime_entry>()(handle, module, libfptr::param::dateTime, year,
                                                month, day, hour, minute, second);
}

int SingleSettingBinding::operator()(Handle handle, Module module, WideText key,
                                     WideText value) const {
    Binding<libfptr_set_single_setting_entry>()(handle, module, key, value);
    return 0;
}

const LibraryFailure& lastFailure() { return lastFailure_; }

std::wstring errorDescription(Handle handle, Module module) {
    return readGrowing(32, [&](wchar_t* buffer, int size) {
        return libfptr_error_description(handle, module, buffer, size);
    });
}

std::string lastFailureDescription(int number) {
    std::lock_guard<std::mutex> hold(describedMutex);
    return describedNumber == number ? describedText : std::string();
}

#define VORNA_FPTR10_BINDING(result, function, parameters) \
    template class Binding<function##_entry>;              \
    const BindingOf<function##_entry>::type function{};
LIBFPTR_FUNCTIONS(VORNA_FPTR10_BINDING)
#undef VORNA_FPTR10_BINDING

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
