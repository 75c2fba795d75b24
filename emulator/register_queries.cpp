#include "emulator/register_machine.h"

#include "emulator/errors.h"
#include "emulator/file_io.h"
#include "emulator/ids.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

namespace {

// The documents of the fiscal storage are the register's journal lines. The
// latest document that wanted accepts, read from the end of the journal (the
// documents asked for are recent ones: a query costs the same on the first
// day and after a hundred thousand receipts); false when none does.
template <typename Wanted>
bool latestJournalDocument(const std::string& directory, Wanted wanted, json& found) {
    const std::string path = emulatorFile(directory, kJournalFileName);
    for (long tail = 64 * 1024;; tail *= 4) {
        std::string text;
        bool whole = false;
        if (!readFileTail(path, tail, text, whole)) return false;
        // Without the whole file the first line may be cut: it is read with a longer tail.
        const std::size_t first = whole ? 0 : text.find('\n') + 1;
        std::size_t end = text.size();
        while (end > first && end != std::string::npos) {
            const std::size_t lineEnd = end;
            const std::size_t newline = end >= 1 ? text.rfind('\n', end - 1) : std::string::npos;
            const std::size_t start =
                newline == std::string::npos || newline < first ? first : newline + 1;
            if (lineEnd > start) {
                json line = json::parse(text.substr(start, lineEnd - start), nullptr, false);
                if (line.is_object() && line.contains("document") && wanted(line)) {
                    found = std::move(line);
                    return true;
                }
            }
            if (start == first) break;
            end = start - 1;
        }
        if (whole) return false;
    }
}

int fnDocumentType(const json& document) {
    const std::string type = document.value("type", "");
    if (type == "receipt") return id::fdReceipt;
    if (type == "open_shift") return id::fdShiftOpen;
    if (type == "z_report") return id::fdShiftClose;
    return 0;
}

// Tag 1054 of a receipt type: 1 sale, 2 sale return.
int operationType(int receiptType) { return receiptType == 2 ? 2 : receiptType == 1 ? 1 : 0; }

// The read-back parameters of one document, as the storage reports them.
void describeDocument(const json& document, ParamSet& out) {
    out.set(id::documentNumber, ParamValue::ofInt(document["document"].get<int>()));
    out.set(id::dateTime, ParamValue::ofDateTime(document.value("at", std::int64_t{0})));
    out.set(id::fnDocumentType, ParamValue::ofInt(fnDocumentType(document)));
    if (document.value("type", "") != "receipt") return;
    const double total = document["total"].get<double>();
    out.set(id::receiptNumber, ParamValue::ofInt(document["receiptNumber"].get<int>()));
    out.set(id::fiscalSign,
            ParamValue::ofText(std::to_string(document["fiscalSign"].get<std::int64_t>())));
    out.set(id::receiptSum, ParamValue::ofDouble(total));
    out.set(id::tagTotal, ParamValue::ofDouble(total));
    out.set(id::tagOperationType,
            ParamValue::ofInt(operationType(document["receiptType"].get<int>())));
}

}  // namespace

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
        case id::fnLastDocument: {
            const int last = s_["lastDocument"]["number"].get<int>();
            json document;
            if (latestJournalDocument(
                    session_.directory(),
                    [&](const json& d) { return d["document"].get<int>() == last; }, document))
                describeDocument(document, out);
            out.set(id::documentNumber, ParamValue::ofInt(last));
            out.set(id::dateTime,
                    ParamValue::ofDateTime(s_["lastDocument"]["time"].get<std::int64_t>()));
            return 0;
        }
        case id::fnLastReceipt: {
            json document;
            if (!latestJournalDocument(
                    session_.directory(),
                    [](const json& d) { return d.value("type", "") == "receipt"; }, document))
                return error::invalidParameter;
            describeDocument(document, out);
            return 0;
        }
        case id::fnDocumentByNumber:
        case id::fnTicketByNumber: {
            const ParamValue* number = instance_.input.find(id::documentNumber);
            if (!number) return error::invalidParameter;
            json document;
            if (!latestJournalDocument(
                    session_.directory(),
                    [&](const json& d) {
                        return d["document"].get<std::int64_t>() == number->asInt();
                    },
                    document))
                return error::invalidParameter;
            if (kind->asInt() == id::fnDocumentByNumber) {
                describeDocument(document, out);
            } else {
                // The emulated register has no link to the operator: no ticket arrives.
                out.set(id::documentNumber, ParamValue::ofInt(number->asInt()));
                out.set(id::ticketArrived, ParamValue::ofBool(false));
            }
            return 0;
        }
        default:
            return error::invalidParameter;
    }
}

}  // namespace emulator
}  // namespace vorna
