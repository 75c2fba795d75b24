// The shift reports as cash objects: an X report and the Z report that closes
// the shift.
#pragma once

#include "cash/shared/cash_object.h"

namespace vorna {

class XReport : public CashObject {
public:
    ClassId classId() const override;
    // Checks the device, prints the X report, ends the operation; returns the
    // report's own result, or 99 when anything throws.
    int Execute(cash::ICash& cash) override;
    int CheckInfoKKT(cash::ICash& cash, char** info) override;
    int CheckKKT(cash::ICash& cash) override;
};

class ZReport : public CashObject {
public:
    ClassId classId() const override;
    // Checks the device, closes the shift with the Z report, ends the
    // operation; returns the report's own result, or 99 when anything throws.
    int Execute(cash::ICash& cash) override;
    int CheckInfoKKT(cash::ICash& cash, char** info) override;
    int CheckKKT(cash::ICash& cash) override;
};

}  // namespace vorna
