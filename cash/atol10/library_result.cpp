#include "cash/atol10/library_result.h"

#include "cash/atol10/fptr10/binding.h"
#include "cash/shared/ResultCode.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

// The current library's failure numbers (libfptr_error_code).
int mapFailureNumber(int number) {
    switch (number) {
        case 1:    // connection disabled
        case 2:    // no connection to the register
        case 3:    // port busy
        case 4:    // port not available
        case 241:  // connection lost during the operation
            return kNotConnected;
        case 68:   // the shift has lasted more than 24 hours
        case 141:  // the fiscal storage reports the shift over 24 hours
            return kShiftExpired;
        case 73:
            return kShiftClosed;
        case 44:
            return kPaperOut;
        case 69:
            return kSaleReceiptOpen;
        case 67:
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
