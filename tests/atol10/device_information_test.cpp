// What the driver reads from the register for the host, and the receipt
// parameters it receives by name.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>
#include <cstdlib>

#include "cash/atol10/device_information.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;
using Parameters = std::map<std::string, std::string>;

class DeviceInformation : public DriverTest {
protected:
    std::string infoText() {
        char* text = nullptr;
        EXPECT_EQ(0, cash().GetInfoKKT(&text));
        EXPECT_NE(nullptr, text);
        const std::string result = text != nullptr ? text : "";
        std::free(text);
        return result;
    }
};

TEST_F(DeviceInformation, InfoTrimsTheTaxpayerNumberButLogsItAsRead) {
    changeState([](nlohmann::json& s) { s["registration"]["1018"] = "  7701234567  "; });
    cash::atol10::fptr10::libfptr_open(cash().handle_, cash().module_);
    takeTrace();
    EXPECT_EQ("7701234567|ООО \"Ромашка\"|г. Москва, ул. Тверская, д. 1", infoText());
    EXPECT_EQ(Lines({"   atol10->GetInfoKKT =>", "   organizationVATIN:   7701234567  ",
                     "   organizationName: ООО \"Ромашка\"",
                     "   organizationAddress: г. Москва, ул. Тверская, д. 1",
                     "   atol10->GetInfoKKT = 7701234567|ООО \"Ромашка\"|г. Москва, ул. "
                     "Тверская, д. 1"}),
              takeLog());
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::fnDataType) + ", 9)",
                     "libfptr_fn_query_data(#h) = 0",
                     "libfptr_get_param_str(#h, 1018, 32) = 15 \"  7701234567  \"",
                     "libfptr_get_param_str(#h, 1048, 32) = 14 \"ООО \\\"Ромашка\\\"\"",
                     "libfptr_get_param_str(#h, 1009, 32) = 30 \"г. Москва, ул. Тверская, д. 1\""}),
              takeTrace());
}

TEST_F(DeviceInformation, InfoWithoutTheLibraryIsTheSeparatorsOnly) {
    cash::atol10::Cash& driver = cash();
    const cash::atol10::fptr10::Module module = driver.module_;
    driver.module_ = nullptr;
    EXPECT_EQ("||", infoText());
    driver.module_ = module;
    EXPECT_TRUE(takeTrace().empty());
}

TEST_F(DeviceInformation, FirmwareMajorVersionIsTheNumberBeforeTheFirstDot) {
    cash::atol10::Cash& driver = cash();
    cash::atol10::fptr10::libfptr_open(driver.handle_, driver.module_);
    EXPECT_EQ(5, cash::atol10::firmwareMajorVersion(driver.handle_, driver.module_));
    EXPECT_EQ(Lines({"   firmwareVersion: 5.8.100", "   nPos: 1"}), takeLog());
    changeState([](nlohmann::json& s) { s["status"]["firmwareVersion"] = ""; });
    EXPECT_THROW(cash::atol10::firmwareMajorVersion(driver.handle_, driver.module_),
                 boost::bad_lexical_cast);
}

TEST_F(DeviceInformation, ParametersAreTakenInNameOrder) {
    cash::atol10::Cash& driver = cash();
    driver.SetParameters(Parameters{{"CLIENT_PHONE", "+79001234567"},
                                    {"CLIENT_EMAIL", "client@mail.ru"},
                                    {"IS_ECHEQUE", "1"},
                                    {"IS_CASHLESSCHEQUE", "0"},
                                    {"BANK_COMISS", "нет"},
                                    {"cashier_name", "Петрова"},
                                    {"CASHIER_NAME", "Иванова"},
                                    {"PU_NAME", "ООО Поставщик"}});
    EXPECT_EQ("+79001234567", driver.clientPhone_);
    EXPECT_TRUE(driver.electronic_);
    EXPECT_FALSE(driver.cashless_);
    EXPECT_EQ(0, driver.bankCommission_);
    EXPECT_EQ("Иванова", driver.cashier_);
    EXPECT_EQ("ООО Поставщик", driver.supplierName_);
    EXPECT_EQ(Lines({"Прием параметров ------------------------------->",
                     "Получен параметр: BANK_COMISS = нет",
                     "Получен параметр: CASHIER_NAME = Иванова",
                     "Получен параметр: CLIENT_EMAIL = client@mail.ru",
                     "Получен параметр: CLIENT_PHONE = +79001234567",
                     "Получен параметр: IS_CASHLESSCHEQUE = 0",
                     "Получен параметр: IS_ECHEQUE = 1",
                     "Получен параметр: PU_NAME = ООО Поставщик",
                     "Получен параметр: cashier_name = Петрова",
                     "Параметр не используется: cashier_name = Петрова",
                     "Не получен ожидаемый параметр: AGENT_PHONE",
                     "Не получен ожидаемый параметр: CASHIER_INN",
                     "Не получен ожидаемый параметр: IS_PRECHEQUE",
                     "Не получен ожидаемый параметр: OPERATOR_ADDRESS",
                     "Не получен ожидаемый параметр: OPERATOR_INN",
                     "Не получен ожидаемый параметр: OPERATOR_NAME",
                     "Не получен ожидаемый параметр: OPERATOR_OPER",
                     "Не получен ожидаемый параметр: OPERATOR_PHONE",
                     "Не получен ожидаемый параметр: PU_INN",
                     "Не получен ожидаемый параметр: PU_PHONE",
                     "Не получен ожидаемый параметр: SERVICE_NAME",
                     "Прием параметров -------------------------------<"}),
              takeLog());
    EXPECT_TRUE(takeTrace().empty());
}

TEST_F(DeviceInformation, AnEmailAloneReplacesThePhone) {
    cash::atol10::Cash& driver = cash();
    driver.clientPhone_ = "+79001234567";
    driver.SetParameters(Parameters{{"CLIENT_EMAIL", "client@mail.ru"}, {"BANK_COMISS", "15"}});
    EXPECT_EQ("client@mail.ru", driver.clientPhone_);
    EXPECT_EQ("", driver.clientEmail_);
    EXPECT_EQ(15, driver.bankCommission_);
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
