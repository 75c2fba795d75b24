// A cash device that succeeds at everything and keeps nothing: the device of
// the cheque fuzzer and the cheque benchmark, where only the script's own work
// is of interest. An open shift, 40 characters a line, no information text.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "cash/shared/ICash.h"

namespace vorna {
namespace testing_support {

class AcceptingCash : public cash::ICash {
public:
    int CheckState() override { return 0; }
    int NewCheck(int) override { return 0; }
    int CashOutcome(const std::string&) override { return 0; }
    int CashOutcome(int) override { return 0; }
    int CashIncome(const std::string&) override { return 0; }
    int CashIncome(int) override { return 0; }
    int RegisterSale(const std::string&, unsigned, int, int, int) override { return 0; }
    int PrintSlip(const std::string&, unsigned, int, int) override { return 0; }
    int Return(const std::string&, unsigned, int) override { return 0; }
    int CancelCheck() override { return 0; }
    int CloseCheck(unsigned, int) override { return 0; }
    int Print(const std::string&) override { return 0; }
    int Ready() override { return 0; }
    int IsSessionOpen() override { return 1; }
    int XReport() override { return 0; }
    int ZReport() override { return 0; }
    int CheckKKT() override { return 0; }
    int GetMaxCashStringLength() override { return 40; }
    void Finish() override {}
    void EndOperation() override {}
    void SetCheckAttributes(bool, bool, int, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {}
    void SetTaxType(int) override {}
    void SetPaymentType(int) override {}
    void SetPrecheque(bool) override {}
    void SetLongValue(std::int64_t) override {}
    void SetCashierInn(const std::string&) override {}
    int GetInfoKKT(char**) override { return 0; }
    int SetParameters(const std::map<std::string, std::string>&) override { return 0; }
};

}  // namespace testing_support
}  // namespace vorna
