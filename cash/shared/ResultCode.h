// Result codes shared by the sender, the drivers and the host.
#pragma once

namespace vorna {
namespace cash {

enum ResultCode : int {
    kSuccess = 0,
    kNotConnected = 1,
    kShiftExpired = 2,
    kShiftClosed = 3,
    kPaperOut = 5,
    kSaleReceiptOpen = 6,
    kReturnReceiptOpen = 7,
    kOtherError = 99,
    kInvalidPayment = 100,  // sender only
};

}  // namespace cash
}  // namespace vorna
