// An ICash that hands every operation to an inner ICash, so a decorator
// overrides only what it changes; the operations are written out here once.
//
// Without an inner object the chain ends here, and every operation goes to
// endOfChain with its name and its arguments as text, formatted only when
// asked for. By default that accepts the operation: success, an open shift,
// 40 characters a line; a device that must see or script every call (a test
// double) overrides endOfChain alone. GetInfoKKT leaves its text untouched
// at the end of the chain.
//
// Like ICash, no virtual destructor: an object dies as what it was made.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

class ForwardingCash : public ICash {
public:
    // The arguments of one call as text, e.g. "\"Milk\", 5000, 1000, 1, 4":
    // texts quoted, flags true/false, a map as {key="value", ...}.
    class Arguments {
    public:
        template <typename Format>
        explicit Arguments(const Format& format)
            : format_(&format),
              call_([](const void* f) { return (*static_cast<const Format*>(f))(); }) {}
        std::string text() const { return call_(format_); }

    private:
        const void* format_;
        std::string (*call_)(const void*);
    };

    // inner may be null: then this object is the end of the chain.
    explicit ForwardingCash(ICash* inner) : inner_(inner) {}

    int CheckState() override {
        return inner_ ? inner_->CheckState() : end("CheckState", [] { return std::string(); });
    }
    int NewCheck(int kind) override {
        return inner_ ? inner_->NewCheck(kind) : end("NewCheck", [&] { return text(kind); });
    }
    int CashOutcome(const std::string& sum) override {
        return inner_ ? inner_->CashOutcome(sum) : end("CashOutcome", [&] { return text(sum); });
    }
    int CashOutcome(int sum) override {
        return inner_ ? inner_->CashOutcome(sum) : end("CashOutcome", [&] { return text(sum); });
    }
    int CashIncome(const std::string& sum) override {
        return inner_ ? inner_->CashIncome(sum) : end("CashIncome", [&] { return text(sum); });
    }
    int CashIncome(int sum) override {
        return inner_ ? inner_->CashIncome(sum) : end("CashIncome", [&] { return text(sum); });
    }
    int RegisterSale(const std::string& text, unsigned price, int quantity, int department,
                     int tax) override {
        if (inner_) return inner_->RegisterSale(text, price, quantity, department, tax);
        return end("RegisterSale", [&] { return list(text, price, quantity, department, tax); });
    }
    int PrintSlip(const std::string& text, unsigned price, int quantity, int department) override {
        if (inner_) return inner_->PrintSlip(text, price, quantity, department);
        return end("PrintSlip", [&] { return list(text, price, quantity, department); });
    }
    int Return(const std::string& text, unsigned price, int quantity) override {
        if (inner_) return inner_->Return(text, price, quantity);
        return end("Return", [&] { return list(text, price, quantity); });
    }
    int CancelCheck() override {
        return inner_ ? inner_->CancelCheck() : end("CancelCheck", [] { return std::string(); });
    }
    int CloseCheck(unsigned carryIn, int closeMode) override {
        if (inner_) return inner_->CloseCheck(carryIn, closeMode);
        return end("CloseCheck", [&] { return list(carryIn, closeMode); });
    }
    int Print(const std::string& text) override {
        return inner_ ? inner_->Print(text) : end("Print", [&] { return list(text); });
    }
    int Ready() override {
        return inner_ ? inner_->Ready() : end("Ready", [] { return std::string(); });
    }
    int IsSessionOpen() override {
        if (inner_) return inner_->IsSessionOpen();
        return end(
            "IsSessionOpen", [] { return std::string(); }, 1);
    }
    int XReport() override {
        return inner_ ? inner_->XReport() : end("XReport", [] { return std::string(); });
    }
    int ZReport() override {
        return inner_ ? inner_->ZReport() : end("ZReport", [] { return std::string(); });
    }
    int CheckKKT() override {
        return inner_ ? inner_->CheckKKT() : end("CheckKKT", [] { return std::string(); });
    }
    int GetMaxCashStringLength() override {
        if (inner_) return inner_->GetMaxCashStringLength();
        return end(
            "GetMaxCashStringLength", [] { return std::string(); }, 40);
    }
    void Finish() override {
        if (inner_) return inner_->Finish();
        end("Finish", [] { return std::string(); });
    }
    void EndOperation() override {
        if (inner_) return inner_->EndOperation();
        end("EndOperation", [] { return std::string(); });
    }
    void SetCheckAttributes(bool cashless, bool electronic, int bankCommission,
                            const std::string& clientPhone, const std::string& clientEmail,
                            const std::string& serviceName, const std::string& cashierName,
                            const std::string& agentPhone, const std::string& operatorOperation,
                            const std::string& operatorName, const std::string& operatorAddress,
                            const std::string& operatorInn,
                            const std::string& operatorPhone) override {
        if (inner_)
            return inner_->SetCheckAttributes(cashless, electronic, bankCommission, clientPhone,
                                              clientEmail, serviceName, cashierName, agentPhone,
                                              operatorOperation, operatorName, operatorAddress,
                                              operatorInn, operatorPhone);
        end("SetCheckAttributes", [&] {
            return list(cashless, electronic, bankCommission, clientPhone, clientEmail, serviceName,
                        cashierName, agentPhone, operatorOperation, operatorName, operatorAddress,
                        operatorInn, operatorPhone);
        });
    }
    void SetTaxType(int taxType) override {
        if (inner_) return inner_->SetTaxType(taxType);
        end("SetTaxType", [&] { return text(taxType); });
    }
    void SetPaymentType(int paymentType) override {
        if (inner_) return inner_->SetPaymentType(paymentType);
        end("SetPaymentType", [&] { return text(paymentType); });
    }
    void SetPrecheque(bool precheque) override {
        if (inner_) return inner_->SetPrecheque(precheque);
        end("SetPrecheque", [&] { return text(precheque); });
    }
    void SetLongValue(std::int64_t value) override {
        if (inner_) return inner_->SetLongValue(value);
        end("SetLongValue", [&] { return text(value); });
    }
    void SetCashierInn(const std::string& inn) override {
        if (inner_) return inner_->SetCashierInn(inn);
        end("SetCashierInn", [&] { return text(inn); });
    }
    int GetInfoKKT(char** out) override {
        return inner_ ? inner_->GetInfoKKT(out) : end("GetInfoKKT", [] { return std::string(); });
    }
    int SetParameters(const std::map<std::string, std::string>& parameters) override {
        if (inner_) return inner_->SetParameters(parameters);
        return end("SetParameters", [&] { return text(parameters); });
    }

protected:
    // An operation that reached the end of the chain; accepted is what
    // accepting it returns (ignored for the operations returning nothing).
    virtual int endOfChain(const char* /*operation*/, const Arguments& /*arguments*/,
                           int accepted) {
        return accepted;
    }

    ICash* inner() const { return inner_; }

private:
    template <typename Format>
    int end(const char* operation, const Format& format, int accepted = 0) {
        return endOfChain(operation, Arguments(format), accepted);
    }

    static std::string text(const std::string& value) { return "\"" + value + "\""; }
    static std::string text(bool value) { return value ? "true" : "false"; }
    static std::string text(int value) { return std::to_string(value); }
    static std::string text(unsigned value) { return std::to_string(value); }
    static std::string text(std::int64_t value) { return std::to_string(value); }
    static std::string text(const std::map<std::string, std::string>& values) {
        std::string joined;
        for (const auto& [name, value] : values)
            joined += (joined.empty() ? "" : ", ") + name + "=" + text(value);
        return "{" + joined + "}";
    }
    template <typename First, typename... Rest>
    static std::string list(const First& first, const Rest&... rest) {
        return (text(first) + ... + (", " + text(rest)));
    }

    ICash* inner_;
};

}  // namespace cash
}  // namespace vorna
