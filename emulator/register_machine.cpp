#include "emulator/register_machine.h"

#include <cmath>
#include <cstdio>

#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/ids.h"
#include "emulator/tlv.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

namespace {

const std::int64_t kShiftSeconds = 24 * 3600;

std::string rule(char c) { return std::string(48, c); }

// A parameter value as the journal shows it.
json toJson(const ParamValue& value) {
    switch (value.kind) {
        case ParamValue::Kind::integer:
            return value.integer;
        case ParamValue::Kind::boolean:
            return value.integer != 0;
        case ParamValue::Kind::real:
            return value.real;
        case ParamValue::Kind::text:
            return value.text;
        case ParamValue::Kind::dateTime:
            return formatTime(value.integer);
        case ParamValue::Kind::bytes:
            try {
                return decodeTlv(value.text);
            } catch (const std::exception&) {
                return json::array();
            }
    }
    return nullptr;
}

std::string paymentTypeName(int type) {
    switch (type) {
        case 0:
            return u8"НАЛИЧНЫМИ";
        case 1:
            return u8"БЕЗНАЛИЧНЫМИ";
        case 2:
            return u8"ПРЕДВАРИТЕЛЬНАЯ ОПЛАТА (АВАНС)";
        case 3:
            return u8"ПОСЛЕДУЮЩАЯ ОПЛАТА (КРЕДИТ)";
        case 4:
            return u8"ИНАЯ ФОРМА ОПЛАТЫ";
        default:
            return u8"ОПЛАТА " + std::to_string(type);
    }
}

std::string receiptTypeName(int type) {
    return type == 1 ? u8"ПРИХОД" : type == 2 ? u8"ВОЗВРАТ ПРИХОДА" : "";
}

std::int64_t fiscalSign(int document, std::int64_t total) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(document) * 2654435761ULL + static_cast<std::uint64_t>(total)) %
        4294967296ULL);
}

}  // namespace

double roubles(std::int64_t kopecks) { return static_cast<double>(kopecks) / 100.0; }

std::string moneyText(std::int64_t kopecks) {
    char buffer[40];
    std::int64_t a = kopecks < 0 ? -kopecks : kopecks;
    std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld", kopecks < 0 ? "-" : "",
                  static_cast<long long>(a / 100), static_cast<long long>(a % 100));
    return buffer;
}

std::string taxTypeName(int taxType) {
    static const char* const names[] = {"",
                                        u8"НДС 18%",
                                        u8"НДС 10%",
                                        u8"НДС 18/118",
                                        u8"НДС 10/110",
                                        u8"НДС 0%",
                                        u8"БЕЗ НДС",
                                        u8"НДС 20%",
                                        u8"НДС 20/120",
                                        u8"НДС 5%",
                                        u8"НДС 7%",
                                        u8"НДС 5/105",
                                        u8"НДС 7/107",
                                        u8"НДС 22%",
                                        u8"НДС 22/122",
                                        u8"БЕЗ НАЛОГА"};
    return taxType >= 1 && taxType <= 15 ? names[taxType] : "";
}

RegisterMachine::RegisterMachine(StateSession& session, Instance& instance)
    : session_(session), s_(session.state()), instance_(instance) {}

std::int64_t RegisterMachine::now() const {
    return registerNow(s_["clockOffset"].get<std::int64_t>());
}

int RegisterMachine::shiftState() const {
    if (!s_["shift"]["open"].get<bool>()) return 0;
    return now() - s_["shift"]["openedAt"].get<std::int64_t>() > kShiftSeconds ? 2 : 1;
}

std::int64_t RegisterMachine::receiptTotal() const {
    std::int64_t total = 0;
    if (s_["receipt"].is_object())
        for (const auto& p : s_["receipt"]["positions"])
            total += p["sumKopecks"].get<std::int64_t>();
    return total;
}

// ---- checks -----------------------------------------------------------------

int RegisterMachine::requireConnection() const {
    if (!instance_.opened || s_["connectionLost"].get<bool>()) return error::notConnected;
    return 0;
}

int RegisterMachine::requirePrinter() const {
    if (!s_["paper"].get<bool>()) return error::noPaper;
    if (s_["coverOpen"].get<bool>()) return error::coverOpen;
    return 0;
}

