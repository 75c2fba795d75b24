// The exported libfptr_* functions. Each call takes the register's lock,
// reads the state, lets an injected fault act before or after the register's
// work, saves the state when it changed and writes its trace line.

#include <cstring>
#include <functional>
#include <string>

#include "fptr10/fptr10_api.h"

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/faults.h"
#include "emulator/instance.h"
#include "emulator/library_version.h"
#include "emulator/register_machine.h"
#include "emulator/register_port.h"
#include "emulator/state_store.h"
#include "emulator/text_codec.h"
#include "emulator/trace_format.h"

namespace vorna {
namespace emulator {
namespace {

using nlohmann::json;

enum class CallKind {
    operation,  // goes to the register: faults with function "*" hit it, parameters are used up
    access,     // instance parameters, settings and texts
    creation    // libfptr_create: an access call that a bad handle pointer fails
};

struct CallContext {
    Instance* instance = nullptr;
    StateSession* session = nullptr;
    RegisterMachine* machine = nullptr;
    std::string result;  // the result as the trace shows it, when not the plain number
};

// Set by a call that a "crash" fault hit, once its work is saved and the
// register's lock released; the exported frame then crashes (finish below).
thread_local bool crashDue = false;

error::Convention conventionOf(const json& state) {
    error::Convention convention = error::Convention::current;
    if (state.is_object()) error::conventionOf(state.value("errors", "current"), convention);
    return convention;
}

// Records the failure as the convention reports it; returns the call's result.
int fail(Instance* instance, int failure, error::Convention convention,
         const std::string& detail = std::string()) {
    const error::Reported reported = error::report(failure, convention);
    if (instance) {
        instance->lastError = reported.code;
        instance->lastErrorText = reported.text;
        if (!detail.empty()) instance->lastErrorText += ": " + detail;
    }
    return reported.result;
}

std::string resultText(int result, const CallContext& context, const Instance& instance,
                       bool failed) {
    if (!context.result.empty() && !failed) return context.result;
    std::string text = std::to_string(result);
    if (failed) {
        if (instance.lastError != result) text += ", error " + std::to_string(instance.lastError);
        text += " " + quotedText(instance.lastErrorText);
    }
    return text;
}

// A caller's breach of the library's contract: a trace line and a line of
// the violations file, which the tool reports.
void recordViolation(StateSession& session, bool traced, const std::string& line) {
    session.appendLine(kViolationsFileName, line);
    if (traced) session.appendLine(kTraceFileName, line);
}

// Runs one library call. hasResult: the function returns a value (for the
// trace). violation: what is wrong with the handle the call got (then
// instance is null). The call's body returns the result of an instance call,
// or 0 or a failure condition for a register operation.
int runCall(Instance* instance, const std::string& violation, const char* name, CallKind kind,
            const std::string& args, bool hasResult, const std::function<int(CallContext&)>& body) {
    StateSession session(emulatorDirectory());
    json& state = session.state();
    const error::Convention convention = conventionOf(state);
    const bool operation = kind == CallKind::operation;
    if (!violation.empty())
        recordViolation(session, session.ok() && state.value("trace", false),
                        "CONTRACT VIOLATION in " + std::string(name) + ": " + violation);
    Instance scratch;
    Instance& target = instance ? *instance : scratch;
    RegisterMachine machine(session, target);
    CallContext context;
    context.instance = instance;
    context.session = &session;
    context.machine = &machine;
    if (!session.ok()) {
        // Parameters and texts of the instance still work; the register does not.
        if (!operation) {
            try {
                return body(context);
            } catch (const std::exception&) {
                return fail(&target, error::stateDamaged, convention, session.problem());
            }
        }
        return fail(&target, error::stateDamaged, convention, session.problem());
    }

    const json faultsBefore = state["faults"];
    const json fault = takeFault(state, name, operation);
    int result = 0;
    int failure = 0;  // a condition or a number of either numbering
    std::string thrown;
    bool internal = false;  // the emulator itself failed (not an injected number)
    try {
        if (operation) target.output.clear();
        if (!violation.empty() && kind != CallKind::access) {
            failure = error::invalidHandle;
        } else if (!fault.is_null() && actsBefore(fault)) {
            if (fault.value("kind", "") != "unconfirmed") failure = applyFault(state, fault, name);
        } else {
            result = body(context);
            if (operation) failure = result;
            if (!fault.is_null()) {
                if (failure != 0) {
                    // The work itself failed: there is no reply to lose, the fault waits.
                    state["faults"] = faultsBefore;
                } else {
                    failure = applyFault(state, fault, name);
                    if (failure != 0) context.result.clear();
                }
            }
        }
    } catch (const InjectedException& e) {
        thrown = e.what();
    } catch (const std::exception& e) {
        internal = true;
        failure = error::internalFailure;
        context.result.clear();
        result = fail(&target, failure, convention, e.what());
    }
    if (!internal && !thrown.empty()) {
        // nothing reported: the call ends in the exception
    } else if (!internal && failure != 0) {
        result = fail(&target, failure, convention);
    } else if (!internal && operation && instance) {
        fail(&target, 0, convention);
    }
    if (operation) target.input.clear();
    // A half-done change after an internal failure is not kept.
    if (!internal && !session.save()) {
        failure = error::internalFailure;
        context.result.clear();
        result = fail(&target, failure, convention, "cannot write the state file");
    }
    const bool crash = crashes(fault) && (actsBefore(fault) || failure == 0);
    if (state.value("trace", false)) {
        std::string line = std::string(name) + "(" + args + ")";
        if (!thrown.empty())
            line += " threw " + quotedText(thrown);
        else if (crash)
            line += std::string(" crashed (access violation ") +
                    (actsBefore(fault) ? "before" : "after") + " the work)";
        else if (hasResult || failure != 0)
            line += " = " + resultText(result, context, target, failure != 0);
        session.appendLine(kTraceFileName, line);
    }
    exitWhenAsked();
    if (!thrown.empty()) throw InjectedException(thrown);
    crashDue = crash;
    return result;
}

// A real access violation: a write through a null pointer the compiler
// cannot see through, so that it is a store to address 0, not a trap.
#if defined(__GNUC__)
__attribute__((noinline, no_sanitize("undefined")))
#endif
void crashNow() {
    static volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// Ends an exported call. It runs in the exported function's own frame,
// after the call's work returned: every lock is released, the state saved,
// and no frame of the emulator with something to clean up is left below it,
// so a caller that recovers from the access violation loses nothing.
template <class Result>
Result finish(Result value) {
    if (crashDue) {
        crashDue = false;
        crashNow();
    }
    return value;
}

void finish() {
    if (crashDue) {
        crashDue = false;
        crashNow();
    }
}

std::string handleArg(Instance* instance) {
    return instance ? handleText(instance->number) : std::string("#invalid");
}

// An operation of the register: int f(handle).
int operation(libfptr_handle handle, const char* name, int (RegisterMachine::*member)()) {
    const HandleCheck h = checkHandle(handle);
    return runCall(h.instance, h.violation, name, CallKind::operation, handleArg(h.instance), true,
                   [&](CallContext& c) { return (c.machine->*member)(); });
}

void setParam(libfptr_handle handle, const char* name, int paramId, const ParamValue& value,
              const std::string& valueText) {
    const HandleCheck h = checkHandle(handle);
    runCall(h.instance, h.violation, name, CallKind::access,
            handleArg(h.instance) + ", " + std::to_string(paramId) + ", " + valueText, false,
            [&](CallContext&) {
                if (h.instance) h.instance->input.set(paramId, value);
                return 0;
            });
}

const ParamValue* result(Instance* instance, int paramId) {
    return instance ? instance->output.find(paramId) : nullptr;
}

// Copies a text into a caller's buffer; returns the size it needs, NUL included.
int copyText(const std::string& utf8, wchar_t* buffer, int size) {
    std::wstring wide = utf8ToWide(utf8);
    if (buffer && size > 0) {
        std::size_t n = wide.size() < static_cast<std::size_t>(size - 1)
                            ? wide.size()
                            : static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, wide.data(), n * sizeof(wchar_t));
        buffer[n] = L'\0';
    }
    return static_cast<int>(wide.size() + 1);
}

int textCall(libfptr_handle handle, const char* name, int paramId, bool withId, wchar_t* buffer,
             int size, const std::function<std::string(CallContext&, bool&)>& text) {
    const HandleCheck h = checkHandle(handle);
    std::string args = handleArg(h.instance);
    if (withId) args += ", " + std::to_string(paramId);
    args += ", " + std::to_string(size);
    return runCall(
        h.instance, h.violation, name, CallKind::access, args, true, [&](CallContext& c) -> int {
            bool present = true;
            std::string value = text(c, present);
            int needed = copyText(value, buffer, size);
            c.result =
                std::to_string(needed) + " " + quotedText(value) + (present ? "" : " (not set)");
            return needed;
        });
}

// The library's calls; the exported functions below only end them (finish).
namespace calls {

int create(libfptr_handle* handle) {
    Instance* instance = handle ? createInstance() : nullptr;
    if (handle) *handle = instance;
    const std::string violation =
        handle ? std::string() : "a null pointer instead of the address of the handle variable";
    const int result = runCall(instance, violation, "libfptr_create", CallKind::creation,
                               "&" + handleArg(instance), true, [](CallContext&) { return 0; });
    // The instance exists even when the state cannot be read; its calls report that.
    return instance ? 0 : result;
}

void destroy(libfptr_handle* holder) {
    const HandleCheck h = checkHolder(holder);
    runCall(h.instance, h.violation, "libfptr_destroy", CallKind::access,
            "&" + handleArg(h.instance), false, [](CallContext&) { return 0; });
    if (h.instance) releasePort(*h.instance);
    if (h.instance && destroyInstance(h.instance)) *holder = nullptr;
}

int isOpened(libfptr_handle handle) {
    const HandleCheck h = checkHandle(handle);
    return runCall(h.instance, h.violation, "libfptr_is_opened", CallKind::access,
                   handleArg(h.instance), true,
                   [&](CallContext& c) { return h.instance ? c.machine->isOpened() : 0; });
}

void setParamStr(libfptr_handle handle, int paramId, const wchar_t* value) {
    const std::string text = wideToUtf8(value);
    setParam(handle, "libfptr_set_param_str", paramId, ParamValue::ofText(text), quotedText(text));
}

void setParamBytes(libfptr_handle handle, int paramId, const unsigned char* value, int size) {
    std::string bytes;
    if (value && size > 0) bytes.assign(reinterpret_cast<const char*>(value), size);
    setParam(handle, "libfptr_set_param_bytearray", paramId, ParamValue::ofBytes(bytes),
             hexBytes(value, size));
}

unsigned int getParamInt(libfptr_handle handle, int paramId) {
    const HandleCheck h = checkHandle(handle);
    return static_cast<unsigned int>(
        runCall(h.instance, h.violation, "libfptr_get_param_int", CallKind::access,
                handleArg(h.instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                    const ParamValue* v = result(h.instance, paramId);
                    int value = v ? static_cast<int>(v->asInt()) : 0;
                    c.result = std::to_string(value) + (v ? "" : " (not set)");
                    return value;
                }));
}

int getParamBool(libfptr_handle handle, int paramId) {
    const HandleCheck h = checkHandle(handle);
    return runCall(h.instance, h.violation, "libfptr_get_param_bool", CallKind::access,
                   handleArg(h.instance) + ", " + std::to_string(paramId), true,
                   [&](CallContext& c) {
                       const ParamValue* v = result(h.instance, paramId);
                       int value = v && v->asInt() != 0 ? 1 : 0;
                       c.result = std::string(value ? "true" : "false") + (v ? "" : " (not set)");
                       return value;
                   });
}

double getParamDouble(libfptr_handle handle, int paramId) {
    const HandleCheck h = checkHandle(handle);
    double value = 0.0;
    runCall(h.instance, h.violation, "libfptr_get_param_double", CallKind::access,
            handleArg(h.instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                const ParamValue* v = result(h.instance, paramId);
                value = v ? v->asDouble() : 0.0;
                c.result = doubleText(value) + (v ? "" : " (not set)");
                return 0;
            });
    return value;
}

int getParamStr(libfptr_handle handle, int paramId, wchar_t* buffer, int size) {
    return textCall(handle, "libfptr_get_param_str", paramId, true, buffer, size,
                    [&](CallContext& c, bool& present) {
                        const ParamValue* v = result(c.instance, paramId);
                        present = v != nullptr;
                        return v ? v->asText() : std::string();
                    });
}

int getParamBytes(libfptr_handle handle, int paramId, unsigned char* buffer, int size) {
    const HandleCheck h = checkHandle(handle);
    return runCall(
        h.instance, h.violation, "libfptr_get_param_bytearray", CallKind::access,
        handleArg(h.instance) + ", " + std::to_string(paramId) + ", " + std::to_string(size), true,
        [&](CallContext& c) {
            const ParamValue* v = result(h.instance, paramId);
            const std::string bytes = v ? v->text : std::string();
            if (buffer && size > 0)
                std::memcpy(buffer, bytes.data(),
                            bytes.size() < static_cast<std::size_t>(size)
                                ? bytes.size()
                                : static_cast<std::size_t>(size));
            const int n = static_cast<int>(bytes.size());
            c.result = std::to_string(n) + " " +
                       hexBytes(reinterpret_cast<const unsigned char*>(bytes.data()), n) +
                       (v ? "" : " (not set)");
            return n;
        });
}

void getParamDatetime(libfptr_handle handle, int paramId, int* year, int* month, int* day,
                      int* hour, int* minute, int* second) {
    const HandleCheck h = checkHandle(handle);
    runCall(h.instance, h.violation, "libfptr_get_param_datetime", CallKind::access,
            handleArg(h.instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                const ParamValue* v = result(h.instance, paramId);
                CivilTime t;
                if (v) t = toCivil(v->integer);
                int* out[6] = {year, month, day, hour, minute, second};
                int values[6] = {v ? t.year : 0, v ? t.month : 0,  v ? t.day : 0,
                                 v ? t.hour : 0, v ? t.minute : 0, v ? t.second : 0};
                for (int i = 0; i < 6; ++i)
                    if (out[i]) *out[i] = values[i];
                c.result = v ? formatTime(v->integer) : std::string("(not set)");
                return 0;
            });
}

int getSettings(libfptr_handle handle, wchar_t* buffer, int size) {
    return textCall(handle, "libfptr_get_settings", 0, false, buffer, size,
                    [](CallContext& c, bool&) { return c.machine->settingsText(); });
}

int errorCode(libfptr_handle handle) {
    const HandleCheck h = checkHandle(handle);
    return runCall(
        h.instance, h.violation, "libfptr_error_code", CallKind::access, handleArg(h.instance),
        true, [&](CallContext& c) {
            const int code =
                h.instance
                    ? h.instance->lastError
                    : error::report(error::invalidHandle, conventionOf(c.session->state())).code;
            c.result = std::to_string(code);
            return code;
        });
}

int errorDescription(libfptr_handle handle, wchar_t* buffer, int size) {
    return textCall(
        handle, "libfptr_error_description", 0, false, buffer, size, [](CallContext& c, bool&) {
            if (!c.instance) return error::description(error::invalidHandle);
            return c.instance->lastErrorText.empty() ? error::description(c.instance->lastError)
                                                     : c.instance->lastErrorText;
        });
}

void setSingleSetting(libfptr_handle handle, const wchar_t* key, const wchar_t* value) {
    const HandleCheck h = checkHandle(handle);
    const std::string k = wideToUtf8(key), v = wideToUtf8(value);
    runCall(h.instance, h.violation, "libfptr_set_single_setting", CallKind::access,
            handleArg(h.instance) + ", " + quotedText(k) + ", " + quotedText(v), false,
            [&](CallContext&) {
                if (h.instance) h.instance->pendingSettings.emplace_back(k, v);
                return 0;
            });
}

const char* versionString() {
    // The library answers a text of its own that stays valid; a plain array
    // per thread needs no destructor when the library is unloaded.
    thread_local char version[64];
    std::string text = kDefaultLibraryVersion;
    runCall(nullptr, std::string(), "libfptr_get_version_string", CallKind::access, "", true,
            [&](CallContext& c) {
                if (c.session->ok()) text = libraryVersionOf(c.session->state());
                c.result = quotedText(text);
                return 0;
            });
    std::strncpy(version, text.c_str(), sizeof version - 1);
    version[sizeof version - 1] = '\0';
    return version;
}

}  // namespace calls
}  // namespace
}  // namespace emulator
}  // namespace vorna

