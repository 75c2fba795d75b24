// AtolCash10: the ICash object handed to the host; forwards to atol10::Cash.
#pragma once

#include "cash/atol10/cash.h"
#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

class AtolCash10 final : public ICash {
public:
    AtolCash10() = default;
    ~AtolCash10() = default;

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

    // The driver's optional export QueryFiscalDocument (not an ICash slot).
    int QueryFiscalDocument(unsigned number, FiscalDocument* out) {
        return cash_.QueryFiscalDocument(number, out);
    }
    // The optional exports QueryRegisterHealth and QueryStorageRefusal.
    int QueryRegisterHealth(RegisterHealth* out) { return cash_.QueryRegisterHealth(out); }
    int QueryStorageRefusal(StorageRefusal* out) { return cash_.QueryStorageRefusal(out); }
    // The optional export QueryLibraryInfo.
    int QueryLibraryInfo(LibraryInfo* out) { return cash_.QueryLibraryInfo(out); }
    // The optional export QueryRegisterBusy.
    int QueryRegisterBusy(RegisterBusy* out) { return cash_.QueryRegisterBusy(out); }

    // The driver's optional export RegisterCorrection (not an ICash slot).
    int RegisterCorrection(const CorrectionReceipt& request, FiscalDocument* out,
                           std::string& reason) {
        return cash_.RegisterCorrection(request, out, reason);
    }

    // Whether the register library was loaded for this object.
    bool libraryLoaded() const { return cash_.module_ != nullptr; }

private:
    atol10::Cash cash_;
};

}  // namespace cash
}  // namespace vorna