int RegisterMachine::requireNoDocument() const {
    if (s_["receipt"].is_object())
        return s_["receipt"]["type"].get<int>() == 2 ? error::returnReceiptOpen
                                                     : error::saleReceiptOpen;
    if (s_["nonfiscal"].get<bool>()) return error::nonfiscalOpen;
    return 0;
}

int RegisterMachine::requireOpenShift() const {
    int state = shiftState();
    if (state == 0) return error::shiftClosed;
    if (state == 2) return error::shiftExpired;
    return 0;
}

int RegisterMachine::checkPaperFor(std::size_t lines) {
    std::int64_t left = s_["paperLinesLeft"].get<std::int64_t>();
    if (left >= 0 && static_cast<std::int64_t>(lines) > left &&
        s_["paperOutTiming"].get<std::string>() == "before") {
        s_["paper"] = false;
        s_["paperLinesLeft"] = -1;
        return error::noPaper;
    }
    return 0;
}

int RegisterMachine::print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::int64_t left = s_["paperLinesLeft"].get<std::int64_t>();
        if (!s_["paper"].get<bool>() || left == 0) {
            s_["paper"] = false;
            s_["paperLinesLeft"] = -1;
            return error::noPaper;
        }
        session_.appendLine(kTapeFileName, line);
        if (left > 0) s_["paperLinesLeft"] = left - 1;
    }
    if (s_["paperLinesLeft"].get<std::int64_t>() == 0) {
        // The last line took the end of the roll.
        s_["paper"] = false;
        s_["paperLinesLeft"] = -1;
    }
    return 0;
}

std::vector<std::string> RegisterMachine::wrap(const std::string& text) const {
    const std::size_t width = s_["status"]["lineLength"].get<std::size_t>();
    std::vector<std::string> lines;
    std::string current;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (text[i] == '\n') {
            lines.push_back(current);
            current.clear();
            count = 0;
            continue;
        }
        if ((c & 0xC0) != 0x80) {
            if (count == width && width > 0) {
                lines.push_back(current);
                current.clear();
                count = 0;
            }
            ++count;
        }
        current.push_back(text[i]);
    }
    lines.push_back(current);
    return lines;
}

std::vector<std::string> RegisterMachine::documentHeader(const std::string& title,
                                                         std::int64_t number) const {
    const json& reg = s_["registration"];
    std::vector<std::string> lines;
    lines.push_back(rule('='));
    lines.push_back(reg["1048"].get<std::string>());
    lines.push_back(reg["1009"].get<std::string>());
    lines.push_back(u8"ИНН " + reg["1018"].get<std::string>());
    lines.push_back(title);
    lines.push_back(u8"ФД " + std::to_string(number) + u8"  СМЕНА " +
                    std::to_string(s_["shift"]["number"].get<int>()) + "  " + formatTime(now()));
    std::string cashier = s_["operator"]["name"].get<std::string>();
    if (!cashier.empty()) lines.push_back(u8"КАССИР " + cashier);
    return lines;
}

int RegisterMachine::nextDocumentNumber() const {
    return s_["counters"]["document"].get<int>() + 1;
}

void RegisterMachine::journal(json entry, int number) {
    s_["counters"]["document"] = number;
    s_["lastDocument"] = {{"number", number}, {"time", now()}, {"closed", true}};
    json line = {{"document", number}};
    line.update(entry);
    line["time"] = formatTime(now());
    line["shift"] = s_["shift"]["number"];
    session_.appendLine(kJournalFileName, line.dump());
}

// ---- connection and settings --------------------------------------------------

int RegisterMachine::open() {
    if (s_["connectionRefused"].get<bool>() || s_["connectionLost"].get<bool>()) {
        instance_.opened = false;
        return error::notConnected;
    }
    instance_.opened = true;
    return 0;
}

int RegisterMachine::close() {
    instance_.opened = false;
    return 0;
}

int RegisterMachine::isOpened() const {
    return instance_.opened && !s_["connectionLost"].get<bool>() ? 1 : 0;
}

