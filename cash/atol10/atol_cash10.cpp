#include "cash/atol10/atol_cash10.h"

#include "cash/atol10/config.h"
#include "common/error_box.h"
#include "common/platform/platform.h"

namespace vorna {
namespace cash {

int AtolCash10::CheckState() { return cash_.CheckState(); }
int AtolCash10::NewCheck(int kind) { return cash_.NewCheck(kind); }
int AtolCash10::CashOutcome(const std::string& sum) { return cash_.CashOutcome(sum); }
int AtolCash10::CashOutcome(int sum) { return cash_.CashOutcome(sum); }
int AtolCash10::CashIncome(const std::string& sum) { return cash_.CashIncome(sum); }
int AtolCash10::CashIncome(int sum) { return cash_.CashIncome(sum); }

int AtolCash10::RegisterSale(const std::string& text, unsigned price, int quantity, int department,
                             int tax) {
    return cash_.RegisterSale(text, price, quantity, department, tax);
}

int AtolCash10::PrintSlip(const std::string& text, unsigned price, int quantity, int department) {
    if (Config::instance().usePrinterFiscal == 0) return 0;
    const int answer =
        askQuestion("Напечатать подкладной документ ?", "Печать подкладного документа",
                    platform::Buttons::okCancel, platform::Icon::none, platform::cancel);
    if (answer != platform::ok) return 0;
    // The slip document and its one registration: the position must be counted once.
    return cash_.PrintSlip(text, price, quantity, department);
}

int AtolCash10::Return(const std::string& text, unsigned price, int quantity) {
    return cash_.Return(text, price, quantity, 0);
}

int AtolCash10::CancelCheck() { return cash_.CancelCheck(); }
int AtolCash10::CloseCheck(unsigned carryIn, int closeMode) {
    return cash_.CloseCheck(carryIn, closeMode);
}
int AtolCash10::Print(const std::string& text) { return cash_.Print(text); }
int AtolCash10::Ready() { return cash_.Ready(); }
int AtolCash10::IsSessionOpen() { return cash_.IsSessionOpen(); }
int AtolCash10::XReport() { return cash_.XReport(); }
int AtolCash10::ZReport() { return cash_.ZReport(); }
int AtolCash10::CheckKKT() { return cash_.CheckKKT(); }
int AtolCash10::GetMaxCashStringLength() { return Config::instance().maxCashStringLength; }
void AtolCash10::Finish() { cash_.Finish(); }
void AtolCash10::EndOperation() { cash_.EndOperation(); }

void AtolCash10::SetCheckAttributes(
    bool cashless, bool electronic, int bankCommission, const std::string& clientPhone,
    const std::string& clientEmail, const std::string& serviceName, const std::string& cashierName,
    const std::string& agentPhone, const std::string& operatorOperation,
    const std::string& operatorName, const std::string& operatorAddress,
    const std::string& operatorInn, const std::string& operatorPhone) {
    cash_.SetCheckAttributes(cashless, electronic, bankCommission, clientPhone, clientEmail,
                             serviceName, cashierName, agentPhone, operatorOperation, operatorName,
                             operatorAddress, operatorInn, operatorPhone);
}

void AtolCash10::SetTaxType(int taxType) { cash_.SetTaxType(taxType); }
void AtolCash10::SetPaymentType(int paymentType) { cash_.SetPaymentType(paymentType); }
void AtolCash10::SetPrecheque(bool precheque) { cash_.precheque_ = precheque; }
void AtolCash10::SetLongValue(std::int64_t value) { cash_.SetLongValue(value); }
void AtolCash10::SetCashierInn(const std::string& inn) { cash_.cashierInn_ = inn; }
int AtolCash10::GetInfoKKT(char** out) { return cash_.GetInfoKKT(out); }
int AtolCash10::SetParameters(const std::map<std::string, std::string>& parameters) {
    return cash_.SetParameters(parameters);
}

}  // namespace cash
}  // namespace vorna
