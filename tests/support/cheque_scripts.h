// Cheque scripts as the sender writes them, for the tests of the script and the
// cheque benchmark.
#pragma once

#include <string>

namespace vorna {
namespace testing_support {

// The control line of a payment script, opening one cheque of the given type.
inline std::string controlLine(bool logEnable, unsigned type = 2) {
    return std::string("\x01SEPARATE=NO\x01LOGENABLE=") + (logEnable ? "YES" : "NO") +
           "\x01PRINTDOCLIST=\x07&" + std::to_string(type) + "\r\n";
}

// The standard payment script: header with the transfer number, one service
// line and the payment, amounts in roubles with two decimals.
inline std::string paymentScript(const std::string& unc, const std::string& amount, int kind = 1,
                                 bool logEnable = true) {
    return controlLine(logEnable) + "~hdr: Номер перевода: " + unc + "\r\n" + "~srv 1 " + amount +
           "\r\n" + "~pay " + std::to_string(kind) + " " + amount;
}

// A script of one cheque with the given tags after the control line.
inline std::string chequeScript(const std::string& tags, unsigned type = 2) {
    return controlLine(false, type) + tags;
}

}  // namespace testing_support
}  // namespace vorna