int RegisterMachine::applySingleSettings() {
    json applied = s_["settings"];
    for (const auto& kv : instance_.pendingSettings) applied[kv.first] = kv.second;
    auto isNumber = [](const std::string& text, long low, long high) {
        if (text.empty() || text.size() > 9) return false;
        for (char c : text)
            if (c < '0' || c > '9') return false;
        long v = std::stol(text);
        return v >= low && v <= high;
    };
    bool valid = isNumber(applied.value("Port", "0"), 0, 3) &&
                 isNumber(applied.value("IPPort", "5555"), 1, 65535) &&
                 isNumber(applied.value("BaudRate", "115200"), 1200, 921600);
    const std::string port = applied.value("Port", "0");
    if (port == "0" && applied.value("ComFile", "").empty()) valid = false;
    if (port == "2" && applied.value("IPAddress", "").empty()) valid = false;
    instance_.pendingSettings.clear();
    if (!valid) return error::invalidSetting;
    s_["settings"] = applied;
    return 0;
}

std::string RegisterMachine::settingsText() const { return s_["settings"].dump(); }

// ---- queries --------------------------------------------------------------------

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

// ---- shift and reports ------------------------------------------------------------

int RegisterMachine::operatorLogin() {
    if (int e = requireConnection()) return e;
    const ParamValue* name = instance_.input.find(id::tagCashier);
    if (!name) return error::invalidParameter;
    const ParamValue* inn = instance_.input.find(id::tagCashierInn);
    s_["operator"] = {{"name", name->asText()}, {"inn", inn ? inn->asText() : ""}};
    return 0;
}

int RegisterMachine::openShift() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    int state = shiftState();
    if (state == 1) return error::shiftAlreadyOpen;
    if (state == 2) return error::shiftExpired;
    const int number = nextDocumentNumber();
    s_["shift"] = {
        {"open", true}, {"number", s_["shift"]["number"].get<int>() + 1}, {"openedAt", now()}};
    std::vector<std::string> lines = documentHeader(u8"ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ", number);
    lines.push_back(rule('='));
    if (int e = checkPaperFor(lines.size())) {
        s_["shift"]["open"] = false;
        s_["shift"]["number"] = s_["shift"]["number"].get<int>() - 1;
        return e;
    }
    s_["counters"]["receipt"] = 0;
    journal({{"type", "open_shift"}, {"operator", s_["operator"]}}, number);
    return print(lines);
}

int RegisterMachine::report() {
    if (int e = requireConnection()) return e;
    const ParamValue* kind = instance_.input.find(id::reportType);
    if (!kind || (kind->asInt() != 0 && kind->asInt() != 1)) return error::invalidParameter;
    const bool z = kind->asInt() == 0;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    const int state = shiftState();
    if (z && state == 0) return error::shiftClosed;
    if (!z && state == 2) return error::shiftExpired;
    const int number = nextDocumentNumber();
    const json& totals = s_["totals"];
    std::vector<std::string> lines =
        documentHeader(z ? u8"ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ" : u8"X-ОТЧЕТ (БЕЗ ГАШЕНИЯ)", number);
    lines.push_back(u8"ЧЕКОВ ЗА СМЕНУ " + std::to_string(s_["counters"]["receipt"].get<int>()));
    lines.push_back(u8"ВЫРУЧКА " + moneyText(totals["revenue"].get<std::int64_t>()));
    lines.push_back(u8"ВНЕСЕНИЯ " + moneyText(totals["cashIn"].get<std::int64_t>()));
    lines.push_back(u8"ВЫПЛАТЫ " + moneyText(totals["cashOut"].get<std::int64_t>()));
    lines.push_back(u8"НАЛИЧНЫХ В КАССЕ " + moneyText(s_["cashBalance"].get<std::int64_t>()));
    lines.push_back(rule('='));
    if (int e = checkPaperFor(lines.size())) return e;
    journal({{"type", z ? "z_report" : "x_report"},
             {"receipts", s_["counters"]["receipt"]},
             {"revenue", roubles(totals["revenue"].get<std::int64_t>())},
             {"cashIn", roubles(totals["cashIn"].get<std::int64_t>())},
             {"cashOut", roubles(totals["cashOut"].get<std::int64_t>())},
             {"cashBalance", roubles(s_["cashBalance"].get<std::int64_t>())}},
            number);
    if (z) {
        s_["shift"]["open"] = false;
        s_["totals"] = {{"revenue", 0}, {"cashIn", 0}, {"cashOut", 0}};
        s_["counters"]["receipt"] = 0;
    }
    return print(lines);
}

