// The exported interface of vorna.cash.sender for the project's C++ code: the
// host's C header (include/vorna/cash_sender.h) is the one declaration; this
// adds the C++ names the libraries and tests use for it.
#pragma once

#include "cash/shared/ResultCode.h"
#include "vorna/cash_sender.h"

// The build's name for the convention of the exports (VORNA_CASH_CALL).
#ifndef VORNA_STDCALL
#define VORNA_STDCALL VORNA_CASH_CALL
#endif

namespace vorna {
namespace cash {

// One named parameter of the host: key and value, NUL-terminated Windows-1251.
using ParameterPair = ::VornaParameterPair;

// The host's result codes are the library's.
constexpr bool sameCode(int host, ResultCode library) { return host == static_cast<int>(library); }
static_assert(sameCode(VORNA_RESULT_SUCCESS, kSuccess) &&
                  sameCode(VORNA_RESULT_NOT_CONNECTED, kNotConnected) &&
                  sameCode(VORNA_RESULT_SHIFT_EXPIRED, kShiftExpired) &&
                  sameCode(VORNA_RESULT_SHIFT_CLOSED, kShiftClosed) &&
                  sameCode(VORNA_RESULT_PAPER_OUT, kPaperOut) &&
                  sameCode(VORNA_RESULT_SALE_RECEIPT_OPEN, kSaleReceiptOpen) &&
                  sameCode(VORNA_RESULT_RETURN_RECEIPT_OPEN, kReturnReceiptOpen) &&
                  sameCode(VORNA_RESULT_OTHER_ERROR, kOtherError) &&
                  sameCode(VORNA_RESULT_INVALID_PARAMETER, kInvalidPayment),
              "the C header's result codes differ from ResultCode");

}  // namespace cash
}  // namespace vorna

using SendChequeFunction = VornaSendChequeFunction;
using CheckKktFunction = VornaCheckKktFunction;
using CheckLinkKktFunction = VornaCheckLinkKktFunction;
using CheckInfoKktFunction = VornaCheckInfoKktFunction;
using ReleaseInfoKktFunction = VornaReleaseInfoKktFunction;
using ReportFunction = VornaReportFunction;
