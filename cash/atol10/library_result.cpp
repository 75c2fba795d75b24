#include "cash/atol10/library_result.h"

#include "cash/atol10/fptr10/binding.h"
#include "cash/atol10/fptr10/fptr10_numbers.h"
#include "cash/shared/ResultCode.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

// The current library's failure numbers (libfptr_error_code).
int mapFailureNumber(int number) {
    switch (number) {
        case libfptr::error::connectionDisabled:
        case libfptr::error::noConnection:
        case libfptr::error::portBusy:
        case libfptr::error::portNotAvailable:
        case libfptr::error::connectionLost:
            return kNotConnected;
        case libfptr::error::shiftExpired:
        case libfptr::error::fnShiftExpired:
            return kShiftExpired;
        case libfptr::error::deniedInClosedShift:
            return kShiftClosed;
        case libfptr::error::noPaper:
            return kPaperOut;
        case libfptr::error::deniedInOpenedSellReceipt:
            return kSaleReceiptOpen;
        case libfptr::error::deniedInOpenedReturnReceipt:
            return kReturnReceiptOpen;
        default:
            return kOtherError;
    }
}

}  // namespace

int mapLibraryResult(int libraryValue) {
    return mapLibraryResult(libraryValue, fptr10::lastFailure().number);
}

int mapLibraryResult(int libraryValue, int failureNumber) {
    // A current library reports every failure as -1 and gives the reason apart.
    if (libraryValue == -1) return mapFailureNumber(failureNumber);
    switch (libraryValue) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 5:
        case 6:
        case 7:
            return libraryValue;
        case libfptr::legacy::noConnection:
            return kNotConnected;
        case libfptr::legacy::shiftExpired:
            return kShiftExpired;
        case libfptr::legacy::noPaper:
            return kPaperOut;
        case libfptr::legacy::saleReceiptOpen:
            return kSaleReceiptOpen;
        case libfptr::legacy::returnReceiptOpen:
            return kReturnReceiptOpen;
        default:
            return kOtherError;
    }
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