// ---- receipts ---------------------------------------------------------------------

int RegisterMachine::openReceipt() {
    if (int e = requireConnection()) return e;
    if (int e = requireNoDocument()) return e;
    const ParamValue* type = instance_.input.find(id::receiptType);
    if (!type || (type->asInt() != 1 && type->asInt() != 2)) return error::invalidParameter;
    const ParamValue* electronic = instance_.input.find(id::receiptElectronically);
    const bool isElectronic = electronic && electronic->asInt() != 0;
    if (!isElectronic)
        if (int e = requirePrinter()) return e;
    if (int e = requireOpenShift()) return e;
    const ParamValue* contact = instance_.input.find(id::tagBuyerContact);
    if (isElectronic && (!contact || contact->asText().empty())) return error::buyerContactMissing;
    json tags = json::object();
    for (const auto& item : instance_.input.items())
        if (item.first < id::firstLibraryParameter && item.first != id::tagBuyerContact)
            tags[std::to_string(item.first)] = toJson(item.second);
    s_["receipt"] = {{"type", type->asInt()},
                     {"electronic", isElectronic},
                     {"contact", contact ? contact->asText() : ""},
                     {"openedAt", now()},
                     {"tags", tags},
                     {"positions", json::array()},
                     {"payments", json::array()}};
    return 0;
}

int RegisterMachine::registration() {
    if (int e = requireConnection()) return e;
    if (!s_["receipt"].is_object()) return error::noReceiptOpen;
    const ParamSet& in = instance_.input;
    const ParamValue* name = in.find(id::commodityName);
    const ParamValue* price = in.find(id::price);
    const ParamValue* quantity = in.find(id::quantity);
    if (!name || name->asText().empty() || !price || price->asDouble() < 0 || !quantity ||
        quantity->asDouble() <= 0)
        return error::invalidParameter;
    const ParamValue* tax = in.find(id::taxType);
    if (!tax || tax->asInt() < 1 || tax->asInt() > 15) return error::invalidTaxType;
    const bool ffd12 = s_["registration"]["1209"].get<int>() >= id::ffd12;
    if (ffd12 && !in.has(id::tagMeasure)) return error::measureMissing;
    if (!ffd12 && in.has(id::tagMeasure)) return error::measureNotAllowed;
    const std::int64_t priceKopecks = std::llround(price->asDouble() * 100);
    const std::int64_t sum = std::llround(price->asDouble() * quantity->asDouble() * 100);
    json position = {{"name", name->asText()},
                     {"price", roubles(priceKopecks)},
                     {"quantity", quantity->asDouble()},
                     {"sum", roubles(sum)},
                     {"sumKopecks", sum},
                     {"taxType", tax->asInt()},
                     {"tax", taxTypeName(static_cast<int>(tax->asInt()))}};
    json tags = json::object();
    for (const auto& item : in.items()) {
        if (item.first >= id::firstLibraryParameter) continue;
        const json value = toJson(item.second);
        switch (item.first) {
            case id::tagPaymentObject:
                position["paymentObject"] = value;
                break;
            case id::tagPaymentMethod:
                position["paymentMethod"] = value;
                break;
            case id::tagMeasure:
                position["measure"] = value;
                break;
            case id::tagPositionAgentSign:
                position["agentSign"] = value;
                break;
            case id::tagAgentData:
                position["agentData"] = value;
                break;
            case id::tagSupplierData:
                position["supplierData"] = value;
                break;
            case id::tagSupplierInn:
                position["supplierInn"] = value;
                break;
            default:
                tags[std::to_string(item.first)] = value;
        }
    }
    if (!tags.empty()) position["tags"] = tags;
    s_["receipt"]["positions"].push_back(position);
    return 0;
}

