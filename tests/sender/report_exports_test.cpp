// xReport and zReport through the real exports: vorna-cash loads the sender
// library like a banking host and the recording driver stands in for the
// register.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "common/platform/platform.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";

class ReportExports : public ::testing::Test {
protected:
    void SetUp() override {
        host.installDriver("recording_driver", kAtol10);
        host.writeSettings(kAtol10);
    }

    ProcessResult run(std::vector<std::string> arguments) {
        arguments.push_back("--expect-released");
        arguments.push_back(kAtol10);
        return host.run(arguments);
    }

    SenderHost host;
};

TEST_F(ReportExports, ZReportWritesStartMarkerHeadLineParametersAndCode) {
    ProcessResult result = run({"z-report", "--pair", "A=1", "--pair", "SUMMA=100"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0\n"));
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
    EXPECT_THAT(host.logLines(host.startLog()), ElementsAre("Начало выполнения: _zReport@8"));
    EXPECT_THAT(host.logLines(host.operationLog()),
                ElementsAre("Закрытие смены (Z-Report) <vorna.cash.atol10.dll>", "A=1;SUMMA=100;",
                            "0\r", ""));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "ZReport()",
                                              "EndOperation()", "DestroyObject(object)"));
}

TEST_F(ReportExports, XReportWritesItsOwnLabelAndTitle) {
    ProcessResult result = run({"x-report"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.startLog()), ElementsAre("Начало выполнения: _xReport@8"));
    EXPECT_THAT(host.logLines(host.operationLog()),
                ElementsAre("X-отчет (X-Report) <vorna.cash.atol10.dll>", "", "0\r", ""));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "XReport()",
                                              "EndOperation()", "DestroyObject(object)"));
}

TEST_F(ReportExports, ReportGoesOnAfterAFailedDeviceCheckAndReturnsItsOwnResult) {
    host.writeFile("driver.script", "CheckKKT 1\n");
    ProcessResult passed = run({"x-report"});
    EXPECT_EQ(passed.exitCode, 0);
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "XReport()",
                                              "EndOperation()", "DestroyObject(object)"));

    host.writeFile("driver.script", "CheckKKT 1\nXReport 5\n");
    ProcessResult failed = run({"x-report"});
    EXPECT_EQ(failed.exitCode, 5);
    EXPECT_THAT(failed.output, HasSubstr("result: 5\n"));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "XReport()",
                                              "EndOperation()", "DestroyObject(object)"));
}

