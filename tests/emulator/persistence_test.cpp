// The register outlives its instances and processes, and two processes at
// once never corrupt it.
#include <fstream>
#include <thread>

#include "common/platform/platform.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class PersistenceTest : public EmulatorTest {};

TEST_F(PersistenceTest, OpenReceiptAndShiftSurviveTheInstance) {
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
        ASSERT_EQ(0, d.openReceipt(1));
        ASSERT_EQ(0, d.position("a", 12.5, 7));
    }
    Device next;
    EXPECT_EQ(2, next.query(dt::receiptState)) << "a new instance must connect first";
    ASSERT_EQ(0, next.connect());
    ASSERT_EQ(0, next.query(dt::receiptState));
    EXPECT_EQ(1, next.getInt(param::receiptType));
    EXPECT_DOUBLE_EQ(12.5, next.getDouble(param::receiptSum));
    ASSERT_EQ(0, next.pay(0, 12.5));
    ASSERT_EQ(0, next.close());
    EXPECT_EQ(2, journal().back()["document"]);
}

TEST_F(PersistenceTest, StateIsWrittenAsJsonAfterEveryChange) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    json s = state();
    EXPECT_EQ(true, s["shift"]["open"]);
    EXPECT_EQ(1, s["counters"]["document"]);
    ASSERT_EQ(0, d.cashIncome(10));
    EXPECT_EQ(1000, state()["totals"]["cashIn"]);
    EXPECT_FALSE(std::ifstream(file("fptr10-state.json.tmp")).good()) << "no temporary left";
}

TEST_F(PersistenceTest, DamagedStateIsReportedAndNotOverwritten) {
    { std::ofstream(file("fptr10-state.json")) << "{ not json"; }
    Device d;
    EXPECT_EQ(498, d.connect());
    EXPECT_NE(std::string::npos, d.errorText().find(u8"Файл состояния эмулятора повреждён"));
    EXPECT_EQ("{ not json", readFile(file("fptr10-state.json")));
}

TEST_F(PersistenceTest, HandEditedStateOfTheWrongKindIsAnInternalFailureNotAChange) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    editState([](json& s) { s["paper"] = "yes"; });
    const std::string before = readFile(file("fptr10-state.json"));
    EXPECT_EQ(499, d.printText("x"));
    EXPECT_EQ(0u, d.errorText().find(u8"Внутренняя ошибка эмулятора: ")) << d.errorText();
    EXPECT_EQ(before, readFile(file("fptr10-state.json")));
}

TEST_F(PersistenceTest, ToolInAnotherProcessSeesAndChangesTheState) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    std::string out;
    ASSERT_EQ(0, runTool("show", &out)) << out;
    json shown = json::parse(out);
    EXPECT_EQ("open", shown["shift"]["state"]);
    EXPECT_EQ(1, shown["counters"]["document"]);
    ASSERT_EQ(0, runTool("set paper false", &out)) << out;
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_FALSE(d.getBool(param::isPaperPresent));
    EXPECT_EQ(44, d.printText("x"));
    ASSERT_EQ(0, runTool("clock +25h", &out)) << out;
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(2, d.getInt(param::shiftState));
}

TEST_F(PersistenceTest, SalesOfAnotherProcessContinueTheNumbering) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.cashSale("a", 1));
    // The register's port goes to the other process once this one closes it.
    EXPECT_EQ(0, d.call(d.lib().libfptr_close));
    std::string out;
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--count 2 --price 5", &out)) << out;
    ASSERT_EQ(0, d.connect());
    EXPECT_NE(std::string::npos, out.find("document 3")) << out;
    EXPECT_NE(std::string::npos, out.find("document 4")) << out;
    ASSERT_EQ(0, d.cashSale("b", 1));
    std::vector<int> numbers;
    for (const json& e : journal()) numbers.push_back(e["document"]);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), numbers);
}

// The register's port is one process's at a time, as a serial or USB port is:
// the instances of one process share it, another process's open fails with 3
// (port busy) and its operations with 2 until the holder closes it.
TEST_F(PersistenceTest, ThePortIsHeldByOneProcessAtATime) {
    Device first, second;
    ASSERT_EQ(0, first.connect());
    ASSERT_EQ(0, second.connect()) << "the same process shares its port";
    ASSERT_EQ(0, first.openShift());
    std::string out;
    EXPECT_NE(0, runProgram("emulator_cash_sale", "--wait-ms 0 --price 5", &out));
    EXPECT_NE(std::string::npos, out.find("open failed: error 3")) << out;
    EXPECT_EQ(1u, journal().size()) << "nothing but the shift's opening";
    EXPECT_EQ(0, first.call(first.lib().libfptr_close));
    EXPECT_NE(0, runProgram("emulator_cash_sale", "--wait-ms 0 --price 5", &out))
        << "the second instance still holds it";
    EXPECT_EQ(0, second.call(second.lib().libfptr_close));
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--wait-ms 0 --price 5", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("document 2")) << out;
    ASSERT_EQ(0, first.connect()) << "given back when the other process closed it";
}

TEST_F(PersistenceTest, TwoProcessesAtOnceNeverCorruptTheState) {
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
    }
    // Both processes register cash incomes as fast as they can, each taking
    // the register's port in turn: a lost update would show as a repeated
    // document number or a smaller total.
    const int perProcess = 20;
    int otherResult = -1;
    std::string otherOutput;
    std::thread other([&] {
        otherResult = runProgram(
            "emulator_cash_sale",
            "--mode income --count " + std::to_string(perProcess) + " --price 2", &otherOutput);
    });
    int failures = 0;
    for (int i = 0; i < perProcess; ++i) {
        Device d;
        int connected;
        for (int wait = 0; (connected = d.connect()) == 3 && wait < 2000; ++wait)
            vorna::platform::sleepMilliseconds(5);
        if (connected != 0 || d.cashIncome(3) != 0) ++failures;
    }
    other.join();
    EXPECT_EQ(0, failures);
    EXPECT_EQ(0, otherResult) << otherOutput;

    std::vector<json> j = journal();
    ASSERT_EQ(1u + 2 * perProcess, j.size());
    double income = 0;
    for (std::size_t i = 0; i < j.size(); ++i) {
        EXPECT_EQ(static_cast<int>(i + 1), j[i]["document"]);
        if (j[i]["type"] == "cash_income") income += j[i]["sum"].get<double>();
    }
    EXPECT_DOUBLE_EQ(perProcess * 5.0, income);
    json s = state();
    EXPECT_EQ(1 + 2 * perProcess, s["counters"]["document"]);
    EXPECT_EQ(perProcess * 500, s["totals"]["cashIn"]);
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
