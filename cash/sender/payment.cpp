#include "cash/sender/payment.h"

#include <cstddef>

#include "cash/sender/call_frame.h"
#include "cash/shared/ResultCode.h"
#include "common/sender_log.h"

namespace vorna {

namespace {
constexpr char kSoh = '\x01';
constexpr char kBel = '\x07';
constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kMaxServiceName = 128;

struct TaxRow {
    const char* code;
    int atol8;
    int atol10;
    int shtrih;
};

const TaxRow kTaxTable[] = {
    {"1102", 3, 7, 1},  {"1103", 2, 2, 2},   {"1104", 1, 5, 3},   {"1105", 4, 6, 4},
    {"1106", 6, 8, 5},  {"1107", 5, 4, 6},   {"2005", 0, 9, 7},   {"2007", 0, 10, 8},
    {"2105", 0, 11, 9}, {"2107", 0, 12, 10}, {"2022", 0, 13, 11}, {"2122", 0, 14, 12},
};

std::string controlLine(bool logging) {
    return std::string(1, kSoh) + "SEPARATE=NO" + kSoh + "LOGENABLE=" + (logging ? "YES" : "NO") +
           kSoh + "PRINTDOCLIST=" + kBel + "&2" + kLineEnd;
}
}  // namespace

std::string formatAmount(unsigned kopecks) {
    std::string s = std::to_string(kopecks);
    if (kopecks <= 9) return "0.0" + s;
    if (kopecks <= 99) return "0." + s;
    return s.substr(0, s.size() - 2) + "." + s.substr(s.size() - 2);
}

bool isKnownTaxCode(const std::string& ndsCode) {
    for (const TaxRow& row : kTaxTable)
        if (ndsCode == row.code) return true;
    return false;
}

int taxTypeIndex(const std::string& driverFile, const std::string& ndsCode) {
    for (const TaxRow& row : kTaxTable) {
        if (ndsCode != row.code) continue;
        if (driverFile == "vorna.cash.atol8.dll") return row.atol8;
        if (driverFile == "vorna.cash.atol10.dll") return row.atol10;
        if (driverFile == "vorna.cash.shtrih.dll") return row.shtrih;
        return 0;
    }
    return 0;
}

bool hasScriptCharacters(const std::string& text) {
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '~' || c == '"' || c == '\\') return true;
    }
    return false;
}

int validatePayment(const std::string& serviceName, unsigned summa, const std::string& typeOper,
                    const std::string& ndsCode, const std::string& logName,
                    const std::string& headerUnc) {
    const bool logging = logEnabled();
    int result = cash::kSuccess;
    auto fail = [&](const std::string& message) {
        if (logging) appendLogLine(mainLogTarget(), logName, message);
        result = cash::kInvalidPayment;
    };
    if (serviceName.size() > kMaxServiceName)
        fail("Наименование услуги не должно превышать 128 символов!");
    if (summa == 0) fail(std::string("SUMMA") + " должна быть больше нуля!");
    if (typeOper != "P" && typeOper != "V")
        fail(std::string("TYPE_OPER") + " должен быть равен P или V.");
    if (!isKnownTaxCode(ndsCode))
        fail(std::string("NDS_CODE") +
             " должен содержать значение из списка: 1102, 1103, 1104, 1105, 1106, 1107, 2005, "
             "2007, 2105, 2107, 2022, 2122");
    // The number is printed through the script: its own tags must not get in.
    if (hasScriptCharacters(headerUnc))
        fail(std::string("UNC") +
             " не должен содержать управляющие символы и символы ~ \" \\ (они служат разметкой "
             "чека).");
    return result;
}

std::string buildChequeScript(const ChequeScriptInput& input) {
    std::string script = controlLine(input.logging);
    if (input.print) script += "~hdr: Номер перевода: " + input.unc + kLineEnd;
    script += "~srv 1 " + formatAmount(input.summa) + kLineEnd;
    script += "~pay " + std::string(input.sale ? "1" : "2") + " " + formatAmount(input.summa);
    return script;
}

std::string deviceCheckScript() {
    return controlLine(false) + "~srv 1 0.01\r\n" + "~pay " + "1" + " " + "0.01";
}

}  // namespace vorna
