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

// An "exit" fault ends the process inside the call, as a killed host ends:
// before the register's work nothing is kept, after it the work is kept; the
// fault is used up either way, so the next process runs on.
TEST_F(CashSaleTest, ExitFaultEndsTheProcessBeforeOrAfterTheWork) {
    // The exit code 86 of the fault; POSIX's system() gives it in the second byte.
    auto endedByFault = [](int status) { return status == 86 || status == 86 * 256; };
    std::string out;
    editState([](json& s) {
        s["faults"] = json::array(
            {{{"kind", "exit"}, {"function", "libfptr_close_receipt"}, {"timing", "before"}}});
    });
    EXPECT_TRUE(endedByFault(runProgram("emulator_cash_sale", "--price 10", &out))) << out;
    std::vector<json> j = journal();
    ASSERT_EQ(1u, j.size()) << "only the shift opening";
    EXPECT_TRUE(state()["faults"].empty());
    EXPECT_TRUE(state()["receipt"].is_object()) << "the receipt stays open in the register";

    editState([](json& s) {
        s["receipt"] = nullptr;
        s["faults"] = json::array(
            {{{"kind", "exit"}, {"function", "libfptr_close_receipt"}, {"timing", "after"}}});
    });
    EXPECT_TRUE(endedByFault(runProgram("emulator_cash_sale", "--price 10", &out))) << out;
    j = journal();
    ASSERT_EQ(2u, j.size()) << "the receipt is registered before the process ends";
    EXPECT_EQ("receipt", j[1]["type"]);
    EXPECT_TRUE(state()["faults"].empty());
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
