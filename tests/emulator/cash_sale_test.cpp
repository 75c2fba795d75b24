// One cash sale through the library, in the driver's order of calls, gives
// exactly one receipt with the right sum, tax type and document number.
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class CashSaleTest : public EmulatorTest {};

TEST_F(CashSaleTest, OneSaleGivesExactlyOneReceipt) {
    std::string out;
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--count 1 --price 250.40 --tax 7", &out)) << out;
    std::vector<json> j = journal();
    ASSERT_EQ(2u, j.size()) << "the shift opening and the receipt";
    EXPECT_EQ("open_shift", j[0]["type"]);
    const json& r = j[1];
    EXPECT_EQ("receipt", r["type"]);
    EXPECT_EQ(2, r["document"]);
    EXPECT_EQ(1, r["receiptType"]);
    EXPECT_DOUBLE_EQ(250.4, r["total"].get<double>());
    ASSERT_EQ(1u, r["positions"].size());
    EXPECT_EQ(7, r["positions"][0]["taxType"]);
    EXPECT_EQ(u8"Приём перевода", r["positions"][0]["name"]);
    EXPECT_EQ(0, r["payments"][0]["type"]);
    EXPECT_EQ(u8"Иванова И.И.", r["1021"]);
    EXPECT_EQ(0, r["1057"]);
    EXPECT_NE(std::string::npos, out.find("document 2"));
}

TEST_F(CashSaleTest, FfdOneTwoRegisterTakesTheSameSale) {
    ASSERT_EQ(0, runTool("init --ffd 1.2"));
    std::string out;
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--price 10", &out)) << out;
    const json r = journal().back();
    EXPECT_EQ(0, r["positions"][0]["measure"]);
    EXPECT_FALSE(r.contains("1057"));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
