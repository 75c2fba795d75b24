// What a payment's receipt is made of: the host's parameters that sendCheque
// interprets, and the receipt attributes the driver gets from them and the
// sender settings. sendCheque and a later correction of the payment take
// them from here, so both receipts carry the same data.
#pragma once

#include <map>
#include <string>

#include "cash/sender/sender_settings.h"

namespace vorna {

// The host's parameters that sendCheque interprets, with their defaults.
struct PaymentParameters {
    std::string typeOper = "1";
    std::string serviceName;
    std::string contact;
    std::string typeOpl = "NAL";
    std::string ndsCode = "1105";

    void take(const std::string& key, const std::string& value) {
        if (key == "TYPE_OPER") typeOper = value;
        if (key == "SHORT") serviceName = value;
        if (key == "CONTACT") contact = value;
        if (key == "TYPE_OPL") typeOpl = value;
        if (key == "NDS_CODE") ndsCode = value;
    }
};

using AttributeMap = std::map<std::string, std::string>;

// The map of SetParameters for the payment (details: the settings in effect).
AttributeMap receiptAttributes(const SenderSettings& details, const PaymentParameters& payment,
                               unsigned comis, bool print);

}  // namespace vorna
