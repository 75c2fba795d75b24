#include "cash/atol10/library_result.h"

#include "cash/shared/ResultCode.h"

namespace vorna {
namespace cash {
namespace atol10 {

int mapLibraryResult(int libraryValue) {
    switch (libraryValue) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 5:
        case 6:
        case 7:
            return libraryValue;
        case -11:
            return kNotConnected;
        case -3822:
            return kShiftExpired;
        case -3807:
            return kPaperOut;
        case -3865:
            return kSaleReceiptOpen;
        case -3821:
            return kReturnReceiptOpen;
        default:
            return kOtherError;
    }
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
