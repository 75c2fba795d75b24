// The driver entry point a sender may use to put a payment right afterwards:
// a correction receipt made on the taxpayer's own initiative for a settlement
// the register did not register. It is optional: the sender resolves it by
// name, and without it nothing can be corrected.
#pragma once

#include "cash/shared/ICash.h"
#include "cash/shared/fiscal_document.h"

namespace vorna {
namespace cash {

// What the correction receipt is made of besides what the object was given
// for a payment (tax type, payment type, the receipt attributes of SetParameters).
struct CorrectionReceipt {
    int operationType;  // kOperationSale or kOperationSaleReturn: the operation corrected
    int year;           // the day of the settlement corrected
    int month;
    int day;
    unsigned sum;  // kopecks: the position's price and the payment
};

// The export's name and type. The register must keep FFD 1.2; the receipt is
// opened, its position registered, paid and closed as a payment's, and the
// fiscal document it made is read into out (number 0 when it could not be
// read). Returns a result code as the other operations do; when nothing was
// registered for a reason of the register (its FFD), reason (Windows-1251,
// at most reasonSize bytes with the terminator) tells why.
inline constexpr char kCorrectionEntryPoint[] = "RegisterCorrection";
using RegisterCorrectionFunction = int (*)(ICash* object, const CorrectionReceipt* request,
                                           FiscalDocument* out, char* reason, int reasonSize);

}  // namespace cash
}  // namespace vorna
