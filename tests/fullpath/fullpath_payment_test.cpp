// Payments and reports from vorna-cash through the sender library, the ATOL
// driver and the emulated register: the result code and text the host gets,
// and what the register's journal says was registered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr double kTotal = 123.45;

json journalEntryOf(FullPathHost& path, const std::string& type) {
    json found;
    std::istringstream lines(
        path.host.fileText(path.host.path(path.host.work(), "fptr10-journal.jsonl")));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && json::parse(line).value("type", "") == type) found = json::parse(line);
    return found;
}

class OpenShift : public ::testing::Test {
protected:
    void SetUp() override {
        PaymentRun opening = path.pay({}, {"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
    }
    FullPathHost path{{"--ffd", "1.2", "--inn", "7707083893", "--name", utf8("ООО Ромашка"),
                       "--address", utf8("Москва, ул. Ленина, 1")}};
};

TEST(ClosedShift, IsOpenedWhenTheOperatorAgreesAndThePaymentRegistered) {
    FullPathHost path({"--ffd", "1.2"});
    PaymentRun run = path.pay({}, {"yes"});
    EXPECT_EQ(run.result, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("Открыть смену?")));
    EXPECT_FALSE(journalEntryOf(path, "open_shift").is_null());
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_DOUBLE_EQ(run.newReceipts[0].value("total", 0.0), kTotal);
}

TEST(ClosedShift, RefusedByTheOperatorGivesResult3AndNoReceipt) {
    FullPathHost path({"--ffd", "1.2"});
    PaymentRun run = path.pay({}, {"no"});
    EXPECT_EQ(run.result, 3) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("result: 3 Смена закрыта")));
    EXPECT_TRUE(run.newReceipts.empty());
    EXPECT_TRUE(journalEntryOf(path, "open_shift").is_null());
}

TEST_F(OpenShift, CashSaleIsASaleReceiptPaidInCash) {
    PaymentRun run = path.pay();
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    const json& receipt = run.newReceipts[0];
    EXPECT_EQ(receipt.value("receiptType", 0), 1);
    EXPECT_FALSE(receipt.value("electronic", true));
    EXPECT_DOUBLE_EQ(receipt.value("total", 0.0), kTotal);
    ASSERT_EQ(receipt["positions"].size(), 1u);
    EXPECT_EQ(receipt["positions"][0].value("name", ""), utf8("Услуга"));
    EXPECT_EQ(receipt["positions"][0].value("taxType", 0), 6);
    ASSERT_EQ(receipt["payments"].size(), 1u);
    EXPECT_EQ(receipt["payments"][0].value("type", -1), 0);
    EXPECT_DOUBLE_EQ(receipt["payments"][0].value("sum", 0.0), kTotal);
}

TEST_F(OpenShift, CashReturnIsASaleReturnReceipt) {
    PaymentRun run = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_EQ(run.newReceipts[0].value("receiptType", 0), 2);
    EXPECT_DOUBLE_EQ(run.newReceipts[0].value("total", 0.0), kTotal);
}

TEST_F(OpenShift, CashlessPaymentIsPaidElectronically) {
    PaymentRun run = path.pay({"TYPE_OPL=BN"});
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    ASSERT_EQ(run.newReceipts[0]["payments"].size(), 1u);
    EXPECT_EQ(run.newReceipts[0]["payments"][0].value("type", -1), 1);
}

TEST_F(OpenShift, ElectronicReceiptGoesToTheBuyersEmail) {
    PaymentRun run = path.pay({"CONTACT=buyer@example.ru"}, {}, false);
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_TRUE(run.newReceipts[0].value("electronic", false));
    EXPECT_EQ(run.newReceipts[0].value("1008", ""), "buyer@example.ru");
}

TEST_F(OpenShift, ElectronicReceiptGoesToTheBuyersPhone) {
    PaymentRun run = path.pay({"CONTACT=\x01+79001234567"}, {}, false);
    EXPECT_EQ(run.result, 0) << run.output;
    ASSERT_EQ(run.newReceipts.size(), 1u);
    EXPECT_TRUE(run.newReceipts[0].value("electronic", false));
    EXPECT_THAT(run.newReceipts[0].value("1008", ""), HasSubstr("+79001234567"));
}

TEST_F(OpenShift, NoPaperGivesResult5AndNoReceipt) {
    path.registerFolder.addFault({{"kind", "paper_out"},
                                  {"function", "libfptr_query_data"},
                                  {"timing", "before"},
                                  {"count", 1}});
    PaymentRun run = path.pay();
    EXPECT_EQ(run.result, 5) << run.output;
    EXPECT_THAT(run.output, HasSubstr(utf8("result: 5 Закончилась чековая лента")));
    EXPECT_TRUE(run.newReceipts.empty());
}

TEST_F(OpenShift, XReportKeepsTheShiftAndZReportClosesIt) {
    ProcessResult x = path.run({"x-report"});
    EXPECT_EQ(x.exitCode, 0) << x.output << x.errors;
    EXPECT_FALSE(journalEntryOf(path, "x_report").is_null());
    EXPECT_TRUE(journalEntryOf(path, "z_report").is_null());
    ProcessResult z = path.run({"z-report"});
    EXPECT_EQ(z.exitCode, 0) << z.output << z.errors;
    const json report = journalEntryOf(path, "z_report");
    ASSERT_FALSE(report.is_null());
    EXPECT_EQ(report.value("receipts", 0), 1);
    // The next payment finds the shift closed.
    PaymentRun next = path.pay({}, {"no"});
    EXPECT_EQ(next.result, 3) << next.output;
}

TEST_F(OpenShift, RegisterInformationIsInnNameAndAddress) {
    ProcessResult info = path.run({"info"});
    EXPECT_EQ(info.exitCode, 0) << info.output << info.errors;
    EXPECT_THAT(info.output, HasSubstr(utf8("info: 7707083893|ООО Ромашка|Москва, ул. Ленина, 1")));
}

TEST(MissingDriver, GivesResult99AndNothingRegistered) {
    FullPathHost path({"--ffd", "1.2"});
    path.host.writeSettings("vorna.cash.absent.dll");
    PaymentRun run = path.pay();
    EXPECT_EQ(run.result, 99) << run.output;
    EXPECT_THAT(run.output,
                HasSubstr(utf8("result: 99 Другая ошибка - для уточнения смотрите логи")));
    EXPECT_TRUE(run.newReceipts.empty());
    const std::vector<std::string> lines = path.host.logLines(path.host.operationLog());
    EXPECT_THAT(lines, ::testing::Contains("99 Другая ошибка - для уточнения смотрите логи\r"));
}

// A payment's failure text goes to error.log in the folder that was current
// when the first error line was written (the host's working folder), not to
// LogDirectory as the reports' lines do: bank IT must find it there.
TEST(MissingDriver, PaymentWritesTheLoadFailureToTheErrorLogOfTheWorkingFolder) {
    FullPathHost path({"--ffd", "1.2"});
    path.host.writeSettings("vorna.cash.absent.dll");
    PaymentRun run = path.pay();
    EXPECT_EQ(run.result, 99) << run.output;
    const std::vector<std::string> errors =
        path.host.logLines(path.host.path(path.host.work(), "error.log"));
    // The system's text for the load failure (on Windows it ends with a line end of its own).
    ASSERT_FALSE(errors.empty()) << "sendCheque returned 99 for a missing driver library";
    EXPECT_FALSE(errors[0].empty());
    EXPECT_FALSE(path.host.exists(path.host.errorLog()));
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
