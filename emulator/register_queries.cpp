#include "emulator/register_machine.h"

#include <cstdio>
#include <memory>

#include "emulator/errors.h"
#include "emulator/file_io.h"
#include "fptr10/fptr10_numbers.h"

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

// The number of a journal line's document; false for a line that is no
// document (damaged, or without "document").
bool documentOfLine(const std::string& text, json& line, std::int64_t& number) {
    line = json::parse(text, nullptr, false);
    if (!line.is_object() || !line.contains("document") || !line["document"].is_number_integer())
        return false;
    number = line["document"].get<std::int64_t>();
    return true;
}

// The line that starts at offset, without its newline; false at the end.
bool readLineAt(std::FILE* file, long offset, std::string& text) {
    if (std::fseek(file, offset, SEEK_SET) != 0) return false;
    text.clear();
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file)) {
        text += buffer;
        if (text.back() == '\n') {
            text.pop_back();
            return true;
        }
    }
    return !text.empty();
}

// Where the first line starting at or after offset starts.
long lineStartFrom(std::FILE* file, long offset) {
    if (offset == 0) return 0;
    if (std::fseek(file, offset - 1, SEEK_SET) != 0) return -1;
    for (int c; (c = std::getc(file)) != EOF;)
        if (c == '\n') break;
    return std::ftell(file);
}

// The document of this number. The journal is written in document order, so
// the file is searched by halving its byte range: a read costs a few lines
// whether the storage holds ten documents or a hundred thousand.
bool journalDocumentByNumber(const std::string& directory, std::int64_t number, json& found) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(
        std::fopen(emulatorFile(directory, kJournalFileName).c_str(), "rbN"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size < 0) return false;
    // The wanted line, if any, starts in [low, high]; low is a line's start.
    long low = 0, high = size;
    std::string text;
    json line;
    std::int64_t n = 0;
    while (high - low > 8192) {
        const long middle = low + (high - low) / 2;
        long at = lineStartFrom(file.get(), middle);
        if (at < 0) return false;
        bool numbered = false;
        long next = at;
        while (at < high && readLineAt(file.get(), at, text)) {
            next = std::ftell(file.get());
            if ((numbered = documentOfLine(text, line, n))) break;
            at = next;
        }
        if (!numbered) {
            high = middle;  // no document starts in [middle, high)
        } else if (n < number) {
            low = next;
        } else if (n > number) {
            high = at;
        } else {
            found = std::move(line);
            return true;
        }
    }
    for (long at = low; at <= high && readLineAt(file.get(), at, text);) {
        const long next = std::ftell(file.get());
        if (documentOfLine(text, line, n) && n >= number) {
            if (n != number) return false;
            found = std::move(line);
            return true;
        }
        at = next;
    }
    return false;
}

int fnDocumentType(const json& document) {
    const std::string type = document.value("type", "");
    if (type == "receipt") return libfptr::fndoc::receipt;
    if (type == "open_shift") return libfptr::fndoc::openShift;
    if (type == "z_report") return libfptr::fndoc::closeShift;
    return 0;
}

// Tag 1054 of a receipt type: 1 sale, 2 sale return; a correction has its
// operation's (7 corrects a sale, 8 a sale return).
int operationType(int receiptType) {
    switch (receiptType) {
        case libfptr::rt::sell:
        case libfptr::rt::sellCorrection:
            return 1;
        case libfptr::rt::sellReturn:
        case libfptr::rt::sellReturnCorrection:
            return 2;
        default:
            return 0;
    }
}

// The read-back parameters of one document, as the storage reports them.
void describeDocument(const json& document, ParamSet& out) {
    out.set(libfptr::param::documentNumber, ParamValue::ofInt(document["document"].get<int>()));
    out.set(libfptr::param::dateTime,
            ParamValue::ofDateTime(document.value("at", std::int64_t{0})));
    out.set(libfptr::param::fnDocumentType, ParamValue::ofInt(fnDocumentType(document)));
    if (document.value("type", "") != "receipt") return;
    const double total = document["total"].get<double>();
    out.set(libfptr::param::receiptNumber, ParamValue::ofInt(document["receiptNumber"].get<int>()));
    out.set(libfptr::param::fiscalSign,
            ParamValue::ofText(std::to_string(document["fiscalSign"].get<std::int64_t>())));
    out.set(libfptr::param::receiptSum, ParamValue::ofDouble(total));
    out.set(libfptr::tag::total, ParamValue::ofDouble(total));
    out.set(libfptr::tag::operationType,
            ParamValue::ofInt(operationType(document["receiptType"].get<int>())));
    out.set(libfptr::param::receiptType, ParamValue::ofInt(document["receiptType"].get<int>()));
}

}  // namespace

