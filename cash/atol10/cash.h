// atol10::Cash: the driver object. It owns the register library instance and
// the data of the current receipt, and carries out every operation.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "cash/atol10/fptr10/binding.h"
#include "cash/shared/correction_receipt.h"
#include "cash/shared/fiscal_document.h"
#include "cash/shared/library_info.h"
#include "cash/shared/register_busy.h"
#include "cash/shared/register_health.h"

namespace vorna {
namespace cash {
namespace atol10 {

class Cash {
public:
    // Loads the register library and creates an instance; never fails.
    Cash();
    // Closes the connection and destroys the instance; the library stays loaded.
    ~Cash();
    Cash(const Cash&) = delete;
    Cash& operator=(const Cash&) = delete;

    virtual int CancelCheck();
    virtual int CloseCheck(unsigned carryIn, int closeMode);
    virtual void EndOperation();
    virtual int CheckState();
    virtual int CashIncome(const std::string& sum);
    virtual int CashIncome(int sum);
    virtual int CheckKKT();
    virtual int IsSessionOpen();
    virtual int NewCheck(int kind);
    virtual int Ready();
    virtual void Finish();
    virtual int CashOutcome(const std::string& sum);
    virtual int CashOutcome(int sum);
    virtual int Print(const std::string& text);
    virtual int PrintSlip(const std::string& text, unsigned price, int quantity, int department);
    virtual int RegisterSale(const std::string& text, unsigned price, int quantity, int department,
                             int tax);
    virtual int Return(const std::string& text, unsigned price, int quantity, int department);
    virtual int XReport();
    virtual int ZReport();
    virtual void SetCheckAttributes(bool cashless, bool electronic, int bankCommission,
                                    const std::string& clientPhone, const std::string& clientEmail,
                                    const std::string& serviceName, const std::string& cashierName,
                                    const std::string& agentPhone,
                                    const std::string& operatorOperation,
                                    const std::string& operatorName,
                                    const std::string& operatorAddress,
                                    const std::string& operatorInn,
                                    const std::string& operatorPhone);
    virtual void SetTaxType(int taxType);
    virtual void SetPaymentType(int paymentType);
    virtual void SetLongValue(std::int64_t value);
    virtual int GetInfoKKT(char** out);
    virtual int SetParameters(const std::map<std::string, std::string>& parameters);

    // 0 = paper present or not needed, 5 = no paper, else the mapped query failure.
    int CheckPaper();
    // The fiscal storage's last document number (number 0) or one document;
    // connects when not connected. 0, or the mapped failure (never 0 then).
    int QueryFiscalDocument(unsigned number, FiscalDocument* out);
    // The register's health; connects when not connected. 0, or 1 without a
    // connection (fields the register did not answer are not known).
    int QueryRegisterHealth(RegisterHealth* out);
    // The last refusal of a fiscal storage that refuses documents; no library call.
    int QueryStorageRefusal(StorageRefusal* out);
    // Whether the register's port was held elsewhere at the last connection
    // attempt; no library call.
    int QueryRegisterBusy(RegisterBusy* out);
    // A self-initiated correction receipt of the payment the object was set up
    // for; reason tells why nothing was registered when the register cannot.
    int RegisterCorrection(const CorrectionReceipt& request, FiscalDocument* out,
                           std::string& reason);
    // The register library's version, the rates it lacks and this object's
    // last refusal of a rate; no library call after the load.
    int QueryLibraryInfo(LibraryInfo* out);

    void* slipDialog_;
    fptr10::Handle handle_;
    fptr10::Module module_;
    int bankCommission_;
    bool precheque_;
    bool cashless_;
    bool electronic_;
    std::string serviceName_;
    std::string agentPhone_;
    std::string clientPhone_;
    std::string clientEmail_;
    std::string operatorOperation_;
    std::string operatorName_;
    std::string operatorAddress_;
    std::string operatorInn_;
    std::string operatorPhone_;
    std::string cashier_;
    std::string cashierInn_;
    std::string supplierPhone_;
    std::string supplierName_;
    std::string supplierInn_;
    int taxType_;
    int paymentType_;
    std::int64_t longValue_;
    // Why the last receipt was refused a rate the library cannot register.
    std::string rateRefusal_;

private:
    // True (with the reason logged and kept) when the loaded library cannot
    // register this tax type: nothing of it may reach the register.
    bool refusesRate(int taxType);
    // Reads the shift state (0 closed, 1 open, 2 over 24 hours); false with the
    // library's failure in failure when the query fails.
    bool queryShiftState(int& state, int& failure);
    // One health query (a fiscal-storage one or a register one) of this kind;
    // true when it answered, lost set when its failure means no connection.
    bool healthQuery(bool fiscalStorage, int kind, bool& lost);
    // Cashier and cashier INN for the coming document.
    void operatorLogin();
    // The agent sign from the settings or from the registration data; logs it
    // with the given prefix of the two sources.
    int agentSign(const char* fromSettings, const char* fromRegistration);
    // The confirmation loop after closing: false when the register's answer
    // could not be had and the person gave up asking.
    bool confirmClosing();
    // The result of a close the register did not confirm, from the receipt
    // state it reports: registered, cancelled, or unknown (99, with a box).
    int settleUnconfirmedClose();
    // Logs the number of the last fiscal document.
    void logDocumentNumber();
    // Converts a sum in roubles (text) to kopecks.
    static int kopecksOf(const std::string& sum);
};

// FFD version of the register's fiscal storage (tag 1209), read by NewCheck.
extern int ffdVersion;

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
