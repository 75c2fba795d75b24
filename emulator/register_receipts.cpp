#include "emulator/register_machine.h"

#include <cmath>
#include <cstdio>

#include "emulator/correction_receipts.h"
#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/library_version.h"
#include "emulator/tlv.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

namespace {

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
    return type == libfptr::rt::sell || type == libfptr::rt::sellCorrection ? u8"ПРИХОД"
           : type == libfptr::rt::sellReturn || type == libfptr::rt::sellReturnCorrection
               ? u8"ВОЗВРАТ ПРИХОДА"
               : "";
}

// Money comes in with a sale and its correction, goes out with a return and its correction.
bool moneyComesIn(int type) {
    return type == libfptr::rt::sell || type == libfptr::rt::sellCorrection;
}

std::int64_t fiscalSign(int document, std::int64_t total) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(document) * 2654435761ULL + static_cast<std::uint64_t>(total)) %
        4294967296ULL);
}

}  // namespace

int RegisterMachine::openReceipt() {
    if (int e = requireConnection()) return e;
    if (int e = requireNoDocument()) return e;
    const ParamValue* type = instance_.input.find(libfptr::param::receiptType);
    if (!type) return error::invalidParameter;
    const int receiptType = static_cast<int>(type->asInt());
    const bool correction = receiptType == libfptr::rt::sellCorrection ||
                            receiptType == libfptr::rt::sellReturnCorrection;
    if (receiptType != libfptr::rt::sell && receiptType != libfptr::rt::sellReturn && !correction)
        return error::invalidParameter;
    if (correction)
        if (int e = checkCorrection(instance_.input, s_["registration"]["1209"].get<int>(), now()))
            return e;
    const ParamValue* electronic = instance_.input.find(libfptr::param::receiptElectronically);
    const bool isElectronic = electronic && electronic->asInt() != 0;
    if (!isElectronic)
        if (int e = requirePrinter()) return e;
    if (int e = requireOpenShift()) return e;
    if (int e = requireStorageAcceptsDocuments()) return e;
    const ParamValue* contact = instance_.input.find(libfptr::tag::buyerContact);
    if (isElectronic && (!contact || contact->asText().empty())) return error::buyerContactMissing;
    json tags = json::object();
    for (const auto& item : instance_.input.items())
        if (item.first < libfptr::firstParameter && item.first != libfptr::tag::buyerContact)
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
    const ParamValue* name = in.find(libfptr::param::commodityName);
    const ParamValue* price = in.find(libfptr::param::price);
    const ParamValue* quantity = in.find(libfptr::param::quantity);
    if (!name || name->asText().empty() || !price || price->asDouble() < 0 || !quantity ||
        quantity->asDouble() <= 0)
        return error::invalidParameter;
    const ParamValue* tax = in.find(libfptr::param::taxType);
    // The number as this version of the library reads it; its "invalid" one fails.
    const int rate = tax ? rateOfTaxType(s_, tax->asInt()) : libfptr::tax::invalid;
    if (rate == libfptr::tax::invalid) return error::invalidTaxType;
    const bool ffd12 = s_["registration"]["1209"].get<int>() >= libfptr::ffd::v12;
    if (ffd12 && !in.has(libfptr::tag::measure)) return error::measureMissing;
    if (!ffd12 && in.has(libfptr::tag::measure)) return error::measureNotAllowed;
    const std::int64_t priceKopecks = std::llround(price->asDouble() * 100);
    const std::int64_t sum = std::llround(price->asDouble() * quantity->asDouble() * 100);
    json position = {{"name", name->asText()},
                     {"price", roubles(priceKopecks)},
                     {"quantity", quantity->asDouble()},
                     {"sum", roubles(sum)},
                     {"sumKopecks", sum},
                     {"taxType", tax->asInt()},
                     {"tax", taxTypeName(rate)}};
    json tags = json::object();
    for (const auto& item : in.items()) {
        if (item.first >= libfptr::firstParameter) continue;
        const json value = toJson(item.second);
        switch (item.first) {
            case libfptr::tag::paymentObject:
                position["paymentObject"] = value;
                break;
            case libfptr::tag::paymentMethod:
                position["paymentMethod"] = value;
                break;
            case libfptr::tag::measure:
                position["measure"] = value;
                break;
            case libfptr::tag::positionAgentSign:
                position["agentSign"] = value;
                break;
            case libfptr::tag::agentData:
                position["agentData"] = value;
                break;
            case libfptr::tag::supplierData:
                position["supplierData"] = value;
                break;
            case libfptr::tag::supplierInn:
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
    const ParamValue* type = instance_.input.find(libfptr::param::paymentType);
    const ParamValue* sum = instance_.input.find(libfptr::param::paymentSum);
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
    if (!moneyComesIn(type) && cash > s_["cashBalance"].get<std::int64_t>())
        return error::notEnoughCash;

    const int number = nextDocumentNumber();
    const int receiptNumber = s_["counters"]["receipt"].get<int>() + 1;
    const bool correction = isCorrectionType(type);
    std::vector<std::string> lines =
        documentHeader((correction ? u8"КАССОВЫЙ ЧЕК КОРРЕКЦИИ " : u8"КАССОВЫЙ ЧЕК ") +
                           std::to_string(receiptNumber) + "  " + receiptTypeName(type),
                       number);
    if (correction)
        for (const std::string& line : correctionLines(receipt["tags"])) lines.push_back(line);
    lines.push_back(ruleLine('-'));
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
    lines.push_back(ruleLine('-'));
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
    lines.push_back(ruleLine('='));
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
    s_["totals"]["revenue"] = moneyComesIn(type) ? revenue + total : revenue - total;
    s_["cashBalance"] = moneyComesIn(type) ? balance + cash : balance - cash;
    s_["receipt"] = nullptr;
    return printed ? print(lines) : 0;
}

int RegisterMachine::typeReceipt(int receiptType, std::int64_t kopecks, TypedReceipt& done) {
    done = TypedReceipt();
    if ((receiptType != libfptr::rt::sell && receiptType != libfptr::rt::sellReturn) ||
        kopecks <= 0)
        return error::invalidParameter;
    // Everything that would refuse the receipt is checked before the shift is
    // opened for it, so that a refusal leaves no document behind.
    if (int e = requireNoDocument()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireStorageAcceptsDocuments()) return e;
    const int shift = shiftState();
    if (shift == 2) return error::shiftExpired;
    if (!moneyComesIn(receiptType) && kopecks > s_["cashBalance"].get<std::int64_t>())
        return error::notEnoughCash;

    ParamSet& in = instance_.input;
    auto documents = [this] { return s_["counters"]["document"].get<int>(); };
    if (shift == 0) {
        const int before = documents();
        in.clear();
        const int e = openShift();
        if (documents() != before) done.shiftOpenedBy = documents();
        if (e) return e;
    }
    const int before = documents();
    in.clear();
    in.set(libfptr::param::receiptType, ParamValue::ofInt(receiptType));
    int e = openReceipt();
    if (!e) {
        in.clear();
        in.set(libfptr::param::commodityName, ParamValue::ofText(u8"Товар"));
        in.set(libfptr::param::price, ParamValue::ofDouble(roubles(kopecks)));
        in.set(libfptr::param::quantity, ParamValue::ofDouble(1));
        in.set(libfptr::param::taxType, ParamValue::ofInt(libfptr::tax::no));
        if (s_["registration"]["1209"].get<int>() >= libfptr::ffd::v12)
            in.set(libfptr::tag::measure, ParamValue::ofInt(libfptr::measure::piece));
        e = registration();
    }
    if (!e) {
        in.clear();
        in.set(libfptr::param::paymentType, ParamValue::ofInt(libfptr::payment::cash));
        in.set(libfptr::param::paymentSum, ParamValue::ofDouble(roubles(kopecks)));
        e = payment();
    }
    if (!e) e = closeReceipt();
    in.clear();
    if (documents() != before) {
        // Registered, even when the paper ended while it printed.
        done.document = documents();
        done.receiptNumber = s_["counters"]["receipt"].get<int>();
        done.fiscalSign = fiscalSign(done.document, kopecks);
        done.at = s_["lastDocument"]["time"].get<std::int64_t>();
    } else if (s_["receipt"].is_object()) {
        // Refused before it was registered: the cashier clears it.
        s_["receipt"] = nullptr;
    }
    return e;
}

int RegisterMachine::cancelReceipt() {
    if (int e = requireConnection()) return e;
    if (!s_["receipt"].is_object()) return error::noReceiptOpen;
    const bool printed = !s_["receipt"]["electronic"].get<bool>();
    s_["receipt"] = nullptr;
    if (printed && requirePrinter() == 0)
        print({ruleLine('='), u8"ЧЕК АННУЛИРОВАН", ruleLine('=')});
    return 0;
}

int RegisterMachine::checkDocumentClosed() {
    if (int e = requireConnection()) return e;
    const bool closed = !s_["receipt"].is_object() && !s_["nonfiscal"].get<bool>() &&
                        s_["lastDocument"]["closed"].get<bool>();
    instance_.output.set(libfptr::param::documentClosed, ParamValue::ofBool(closed));
    return 0;
}

}  // namespace emulator
}  // namespace vorna
