// A cheque's own part of the work inside an open receipt.
#include <vector>

#include "cash/sender/script/step_trace.h"
#include "cash/sender/script/wrap_line.h"
#include "cash/shared/Check.h"

namespace vorna {

namespace {
constexpr int kOneUnit = 1000;  // quantities are thousandths
constexpr int kDepartment = 0;
}  // namespace

int Check::Execute(cash::ICash& cash) {
    if (textLines_.empty() && price_ == 0) return 1;  // nothing to print or sell

    const int max = cash.GetMaxCashStringLength();
    std::vector<std::string> printLines;
    for (const std::string& line : textLines_) wrapLine(line, max, printLines);

    const bool positions = hasPositions();
    for (const std::string& line : printLines) {
        if (positions && !line.empty() && line[0] == NOT_FOR_PRINT[0]) {
            stepTrace("Строка не для печати: [" + line + "]");
            continue;
        }
        if (positions) stepTrace(line);
        const int r = cash.Print(line);
        if (r != 0) return r;
    }

    const unsigned price = static_cast<unsigned>(price_);
    if (operation_ == 1 && slip_) {
        stepTrace("Check->Execute->PrintSlip");
        cash.PrintSlip(text_, price, kOneUnit, kDepartment);  // its result does not stop the run
        return 0;
    }
    if (operation_ == 1) {
        stepTrace("Check->Execute->RegisterSale");
        if (!positions) return cash.RegisterSale(text_, price, kOneUnit, kDepartment, 0);
        // Every position is attempted; the codes add up.
        int sum = 0;
        for (std::size_t i = 0; i < positionNames_.size(); ++i)
            sum += cash.RegisterSale(positionNames_[i], static_cast<unsigned>(positionPrices_[i]),
                                     kOneUnit, kDepartment, positionTaxes_[i]);
        return sum;
    }
    stepTrace("Check->Execute->Return");
    return cash.Return(text_, price, kOneUnit);
}

int Check::CheckInfoKKT(cash::ICash& /*cash*/, char** /*info*/) { return 0; }

int Check::CheckKKT(cash::ICash& /*cash*/) { return 0; }

void Check::traceLines() const {
    for (const std::string& line : textLines_) stepTrace(line);
}

int Check::run(cash::ICash& cash) { return Execute(cash); }

}  // namespace vorna
