// A GoogleMock cash device with every operation of ICash, in slot order.
#pragma once

#include <gmock/gmock.h>

#include <cstdint>
#include <map>
#include <string>

#include "cash/shared/ICash.h"

namespace vorna {
namespace testing_support {

using ParameterMap = std::map<std::string, std::string>;

class MockCash : public cash::ICash {
public:
    MOCK_METHOD(int, CheckState, (), (override));
    MOCK_METHOD(int, NewCheck, (int kind), (override));
    MOCK_METHOD(int, CashOutcome, (const std::string& sum), (override));
    MOCK_METHOD(int, CashOutcome, (int sum), (override));
    MOCK_METHOD(int, CashIncome, (const std::string& sum), (override));
    MOCK_METHOD(int, CashIncome, (int sum), (override));
    MOCK_METHOD(int, RegisterSale,
                (const std::string& text, unsigned price, int quantity, int department, int tax),
                (override));
    MOCK_METHOD(int, PrintSlip,
                (const std::string& text, unsigned price, int quantity, int department),
                (override));
    MOCK_METHOD(int, Return, (const std::string& text, unsigned price, int quantity), (override));
    MOCK_METHOD(int, CancelCheck, (), (override));
    MOCK_METHOD(int, CloseCheck, (unsigned carryIn, int closeMode), (override));
    MOCK_METHOD(int, Print, (const std::string& text), (override));
    MOCK_METHOD(int, Ready, (), (override));
    MOCK_METHOD(int, IsSessionOpen, (), (override));
    MOCK_METHOD(int, XReport, (), (override));
    MOCK_METHOD(int, ZReport, (), (override));
    MOCK_METHOD(int, CheckKKT, (), (override));
    MOCK_METHOD(int, GetMaxCashStringLength, (), (override));
    MOCK_METHOD(void, Finish, (), (override));
    MOCK_METHOD(void, EndOperation, (), (override));
    MOCK_METHOD(void, SetCheckAttributes,
                (bool cashless, bool electronic, int bankCommission, const std::string& clientPhone,
                 const std::string& clientEmail, const std::string& serviceName,
                 const std::string& cashierName, const std::string& agentPhone,
                 const std::string& operatorOperation, const std::string& operatorName,
                 const std::string& operatorAddress, const std::string& operatorInn,
                 const std::string& operatorPhone),
                (override));
    MOCK_METHOD(void, SetTaxType, (int taxType), (override));
    MOCK_METHOD(void, SetPaymentType, (int paymentType), (override));
    MOCK_METHOD(void, SetPrecheque, (bool precheque), (override));
    MOCK_METHOD(void, SetLongValue, (std::int64_t value), (override));
    MOCK_METHOD(void, SetCashierInn, (const std::string& inn), (override));
    MOCK_METHOD(int, GetInfoKKT, (char** out), (override));
    MOCK_METHOD(int, SetParameters, ((const ParameterMap& parameters)), (override));
};

}  // namespace testing_support
}  // namespace vorna
