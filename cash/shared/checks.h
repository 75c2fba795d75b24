// A parsed cheque script: the ordered list of its cheques and its two run
// options. Built from the script text by the cheque grammar, completed by the
// sender (tax type, payment type, receipt attributes) and executed once.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cash/shared/Check.h"
#include "cash/shared/cash_object.h"

namespace vorna {

class Checks : public CashObject, public std::vector<Check> {
public:
    // Parses the script; exceptions of the grammar actions leave the
    // constructor, text that does not fit the grammar is silently dropped.
    explicit Checks(const std::string& script);

    ClassId classId() const override;
    CashArchive& save(CashArchive& archive) const override;
    CashArchive& load(CashArchive& archive) override;

    // Runs every cheque against the device; never lets an exception out.
    int Execute(cash::ICash& cash) override;
    // Checks the device and the shift and delivers the device information
    // text, allocated for the caller.
    int CheckInfoKKT(cash::ICash& cash, char** info) override;
    // Checks the device and the shift.
    int CheckKKT(cash::ICash& cash) override;
    // With the log option set, hands every text line of every cheque to the step trace.
    virtual void traceCheques() const;

    // Appends a cheque of type 2 (receipt) or 4 (slip document) and returns it.
    Check& addCheck(unsigned type);

    // These complete every cheque; a failure is shown to the user, never thrown.
    void setTaxType(int taxType);
    void setPaymentType(int paymentType);
    void setParameters(const std::map<std::string, std::string>& parameters);

    // The run options of the script.
    int separate() const { return separate_; }
    int logEnable() const { return logEnable_; }
    void setSeparate(int value) { separate_ = value; }
    void setLogEnable(int value) { logEnable_ = value; }

private:
    int executeNormal(cash::ICash& cash);
    int executeSeparate(cash::ICash& cash);

    int separate_ = 0;
    int logEnable_ = 0;
};

}  // namespace vorna