int RegisterMachine::queryData() {
    if (int e = requireConnection()) return e;
    const ParamValue* kind = instance_.input.find(libfptr::param::dataType);
    if (!kind) return error::invalidParameter;
    ParamSet& out = instance_.output;
    const json& st = s_["status"];
    const json& totals = s_["totals"];
    const bool receiptOpen = s_["receipt"].is_object();
    switch (kind->asInt()) {
        case libfptr::dt::status:
            out.set(libfptr::param::serialNumber,
                    ParamValue::ofText(st["serialNumber"].get<std::string>()));
            out.set(libfptr::param::modelName,
                    ParamValue::ofText(st["modelName"].get<std::string>()));
            out.set(libfptr::param::firmwareVersion,
                    ParamValue::ofText(st["firmwareVersion"].get<std::string>()));
            out.set(libfptr::param::dateTime, ParamValue::ofDateTime(now()));
            out.set(libfptr::param::operatorId, ParamValue::ofInt(1));
            out.set(libfptr::param::logicalNumber,
                    ParamValue::ofInt(st["logicalNumber"].get<int>()));
            out.set(libfptr::param::shiftState, ParamValue::ofInt(shiftState()));
            out.set(libfptr::param::model, ParamValue::ofInt(st["model"].get<int>()));
            out.set(libfptr::param::mode, ParamValue::ofInt(1));
            out.set(libfptr::param::submode, ParamValue::ofInt(receiptOpen ? 1 : 0));
            out.set(
                libfptr::param::receiptNumber,
                ParamValue::ofInt(s_["counters"]["receipt"].get<int>() + (receiptOpen ? 1 : 0)));
            out.set(libfptr::param::documentNumber,
                    ParamValue::ofInt(s_["counters"]["document"].get<int>()));
            out.set(libfptr::param::shiftNumber,
                    ParamValue::ofInt(s_["shift"]["number"].get<int>()));
            out.set(libfptr::param::receiptType,
                    ParamValue::ofInt(receiptOpen ? s_["receipt"]["type"].get<int>() : 0));
            out.set(libfptr::param::lineLength, ParamValue::ofInt(st["lineLength"].get<int>()));
            out.set(libfptr::param::lineLengthPix,
                    ParamValue::ofInt(st["lineLengthPix"].get<int>()));
            out.set(libfptr::param::receiptSum, ParamValue::ofDouble(roubles(receiptTotal())));
            out.set(libfptr::param::isFiscalDevice,
                    ParamValue::ofBool(st["isFiscalDevice"].get<bool>()));
            out.set(libfptr::param::isFiscalFN, ParamValue::ofBool(st["isFiscalFN"].get<bool>()));
            out.set(libfptr::param::isFNPresent, ParamValue::ofBool(st["isFNPresent"].get<bool>()));
            out.set(libfptr::param::isCashDrawerOpened,
                    ParamValue::ofBool(st["isCashDrawerOpened"].get<bool>()));
            out.set(libfptr::param::isPaperPresent, ParamValue::ofBool(s_["paper"].get<bool>()));
            out.set(libfptr::param::isCoverOpened, ParamValue::ofBool(s_["coverOpen"].get<bool>()));
            out.set(libfptr::param::isPrinterConnectionLost,
                    ParamValue::ofBool(st["isPrinterConnectionLost"].get<bool>()));
            out.set(libfptr::param::isPrinterError,
                    ParamValue::ofBool(st["isPrinterError"].get<bool>()));
            out.set(libfptr::param::isCutError, ParamValue::ofBool(st["isCutError"].get<bool>()));
            out.set(libfptr::param::isPrinterOverheat,
                    ParamValue::ofBool(st["isPrinterOverheat"].get<bool>()));
            out.set(libfptr::param::isDeviceBlocked,
                    ParamValue::ofBool(st["isDeviceBlocked"].get<bool>()));
            return 0;
        case libfptr::dt::shiftState:
            out.set(libfptr::param::shiftState, ParamValue::ofInt(shiftState()));
            out.set(libfptr::param::shiftNumber,
                    ParamValue::ofInt(s_["shift"]["number"].get<int>()));
            out.set(libfptr::param::dateTime,
                    ParamValue::ofDateTime(s_["shift"]["open"].get<bool>()
                                               ? s_["shift"]["openedAt"].get<std::int64_t>() +
                                                     kShiftSeconds
                                               : now()));
            return 0;
        case libfptr::dt::receiptState:
            out.set(libfptr::param::receiptType,
                    ParamValue::ofInt(receiptOpen ? s_["receipt"]["type"].get<int>() : 0));
            out.set(
                libfptr::param::receiptNumber,
                ParamValue::ofInt(s_["counters"]["receipt"].get<int>() + (receiptOpen ? 1 : 0)));
            out.set(libfptr::param::documentNumber,
                    ParamValue::ofInt(s_["counters"]["document"].get<int>()));
            out.set(libfptr::param::receiptSum, ParamValue::ofDouble(roubles(receiptTotal())));
            return 0;
        case libfptr::dt::revenue:
            out.set(libfptr::param::sum,
                    ParamValue::ofDouble(roubles(totals["revenue"].get<std::int64_t>())));
            return 0;
        case libfptr::dt::cashInSum:
            out.set(libfptr::param::sum,
                    ParamValue::ofDouble(roubles(totals["cashIn"].get<std::int64_t>())));
            return 0;
        case libfptr::dt::cashOutSum:
            out.set(libfptr::param::sum,
                    ParamValue::ofDouble(roubles(totals["cashOut"].get<std::int64_t>())));
            return 0;
        case libfptr::dt::cashSum:
            out.set(libfptr::param::sum,
                    ParamValue::ofDouble(roubles(s_["cashBalance"].get<std::int64_t>())));
            return 0;
        case libfptr::dt::printHeadTemperature:
            out.set(libfptr::param::printHeadTemperature,
                    ParamValue::ofInt(s_["temperature"].get<int>()));
            return 0;
        default:
            return error::invalidParameter;
    }
}