int RegisterMachine::payment() {
    if (int e = requireConnection()) return e;
    if (!s_["receipt"].is_object()) return error::noReceiptOpen;
    const ParamValue* type = instance_.input.find(id::paymentType);
    const ParamValue* sum = instance_.input.find(id::paymentSum);
    if (!type || type->asInt() < 0 || type->asInt() > 9 || !sum || sum->asDouble() <= 0)
        return error::invalidParameter;
    s_["receipt"]["payments"].push_back(
        {{"type", type->asInt()}, {"sumKopecks", std::llround(sum->asDouble() * 100)}});
    return 0;
}

int RegisterMachine::closeReceipt() {
    if (int e = requireConnection()) return e;
    if (!s_["receipt"].is_object()) return error::noReceiptOpen;
    json& receipt = s_["receipt"];
    const bool printed = !receipt["electronic"].get<bool>();
    if (printed)
        if (int e = requirePrinter()) return e;
    if (receipt["positions"].empty()) return error::emptyReceipt;
    const std::int64_t total = receiptTotal();
    std::int64_t paid = 0, cashless = 0;
    for (const auto& p : receipt["payments"]) {
        paid += p["sumKopecks"].get<std::int64_t>();
        if (p["type"].get<int>() != 0) cashless += p["sumKopecks"].get<std::int64_t>();
    }
    if (paid < total) return error::underpaid;
    if (cashless > total) return error::cashlessOverpaid;
    const int type = receipt["type"].get<int>();
    const std::int64_t cash = total - cashless;  // cash kept or handed back
    const std::int64_t change = paid - total;
    if (type == 2 && cash > s_["cashBalance"].get<std::int64_t>()) return error::notEnoughCash;

    const int number = nextDocumentNumber();
    const int receiptNumber = s_["counters"]["receipt"].get<int>() + 1;
    std::vector<std::string> lines = documentHeader(
        u8"КАССОВЫЙ ЧЕК " + std::to_string(receiptNumber) + "  " + receiptTypeName(type), number);
    lines.push_back(rule('-'));
    json positions = json::array();
    for (const auto& p : receipt["positions"]) {
        lines.push_back(p["name"].get<std::string>());
        char qty[32];
        std::snprintf(qty, sizeof qty, "%g", p["quantity"].get<double>());
        lines.push_back(std::string("  ") + qty + " x " +
                        moneyText(std::llround(p["price"].get<double>() * 100)) + " = " +
                        moneyText(p["sumKopecks"].get<std::int64_t>()) + "  " +
                        p["tax"].get<std::string>());
        json position = p;
        position.erase("sumKopecks");
        positions.push_back(position);
    }
    lines.push_back(rule('-'));
    lines.push_back(u8"ИТОГ " + moneyText(total));
    json payments = json::array();
    for (const auto& p : receipt["payments"]) {
        const int ptype = p["type"].get<int>();
        lines.push_back(paymentTypeName(ptype) + " " +
                        moneyText(p["sumKopecks"].get<std::int64_t>()));
        payments.push_back(
            {{"type", ptype}, {"sum", roubles(p["sumKopecks"].get<std::int64_t>())}});
    }
    if (change > 0) lines.push_back(u8"СДАЧА " + moneyText(change));
    const std::int64_t sign = fiscalSign(number, total);
    lines.push_back(u8"ФН ФД " + std::to_string(number) + u8" ФП " + std::to_string(sign));
    lines.push_back(rule('='));
    if (printed)
        if (int e = checkPaperFor(lines.size())) return e;

    json entry = {
        {"type", "receipt"},      {"receiptType", type},     {"receiptNumber", receiptNumber},
        {"electronic", !printed}, {"total", roubles(total)}, {"change", roubles(change)},
        {"positions", positions}, {"payments", payments},    {"operator", s_["operator"]},
        {"fiscalSign", sign}};
    if (!receipt["contact"].get<std::string>().empty()) entry["1008"] = receipt["contact"];
    const json& op = s_["operator"];
    entry["1021"] = op["name"];
    if (!op["inn"].get<std::string>().empty()) entry["1203"] = op["inn"];
    for (auto it = receipt["tags"].begin(); it != receipt["tags"].end(); ++it)
        entry[it.key()] = it.value();
    journal(entry, number);

    s_["counters"]["receipt"] = receiptNumber;
    const std::int64_t revenue = s_["totals"]["revenue"].get<std::int64_t>();
    const std::int64_t balance = s_["cashBalance"].get<std::int64_t>();
    s_["totals"]["revenue"] = type == 1 ? revenue + total : revenue - total;
    s_["cashBalance"] = type == 1 ? balance + cash : balance - cash;
    s_["receipt"] = nullptr;
    return printed ? print(lines) : 0;
}

