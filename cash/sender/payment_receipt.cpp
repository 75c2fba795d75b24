#include "cash/sender/payment_receipt.h"

#include "cash/shared/receipt_attributes.h"

namespace vorna {

namespace {

void putWhenSet(AttributeMap& map, const char* name, const std::string& value) {
    if (!value.empty()) map[name] = value;
}

}  // namespace

AttributeMap receiptAttributes(const SenderSettings& details, const PaymentParameters& payment,
                               unsigned comis, bool print) {
    std::string phone = details.clientPhone;
    std::string email = details.clientEmail;
    if (!payment.contact.empty()) {
        if (payment.contact[0] == '\x01')
            phone = payment.contact;
        else
            email = payment.contact;
    } else if (print) {
        // A printed receipt goes to a client only with a contact of its own.
        phone.clear();
        email.clear();
    }
    namespace a = cash::attribute;
    AttributeMap map;
    map[a::kBankCommission] = std::to_string(comis);
    map[a::kPrecheque] = "0";
    map[a::kCashless] = payment.typeOpl == "NAL" ? "0" : "1";
    map[a::kElectronic] = print ? "0" : "1";
    putWhenSet(map, a::kClientPhone, phone);
    putWhenSet(map, a::kClientEmail, email);
    putWhenSet(map, a::kServiceName, payment.serviceName);
    putWhenSet(map, a::kCashierName, details.cashier);
    putWhenSet(map, a::kCashierInn, details.cashierInn);
    putWhenSet(map, a::kAgentPhone, details.agentPhone);
    putWhenSet(map, a::kOperatorOperation, details.operatorOper);
    putWhenSet(map, a::kOperatorName, details.operatorName);
    putWhenSet(map, a::kOperatorAddress, details.operatorAddress);
    putWhenSet(map, a::kOperatorInn, details.operatorInn);
    putWhenSet(map, a::kOperatorPhone, details.operatorPhone);
    putWhenSet(map, a::kSupplierPhone, details.supplierPhone);
    putWhenSet(map, a::kSupplierName, details.supplierName);
    putWhenSet(map, a::kSupplierInn, details.supplierInn);
    return map;
}

}  // namespace vorna