int RegisterMachine::fnQueryData() {
    if (int e = requireConnection()) return e;
    const ParamValue* kind = instance_.input.find(libfptr::param::fnDataType);
    if (!kind) return error::invalidParameter;
    ParamSet& out = instance_.output;
    switch (kind->asInt()) {
        case libfptr::fndt::registration:
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
        case libfptr::fndt::lastDocument: {
            const int last = s_["lastDocument"]["number"].get<int>();
            json document;
            if (latestJournalDocument(
                    session_.directory(),
                    [&](const json& d) { return d["document"].get<int>() == last; }, document))
                describeDocument(document, out);
            out.set(libfptr::param::documentNumber, ParamValue::ofInt(last));
            out.set(libfptr::param::dateTime,
                    ParamValue::ofDateTime(s_["lastDocument"]["time"].get<std::int64_t>()));
            return 0;
        }
        case libfptr::fndt::lastReceipt: {
            json document;
            if (!latestJournalDocument(
                    session_.directory(),
                    [](const json& d) { return d.value("type", "") == "receipt"; }, document))
                return error::invalidParameter;
            describeDocument(document, out);
            return 0;
        }
        case libfptr::fndt::documentByNumber:
        case libfptr::fndt::ticketByNumber: {
            const ParamValue* number = instance_.input.find(libfptr::param::documentNumber);
            // The storage holds documents 1 .. the last one, nothing else.
            if (!number || number->asInt() < 1 ||
                number->asInt() > s_["counters"]["document"].get<std::int64_t>())
                return error::invalidParameter;
            json document;
            if (!journalDocumentByNumber(session_.directory(), number->asInt(), document))
                return error::invalidParameter;
            if (kind->asInt() == libfptr::fndt::documentByNumber) {
                describeDocument(document, out);
            } else {
                // The emulated register has no link to the operator: no ticket arrives.
                out.set(libfptr::param::documentNumber, ParamValue::ofInt(number->asInt()));
                out.set(libfptr::param::ticketArrived, ParamValue::ofBool(false));
            }
            return 0;
        }
        default:
            return fnHealthQuery(kind->asInt());
    }
}

}  // namespace emulator
}  // namespace vorna
