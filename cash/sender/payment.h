// A payment of the host as a cheque script: its validation, the amounts in
// roubles, the script text and the tax type number for the driver.
#pragma once

#include <string>

namespace vorna {

// Kopecks as roubles with "." and two decimals: 5 gives 0.05, 12345 gives 123.45.
std::string formatAmount(unsigned kopecks);

// The tax type number that the named driver expects for a tax code; 0 for
// other drivers and unknown codes.
int taxTypeIndex(const std::string& driverFile, const std::string& ndsCode);

// True when the tax code is one of the twelve the sender accepts.
bool isKnownTaxCode(const std::string& ndsCode);

// True when the text holds a byte that the cheque script gives a meaning
// (SOH, BEL and the other control bytes, "~", quote, backslash).
bool hasScriptCharacters(const std::string& text);

// Makes every check and writes the message of each failing one, in order, to
// the operation log when logging is on; 0 when all pass, 100 otherwise.
// headerUnc is the transfer number as it enters the script's header line
// (empty when the receipt is not printed).
int validatePayment(const std::string& serviceName, unsigned summa, const std::string& typeOper,
                    const std::string& ndsCode, const std::string& logName,
                    const std::string& headerUnc);

struct ChequeScriptInput {
    bool logging = false;
    bool print = true;
    std::string unc;
    unsigned summa = 0;
    bool sale = true;  // TYPE_OPER "P"; otherwise a return ("~pay 2")
};

// The script of one receipt: the control line, the header with the transfer
// number when printed, the service line and the payment line.
std::string buildChequeScript(const ChequeScriptInput& input);

// The fixed one-cheque script of the device checks.
std::string deviceCheckScript();

}  // namespace vorna
