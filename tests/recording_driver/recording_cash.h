// A cash device for tests: it writes every ICash call with its arguments as one
// line to "driver.calls" in the current directory and takes the results and
// the failures of its operations from "driver.script" there.
#pragma once

#include <map>
#include <string>

#include "cash/shared/ICash.h"

namespace vorna {
namespace testing_support {

// What the script says one operation does.
struct ScriptedOutcome {
    int result = 0;
    bool throws = false;
    std::string text;  // the exception text, or the information text of GetInfoKKT
};

// Lines of the script file, one operation per line:
//   CheckKKT 1              the operation returns 1
//   XReport throw no paper  the operation throws a std::exception with that text
//   GetInfoKKT text INN 77  GetInfoKKT hands out that text (and returns 0)
// Operations the script does not name succeed (IsSessionOpen says 1). The
// creating entry points may be scripted to throw as well.
std::map<std::string, ScriptedOutcome> readDriverScript(const std::string& path);

// Appends one line to the calls file.
void recordCall(const std::string& line);

// Throws the std::exception that the script gives an entry point
// ("CreateObject throw text"), if it gives one.
void throwWhenScripted(const std::string& entryPoint);

class RecordingCash final : public cash::ICash {
public:
    RecordingCash();
    ~RecordingCash();
    RecordingCash(const RecordingCash&) = delete;
    RecordingCash& operator=(const RecordingCash&) = delete;

    int CheckState() override;
    int NewCheck(int kind) override;
    int CashOutcome(const std::string& sum) override;
    int CashOutcome(int sum) override;
    int CashIncome(const std::string& sum) override;
    int CashIncome(int sum) override;
    int RegisterSale(const std::string& text, unsigned price, int quantity, int department,
                     int tax) override;
    int PrintSlip(const std::string& text, unsigned price, int quantity, int department) override;
    int Return(const std::string& text, unsigned price, int quantity) override;
    int CancelCheck() override;
    int CloseCheck(unsigned carryIn, int closeMode) override;
    int Print(const std::string& text) override;
    int Ready() override;
    int IsSessionOpen() override;
    int XReport() override;
    int ZReport() override;
    int CheckKKT() override;
    int GetMaxCashStringLength() override;
    void Finish() override;
    void EndOperation() override;
    void SetCheckAttributes(bool cashless, bool electronic, int bankCommission,
                            const std::string& clientPhone, const std::string& clientEmail,
                            const std::string& serviceName, const std::string& cashierName,
                            const std::string& agentPhone, const std::string& operatorOperation,
                            const std::string& operatorName, const std::string& operatorAddress,
                            const std::string& operatorInn,
                            const std::string& operatorPhone) override;
    void SetTaxType(int taxType) override;
    void SetPaymentType(int paymentType) override;
    void SetPrecheque(bool precheque) override;
    void SetLongValue(std::int64_t value) override;
    void SetCashierInn(const std::string& inn) override;
    int GetInfoKKT(char** out) override;
    int SetParameters(const std::map<std::string, std::string>& parameters) override;

private:
    // Records the call and answers it as the script says.
    int answer(const std::string& operation, const std::string& arguments, int fallback = 0);

    std::map<std::string, ScriptedOutcome> script_;
};

}  // namespace testing_support
}  // namespace vorna
