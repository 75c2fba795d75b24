// The driver's ICash as a journaled payment sees it: every operation goes to
// the driver unchanged, but before the receipt is opened the fiscal storage's
// last document number is read and committed to the payment journal (the
// payment's durable commit, made also without the number), and after
// a successful close the receipt's document is read.
#pragma once

#include <string>

#include "cash/sender/journal/payment_journal.h"
#include "cash/shared/ICash.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {

class JournaledCash final : public cash::ICash {
public:
    // query may be null (a driver without the export): then only the
    // operations pass through.
    JournaledCash(cash::ICash& driver, cash::QueryFiscalDocumentFunction query,
                  PaymentJournal& journal, const JournalKey& key);

    // True once NewCheck reached the driver: a receipt may exist from here on.
    bool receiptOpened() const { return opened_; }
    // The last document number before the receipt (-1: unknown).
    std::int64_t documentBefore() const { return documentBefore_; }
    // The receipt after a successful close (number 0: not read).
    const ReceiptDocument& receipt() const { return receipt_; }
    // The journal's failure that stopped the payment before the receipt (empty: none).
    const std::string& journalFailure() const { return journalFailure_; }

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
    cash::ICash& driver_;
    cash::QueryFiscalDocumentFunction query_;
    PaymentJournal& journal_;
    JournalKey key_;
    bool opened_ = false;
    std::int64_t documentBefore_ = -1;
    ReceiptDocument receipt_;
    std::string journalFailure_;
};

}  // namespace vorna
