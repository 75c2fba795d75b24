#include "bench/payment/register_replay.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "common/platform/platform.h"
#include "fptr10/fptr10_api.h"

namespace vorna {
namespace bench {

namespace {

// The parameter lists of the library's functions, as the replay calls them.
enum class Shape {
    create,            // int (handle*)
    destroy,           // void (handle*)
    operation,         // int (handle), as libfptr_open
    setInt,            // void (handle, id, int)
    setText,           // void (handle, id, wchar_t*)
    setBool,           // void (handle, id, int)
    setDouble,         // void (handle, id, double)
    setBytes,          // void (handle, id, bytes, size)
    getInt,            // int (handle, id)
    getDouble,         // double (handle, id)
    getText,           // int (handle, id, wchar_t*, size)
    getBytes,          // int (handle, id, bytes, size)
    getDateTime,       // void (handle, id, int* x 6)
    textOut,           // int (handle, wchar_t*, size)
    setSingleSetting,  // void (handle, wchar_t* key, wchar_t* value)
    version            // const char* (void)
};

const std::map<std::string, Shape>& shapes() {
    static const std::map<std::string, Shape> known = {
        {"libfptr_create", Shape::create},
        {"libfptr_destroy", Shape::destroy},
        {"libfptr_open", Shape::operation},
        {"libfptr_close", Shape::operation},
        {"libfptr_is_opened", Shape::operation},
        {"libfptr_query_data", Shape::operation},
        {"libfptr_fn_query_data", Shape::operation},
        {"libfptr_report", Shape::operation},
        {"libfptr_open_shift", Shape::operation},
        {"libfptr_operator_login", Shape::operation},
        {"libfptr_open_receipt", Shape::operation},
        {"libfptr_cancel_receipt", Shape::operation},
        {"libfptr_print_text", Shape::operation},
        {"libfptr_cash_outcome", Shape::operation},
        {"libfptr_cash_income", Shape::operation},
        {"libfptr_cut", Shape::operation},
        {"libfptr_registration", Shape::operation},
        {"libfptr_payment", Shape::operation},
        {"libfptr_close_receipt", Shape::operation},
        {"libfptr_check_document_closed", Shape::operation},
        {"libfptr_util_form_tlv", Shape::operation},
        {"libfptr_begin_nonfiscal_document", Shape::operation},
        {"libfptr_end_nonfiscal_document", Shape::operation},
        {"libfptr_apply_single_settings", Shape::operation},
        {"libfptr_set_param_int", Shape::setInt},
        {"libfptr_set_param_str", Shape::setText},
        {"libfptr_set_param_bool", Shape::setBool},
        {"libfptr_set_param_double", Shape::setDouble},
        {"libfptr_set_param_bytearray", Shape::setBytes},
        {"libfptr_get_param_int", Shape::getInt},
        {"libfptr_get_param_bool", Shape::getInt},
        {"libfptr_get_param_double", Shape::getDouble},
        {"libfptr_get_param_str", Shape::getText},
        {"libfptr_get_param_bytearray", Shape::getBytes},
        {"libfptr_get_param_datetime", Shape::getDateTime},
        {"libfptr_get_settings", Shape::textOut},
        {"libfptr_error_description", Shape::textOut},
        {"libfptr_set_single_setting", Shape::setSingleSetting},
        {"libfptr_get_version_string", Shape::version},
    };
    return known;
}

int integer(const TraceCall& call, std::size_t index) {
    if (index >= call.arguments.size())
        throw std::runtime_error(call.function + ": argument " + std::to_string(index) +
                                 " missing");
    return static_cast<int>(std::strtol(call.arguments[index].word.c_str(), nullptr, 10));
}

const TraceArgument& argument(const TraceCall& call, std::size_t index) {
    if (index >= call.arguments.size())
        throw std::runtime_error(call.function + ": argument " + std::to_string(index) +
                                 " missing");
    return call.arguments[index];
}

}  // namespace

struct RegisterReplay::Prepared {
    Shape shape = Shape::operation;
    void* function = nullptr;
    int instance = -1;
    int paramId = 0;
    int value = 0;
    double number = 0.0;
    std::wstring text, secondText;
    std::vector<unsigned char> bytes;
    int size = 0;
    bool checked = false;  // an operation: its result is compared with the trace's
    int expected = 0;
};

RegisterReplay::RegisterReplay(const std::string& library, const std::vector<TraceCall>& calls)
    : library_(platform::loadLibrary(library)) {
    if (!library_)
        throw std::runtime_error("cannot load " + library + ": " + platform::loaderErrorText());
    for (const TraceCall& call : calls) {
        const auto shape = shapes().find(call.function);
        if (shape == shapes().end()) throw std::runtime_error("no replay for " + call.function);
        Prepared prepared;
        prepared.shape = shape->second;
        prepared.function = platform::findSymbol(library_, call.function.c_str());
        if (!prepared.function)
            throw std::runtime_error(library + " does not export " + call.function);
        prepared.instance = call.arguments.empty() ? -1 : instanceNumber(call.arguments.front());
        switch (prepared.shape) {
            case Shape::create:
            case Shape::destroy:
            case Shape::version:
                break;
            case Shape::operation:
                prepared.checked = !call.threw && !call.result.empty();
                prepared.expected = static_cast<int>(std::strtol(call.result.c_str(), nullptr, 10));
                break;
            case Shape::setInt:
                prepared.paramId = integer(call, 1);
                prepared.value = integer(call, 2);
                break;
            case Shape::setText:
                prepared.paramId = integer(call, 1);
                prepared.text = platform::utf8ToWide(argument(call, 2).text);
                break;
            case Shape::setBool:
                prepared.paramId = integer(call, 1);
                prepared.value = argument(call, 2).word == "true" ? 1 : 0;
                break;
            case Shape::setDouble:
                prepared.paramId = integer(call, 1);
                prepared.number = std::strtod(argument(call, 2).word.c_str(), nullptr);
                break;
            case Shape::setBytes:
                prepared.paramId = integer(call, 1);
                prepared.bytes = argument(call, 2).bytes;
                break;
            case Shape::getInt:
            case Shape::getDouble:
            case Shape::getDateTime:
                prepared.paramId = integer(call, 1);
                break;
            case Shape::getText:
            case Shape::getBytes:
                prepared.paramId = integer(call, 1);
                prepared.size = integer(call, 2);
                break;
            case Shape::textOut:
                prepared.size = integer(call, 1);
                break;
            case Shape::setSingleSetting:
                prepared.text = platform::utf8ToWide(argument(call, 1).text);
                prepared.secondText = platform::utf8ToWide(argument(call, 2).text);
                break;
        }
        calls_.push_back(std::move(prepared));
    }
}

RegisterReplay::~RegisterReplay() {
    calls_.clear();
    if (library_) platform::freeLibrary(library_);
}

std::size_t RegisterReplay::callCount() const { return calls_.size(); }

int RegisterReplay::replay() {
    int instances = 0;
    std::size_t longestText = 1, longestBytes = 1;
    for (const Prepared& call : calls_) {
        instances = std::max(instances, call.instance + 1);
        if (call.shape == Shape::getText || call.shape == Shape::textOut)
            longestText = std::max(longestText, static_cast<std::size_t>(std::max(call.size, 1)));
        if (call.shape == Shape::getBytes)
            longestBytes = std::max(longestBytes, static_cast<std::size_t>(std::max(call.size, 1)));
    }
    std::vector<libfptr_handle> handles(static_cast<std::size_t>(instances), nullptr);
    std::vector<wchar_t> text(longestText);
    std::vector<unsigned char> bytes(longestBytes);
    int differing = 0;
    for (const Prepared& call : calls_) {
        libfptr_handle handle =
            call.instance >= 0 ? handles[static_cast<std::size_t>(call.instance)] : nullptr;
        switch (call.shape) {
            case Shape::create: {
                libfptr_handle created = nullptr;
                reinterpret_cast<libfptr_create_fn>(call.function)(&created);
                if (call.instance >= 0) handles[static_cast<std::size_t>(call.instance)] = created;
                break;
            }
            case Shape::destroy:
                if (call.instance >= 0)
                    reinterpret_cast<libfptr_destroy_fn>(call.function)(
                        &handles[static_cast<std::size_t>(call.instance)]);
                break;
            case Shape::operation: {
                const int result = reinterpret_cast<libfptr_open_fn>(call.function)(handle);
                if (call.checked && result != call.expected) ++differing;
                break;
            }
            case Shape::setInt:
                reinterpret_cast<libfptr_set_param_int_fn>(call.function)(handle, call.paramId,
                                                                          call.value);
                break;
            case Shape::setText:
                reinterpret_cast<libfptr_set_param_str_fn>(call.function)(handle, call.paramId,
                                                                          call.text.c_str());
                break;
            case Shape::setBool:
                reinterpret_cast<libfptr_set_param_bool_fn>(call.function)(handle, call.paramId,
                                                                           call.value);
                break;
            case Shape::setDouble:
                reinterpret_cast<libfptr_set_param_double_fn>(call.function)(handle, call.paramId,
                                                                             call.number);
                break;
            case Shape::setBytes:
                reinterpret_cast<libfptr_set_param_bytearray_fn>(call.function)(
                    handle, call.paramId, call.bytes.data(), static_cast<int>(call.bytes.size()));
                break;
            case Shape::getInt:
                reinterpret_cast<libfptr_get_param_int_fn>(call.function)(handle, call.paramId);
                break;
            case Shape::getDouble:
                reinterpret_cast<libfptr_get_param_double_fn>(call.function)(handle, call.paramId);
                break;
            case Shape::getText:
                reinterpret_cast<libfptr_get_param_str_fn>(call.function)(
                    handle, call.paramId, call.size > 0 ? text.data() : nullptr, call.size);
                break;
            case Shape::getBytes:
                reinterpret_cast<libfptr_get_param_bytearray_fn>(call.function)(
                    handle, call.paramId, call.size > 0 ? bytes.data() : nullptr, call.size);
                break;
            case Shape::getDateTime: {
                int year, month, day, hour, minute, second;
                reinterpret_cast<libfptr_get_param_datetime_fn>(call.function)(
                    handle, call.paramId, &year, &month, &day, &hour, &minute, &second);
                break;
            }
            case Shape::textOut:
                reinterpret_cast<libfptr_get_settings_fn>(call.function)(
                    handle, call.size > 0 ? text.data() : nullptr, call.size);
                break;
            case Shape::setSingleSetting:
                reinterpret_cast<libfptr_set_single_setting_fn>(call.function)(
                    handle, call.text.c_str(), call.secondText.c_str());
                break;
            case Shape::version:
                reinterpret_cast<libfptr_get_version_string_fn>(call.function)();
                break;
        }
    }
    return differing;
}

}  // namespace bench
}  // namespace vorna