int RegisterMachine::cancelReceipt() {
    if (int e = requireConnection()) return e;
    if (!s_["receipt"].is_object()) return error::noReceiptOpen;
    const bool printed = !s_["receipt"]["electronic"].get<bool>();
    s_["receipt"] = nullptr;
    if (printed && requirePrinter() == 0) print({rule('='), u8"ЧЕК АННУЛИРОВАН", rule('=')});
    return 0;
}

int RegisterMachine::checkDocumentClosed() {
    if (int e = requireConnection()) return e;
    const bool closed = !s_["receipt"].is_object() && !s_["nonfiscal"].get<bool>() &&
                        s_["lastDocument"]["closed"].get<bool>();
    instance_.output.set(id::documentClosed, ParamValue::ofBool(closed));
    return 0;
}

// ---- printing and non-fiscal documents ----------------------------------------------

int RegisterMachine::printText() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    const ParamValue* text = instance_.input.find(id::text);
    std::vector<std::string> lines = wrap(text ? text->asText() : std::string());
    if (int e = checkPaperFor(lines.size())) return e;
    return print(lines);
}

int RegisterMachine::cut() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    const ParamValue* type = instance_.input.find(id::cutType);
    const bool partial = type && type->asInt() == 1;
    session_.appendLine(kTapeFileName, partial
                                           ? u8"- - - - - - - - частичная отрезка - - - - - - - -"
                                           : u8"-------------------- отрезка -------------------");
    return 0;
}

int RegisterMachine::beginNonfiscalDocument() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    s_["nonfiscal"] = true;
    return print({rule('.')});
}

int RegisterMachine::endNonfiscalDocument() {
    if (int e = requireConnection()) return e;
    if (!s_["nonfiscal"].get<bool>()) return error::noNonfiscalOpen;
    if (int e = requirePrinter()) return e;
    s_["nonfiscal"] = false;
    return print({u8"НЕФИСКАЛЬНЫЙ ДОКУМЕНТ", rule('.')});
}

// ---- cash -----------------------------------------------------------------------------

int RegisterMachine::cashMovement(bool income) {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    if (int e = requireOpenShift()) return e;
    const ParamValue* sum = instance_.input.find(id::sum);
    if (!sum || sum->asDouble() <= 0) return error::invalidParameter;
    const std::int64_t kopecks = std::llround(sum->asDouble() * 100);
    const std::int64_t balance = s_["cashBalance"].get<std::int64_t>();
    if (!income && kopecks > balance) return error::notEnoughCash;
    const int number = nextDocumentNumber();
    std::vector<std::string> lines = documentHeader(income ? u8"ВНЕСЕНИЕ" : u8"ВЫПЛАТА", number);
    lines.push_back(u8"СУММА " + moneyText(kopecks));
    lines.push_back(rule('='));
    if (int e = checkPaperFor(lines.size())) return e;
    journal({{"type", income ? "cash_income" : "cash_outcome"}, {"sum", roubles(kopecks)}}, number);
    const char* total = income ? "cashIn" : "cashOut";
    s_["totals"][total] = s_["totals"][total].get<std::int64_t>() + kopecks;
    s_["cashBalance"] = income ? balance + kopecks : balance - kopecks;
    return print(lines);
}

int RegisterMachine::cashIncome() { return cashMovement(true); }
int RegisterMachine::cashOutcome() { return cashMovement(false); }

// ---- TLV --------------------------------------------------------------------------------

int RegisterMachine::utilFormTlv() {
    instance_.output.set(id::tagValue, ParamValue::ofBytes(encodeTlvSet(instance_.input)));
    return 0;
}

}  // namespace emulator
}  // namespace vorna
