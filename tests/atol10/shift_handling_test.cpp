// The device check before every operation and the opening of a closed shift.
#include <gtest/gtest.h>

#include <algorithm>

#include "cash/atol10/config.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

const Lines kOpenTrace = {"libfptr_open(#h) = 0", "libfptr_is_opened(#h) = 1"};
const Lines kPaperTrace = {"libfptr_set_param_int(#h, " + id(param::dataType) + ", 0)",
                           "libfptr_query_data(#h) = 0",
                           "libfptr_get_param_bool(#h, " + id(param::isPaperPresent) + ") = true"};
const Lines kShiftOpenTrace = {"libfptr_set_param_int(#h, " + id(param::dataType) + ", 14)",
                               "libfptr_query_data(#h) = 0",
                               "libfptr_get_param_int(#h, " + id(param::shiftState) + ") = 1"};
const Lines kOpenLog = {"   atol10->PortName = AUTO",
                        "   Установка соединения с ККТ *********************",
                        "   libfptr_is_opened = True", "+++ Device is opened +++"};

Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

bool has(const Lines& lines, const std::string& begin) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, begin.size(), begin) == 0;
    });
}

class ShiftHandling : public DriverTest {
protected:
    void expireShift() {
        changeState(
            [](nlohmann::json& s) { s["shift"]["openedAt"] = platform::unixTime() - 25 * 3600; });
    }
    void closeShift() {
        changeState([](nlohmann::json& s) {
            s["shift"] = {{"open", false}, {"number", 1}, {"openedAt", 0}};
        });
    }
};

TEST_F(ShiftHandling, CheckWithoutTheLibraryIsNotConnected) {
    cash::atol10::Cash& driver = cash();
    const cash::atol10::fptr10::Module module = driver.module_;
    driver.module_ = nullptr;
    EXPECT_EQ(1, driver.CheckKKT());
    driver.module_ = module;
    EXPECT_EQ(Lines({"   atol10->hModule=NULL"}), takeLog());
    EXPECT_TRUE(takeTrace().empty());
}

TEST_F(ShiftHandling, CheckOfAReadyRegister) {
    EXPECT_EQ(0, cash().CheckKKT());
    EXPECT_EQ(join({kOpenTrace, kPaperTrace, kShiftOpenTrace}), takeTrace());
    EXPECT_EQ(join({kOpenLog, {"   atol10_->CheckPaper = True", "   ==> кассовая лента есть"}}),
              takeLog());
    EXPECT_TRUE(shownBoxes().empty());
}

TEST_F(ShiftHandling, CheckWithoutPaperShowsTheBoxAndReportsPaperOut) {
    changeState([](nlohmann::json& s) { s["paper"] = false; });
    answerBoxes({platform::ok});
    EXPECT_EQ(5, cash().CheckKKT());
    EXPECT_EQ((std::vector<ShownBox>{{"Отсутствует кассовая лента!", "Ошибка!",
                                      platform::Buttons::ok, platform::Icon::error}}),
              shownBoxes());
    EXPECT_EQ(join({kOpenLog, {"   atol10_->CheckPaper = False", "   ==> кассовой ленты нет"}}),
              takeLog());
}

TEST_F(ShiftHandling, ElectronicReceiptsNeedNoPaper) {
    changeState([](nlohmann::json& s) { s["paper"] = false; });
    cash().electronic_ = true;
    EXPECT_EQ(0, cash().CheckKKT());
    EXPECT_EQ(join({kOpenTrace, kShiftOpenTrace}), takeTrace());
    EXPECT_EQ(
        join({kOpenLog, {"   atol10_->CheckPaper: Электронный чек - кассовая лента не нужна"}}),
        takeLog());
}

TEST_F(ShiftHandling, ExpiredShiftIsClosedAutomatically) {
    expireShift();
    cash::Config::instance().autoShift = "Y";
    EXPECT_EQ(0, cash().CheckKKT());
    EXPECT_TRUE(shownBoxes().empty());
    const Lines log = takeLog();
    EXPECT_EQ(
        join({kOpenLog,
              {"   atol10_->CheckPaper = True", "   ==> кассовая лента есть",
               "   Необходимо выполнить Z-отчет (закрыть смену)",
               "   [AutoShift = YES] - попытка выполнить Z-отчет (закрыть смену)"},
              kOpenLog,
              {"   atol10->ZReport [report] ==> ", "   ==> 0", "   atol10_->CheckPaper = True",
               "   ==> кассовая лента есть", "   => Смена закрыта"}}),
        log);
    const Lines trace = takeTrace();
    EXPECT_TRUE(std::find(trace.begin(), trace.end(),
                          "libfptr_set_param_int(#h, " + id(param::reportType) + ", 0)") !=
                trace.end());
    EXPECT_EQ("libfptr_get_param_int(#h, " + id(param::shiftState) + ") = 0", trace.back());
    EXPECT_FALSE(readState()["shift"]["open"].get<bool>());
}

