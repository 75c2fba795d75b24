// The device checks of a cheque list, the device-free operations of a single
// cheque and the class identifiers of both.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "cash/shared/checks.h"
#include "message_box_recorder.h"
#include "mock_cash.h"
#include "tests/support/cheque_scripts.h"

using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::Return;
using ::testing::StrictMock;
using ::testing::Throw;
using vorna::Check;
using vorna::Checks;
using vorna::testing_support::MessageBoxRecorder;
using vorna::testing_support::MockCash;

namespace {

// The fixed script of the sender's device checks.
const std::string kDeviceCheckScript =
    std::string("\x01SEPARATE=NO\x01LOGENABLE=NO\x01PRINTDOCLIST=\x07&2\r\n") +
    "~srv 1 0.01\r\n~pay 1 0.01";

// Owns the out text of CheckInfoKKT.
struct InfoText {
    char* text = nullptr;
    ~InfoText() { std::free(text); }
};

}  // namespace

TEST(ChecksCheckKKT, ReadyDevice) {
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckKKT(cash), 0);
}

TEST(ChecksCheckKKT, OldShiftGivesTwoAndEndsTheOperation) {
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(2));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckKKT(cash), 2);
}

TEST(ChecksCheckKKT, ExceptionFromEndOperationGivesOneBoxAndNinetyNine) {
    MessageBoxRecorder boxes;
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, EndOperation()).WillOnce(Throw(std::runtime_error("link lost")));
    EXPECT_EQ(checks.CheckKKT(cash), 99);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "link lost");
    EXPECT_EQ(boxes.boxes()[0].caption, "Ошибка");
    EXPECT_EQ(boxes.boxes()[0].buttons, vorna::platform::Buttons::ok);
    EXPECT_EQ(boxes.boxes()[0].icon, vorna::platform::Icon::error);
}

TEST(ChecksCheckKKT, ForeignExceptionGivesNinetyNineWithoutBox) {
    MessageBoxRecorder boxes;
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Throw(7));
    EXPECT_EQ(checks.CheckKKT(cash), 99);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(ChecksCheckInfoKKT, DeliversTheDriversText) {
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InfoText info;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, GetInfoKKT(&info.text)).WillOnce(Invoke([](char** out) {
        *out = strdup("ИНН 7700000000");
        return 0;
    }));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckInfoKKT(cash, &info.text), 0);
    ASSERT_NE(info.text, nullptr);
    EXPECT_STREQ(info.text, "ИНН 7700000000");
}

TEST(ChecksCheckInfoKKT, DeviceNotReadyGivesEmptyTextWithoutAsking) {
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InfoText info;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(1));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckInfoKKT(cash, &info.text), 1);
    ASSERT_NE(info.text, nullptr);
    EXPECT_STREQ(info.text, "");
}

TEST(ChecksCheckInfoKKT, ThrowingDriverGivesEmptyText) {
    MessageBoxRecorder boxes;
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InfoText info;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, GetInfoKKT(_)).WillOnce(Throw(std::runtime_error("read failed")));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckInfoKKT(cash, &info.text), 0);
    ASSERT_NE(info.text, nullptr);
    EXPECT_STREQ(info.text, "");
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(ChecksCheckInfoKKT, FailureCodeLeavesTheTextAsTheDriverSetIt) {
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    char* info = nullptr;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, GetInfoKKT(_)).WillOnce(Return(99));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(checks.CheckInfoKKT(cash, &info), 0);
    EXPECT_EQ(info, nullptr);
}

TEST(ChecksCheckInfoKKT, ExceptionFromEndOperation) {
    MessageBoxRecorder boxes;
    Checks checks(kDeviceCheckScript);
    StrictMock<MockCash> cash;
    InfoText info;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(3));
    EXPECT_CALL(cash, EndOperation()).WillOnce(Throw(std::runtime_error("gone")));
    EXPECT_EQ(checks.CheckInfoKKT(cash, &info.text), 99);
    EXPECT_EQ(boxes.count(), 1u);
}

TEST(SingleCheque, DeviceChecksReturnZeroWithoutTheDevice) {
    Checks checks(kDeviceCheckScript);
    ASSERT_EQ(checks.size(), 1u);
    StrictMock<MockCash> cash;
    char* info = nullptr;
    EXPECT_EQ(checks[0].CheckKKT(cash), 0);
    EXPECT_EQ(checks[0].CheckInfoKKT(cash, &info), 0);
    EXPECT_EQ(info, nullptr);
}

TEST(SingleCheque, RunExecutesTheCheque) {
    Checks checks(vorna::testing_support::chequeScript("~hdr line ~dep item ~srv 1 3 ~pay 2 3"));
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
    EXPECT_CALL(cash, Print("line")).WillOnce(Return(0));
    EXPECT_CALL(cash, Return("item", 300u, 1000)).WillOnce(Return(7));
    EXPECT_EQ(checks[0].run(cash), 7);
}

TEST(SingleCheque, TracingNeedsNoDevice) {
    Checks checks("\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2 ~hdr a ~hdr b");
    ASSERT_EQ(checks.size(), 1u);
    checks.traceCheques();
    checks[0].traceLines();
    EXPECT_EQ(checks[0].textLines().size(), 2u);
}

TEST(ClassIds, TheirGuids) {
    Checks checks("");
    EXPECT_EQ(checks.classId(), vorna::classIdFromText("{8E77EDB5-DF81-49A0-BDE9-5425E88750BD}"));
    EXPECT_EQ(Check(2).classId(), vorna::classIdFromText("{39CB748B-3B75-497A-8494-46214C98E6D6}"));
}

TEST(ClassIds, ChecksIsACashObjectAndAList) {
    Checks checks(kDeviceCheckScript);
    vorna::CashObject& object = checks;
    std::vector<Check>& list = checks;
    EXPECT_EQ(list.size(), 1u);
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, EndOperation());
    EXPECT_EQ(object.CheckKKT(cash), 0);
}
