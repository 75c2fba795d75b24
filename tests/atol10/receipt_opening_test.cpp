// Opening a receipt: FFD version, cashier, agent sign and receipt-level agent
// data, receipt type and form; the non-fiscal document of a precheque.
#include <gtest/gtest.h>

#include <algorithm>

#include "cash/atol10/config.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

bool has(const Lines& lines, const std::string& begin) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, begin.size(), begin) == 0;
    });
}

class ReceiptOpening : public DriverTest {
protected:
    void connect() {
        cash::atol10::fptr10::libfptr_open(cash().handle_, cash().module_);
        takeTrace();
    }
    void registerWith(int ffd, int agentSign) {
        changeState([&](nlohmann::json& s) {
            s["registration"]["1209"] = ffd;
            s["registration"]["1057"] = agentSign;
        });
    }
    void fillAgentData() {
        cash::atol10::Cash& c = cash();
        c.operatorName_ = "ООО Оператор";
        c.operatorInn_ = "7701234567";
        c.operatorAddress_ = "Москва";
        c.operatorPhone_ = "+74950000000";
        c.agentPhone_ = "+79007654321";
        c.operatorOperation_ = "Перевод";
        c.supplierPhone_ = "+74951111111";
    }
};

TEST_F(ReceiptOpening, SaleReceiptBelowFfd12WithoutAgent) {
    connect();
    cash().cashier_ = "Иванова";
    EXPECT_EQ(0, cash().NewCheck(1));
    EXPECT_EQ(105, cash::atol10::ffdVersion);
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::fnDataType) + ", 9)",
                     "libfptr_fn_query_data(#h) = 0", "libfptr_get_param_int(#h, 1209) = 105",
                     "libfptr_set_param_str(#h, 1021, \"Иванова\")",
                     "libfptr_set_param_str(#h, 1203, \"\")", "libfptr_operator_login(#h) = 0",
                     "libfptr_set_param_int(#h, " + id(param::fnDataType) + ", 9)",
                     "libfptr_fn_query_data(#h) = 0", "libfptr_get_param_int(#h, 1057) = 0",
                     "libfptr_set_param_int(#h, 1057, 0)",
                     "libfptr_set_param_int(#h, " + id(param::receiptType) + ", 1)",
                     "libfptr_open_receipt(#h) = 0"}),
              takeTrace());
    EXPECT_EQ(Lines({"ФФД: 105", "   atol10->NewCheck [operator_login] ==> ",
                     "   cashier_    ==> Иванова", "   cashierInn_ ==> ",
                     "   atol10->Tag1057 (Признак агента был взят из 'Регистрационных данных') 0",
                     "   atol10-> set_param_int 1057 = 0", "   atol10-> set_param_int 1057 ok",
                     "   atol10->NewCheck [open_receipt] ==> ", "   CheckType = 1",
                     "   CheckMode [0-электронный чек, 1-на чековой ленте] = 1", "   ==> 0"}),
              takeLog());
    EXPECT_EQ(1, readState()["receipt"]["type"].get<int>());
}

TEST_F(ReceiptOpening, AgentFromTheSettingsWritesTheReceiptLevelTags) {
    connect();
    fillAgentData();
    cash::Config::instance().tag1057 = 4;
    EXPECT_EQ(0, cash().NewCheck(2));
    const Lines trace = takeTrace();
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, 1057, 4)",
                     "libfptr_set_param_str(#h, 1026, \"ООО Оператор\")",
                     "libfptr_set_param_str(#h, 1016, \"7701234567\")",
                     "libfptr_set_param_str(#h, 1005, \"Москва\")",
                     "libfptr_set_param_str(#h, 1075, \"+74950000000\")",
                     "libfptr_set_param_str(#h, 1073, \"+79007654321\")",
                     "libfptr_set_param_str(#h, 1044, \"Перевод\")",
                     "libfptr_set_param_str(#h, 1171, \"+74951111111\")",
                     "libfptr_set_param_int(#h, " + id(param::receiptType) + ", 2)",
                     "libfptr_open_receipt(#h) = 0"}),
              Lines(trace.end() - 10, trace.end()));
    EXPECT_FALSE(has(trace, "libfptr_get_param_int(#h, 1057)"));
    const Lines log = takeLog();
    EXPECT_EQ(Lines({"   atol10->Tag1057 (Признак агента был взят из ini) 4",
                     "   atol10-> set_param_int 1057 = 4",
                     "   atol10-> set_param_int 1057 ok",
                     "   atol10-> наименование оператора перевода ==>",
                     "   atol10->AttrValue = ООО Оператор",
                     "   atol10-> инн оператора перевода ==>",
                     "   atol10->AttrValue = 7701234567",
                     "   atol10-> адрес оператора перевода ==>",
                     "   atol10->AttrValue = Москва",
                     "   atol10-> телефон оператора перевода ==>",
                     "   atol10->AttrValue = +74950000000",
                     "   atol10-> телефон платежного агента ==>",
                     "   atol10->AttrValue = +79007654321",
                     "   atol10-> операция платежного агента ==>",
                     "   atol10->AttrValue = Перевод",
                     "   atol10-> телефон поставщика ==>",
                     "   atol10->AttrValue = +74951111111",
                     "   atol10->NewCheck [open_receipt] ==> ",
                     "   CheckType = 2",
                     "   CheckMode [0-электронный чек, 1-на чековой ленте] = 1",
                     "   ==> 0"}),
              Lines(log.begin() + 4, log.end()));
}

