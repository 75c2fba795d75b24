// The error numbers of the emulated register and their descriptions.
#pragma once

#include <string>

namespace vorna {
namespace emulator {
namespace error {

enum : int {
    none = 0,
    notEnoughCash = -1,           // a withdrawal or cash return above the cash held
    notConnected = -11,           // no connection to the register
    shiftClosed = -3801,          // the operation needs an open shift
    shiftAlreadyOpen = -3802,     // a shift is already open
    noReceiptOpen = -3803,        // the operation needs an open receipt
    coverOpen = -3804,            // the printer cover is open
    underpaid = -3805,            // the payments do not cover the receipt total
    invalidTaxType = -3806,       // tax type outside 1..15
    noPaper = -3807,              // out of paper
    measureMissing = -3808,       // FFD 1.2 position without tag 2108
    measureNotAllowed = -3809,    // tag 2108 before FFD 1.2
    invalidParameter = -3810,     // a parameter is missing or out of range
    nonfiscalOpen = -3811,        // a non-fiscal document is open
    noNonfiscalOpen = -3812,      // no non-fiscal document is open
    emptyReceipt = -3813,         // closing a receipt without positions
    cashlessOverpaid = -3814,     // cashless payments above the total
    invalidSetting = -3816,       // a setting with an unusable value
    buyerContactMissing = -3817,  // an electronic receipt without tag 1008
    returnReceiptOpen = -3821,    // a sale return receipt is open
    shiftExpired = -3822,         // the shift is older than 24 hours
    saleReceiptOpen = -3865,      // a sale receipt is open
    invalidHandle = -3890,        // an unknown or null instance handle
    injectedFailure = -3891,      // a fault set without its own number
    stateDamaged = -3898,         // the state file cannot be read
    internalFailure = -3899,      // the emulator itself failed
};

// The description of an error number, in UTF-8.
std::string description(int code);

}  // namespace error
}  // namespace emulator
}  // namespace vorna