using namespace vorna::emulator;

// Each exported function is one call of the library and its end: nothing of
// its own to clean up when a "crash" fault ends it (finish).
extern "C" {

int libfptr_create(libfptr_handle* handle) { return finish(calls::create(handle)); }
void libfptr_destroy(libfptr_handle* handle) {
    calls::destroy(handle);
    finish();
}

int libfptr_open(libfptr_handle h) {
    return finish(operation(h, "libfptr_open", &RegisterMachine::open));
}
int libfptr_close(libfptr_handle h) {
    return finish(operation(h, "libfptr_close", &RegisterMachine::close));
}
int libfptr_is_opened(libfptr_handle h) { return finish(calls::isOpened(h)); }

void libfptr_set_param_int(libfptr_handle handle, int paramId, unsigned int value) {
    setParam(handle, "libfptr_set_param_int", paramId, ParamValue::ofInt(static_cast<int>(value)),
             std::to_string(static_cast<int>(value)));
    finish();
}
void libfptr_set_param_str(libfptr_handle handle, int paramId, const wchar_t* value) {
    calls::setParamStr(handle, paramId, value);
    finish();
}
void libfptr_set_param_bool(libfptr_handle handle, int paramId, int value) {
    setParam(handle, "libfptr_set_param_bool", paramId, ParamValue::ofBool(value != 0),
             value ? "true" : "false");
    finish();
}
void libfptr_set_param_double(libfptr_handle handle, int paramId, double value) {
    setParam(handle, "libfptr_set_param_double", paramId, ParamValue::ofDouble(value),
             doubleText(value));
    finish();
}
void libfptr_set_param_bytearray(libfptr_handle handle, int paramId, const unsigned char* value,
                                 int size) {
    calls::setParamBytes(handle, paramId, value, size);
    finish();
}

void libfptr_set_param_datetime(libfptr_handle handle, int paramId, int year, int month, int day,
                                int hour, int minute, int second) {
    const CivilTime t{year, month, day, hour, minute, second};
    const std::int64_t moment = fromCivil(t);
    setParam(handle, "libfptr_set_param_datetime", paramId, ParamValue::ofDateTime(moment),
             formatTime(moment));
    finish();
}

unsigned int libfptr_get_param_int(libfptr_handle handle, int paramId) {
    return finish(calls::getParamInt(handle, paramId));
}
int libfptr_get_param_bool(libfptr_handle handle, int paramId) {
    return finish(calls::getParamBool(handle, paramId));
}
double libfptr_get_param_double(libfptr_handle handle, int paramId) {
    return finish(calls::getParamDouble(handle, paramId));
}
int libfptr_get_param_str(libfptr_handle handle, int paramId, wchar_t* buffer, int size) {
    return finish(calls::getParamStr(handle, paramId, buffer, size));
}
int libfptr_get_param_bytearray(libfptr_handle handle, int paramId, unsigned char* buffer,
                                int size) {
    return finish(calls::getParamBytes(handle, paramId, buffer, size));
}
void libfptr_get_param_datetime(libfptr_handle handle, int paramId, int* year, int* month, int* day,
                                int* hour, int* minute, int* second) {
    calls::getParamDatetime(handle, paramId, year, month, day, hour, minute, second);
    finish();
}

int libfptr_query_data(libfptr_handle h) {
    return finish(operation(h, "libfptr_query_data", &RegisterMachine::queryData));
}
int libfptr_fn_query_data(libfptr_handle h) {
    return finish(operation(h, "libfptr_fn_query_data", &RegisterMachine::fnQueryData));
}
int libfptr_report(libfptr_handle h) {
    return finish(operation(h, "libfptr_report", &RegisterMachine::report));
}
int libfptr_open_shift(libfptr_handle h) {
    return finish(operation(h, "libfptr_open_shift", &RegisterMachine::openShift));
}
int libfptr_operator_login(libfptr_handle h) {
    return finish(operation(h, "libfptr_operator_login", &RegisterMachine::operatorLogin));
}
int libfptr_open_receipt(libfptr_handle h) {
    return finish(operation(h, "libfptr_open_receipt", &RegisterMachine::openReceipt));
}
int libfptr_cancel_receipt(libfptr_handle h) {
    return finish(operation(h, "libfptr_cancel_receipt", &RegisterMachine::cancelReceipt));
}
int libfptr_print_text(libfptr_handle h) {
    return finish(operation(h, "libfptr_print_text", &RegisterMachine::printText));
}
int libfptr_cash_outcome(libfptr_handle h) {
    return finish(operation(h, "libfptr_cash_outcome", &RegisterMachine::cashOutcome));
}
int libfptr_cash_income(libfptr_handle h) {
    return finish(operation(h, "libfptr_cash_income", &RegisterMachine::cashIncome));
}
int libfptr_cut(libfptr_handle h) {
    return finish(operation(h, "libfptr_cut", &RegisterMachine::cut));
}
int libfptr_registration(libfptr_handle h) {
    return finish(operation(h, "libfptr_registration", &RegisterMachine::registration));
}
int libfptr_payment(libfptr_handle h) {
    return finish(operation(h, "libfptr_payment", &RegisterMachine::payment));
}
int libfptr_close_receipt(libfptr_handle h) {
    return finish(operation(h, "libfptr_close_receipt", &RegisterMachine::closeReceipt));
}
int libfptr_check_document_closed(libfptr_handle h) {
    return finish(
        operation(h, "libfptr_check_document_closed", &RegisterMachine::checkDocumentClosed));
}
int libfptr_util_form_tlv(libfptr_handle h) {
    return finish(operation(h, "libfptr_util_form_tlv", &RegisterMachine::utilFormTlv));
}
int libfptr_begin_nonfiscal_document(libfptr_handle h) {
    return finish(
        operation(h, "libfptr_begin_nonfiscal_document", &RegisterMachine::beginNonfiscalDocument));
}
int libfptr_end_nonfiscal_document(libfptr_handle h) {
    return finish(
        operation(h, "libfptr_end_nonfiscal_document", &RegisterMachine::endNonfiscalDocument));
}
int libfptr_apply_single_settings(libfptr_handle h) {
    return finish(
        operation(h, "libfptr_apply_single_settings", &RegisterMachine::applySingleSettings));
}

int libfptr_get_settings(libfptr_handle handle, wchar_t* buffer, int size) {
    return finish(calls::getSettings(handle, buffer, size));
}
int libfptr_error_code(libfptr_handle handle) { return finish(calls::errorCode(handle)); }
int libfptr_error_description(libfptr_handle handle, wchar_t* buffer, int size) {
    return finish(calls::errorDescription(handle, buffer, size));
}
void libfptr_set_single_setting(libfptr_handle handle, const wchar_t* key, const wchar_t* value) {
    calls::setSingleSetting(handle, key, value);
    finish();
}
const char* libfptr_get_version_string(void) { return finish(calls::versionString()); }

}  // extern "C"