TEST_F(ReceiptOpening, AgentFromTheRegistrationDataSkipsEmptyMembers) {
    connect();
    registerWith(105, 2);
    cash().agentPhone_ = "+79007654321";
    EXPECT_EQ(0, cash().NewCheck(1));
    const Lines trace = takeTrace();
    EXPECT_TRUE(has(trace, "libfptr_get_param_int(#h, 1057) = 2"));
    EXPECT_TRUE(has(trace, "libfptr_set_param_int(#h, 1057, 2)"));
    EXPECT_TRUE(has(trace, "libfptr_set_param_str(#h, 1073, \"+79007654321\")"));
    EXPECT_FALSE(has(trace, "libfptr_set_param_str(#h, 1026"));
}

TEST_F(ReceiptOpening, Ffd12WritesNeitherTheAgentSignNorTheReceiptLevelTags) {
    connect();
    registerWith(120, 2);
    fillAgentData();
    cash::Config::instance().tag1057 = 4;
    EXPECT_EQ(0, cash().NewCheck(1));
    EXPECT_EQ(120, cash::atol10::ffdVersion);
    const Lines trace = takeTrace();
    EXPECT_FALSE(has(trace, "libfptr_set_param_int(#h, 1057"));
    EXPECT_FALSE(has(trace, "libfptr_set_param_str(#h, 1026"));
    EXPECT_FALSE(has(trace, "libfptr_set_param_str(#h, 1171"));
    const Lines log = takeLog();
    EXPECT_FALSE(has(log, "   atol10-> set_param_int 1057"));
    EXPECT_TRUE(has(log, "   atol10->Tag1057 (Признак агента был взят из ini) 4"));
}

TEST_F(ReceiptOpening, AnyOtherKindOpensTypeZero) {
    connect();
    cash().NewCheck(3);
    const Lines trace = takeTrace();
    EXPECT_TRUE(has(trace, "libfptr_set_param_int(#h, " + id(param::receiptType) + ", 0)"));
    EXPECT_TRUE(has(takeLog(), "   CheckType = 0"));
}

TEST_F(ReceiptOpening, ElectronicReceiptCarriesThePhoneBeforeTheEmail) {
    connect();
    cash().electronic_ = true;
    cash().clientPhone_ = "+79001234567";
    cash().clientEmail_ = "client@mail.ru";
    EXPECT_EQ(0, cash().NewCheck(1));
    const Lines trace = takeTrace();
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::receiptType) + ", 1)",
                     "libfptr_set_param_bool(#h, " + id(param::receiptElectronically) + ", true)",
                     "libfptr_set_param_str(#h, 1008, \"+79001234567\")",
                     "libfptr_open_receipt(#h) = 0"}),
              Lines(trace.end() - 4, trace.end()));
    EXPECT_TRUE(has(takeLog(), "   CheckMode [0-электронный чек, 1-на чековой ленте] = 0"));
    EXPECT_TRUE(readState()["receipt"]["electronic"].get<bool>());
}

TEST_F(ReceiptOpening, ElectronicReceiptWithTheEmailOnly) {
    connect();
    cash().electronic_ = true;
    cash().clientEmail_ = "client@mail.ru";
    EXPECT_EQ(0, cash().NewCheck(1));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_str(#h, 1008, \"client@mail.ru\")"));
}

TEST_F(ReceiptOpening, ElectronicReceiptWithoutContactSetsNoTag1008) {
    connect();
    cash().electronic_ = true;
    const int result = cash().NewCheck(1);
    const Lines trace = takeTrace();
    EXPECT_FALSE(has(trace, "libfptr_set_param_str(#h, 1008"));
    EXPECT_EQ(99, result);  // the register refuses an electronic receipt without contact
}

TEST_F(ReceiptOpening, PrechequeOpensANonFiscalDocumentAndAlwaysSucceeds) {
    connect();
    cash().precheque_ = true;
    changeState([](nlohmann::json& s) {
        s["faults"] = nlohmann::json::array({{{"kind", "error"},
                                              {"function", "libfptr_begin_nonfiscal_document"},
                                              {"timing", "before"},
                                              {"error", -3811}}});
    });
    EXPECT_EQ(0, cash().NewCheck(1));
    const Lines trace = takeTrace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(0u, trace[0].find("libfptr_begin_nonfiscal_document(#h) = -")) << trace[0];
    const Lines log = takeLog();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("   atol10->NewCheck: печать пречека ... begin_nonfiscal_document ... return",
              log[0]);
    EXPECT_EQ(0u, log[1].find("   libfptr_begin_nonfiscal_document: ошибка ")) << log[1];
    EXPECT_EQ(0u, log[2].find("   ==> -")) << log[2];
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