TEST_F(ShiftHandling, AutoShiftMeansExactlyY) {
    for (const char* word : {"y", "YES"}) {
        expireShift();
        cash::Config::instance().autoShift = word;
        answerBoxes({platform::no});
        EXPECT_EQ(0, cash().CheckKKT()) << word;
        ASSERT_EQ(1u, shownBoxes().size()) << word;
        EXPECT_EQ((ShownBox{"Выполнить Z-отчет (закрыть смену)?", "Смена превысила 24 часа",
                            platform::Buttons::yesNo, platform::Icon::question}),
                  shownBoxes()[0]);
        EXPECT_FALSE(has(takeTrace(), "libfptr_report(")) << word;
        EXPECT_EQ("   Необходимо выполнить Z-отчет (закрыть смену)", takeLog().back());
        destroyCash();
        SetUp();
    }
}

TEST_F(ShiftHandling, ExpiredShiftClosedOnYes) {
    expireShift();
    answerBoxes({platform::yes});
    EXPECT_EQ(0, cash().CheckKKT());
    const Lines log = takeLog();
    EXPECT_TRUE(std::find(log.begin(), log.end(),
                          "   [AutoShift = NO] - Request - Да - попытка выполнить Z-отчет "
                          "(закрыть смену)") != log.end());
    EXPECT_EQ("   => Смена закрыта", log.back());
}

TEST_F(ShiftHandling, RefusedZReportLeavesTheExpiredShift) {
    useLegacyErrors();  // the older direct numbers in the log
    expireShift();
    cash::Config::instance().autoShift = "Y";
    changeState([](nlohmann::json& s) {
        s["faults"] = nlohmann::json::array({{{"kind", "error"},
                                              {"function", "libfptr_report"},
                                              {"timing", "before"},
                                              {"error", -3891}}});
    });
    EXPECT_EQ(0, cash().CheckKKT());
    const Lines log = takeLog();
    EXPECT_EQ("   ==> -3891", log[log.size() - 3]);
    EXPECT_EQ("   ==> кассовая лента есть", log.back());
    EXPECT_EQ("libfptr_get_param_int(#h, " + id(param::shiftState) + ") = 2", takeTrace().back());
}

TEST_F(ShiftHandling, OpenShiftNeedsNothing) {
    cash::atol10::fptr10::libfptr_open(cash().handle_, cash().module_);
    EXPECT_EQ(1, cash().IsSessionOpen());
    EXPECT_EQ(Lines({"   atol10->Открыта ли смена? = 1"}), takeLog());
}

TEST_F(ShiftHandling, ExpiredShiftCountsAsOpen) {
    expireShift();
    cash::atol10::fptr10::libfptr_open(cash().handle_, cash().module_);
    EXPECT_EQ(1, cash().IsSessionOpen());
    EXPECT_EQ(Lines({"   atol10->Открыта ли смена? = 2"}), takeLog());
    EXPECT_TRUE(shownBoxes().empty());
}

TEST_F(ShiftHandling, ClosedShiftIsOpenedAutomaticallyWithTheCashier) {
    closeShift();
    cash::Config::instance().autoShift = "Y";
    cash().cashier_ = "Иванова";
    cash().cashierInn_ = "500100732259";
    ASSERT_EQ(0, cash().CheckKKT());
    takeTrace();
    takeLog();
    EXPECT_EQ(1, cash().IsSessionOpen());
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::dataType) + ", 14)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_int(#h, " + id(param::shiftState) + ") = 0",
                     "libfptr_set_param_str(#h, 1021, \"Иванова\")",
                     "libfptr_set_param_str(#h, 1203, \"500100732259\")",
                     "libfptr_operator_login(#h) = 0", "libfptr_open_shift(#h) = 0"}),
              takeTrace());
    EXPECT_EQ(Lines({"   atol10->Открыта ли смена? = 0", "   Смена закрыта. Открыть смену? ==>",
                     "   Да - [AutoShift = Y] - попытка выполнить open_shift",
                     "   atol10->IsSessionOpen [operator_login] ==> ", "   cashier_    ==> Иванова",
                     "   cashierInn_ ==> 500100732259", "   => 0"}),
              takeLog());
    EXPECT_TRUE(readState()["shift"]["open"].get<bool>());
}

TEST_F(ShiftHandling, ClosedShiftAfterTheQuestion) {
    closeShift();
    ASSERT_EQ(0, cash().CheckKKT());
    takeLog();
    answerBoxes({platform::no});
    EXPECT_EQ(0, cash().IsSessionOpen());
    EXPECT_EQ((std::vector<ShownBox>{{"Открыть смену?", "Смена закрыта", platform::Buttons::yesNo,
                                      platform::Icon::question}}),
              shownBoxes());
    EXPECT_EQ("   => Нет - отказ открыть смену", takeLog().back());
    answerBoxes({platform::yes});
    EXPECT_EQ(1, cash().IsSessionOpen());
    const Lines log = takeLog();
    EXPECT_EQ("   Да - попытка выполнить atol10->IsSessionOpen [open_shift] ", log[2]);
    EXPECT_EQ("   => 0", log.back());
}

TEST_F(ShiftHandling, QueryWithoutConnectionIsMapped) {
    EXPECT_EQ(1, cash().IsSessionOpen());  // not connected
    const Lines log = takeLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(0u, log[0].find("   libfptr_query_data: ошибка ")) << log[0];
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
