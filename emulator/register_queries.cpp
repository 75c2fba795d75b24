#include "emulator/register_machine.h"

#include "emulator/errors.h"
#include "emulator/ids.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

int RegisterMachine::queryData() {
    if (int e = requireConnection()) return e;
    const ParamValue* kind = instance_.input.find(id::dataType);
    if (!kind) return error::invalidParameter;
    ParamSet& out = instance_.output;
    const json& st = s_["status"];
    const json& totals = s_["totals"];
    const bool receiptOpen = s_["receipt"].is_object();
    switch (kind->asInt()) {
        case id::dtStatus:
            out.set(id::serialNumber, ParamValue::ofText(st["serialNumber"].get<std::string>()));
            out.set(id::modelName, ParamValue::ofText(st["modelName"].get<std::string>()));
            out.set(id::firmwareVersion,
                    ParamValue::ofText(st["firmwareVersion"].get<std::string>()));
            out.set(id::dateTime, ParamValue::ofDateTime(now()));
            out.set(id::operatorId, ParamValue::ofInt(1));
            out.set(id::logicalNumber, ParamValue::ofInt(st["logicalNumber"].get<int>()));
            out.set(id::shiftState, ParamValue::ofInt(shiftState()));
            out.set(id::model, ParamValue::ofInt(st["model"].get<int>()));
            out.set(id::mode, ParamValue::ofInt(1));
            out.set(id::submode, ParamValue::ofInt(receiptOpen ? 1 : 0));
            out.set(id::receiptNumber, ParamValue::ofInt(s_["counters"]["receipt"].get<int>() +
                                                         (receiptOpen ? 1 : 0)));
            out.set(id::documentNumber, ParamValue::ofInt(s_["counters"]["document"].get<int>()));
            out.set(id::shiftNumber, ParamValue::ofInt(s_["shift"]["number"].get<int>()));
            out.set(id::receiptType,
                    ParamValue::ofInt(receiptOpen ? s_["receipt"]["type"].get<int>() : 0));
            out.set(id::lineLength, ParamValue::ofInt(st["lineLength"].get<int>()));
            out.set(id::lineLengthPix, ParamValue::ofInt(st["lineLengthPix"].get<int>()));
            out.set(id::receiptSum, ParamValue::ofDouble(roubles(receiptTotal())));
            out.set(id::isFiscalDevice, ParamValue::ofBool(st["isFiscalDevice"].get<bool>()));
            out.set(id::isFiscalFN, ParamValue::ofBool(st["isFiscalFN"].get<bool>()));
            out.set(id::isFNPresent, ParamValue::ofBool(st["isFNPresent"].get<bool>()));
            out.set(id::isCashDrawerOpened,
                    ParamValue::ofBool(st["isCashDrawerOpened"].get<bool>()));
            out.set(id::isPaperPresent, ParamValue::ofBool(s_["paper"].get<bool>()));
            out.set(id::isCoverOpened, ParamValue::ofBool(s_["coverOpen"].get<bool>()));
            out.set(id::isPrinterConnectionLost,
                    ParamValue::ofBool(st["isPrinterConnectionLost"].get<bool>()));
            out.set(id::isPrinterError, ParamValue::ofBool(st["isPrinterError"].get<bool>()));
            out.set(id::isCutError, ParamValue::ofBool(st["isCutError"].get<bool>()));
            out.set(id::isPrinterOverheat, ParamValue::ofBool(st["isPrinterOverheat"].get<bool>()));
            out.set(id::isDeviceBlocked, ParamValue::ofBool(st["isDeviceBlocked"].get<bool>()));
            return 0;
        case id::dtShiftState:
            out.set(id::shiftState, ParamValue::ofInt(shiftState()));
            out.set(id::shiftNumber, ParamValue::ofInt(s_["shift"]["number"].get<int>()));
            out.set(id::dateTime,
                    ParamValue::ofDateTime(s_["shift"]["open"].get<bool>()
                                               ? s_["shift"]["openedAt"].get<std::int64_t>() +
                                                     kShiftSeconds
                                               : now()));
            return 0;
        case id::dtReceiptState:
            out.set(id::receiptType,
                    ParamValue::ofInt(receiptOpen ? s_["receipt"]["type"].get<int>() : 0));
            out.set(id::receiptNumber, ParamValue::ofInt(s_["counters"]["receipt"].get<int>() +
                                                         (receiptOpen ? 1 : 0)));
            out.set(id::documentNumber, ParamValue::ofInt(s_["counters"]["document"].get<int>()));
            out.set(id::receiptSum, ParamValue::ofDouble(roubles(receiptTotal())));
            return 0;
        case id::dtRevenue:
            out.set(id::sum, ParamValue::ofDouble(roubles(totals["revenue"].get<std::int64_t>())));
            return 0;
        case id::dtCashInSum:
            out.set(id::sum, ParamValue::ofDouble(roubles(totals["cashIn"].get<std::int64_t>())));
            return 0;
        case id::dtCashOutSum:
            out.set(id::sum, ParamValue::ofDouble(roubles(totals["cashOut"].get<std::int64_t>())));
            return 0;
        case id::dtCashSum:
            out.set(id::sum, ParamValue::ofDouble(roubles(s_["cashBalance"].get<std::int64_t>())));
            return 0;
        case id::dtPrintHeadTemperature:
            out.set(id::printHeadTemperature, ParamValue::ofInt(s_["temperature"].get<int>()));
            return 0;
        default:
            return error::invalidParameter;
    }
}

int RegisterMachine::fnQueryData() {
    if (int e = requireConnection()) return e;
    const ParamValue* kind = instance_.input.find(id::fnDataType);
    if (!kind) return error::invalidParameter;
    ParamSet& out = instance_.output;
    switch (kind->asInt()) {
        case id::fnRegistration:
            for (auto it = s_["registration"].begin(); it != s_["registration"].end(); ++it) {
                int tag = std::stoi(it.key());
                if (it->is_boolean())
                    out.set(tag, ParamValue::ofBool(it->get<bool>()));
                else if (it->is_number())
                    out.set(tag, ParamValue::ofInt(it->get<std::int64_t>()));
                else
                    out.set(tag, ParamValue::ofText(it->get<std::string>()));
            }
            return 0;
        case id::fnLastDocument:
            out.set(id::documentNumber, ParamValue::ofInt(s_["lastDocument"]["number"].get<int>()));
            out.set(id::dateTime,
                    ParamValue::ofDateTime(s_["lastDocument"]["time"].get<std::int64_t>()));
            return 0;
        default:
            return error::invalidParameter;
    }
}

}  // namespace emulator
}  // namespace vorna
