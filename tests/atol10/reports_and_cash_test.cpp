// Shift reports and cash paid into and out of the drawer.
#include <gtest/gtest.h>

#include "cash/atol10/config.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

const Lines kOpenTrace = {"libfptr_open(#h) = 0", "libfptr_is_opened(#h) = 1"};
const Lines kOpenLog = {"   atol10->PortName = AUTO",
                        "   Установка соединения с ККТ *********************",
                        "   libfptr_is_opened = True", "+++ Device is opened +++"};

Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class ReportsAndCash : public DriverTest {
protected:
    // Revenue, deposits and withdrawals of the shift (kopecks) and the cash in the drawer.
    void setTotals(long long revenue, long long cashIn, long long cashOut, long long balance) {
        changeState([&](nlohmann::json& s) {
            s["totals"] = {{"revenue", revenue}, {"cashIn", cashIn}, {"cashOut", cashOut}};
            s["cashBalance"] = balance;
        });
    }
    const ShownBox kNoCash{"Указанной суммы нет в кассе!", "Ошибка!", platform::Buttons::ok,
                           platform::Icon::error};
};

TEST_F(ReportsAndCash, XReportOpensTheConnectionItself) {
    EXPECT_EQ(0, cash().XReport());
    EXPECT_EQ(join({kOpenTrace,
                    {"libfptr_set_param_int(#h, " + id(param::reportType) + ", 1)",
                     "libfptr_report(#h) = 0"}}),
              takeTrace());
    EXPECT_EQ(join({kOpenLog, {"   atol10->XReport [report] ==> ", "   ==> 0"}}), takeLog());
    EXPECT_EQ("x_report", journal().back()["type"].get<std::string>());
}

TEST_F(ReportsAndCash, ZReportClosesTheShift) {
    EXPECT_EQ(0, cash().ZReport());
    EXPECT_EQ(join({kOpenTrace,
                    {"libfptr_set_param_int(#h, " + id(param::reportType) + ", 0)",
                     "libfptr_report(#h) = 0"}}),
              takeTrace());
    EXPECT_EQ(join({kOpenLog, {"   atol10->ZReport [report] ==> ", "   ==> 0"}}), takeLog());
    EXPECT_FALSE(readState()["shift"]["open"].get<bool>());
}

TEST_F(ReportsAndCash, ReportFailureIsMapped) {
    useLegacyErrors();  // the older direct numbers in the log
    changeState([](nlohmann::json& s) { s["paper"] = false; });
    EXPECT_EQ(5, cash().XReport());
    EXPECT_EQ("   ==> -3807", takeLog().back());
}

TEST_F(ReportsAndCash, CashIncomeReadsTheTotalsAndPaysIn) {
    setTotals(10000, 5000, 3000, 12000);
    EXPECT_EQ(0, cash().CashIncome(2550));
    EXPECT_EQ(join({kOpenTrace,
                    {"libfptr_set_param_int(#h, " + id(param::dataType) + ", 12)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_double(#h, " + id(param::sum) + ") = 100",
                     "libfptr_set_param_int(#h, " + id(param::dataType) + ", 8)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_double(#h, " + id(param::sum) + ") = 50",
                     "libfptr_set_param_int(#h, " + id(param::dataType) + ", 10)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_double(#h, " + id(param::sum) + ") = 30",
                     "libfptr_set_param_double(#h, " + id(param::sum) + ", 25.5)",
                     "libfptr_cash_income(#h) = 0"}}),
              takeTrace());
    EXPECT_EQ(join({kOpenLog,
                    {"   atol10->CashIncome [cash_income] ==> 25.5", "   Сумма выручки: 100",
                     "   Сумма внесений: 50", "   Сумма выплат: 30", "   ==> 0"}}),
              takeLog());
    EXPECT_EQ(14550, readState()["cashBalance"].get<long long>());
}

TEST_F(ReportsAndCash, ZeroSumSendsNothing) {
    cash().CashIncome(0);
    EXPECT_EQ(kOpenTrace, takeTrace());
    EXPECT_EQ(
        join({kOpenLog, {"   atol10->CashIncome [cash_income] ==> 0", "   Не указана сумма"}}),
        takeLog());
    cash().CashOutcome(0);
    EXPECT_EQ(kOpenTrace, takeTrace());
}

TEST_F(ReportsAndCash, RefusedWithdrawalOfTheCashHeldOrMoreIsExplained) {
    setTotals(10000, 5000, 3000, 0);  // 120.00 by the totals, the drawer refuses everything
    answerBoxes({platform::ok, platform::ok});
    EXPECT_EQ(99, cash().CashOutcome(12000));
    EXPECT_EQ(99, cash().CashOutcome(12001));
    EXPECT_EQ((std::vector<ShownBox>{kNoCash, kNoCash}), shownBoxes());
    const Lines log = takeLog();
    EXPECT_EQ(Lines({"   Указанной суммы нет в кассе!", "   ==> -1"}),
              Lines(log.end() - 2, log.end()));
}

TEST_F(ReportsAndCash, RefusedWithdrawalBelowTheCashHeldShowsNothing) {
    setTotals(10000, 5000, 3000, 0);
    EXPECT_EQ(99, cash().CashOutcome(11999));
    EXPECT_TRUE(shownBoxes().empty());
    EXPECT_EQ("   ==> -1", takeLog().back());
}

TEST_F(ReportsAndCash, SuccessfulWithdrawalNeverShowsTheBox) {
    setTotals(0, 0, 0, 50000);
    EXPECT_EQ(0, cash().CashOutcome(20000));
    EXPECT_TRUE(shownBoxes().empty());
    EXPECT_EQ(30000, readState()["cashBalance"].get<long long>());
    EXPECT_EQ("cash_outcome", journal().back()["type"].get<std::string>());
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
