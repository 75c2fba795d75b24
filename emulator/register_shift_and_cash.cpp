#include "emulator/register_machine.h"

#include "emulator/errors.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

int RegisterMachine::operatorLogin() {
    if (int e = requireConnection()) return e;
    const ParamValue* name = instance_.input.find(libfptr::tag::cashier);
    if (!name) return error::invalidParameter;
    const ParamValue* inn = instance_.input.find(libfptr::tag::cashierInn);
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
    if (int e = requireStorageAcceptsDocuments()) return e;
    const int number = nextDocumentNumber();
    s_["shift"] = {
        {"open", true}, {"number", s_["shift"]["number"].get<int>() + 1}, {"openedAt", now()}};
    std::vector<std::string> lines = documentHeader(u8"ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ", number);
    lines.push_back(ruleLine('='));
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
    const ParamValue* kind = instance_.input.find(libfptr::param::reportType);
    if (!kind || (kind->asInt() != 0 && kind->asInt() != 1)) return error::invalidParameter;
    const bool z = kind->asInt() == 0;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    const int state = shiftState();
    if (z && state == 0) return error::shiftClosed;
    if (!z && state == 2) return error::shiftExpired;
    if (z)
        if (int e = requireStorageAcceptsDocuments()) return e;
    const int number = nextDocumentNumber();
    const json& totals = s_["totals"];
    std::vector<std::string> lines =
        documentHeader(z ? u8"ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ" : u8"X-ОТЧЕТ (БЕЗ ГАШЕНИЯ)", number);
    lines.push_back(u8"ЧЕКОВ ЗА СМЕНУ " + std::to_string(s_["counters"]["receipt"].get<int>()));
    lines.push_back(u8"ВЫРУЧКА " + moneyText(totals["revenue"].get<std::int64_t>()));
    lines.push_back(u8"ВНЕСЕНИЯ " + moneyText(totals["cashIn"].get<std::int64_t>()));
    lines.push_back(u8"ВЫПЛАТЫ " + moneyText(totals["cashOut"].get<std::int64_t>()));
    lines.push_back(u8"НАЛИЧНЫХ В КАССЕ " + moneyText(s_["cashBalance"].get<std::int64_t>()));
    lines.push_back(ruleLine('='));
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

// ---- cash -----------------------------------------------------------------------------

int RegisterMachine::cashMovement(bool income) {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    if (int e = requireOpenShift()) return e;
    const ParamValue* sum = instance_.input.find(libfptr::param::sum);
    if (!sum || sum->asDouble() <= 0) return error::invalidParameter;
    const std::int64_t kopecks = std::llround(sum->asDouble() * 100);
    const std::int64_t balance = s_["cashBalance"].get<std::int64_t>();
    if (!income && kopecks > balance) return error::notEnoughCash;
    const int number = nextDocumentNumber();
    std::vector<std::string> lines = documentHeader(income ? u8"ВНЕСЕНИЕ" : u8"ВЫПЛАТА", number);
    lines.push_back(u8"СУММА " + moneyText(kopecks));
    lines.push_back(ruleLine('='));
    if (int e = checkPaperFor(lines.size())) return e;
    journal({{"type", income ? "cash_income" : "cash_outcome"}, {"sum", roubles(kopecks)}}, number);
    const char* total = income ? "cashIn" : "cashOut";
    s_["totals"][total] = s_["totals"][total].get<std::int64_t>() + kopecks;
    s_["cashBalance"] = income ? balance + kopecks : balance - kopecks;
    return print(lines);
}

int RegisterMachine::cashIncome() { return cashMovement(true); }
int RegisterMachine::cashOutcome() { return cashMovement(false); }

}  // namespace emulator
}  // namespace vorna