TEST_F(ReportExports, FailedZReportIsNotReportedAsAClosedShift) {
    host.writeFile("driver.script", "ZReport 1\n");
    ProcessResult result = run({"z-report"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(host.logLines(host.operationLog()).at(2), "1\r");
}

TEST_F(ReportExports, DriverExceptionIsShownAnsweredAndEndsAs99) {
    host.writeFile("driver.script", "ZReport throw Нет связи с ККТ\n");
    ProcessResult result = run({"z-report", "--answer", "ok"});
    EXPECT_EQ(result.exitCode, 99);
    EXPECT_THAT(result.output, HasSubstr("result: 99\n"));
    EXPECT_THAT(result.errors, HasSubstr(utf8("[Ошибка] Нет связи с ККТ")));
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
    // The report object handled it: EndOperation is skipped, the object still given back.
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObject()", "CheckKKT()", "ZReport()", "DestroyObject(object)"));
}

TEST_F(ReportExports, DriverFailureOutsideTheReportEndsAs99InTheLogDirectorysErrorLog) {
    host.writeFile("driver.script", "CreateObject throw Порт COM3 занят\n");
    ProcessResult result = run({"z-report"});
    EXPECT_EQ(result.exitCode, 99);
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
    EXPECT_THAT(host.logLines(host.errorLog()), ElementsAre("Порт COM3 занят"));
    EXPECT_FALSE(host.exists(host.path(host.work(), "error.log")));
    EXPECT_THAT(host.logLines(host.operationLog()).at(2), "99\r");
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()"));
}

TEST_F(ReportExports, TwoSettingsCodesTakeTheLastAndPassItsFileToTheDriver) {
    host.writeFile("vorna.cash.sender.76.ini", "CashDriver=vorna.cash.missing.dll\n");
    host.writeFile("vorna.cash.sender.77.ini", "UseLog=Y\n");
    ProcessResult result = run({"z-report", "--pair", "IBS_CODE=76", "--pair", "IBS_CODE=77"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.operationLog()),
                ElementsAre("Закрытие смены (Z-Report) <vorna.cash.atol10.dll>",
                            "IBS_CODE=76;IBS_CODE=77;", "0\r", ""));
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObjectWithIni(\"vorna.cash.sender.77.ini\")", "CheckKKT()",
                            "ZReport()", "EndOperation()", "DestroyObject(object)"));
}

TEST_F(ReportExports, LowerCaseKeyIsNoSettingsCode) {
    host.writeFile("vorna.cash.sender.77.ini", "CashDriver=vorna.cash.missing.dll\n");
    ProcessResult result = run({"x-report", "--pair", "ibs_code=77"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(
        host.logLines(host.operationLog()),
        ElementsAre("X-отчет (X-Report) <vorna.cash.atol10.dll>", "ibs_code=77;", "0\r", ""));
    EXPECT_THAT(host.takeCalls().front(), "CreateObject()");
}

TEST_F(ReportExports, PerCodeSettingsStayInEffectForLaterCalls) {
    host.installDriver("recording_driver", "vorna.cash.atol8.dll");
    host.writeFile("vorna.cash.sender.77.ini", "CashDriver=vorna.cash.atol8.dll\n");
    ProcessResult result = run({"x-report", "--pair", "IBS_CODE=77", "--", "z-report",
                                "--expect-released", "vorna.cash.atol8.dll"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.operationLog()),
                ElementsAre("X-отчет (X-Report) <vorna.cash.atol8.dll>", "IBS_CODE=77;", "0\r", "",
                            "Закрытие смены (Z-Report) <vorna.cash.atol8.dll>", "", "0\r", ""));
    // Not one of the drivers offered a settings file: CreateObject both times.
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObject()", "CheckKKT()", "XReport()", "EndOperation()",
                            "DestroyObject(object)", "CreateObject()", "CheckKKT()", "ZReport()",
                            "EndOperation()", "DestroyObject(object)"));
    EXPECT_THAT(result.output, Not(HasSubstr("still loaded")));
}

class LoggingSwitch : public ::testing::TestWithParam<std::pair<std::string, bool>> {};

TEST_P(LoggingSwitch, DecidesTheOperationLogButNeverTheStartLog) {
    SenderHost host;
    host.installDriver("recording_driver", kAtol10);
    host.writeFile("vorna.cash.sender.ini", "UseLog=" + GetParam().first + "\nLogDirectory=" +
                                                host.logs() + "\nCashDriver=" + kAtol10 + "\n");
    ProcessResult result = host.run({"x-report"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.startLog()), ElementsAre("Начало выполнения: _xReport@8"));
    EXPECT_EQ(host.exists(host.operationLog()), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Values, LoggingSwitch,
                         ::testing::Values(std::make_pair("1", true), std::make_pair("Y", true),
                                           std::make_pair("y", true), std::make_pair("yes", false),
                                           std::make_pair("N", false)));

TEST(SenderSettingsAtLoad, UserProfileFileOverridesTheOneBesideTheLibrary) {
    SenderHost host;
    host.installDriver("recording_driver", "vorna.cash.atol8.dll");
    host.writeSettings(kAtol10);
    std::ofstream(host.path(host.path(host.profile(), "Windows"), "vorna.cash.sender.ini"),
                  std::ios::binary)
        << "CashDriver=vorna.cash.atol8.dll\n";
    ProcessResult result = host.run({"x-report"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.operationLog()).front(),
                "X-отчет (X-Report) <vorna.cash.atol8.dll>");
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
