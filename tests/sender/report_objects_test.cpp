// The report objects against a mock device.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "cash/sender/report_objects.h"
#include "tests/script/message_box_recorder.h"
#include "tests/script/mock_cash.h"

namespace vorna {
namespace {

using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;
using ::testing::Throw;
using testing_support::MessageBoxRecorder;
using testing_support::MockCash;

TEST(XReportObject, StillReportsAfterAFailedDeviceCheckAndReturnsTheReportsResult) {
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(1));
    EXPECT_CALL(cash, XReport()).WillOnce(Return(0));
    EXPECT_CALL(cash, EndOperation());
    XReport report;
    EXPECT_EQ(report.Execute(cash), 0);
}

TEST(XReportObject, ReturnsTheCodeOfAFailedReport) {
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, XReport()).WillOnce(Return(5));
    EXPECT_CALL(cash, EndOperation());
    XReport report;
    EXPECT_EQ(report.Execute(cash), 5);
}

TEST(ZReportObject, ReturnsTheCodeOfAFailedShiftClosing) {
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(1));
    EXPECT_CALL(cash, ZReport()).WillOnce(Return(1));
    EXPECT_CALL(cash, EndOperation());
    ZReport report;
    EXPECT_EQ(report.Execute(cash), 1);
}

TEST(ZReportObject, StandardExceptionIsShownOnceAndGives99) {
    MessageBoxRecorder boxes;
    StrictMock<MockCash> cash;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, ZReport()).WillOnce(Return(0));
    EXPECT_CALL(cash, EndOperation()).WillOnce(Throw(std::runtime_error("обрыв связи")));
    ZReport report;
    EXPECT_EQ(report.Execute(cash), 99);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text, "обрыв связи");
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].caption, "Ошибка");
}

TEST(XReportObject, OtherExceptionGives99WithoutABox) {
    MessageBoxRecorder boxes;
    StrictMock<MockCash> cash;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Throw(42));
    XReport report;
    EXPECT_EQ(report.Execute(cash), 99);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(ReportObjects, DeviceChecksDoNothingAndClassIdsAreTheirOwn) {
    StrictMock<MockCash> cash;
    XReport x;
    ZReport z;
    char* info = nullptr;
    EXPECT_EQ(x.CheckKKT(cash), 0);
    EXPECT_EQ(z.CheckInfoKKT(cash, &info), 0);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(x.classId(), classIdFromText("{11B84387-8D39-4B5C-BDC9-3A8F5E8E5FFB}"));
    EXPECT_EQ(z.classId(), classIdFromText("{E8535D31-DB28-4B26-ACED-DD6197D9874E}"));
}

}  // namespace
}  // namespace vorna
