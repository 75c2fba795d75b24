#include "cash/sender/journal/journaled_cash.h"

#include "cash/shared/ResultCode.h"

namespace vorna {

JournaledCash::JournaledCash(cash::ICash& driver, cash::QueryFiscalDocumentFunction query,
                             PaymentJournal& journal, const JournalKey& key)
    : driver_(driver), query_(query), journal_(journal), key_(key) {}

int JournaledCash::NewCheck(int kind) {
    if (query_) {
        cash::FiscalDocument last{};
        const int read = query_(&driver_, 0, &last);
        // Without the starting point a receipt could not be found again after
        // a lost reply: no receipt is opened then.
        if (read != cash::kSuccess) return read;
        try {
            journal_.recordDocumentBefore(key_, last.number);
        } catch (const JournalError& e) {
            journalFailure_ = e.what();
            return cash::kOtherError;
        }
        documentBefore_ = last.number;
    } else {
        // No starting point to record, but the attempt's record must still be
        // on the disk before a receipt can exist: the payment's one flush.
        try {
            journal_.recordDocumentBefore(key_, -1);
        } catch (const JournalError& e) {
            journalFailure_ = e.what();
            return cash::kOtherError;
        }
    }
    opened_ = true;
    return driver_.NewCheck(kind);
}

int JournaledCash::CloseCheck(unsigned carryIn, int closeMode) {
    const int closed = driver_.CloseCheck(carryIn, closeMode);
    if (closed != cash::kSuccess || !query_) return closed;
    // The receipt is fiscal now; what the storage says of it is for the record
    // only, so a failure to read it changes nothing.
    cash::FiscalDocument last{};
    if (query_(&driver_, 0, &last) != cash::kSuccess || last.number == 0) return closed;
    cash::FiscalDocument document{};
    if (query_(&driver_, last.number, &document) != cash::kSuccess) return closed;
    receipt_.number = document.number;
    receipt_.dateTime = document.dateTime;
    receipt_.fiscalSign = document.fiscalSign;
    return closed;
}

int JournaledCash::CheckState() { return driver_.CheckState(); }
int JournaledCash::CashOutcome(const std::string& sum) { return driver_.CashOutcome(sum); }
int JournaledCash::CashOutcome(int sum) { return driver_.CashOutcome(sum); }
int JournaledCash::CashIncome(const std::string& sum) { return driver_.CashIncome(sum); }
int JournaledCash::CashIncome(int sum) { return driver_.CashIncome(sum); }
int JournaledCash::RegisterSale(const std::string& text, unsigned price, int quantity,
                                int department, int tax) {
    return driver_.RegisterSale(text, price, quantity, department, tax);
}
int JournaledCash::PrintSlip(const std::string& text, unsigned price, int quantity,
                             int department) {
    return driver_.PrintSlip(text, price, quantity, department);
}
int JournaledCash::Return(const std::string& text, unsigned price, int quantity) {
    return driver_.Return(text, price, quantity);
}
int JournaledCash::CancelCheck() { return driver_.CancelCheck(); }
int JournaledCash::Print(const std::string& text) { return driver_.Print(text); }
int JournaledCash::Ready() { return driver_.Ready(); }
int JournaledCash::IsSessionOpen() { return driver_.IsSessionOpen(); }
int JournaledCash::XReport() { return driver_.XReport(); }
int JournaledCash::ZReport() { return driver_.ZReport(); }
int JournaledCash::CheckKKT() { return driver_.CheckKKT(); }
int JournaledCash::GetMaxCashStringLength() { return driver_.GetMaxCashStringLength(); }
void JournaledCash::Finish() { driver_.Finish(); }
void JournaledCash::EndOperation() { driver_.EndOperation(); }
void JournaledCash::SetCheckAttributes(
    bool cashless, bool electronic, int bankCommission, const std::string& clientPhone,
    const std::string& clientEmail, const std::string& serviceName, const std::string& cashierName,
    const std::string& agentPhone, const std::string& operatorOperation,
    const std::string& operatorName, const std::string& operatorAddress,
    const std::string& operatorInn, const std::string& operatorPhone) {
    driver_.SetCheckAttributes(cashless, electronic, bankCommission, clientPhone, clientEmail,
                               serviceName, cashierName, agentPhone, operatorOperation,
                               operatorName, operatorAddress, operatorInn, operatorPhone);
}
void JournaledCash::SetTaxType(int taxType) { driver_.SetTaxType(taxType); }
void JournaledCash::SetPaymentType(int paymentType) { driver_.SetPaymentType(paymentType); }
void JournaledCash::SetPrecheque(bool precheque) { driver_.SetPrecheque(precheque); }
void JournaledCash::SetLongValue(std::int64_t value) { driver_.SetLongValue(value); }
void JournaledCash::SetCashierInn(const std::string& inn) { driver_.SetCashierInn(inn); }
int JournaledCash::GetInfoKKT(char** out) { return driver_.GetInfoKKT(out); }
int JournaledCash::SetParameters(const std::map<std::string, std::string>& parameters) {
    return driver_.SetParameters(parameters);
}

}  // namespace vorna
