#include "tests/recording_driver/recording_cash.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace vorna {
namespace testing_support {

namespace {
constexpr char kCallsFile[] = "driver.calls";
constexpr char kScriptFile[] = "driver.script";

std::string quoted(const std::string& text) { return "\"" + text + "\""; }
std::string number(long long value) { return std::to_string(value); }
std::string flag(bool value) { return value ? "true" : "false"; }
}  // namespace

std::map<std::string, ScriptedOutcome> readDriverScript(const std::string& path) {
    std::map<std::string, ScriptedOutcome> script;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t space = line.find(' ');
        if (line.empty() || space == std::string::npos) continue;
        std::string operation = line.substr(0, space);
        std::string rest = line.substr(space + 1);
        ScriptedOutcome outcome;
        if (rest.compare(0, 6, "throw ") == 0) {
            outcome.throws = true;
            outcome.text = rest.substr(6);
        } else if (rest.compare(0, 5, "text ") == 0) {
            outcome.text = rest.substr(5);
        } else {
            outcome.result = std::atoi(rest.c_str());
        }
        script[operation] = outcome;
    }
    return script;
}

void recordCall(const std::string& line) {
    std::ofstream out(kCallsFile, std::ios::binary | std::ios::app);
    out << line << '\n';
}

void throwWhenScripted(const std::string& entryPoint) {
    auto script = readDriverScript(kScriptFile);
    auto found = script.find(entryPoint);
    if (found != script.end() && found->second.throws) throw std::runtime_error(found->second.text);
}

RecordingCash::RecordingCash() : script_(readDriverScript(kScriptFile)) {}

RecordingCash::~RecordingCash() = default;

int RecordingCash::answer(const std::string& operation, const std::string& arguments,
                          int fallback) {
    recordCall(operation + "(" + arguments + ")");
    auto found = script_.find(operation);
    if (found == script_.end()) return fallback;
    if (found->second.throws) throw std::runtime_error(found->second.text);
    return found->second.result;
}

int RecordingCash::CheckState() { return answer("CheckState", ""); }
int RecordingCash::NewCheck(int kind) { return answer("NewCheck", number(kind)); }
int RecordingCash::CashOutcome(const std::string& sum) {
    return answer("CashOutcome", quoted(sum));
}
int RecordingCash::CashOutcome(int sum) { return answer("CashOutcome", number(sum)); }
int RecordingCash::CashIncome(const std::string& sum) { return answer("CashIncome", quoted(sum)); }
int RecordingCash::CashIncome(int sum) { return answer("CashIncome", number(sum)); }
int RecordingCash::RegisterSale(const std::string& text, unsigned price, int quantity,
                                int department, int tax) {
    return answer("RegisterSale", quoted(text) + ", " + number(price) + ", " + number(quantity) +
                                      ", " + number(department) + ", " + number(tax));
}
int RecordingCash::PrintSlip(const std::string& text, unsigned price, int quantity,
                             int department) {
    return answer("PrintSlip", quoted(text) + ", " + number(price) + ", " + number(quantity) +
                                   ", " + number(department));
}
int RecordingCash::Return(const std::string& text, unsigned price, int quantity) {
    return answer("Return", quoted(text) + ", " + number(price) + ", " + number(quantity));
}
int RecordingCash::CancelCheck() { return answer("CancelCheck", ""); }
int RecordingCash::CloseCheck(unsigned carryIn, int closeMode) {
    return answer("CloseCheck", number(carryIn) + ", " + number(closeMode));
}
int RecordingCash::Print(const std::string& text) { return answer("Print", quoted(text)); }
int RecordingCash::Ready() { return answer("Ready", ""); }
int RecordingCash::IsSessionOpen() { return answer("IsSessionOpen", "", 1); }
int RecordingCash::XReport() { return answer("XReport", ""); }
int RecordingCash::ZReport() { return answer("ZReport", ""); }
int RecordingCash::CheckKKT() { return answer("CheckKKT", ""); }
int RecordingCash::GetMaxCashStringLength() { return answer("GetMaxCashStringLength", "", 40); }
void RecordingCash::Finish() { answer("Finish", ""); }
void RecordingCash::EndOperation() { answer("EndOperation", ""); }
void RecordingCash::SetCheckAttributes(
    bool cashless, bool electronic, int bankCommission, const std::string& clientPhone,
    const std::string& clientEmail, const std::string& serviceName, const std::string& cashierName,
    const std::string& agentPhone, const std::string& operatorOperation,
    const std::string& operatorName, const std::string& operatorAddress,
    const std::string& operatorInn, const std::string& operatorPhone) {
    answer("SetCheckAttributes",
           flag(cashless) + ", " + flag(electronic) + ", " + number(bankCommission) + ", " +
               quoted(clientPhone) + ", " + quoted(clientEmail) + ", " + quoted(serviceName) +
               ", " + quoted(cashierName) + ", " + quoted(agentPhone) + ", " +
               quoted(operatorOperation) + ", " + quoted(operatorName) + ", " +
               quoted(operatorAddress) + ", " + quoted(operatorInn) + ", " + quoted(operatorPhone));
}
void RecordingCash::SetTaxType(int taxType) { answer("SetTaxType", number(taxType)); }
void RecordingCash::SetPaymentType(int paymentType) {
    answer("SetPaymentType", number(paymentType));
}
void RecordingCash::SetPrecheque(bool precheque) { answer("SetPrecheque", flag(precheque)); }
void RecordingCash::SetLongValue(std::int64_t value) { answer("SetLongValue", number(value)); }
void RecordingCash::SetCashierInn(const std::string& inn) { answer("SetCashierInn", quoted(inn)); }

int RecordingCash::GetInfoKKT(char** out) {
    int result = answer("GetInfoKKT", "");
    auto found = script_.find("GetInfoKKT");
    // The text is the caller's, allocated with malloc.
    if (out) *out = strdup(found == script_.end() ? "" : found->second.text.c_str());
    return result;
}

int RecordingCash::SetParameters(const std::map<std::string, std::string>& parameters) {
    std::string arguments = "{";
    for (const auto& [name, value] : parameters) {
        if (arguments.size() > 1) arguments += ", ";
        arguments += name + "=" + quoted(value);
    }
    return answer("SetParameters", arguments + "}");
}

}  // namespace testing_support
}  // namespace vorna
