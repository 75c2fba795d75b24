// The exported libfptr_* functions. Each call takes the register's lock,
// reads the state, lets an injected fault act before or after the register's
// work, saves the state when it changed and writes its trace line.

#include <cstring>
#include <functional>
#include <string>

#include "cash/atol10/fptr10/fptr10_api.h"

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/faults.h"
#include "emulator/instance.h"
#include "emulator/register_machine.h"
#include "emulator/state_store.h"
#include "emulator/text_codec.h"
#include "emulator/trace_format.h"

namespace vorna {
namespace emulator {
namespace {

using nlohmann::json;

const char* const kVersion = "10.10.8.0";

enum class CallKind {
    operation,  // goes to the register: faults with function "*" hit it, parameters are used up
    access      // instance parameters, settings and texts
};

struct CallContext {
    Instance* instance = nullptr;
    StateSession* session = nullptr;
    RegisterMachine* machine = nullptr;
    std::string result;  // the result as the trace shows it, when not the plain number
};

void setLastError(Instance& instance, int code, const std::string& detail = std::string()) {
    instance.lastError = code;
    instance.lastErrorText = error::description(code);
    if (!detail.empty()) instance.lastErrorText += ": " + detail;
}

std::string resultText(int result, const CallContext& context) {
    if (!context.result.empty()) return context.result;
    std::string text = std::to_string(result);
    if (result < 0) text += " " + quotedText(error::description(result));
    return text;
}

// Runs one library call. hasResult: the function returns a value (for the trace).
int runCall(Instance* instance, const char* name, CallKind kind, const std::string& args,
            bool hasResult, const std::function<int(CallContext&)>& body) {
    StateSession session(emulatorDirectory());
    json& state = session.state();
    Instance scratch;
    Instance& target = instance ? *instance : scratch;
    RegisterMachine machine(session, target);
    CallContext context;
    context.instance = instance;
    context.session = &session;
    context.machine = &machine;
    if (!session.ok()) {
        // Parameters and texts of the instance still work; the register does not.
        if (kind == CallKind::access) {
            try {
                return body(context);
            } catch (const std::exception&) {
                return error::stateDamaged;
            }
        }
        if (instance) setLastError(*instance, error::stateDamaged, session.problem());
        return error::stateDamaged;
    }

    const bool operation = kind == CallKind::operation;
    const json faultsBefore = state["faults"];
    const json fault = takeFault(state, name, operation);
    int result = 0;
    std::string thrown;
    bool internal = false;  // the emulator itself failed (not an injected number)
    try {
        if (operation) target.output.clear();
        if (!fault.is_null() && actsBefore(fault)) {
            result = fault.value("kind", "") == "unconfirmed" ? 0 : applyFault(state, fault, name);
        } else {
            result = body(context);
            if (!fault.is_null()) {
                if (result < 0) {
                    // The work itself failed: there is no reply to lose, the fault waits.
                    state["faults"] = faultsBefore;
                } else {
                    const int faulted = applyFault(state, fault, name);
                    if (faulted != 0) result = faulted;
                    context.result.clear();
                }
            }
        }
    } catch (const InjectedException& e) {
        thrown = e.what();
    } catch (const std::exception& e) {
        internal = true;
        result = error::internalFailure;
        context.result.clear();
        if (instance) setLastError(*instance, result, e.what());
    }
    if (operation) {
        target.input.clear();
        if (instance && !internal) setLastError(*instance, result < 0 ? result : 0);
    }
    // A half-done change after an internal failure is not kept.
    if (!internal && !session.save()) {
        result = error::internalFailure;
        context.result.clear();
        if (instance) setLastError(*instance, result, "cannot write the state file");
    }
    if (state.value("trace", false)) {
        std::string line = std::string(name) + "(" + args + ")";
        if (!thrown.empty())
            line += " threw " + quotedText(thrown);
        else if (hasResult)
            line += " = " + resultText(result, context);
        session.appendLine(kTraceFileName, line);
    }
    exitWhenAsked();
    if (!thrown.empty()) throw InjectedException(thrown);
    return result;
}

std::string handleArg(Instance* instance) {
    return instance ? handleText(instance->number) : std::string("#invalid");
}

// An operation of the register: int f(handle).
int operation(libfptr_handle handle, const char* name, int (RegisterMachine::*member)()) {
    Instance* instance = findInstance(handle);
    return runCall(instance, name, CallKind::operation, handleArg(instance), true,
                   [&](CallContext& c) -> int {
                       if (!instance) return error::invalidHandle;
                       return (c.machine->*member)();
                   });
}

void setParam(libfptr_handle handle, const char* name, int paramId, const ParamValue& value,
              const std::string& valueText) {
    Instance* instance = findInstance(handle);
    runCall(instance, name, CallKind::access,
            handleArg(instance) + ", " + std::to_string(paramId) + ", " + valueText, false,
            [&](CallContext&) {
                if (instance) instance->input.set(paramId, value);
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
    Instance* instance = findInstance(handle);
    std::string args = handleArg(instance);
    if (withId) args += ", " + std::to_string(paramId);
    args += ", " + std::to_string(size);
    return runCall(instance, name, CallKind::access, args, true, [&](CallContext& c) -> int {
        if (!instance) return error::invalidHandle;
        bool present = true;
        std::string value = text(c, present);
        int needed = copyText(value, buffer, size);
        c.result = std::to_string(needed) + " " + quotedText(value) + (present ? "" : " (not set)");
        return needed;
    });
}

}  // namespace
}  // namespace emulator
}  // namespace vorna

using namespace vorna::emulator;

extern "C" {

int libfptr_create(libfptr_handle* handle) {
    Instance* instance = handle ? createInstance() : nullptr;
    if (handle) *handle = instance;
    const int result =
        runCall(instance, "libfptr_create", CallKind::access, "&" + handleArg(instance), true,
                [&](CallContext&) { return instance ? 0 : error::invalidParameter; });
    // The instance exists even when the state cannot be read; its calls report that.
    return instance ? (result == error::stateDamaged ? 0 : result) : error::invalidParameter;
}

void libfptr_destroy(libfptr_handle* holder) {
    Instance* instance = holder ? findInstance(*holder) : nullptr;
    runCall(instance, "libfptr_destroy", CallKind::access, "&" + handleArg(instance), false,
            [](CallContext&) { return 0; });
    if (instance) {
        destroyInstance(instance);
        *holder = nullptr;
    }
}

int libfptr_open(libfptr_handle handle) {
    return operation(handle, "libfptr_open", &RegisterMachine::open);
}
int libfptr_close(libfptr_handle handle) {
    return operation(handle, "libfptr_close", &RegisterMachine::close);
}

int libfptr_is_opened(libfptr_handle handle) {
    Instance* instance = findInstance(handle);
    return runCall(instance, "libfptr_is_opened", CallKind::access, handleArg(instance), true,
                   [&](CallContext& c) { return instance ? c.machine->isOpened() : 0; });
}

void libfptr_set_param_int(libfptr_handle handle, int paramId, unsigned int value) {
    setParam(handle, "libfptr_set_param_int", paramId, ParamValue::ofInt(static_cast<int>(value)),
             std::to_string(static_cast<int>(value)));
}

void libfptr_set_param_str(libfptr_handle handle, int paramId, const wchar_t* value) {
    const std::string text = wideToUtf8(value);
    setParam(handle, "libfptr_set_param_str", paramId, ParamValue::ofText(text), quotedText(text));
}

void libfptr_set_param_bool(libfptr_handle handle, int paramId, int value) {
    setParam(handle, "libfptr_set_param_bool", paramId, ParamValue::ofBool(value != 0),
             value ? "true" : "false");
}

void libfptr_set_param_double(libfptr_handle handle, int paramId, double value) {
    setParam(handle, "libfptr_set_param_double", paramId, ParamValue::ofDouble(value),
             doubleText(value));
}

void libfptr_set_param_bytearray(libfptr_handle handle, int paramId, const unsigned char* value,
                                 int size) {
    std::string bytes;
    if (value && size > 0) bytes.assign(reinterpret_cast<const char*>(value), size);
    setParam(handle, "libfptr_set_param_bytearray", paramId, ParamValue::ofBytes(bytes),
             hexBytes(value, size));
}

unsigned int libfptr_get_param_int(libfptr_handle handle, int paramId) {
    Instance* instance = findInstance(handle);
    return static_cast<unsigned int>(
        runCall(instance, "libfptr_get_param_int", CallKind::access,
                handleArg(instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                    const ParamValue* v = result(instance, paramId);
                    int value = v ? static_cast<int>(v->asInt()) : 0;
                    c.result = std::to_string(value) + (v ? "" : " (not set)");
                    return value;
                }));
}

int libfptr_get_param_bool(libfptr_handle handle, int paramId) {
    Instance* instance = findInstance(handle);
    return runCall(instance, "libfptr_get_param_bool", CallKind::access,
                   handleArg(instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                       const ParamValue* v = result(instance, paramId);
                       int value = v && v->asInt() != 0 ? 1 : 0;
                       c.result = std::string(value ? "true" : "false") + (v ? "" : " (not set)");
                       return value;
                   });
}

double libfptr_get_param_double(libfptr_handle handle, int paramId) {
    Instance* instance = findInstance(handle);
    double value = 0.0;
    runCall(instance, "libfptr_get_param_double", CallKind::access,
            handleArg(instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                const ParamValue* v = result(instance, paramId);
                value = v ? v->asDouble() : 0.0;
                c.result = doubleText(value) + (v ? "" : " (not set)");
                return 0;
            });
    return value;
}

int libfptr_get_param_str(libfptr_handle handle, int paramId, wchar_t* buffer, int size) {
    return textCall(handle, "libfptr_get_param_str", paramId, true, buffer, size,
                    [&](CallContext& c, bool& present) {
                        const ParamValue* v = result(c.instance, paramId);
                        present = v != nullptr;
                        return v ? v->asText() : std::string();
                    });
}

int libfptr_get_param_bytearray(libfptr_handle handle, int paramId, unsigned char* buffer,
                                int size) {
    Instance* instance = findInstance(handle);
    return runCall(
        instance, "libfptr_get_param_bytearray", CallKind::access,
        handleArg(instance) + ", " + std::to_string(paramId) + ", " + std::to_string(size), true,
        [&](CallContext& c) {
            const ParamValue* v = result(instance, paramId);
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

void libfptr_get_param_datetime(libfptr_handle handle, int paramId, int* year, int* month, int* day,
                                int* hour, int* minute, int* second) {
    Instance* instance = findInstance(handle);
    runCall(instance, "libfptr_get_param_datetime", CallKind::access,
            handleArg(instance) + ", " + std::to_string(paramId), true, [&](CallContext& c) {
                const ParamValue* v = result(instance, paramId);
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

int libfptr_query_data(libfptr_handle h) {
    return operation(h, "libfptr_query_data", &RegisterMachine::queryData);
}
int libfptr_fn_query_data(libfptr_handle h) {
    return operation(h, "libfptr_fn_query_data", &RegisterMachine::fnQueryData);
}
int libfptr_report(libfptr_handle h) {
    return operation(h, "libfptr_report", &RegisterMachine::report);
}
int libfptr_open_shift(libfptr_handle h) {
    return operation(h, "libfptr_open_shift", &RegisterMachine::openShift);
}
int libfptr_operator_login(libfptr_handle h) {
    return operation(h, "libfptr_operator_login", &RegisterMachine::operatorLogin);
}
int libfptr_open_receipt(libfptr_handle h) {
    return operation(h, "libfptr_open_receipt", &RegisterMachine::openReceipt);
}
int libfptr_cancel_receipt(libfptr_handle h) {
    return operation(h, "libfptr_cancel_receipt", &RegisterMachine::cancelReceipt);
}
int libfptr_print_text(libfptr_handle h) {
    return operation(h, "libfptr_print_text", &RegisterMachine::printText);
}
int libfptr_cash_outcome(libfptr_handle h) {
    return operation(h, "libfptr_cash_outcome", &RegisterMachine::cashOutcome);
}
int libfptr_cash_income(libfptr_handle h) {
    return operation(h, "libfptr_cash_income", &RegisterMachine::cashIncome);
}
int libfptr_cut(libfptr_handle h) { return operation(h, "libfptr_cut", &RegisterMachine::cut); }
int libfptr_registration(libfptr_handle h) {
    return operation(h, "libfptr_registration", &RegisterMachine::registration);
}
int libfptr_payment(libfptr_handle h) {
    return operation(h, "libfptr_payment", &RegisterMachine::payment);
}
int libfptr_close_receipt(libfptr_handle h) {
    return operation(h, "libfptr_close_receipt", &RegisterMachine::closeReceipt);
}
int libfptr_check_document_closed(libfptr_handle h) {
    return operation(h, "libfptr_check_document_closed", &RegisterMachine::checkDocumentClosed);
}
int libfptr_util_form_tlv(libfptr_handle h) {
    return operation(h, "libfptr_util_form_tlv", &RegisterMachine::utilFormTlv);
}
int libfptr_begin_nonfiscal_document(libfptr_handle h) {
    return operation(h, "libfptr_begin_nonfiscal_document",
                     &RegisterMachine::beginNonfiscalDocument);
}
int libfptr_end_nonfiscal_document(libfptr_handle h) {
    return operation(h, "libfptr_end_nonfiscal_document", &RegisterMachine::endNonfiscalDocument);
}
int libfptr_apply_single_settings(libfptr_handle h) {
    return operation(h, "libfptr_apply_single_settings", &RegisterMachine::applySingleSettings);
}

int libfptr_get_settings(libfptr_handle handle, wchar_t* buffer, int size) {
    return textCall(handle, "libfptr_get_settings", 0, false, buffer, size,
                    [](CallContext& c, bool&) { return c.machine->settingsText(); });
}

int libfptr_error_code(libfptr_handle handle) {
    Instance* instance = findInstance(handle);
    return runCall(instance, "libfptr_error_code", CallKind::access, handleArg(instance), true,
                   [&](CallContext& c) {
                       const int code = instance ? instance->lastError : error::invalidHandle;
                       c.result = std::to_string(code);
                       return code;
                   });
}

int libfptr_error_description(libfptr_handle handle, wchar_t* buffer, int size) {
    return textCall(
        handle, "libfptr_error_description", 0, false, buffer, size, [](CallContext& c, bool&) {
            return c.instance->lastErrorText.empty() ? error::description(c.instance->lastError)
                                                     : c.instance->lastErrorText;
        });
}

void libfptr_set_single_setting(libfptr_handle handle, const wchar_t* key, const wchar_t* value) {
    Instance* instance = findInstance(handle);
    const std::string k = wideToUtf8(key), v = wideToUtf8(value);
    runCall(instance, "libfptr_set_single_setting", CallKind::access,
            handleArg(instance) + ", " + quotedText(k) + ", " + quotedText(v), false,
            [&](CallContext&) {
                if (instance) instance->pendingSettings.emplace_back(k, v);
                return 0;
            });
}

const char* libfptr_get_version_string(void) {
    runCall(nullptr, "libfptr_get_version_string", CallKind::access, "", true, [](CallContext& c) {
        c.result = quotedText(kVersion);
        return 0;
    });
    return kVersion;
}

}  // extern "C"
