// The failures of the emulated register, and how the library reports them.
//
// The register's logic names each failure by a condition (the enum below,
// whose values are the older library generation's direct results). A call
// reports a failure in one of two conventions, chosen by the state's
// "errors" member:
//   current: the call returns -1; libfptr_error_code gives the current
//            library's failure number (44 no paper, 73 shift closed, ...);
//   legacy:  the call returns the older direct number (-3807, -3801, ...),
//            which libfptr_error_code gives as well.
// A number a fault carries may be written in either numbering: negative
// numbers are the older direct ones, positive the current ones; each is
// translated into the active convention where the table has a counterpart.
#pragma once

#include <string>

#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {
namespace error {

enum : int {
    none = 0,
    notEnoughCash = -1,  // a withdrawal or cash return above the cash held
    notConnected = libfptr::legacy::noConnection,  // no connection to the register
    shiftClosed = -3801,                           // the operation needs an open shift
    shiftAlreadyOpen = -3802,                      // a shift is already open
    noReceiptOpen = -3803,                         // the operation needs an open receipt
    coverOpen = -3804,                             // the printer cover is open
    underpaid = -3805,                             // the payments do not cover the receipt total
    invalidTaxType = -3806,                        // a tax type the library version has not
    noPaper = libfptr::legacy::noPaper,            // out of paper
    measureMissing = -3808,                        // FFD 1.2 position without tag 2108
    measureNotAllowed = -3809,                     // tag 2108 before FFD 1.2
    invalidParameter = -3810,                      // a parameter is missing or out of range
    nonfiscalOpen = -3811,                         // a non-fiscal document is open
    noNonfiscalOpen = -3812,                       // no non-fiscal document is open
    emptyReceipt = -3813,                          // closing a receipt without positions
    cashlessOverpaid = -3814,                      // cashless payments above the total
    invalidSetting = -3816,                        // a setting with an unusable value
    buyerContactMissing = -3817,                   // an electronic receipt without tag 1008
    returnReceiptOpen = libfptr::legacy::returnReceiptOpen,  // a sale return receipt is open
    shiftExpired = libfptr::legacy::shiftExpired,            // the shift is older than 24 hours
    saleReceiptOpen = libfptr::legacy::saleReceiptOpen,      // a sale receipt is open
    invalidHandle = -3890,    // a handle the library did not create, or destroyed
    injectedFailure = -3891,  // a fault set without its own number
    stateDamaged = -3898,     // the state file cannot be read
    internalFailure = -3899,  // the emulator itself failed
};

// The current library's numbers the emulator reports (libfptr_error_code).
// Those of the published table, then the emulator's own (400 and up) for
// conditions the table has no number for.
namespace current {
enum : int {
    connectionDisabled = libfptr::error::connectionDisabled,
    noConnection = libfptr::error::noConnection,
    portBusy = libfptr::error::portBusy,
    portNotAvailable = libfptr::error::portNotAvailable,
    unknown = libfptr::error::unknown,
    noPaper = libfptr::error::noPaper,
    coverOpen = libfptr::error::coverOpened,
    returnReceiptOpen = libfptr::error::deniedInOpenedReturnReceipt,
    shiftExpired = libfptr::error::shiftExpired,
    saleReceiptOpen = libfptr::error::deniedInOpenedSellReceipt,
    shiftClosed = libfptr::error::deniedInClosedShift,
    noReceiptOpen = libfptr::error::deniedInClosedReceipt,
    receiptOpen = libfptr::error::deniedInOpenedReceipt,
    shiftOpen = libfptr::error::deniedInOpenedShift,
    fnExchangeFailed = libfptr::error::fnExchange,
    fnShiftExpired = libfptr::error::fnShiftExpired,
    connectionLostInOperation = libfptr::error::connectionLost,
    notEnoughCash = 400,
    underpaid = 401,
    invalidTaxType = 402,
    measureMissing = 403,
    measureNotAllowed = 404,
    invalidParameter = 405,
    nonfiscalOpen = 406,
    noNonfiscalOpen = 407,
    emptyReceipt = 408,
    cashlessOverpaid = 409,
    invalidSetting = 410,
    buyerContactMissing = 411,
    invalidHandle = 490,
    injectedFailure = 491,
    stateDamaged = 498,
    internalFailure = 499,
};
}  // namespace current

enum class Convention { current, legacy };

// The convention named by the state's "errors" member ("current", "legacy");
// false for any other name.
bool conventionOf(const std::string& name, Convention& convention);

// A failure as one call reports it.
struct Reported {
    int result = 0;    // what the call returns
    int code = 0;      // what libfptr_error_code gives
    std::string text;  // what libfptr_error_description gives, UTF-8
};

// A failure (a condition, or a number in either numbering; 0 for none) as
// the convention reports it.
Reported report(int failure, Convention convention);

// The description of a number of either numbering, in UTF-8.
std::string description(int code);

}  // namespace error
}  // namespace emulator
}  // namespace vorna
