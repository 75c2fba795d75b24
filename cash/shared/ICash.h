// The cash-device interface: the one contract between the sender and any
// driver library. The slot order of the operations is binding for every
// driver, so never reorder, insert or remove a declaration.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vorna {
namespace cash {

// Texts are Windows-1251; money is kopecks; quantities are thousandths.
// There is deliberately no virtual destructor: an object is destroyed only by
// the DestroyObject export of the library that made it.
class ICash {
public:
    virtual int CheckState() = 0;
    virtual int NewCheck(int kind) = 0;
    virtual int CashOutcome(const std::string& sum) = 0;
    virtual int CashOutcome(int sum) = 0;
    virtual int CashIncome(const std::string& sum) = 0;
    virtual int CashIncome(int sum) = 0;
    virtual int RegisterSale(const std::string& text, unsigned price, int quantity, int department,
                             int tax) = 0;
    virtual int PrintSlip(const std::string& text, unsigned price, int quantity,
                          int department) = 0;
    virtual int Return(const std::string& text, unsigned price, int quantity) = 0;
    virtual int CancelCheck() = 0;
    virtual int CloseCheck(unsigned carryIn, int closeMode) = 0;
    virtual int Print(const std::string& text) = 0;
    virtual int Ready() = 0;
    virtual int IsSessionOpen() = 0;
    virtual int XReport() = 0;
    virtual int ZReport() = 0;
    virtual int CheckKKT() = 0;
    virtual int GetMaxCashStringLength() = 0;
    virtual void Finish() = 0;
    virtual void EndOperation() = 0;
    virtual void SetCheckAttributes(bool cashless, bool electronic, int bankCommission,
                                    const std::string& clientPhone, const std::string& clientEmail,
                                    const std::string& serviceName, const std::string& cashierName,
                                    const std::string& agentPhone,
                                    const std::string& operatorOperation,
                                    const std::string& operatorName,
                                    const std::string& operatorAddress,
                                    const std::string& operatorInn,
                                    const std::string& operatorPhone) = 0;
    virtual void SetTaxType(int taxType) = 0;
    virtual void SetPaymentType(int paymentType) = 0;
    virtual void SetPrecheque(bool precheque) = 0;
    virtual void SetLongValue(std::int64_t value) = 0;
    virtual void SetCashierInn(const std::string& inn) = 0;
    virtual int GetInfoKKT(char** out) = 0;
    virtual int SetParameters(const std::map<std::string, std::string>& parameters) = 0;
};

}  // namespace cash
}  // namespace vorna
