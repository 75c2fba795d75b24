// checkKKT, checkLinkKKT and checkInfoKKT through the real exports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";

class DeviceChecks : public ::testing::Test {
protected:
    void SetUp() override {
        host.installDriver("recording_driver", kAtol10);
        host.writeSettings(kAtol10);
    }
    SenderHost host;
};

TEST_F(DeviceChecks, CheckKktWritesNoStartMarkerAndAlwaysUsesCreateObject) {
    host.writeFile("vorna.cash.sender.77.ini", "CashDriver=vorna.cash.missing.dll\n");
    ProcessResult result = host.run({"check", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0 \nreleased: vorna.cash.atol10.dll"));
    EXPECT_FALSE(host.exists(host.startLog()));
    EXPECT_THAT(host.logLines(host.operationLog()),
                ElementsAre("ПРОВЕРКА СВЯЗИ С ККТ", "0 \r", ""));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "GetInfoKKT()",
                                              "EndOperation()", "DestroyObject(object)"));
}

TEST_F(DeviceChecks, CheckKktGivesTheDriversCodeAndText) {
    host.writeFile("driver.script", "CheckKKT 2\n");
    ProcessResult result = host.run({"check"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.output, HasSubstr(utf8("result: 2 Смена превысила 24 часа")));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "EndOperation()",
                                              "DestroyObject(object)"));
}

TEST_F(DeviceChecks, CheckLinkWithASettingsCodeHandsItsFileToTheDriver) {
    host.writeFile("vorna.cash.sender.77.ini", "UseLog=1\n");
    ProcessResult result =
        host.run({"check-link", "--pair", "IBS_CODE=77", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(host.logLines(host.startLog()), ElementsAre("Начало выполнения: _checkLinkKKT@12"));
    EXPECT_THAT(
        host.logLines(host.operationLog()),
        ElementsAre("Проверка связи с ККТ <vorna.cash.atol10.dll>", "IBS_CODE=77;", "0 \r", ""));
    EXPECT_EQ(host.takeCalls().front(), "CreateObjectWithIni(\"vorna.cash.sender.77.ini\")");
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
}

TEST_F(DeviceChecks, InfoOfAReadyRegisterIsHandedOver) {
    host.writeFile("driver.script", "GetInfoKKT text ИНН 7700000000\n");
    ProcessResult result = host.run({"info"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0 \ninfo: " + utf8("ИНН 7700000000") + "\n"));
    EXPECT_THAT(host.logLines(host.startLog()), ElementsAre("Начало выполнения: _checkInfoKKT@16"));
}

TEST_F(DeviceChecks, InfoOfAnUnreachableRegisterIsEmpty) {
    host.writeFile("driver.script", "CheckKKT 1\nGetInfoKKT text ИНН 7700000000\n");
    ProcessResult result = host.run({"info"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.output, HasSubstr(utf8("result: 1 ККТ не подключена") + "\ninfo: \n"));
}

// Every result hands back a text to release: a host that releases after
// each call frees only what it got.
TEST_F(DeviceChecks, InfoIsAnEmptyTextWhenTheCheckEndsWith99) {
    host.writeSettings("vorna.cash.nothere.dll");
    ProcessResult result = host.run({"info"});
    EXPECT_EQ(result.exitCode, 99);
    EXPECT_THAT(result.output, HasSubstr("\ninfo: \n"));
    EXPECT_FALSE(host.logLines(host.path(host.work(), "error.log")).empty());
}

TEST_F(DeviceChecks, InfoIsAnEmptyTextWhenTheSettingsCodeIsRefused) {
    ProcessResult result = host.run({"info", "--pair", "IBS_CODE=../x"});
    EXPECT_EQ(result.exitCode, 100);
    EXPECT_THAT(result.output, HasSubstr("\ninfo: \n"));
    EXPECT_TRUE(host.takeCalls().empty());
}

TEST_F(DeviceChecks, InfoOfEachFailingCodeIsAnEmptyText) {
    for (int code : {1, 2, 3, 5, 6, 7}) {
        host.writeFile("driver.script",
                       "CheckKKT " + std::to_string(code) + "\nGetInfoKKT text ИНН 7700000000\n");
        ProcessResult result = host.run({"info"});
        EXPECT_EQ(result.exitCode, code);
        EXPECT_THAT(result.output, HasSubstr("\ninfo: \n")) << code;
    }
}

TEST_F(DeviceChecks, NullOutPointersAreNotWritten) {
    ProcessResult noInfo = host.run({"info", "--null", "info", "--null", "result-text"});
    EXPECT_EQ(noInfo.exitCode, 0) << noInfo.errors;
    EXPECT_THAT(noInfo.output, HasSubstr("result: 0 (no text)\ninfo: (none)"));
    ProcessResult noText = host.run({"check", "--null", "result-text"});
    EXPECT_EQ(noText.exitCode, 0) << noText.errors;
    ProcessResult noPairs = host.run({"check-link", "--null", "pairs", "--count", "2"});
    EXPECT_EQ(noPairs.exitCode, 0) << noPairs.errors;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
