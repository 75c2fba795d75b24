// Running cheques against the device: the exact order of the device calls
// and the result for each path, including the handled failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cash/sender/script/wrap_line.h"
#include "cash/shared/checks.h"
#include "common/app_exception.h"
#include "message_box_recorder.h"
#include "mock_cash.h"
#include "tests/support/cheque_scripts.h"

using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;
using ::testing::Throw;
using vorna::Checks;
using vorna::testing_support::chequeScript;
using vorna::testing_support::MessageBoxRecorder;
using vorna::testing_support::MockCash;
using vorna::testing_support::ParameterMap;
using vorna::testing_support::paymentScript;

namespace {

const ParameterMap kParameters{{"BANK_COMISS", "1500"}, {"IS_ECHEQUE", "0"}};

// The sender's completion of a payment script.
void complete(Checks& checks) {
    checks.setTaxType(6);
    checks.setPaymentType(0);
    checks.setParameters(kParameters);
}

// The calls of a run before its cheques: the first cheque's attributes go
// to the device ahead of the shift check.
void expectDeviceReady(MockCash& cash) {
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, SetParameters(_)).WillOnce(Return(0));
    EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Return(1));
}

// The same for printouts (separate mode), which open no shift document.
void expectPrintoutsReady(MockCash& cash) {
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Return(1));
}

// The calls that open one receipt of the given kind.
void expectOpen(MockCash& cash, int kind, int taxType = 6) {
    EXPECT_CALL(cash, SetTaxType(taxType));
    EXPECT_CALL(cash, SetPaymentType(0));
    EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
    EXPECT_CALL(cash, CheckState()).WillOnce(Return(0));
    EXPECT_CALL(cash, NewCheck(kind)).WillOnce(Return(0));
}

std::string letters(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

}  // namespace

TEST(NormalMode, StandardSale) {
    Checks checks(paymentScript("4711", "123.45"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("Номер перевода: 4711")).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 12345u, 1000, 0, 0)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(12345u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(NormalMode, StandardReturn) {
    Checks checks(paymentScript("4711", "1.00", 2) + "\r\n~dep Услуга");
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 2);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("Номер перевода: 4711")).WillOnce(Return(0));
        EXPECT_CALL(cash, Return("Услуга", 100u, 1000)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(100u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(NormalMode, SlipDocumentIgnoresPrintSlipFailure) {
    Checks checks(chequeScript("~dep slip ~srv 1 2.50 ~pay 1 2.50", 4));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 4);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, PrintSlip("slip", 250u, 1000, 0)).WillOnce(Return(99));
        EXPECT_CALL(cash, CloseCheck(250u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(NormalMode, OpenReceiptIsCancelledFirst) {
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        EXPECT_CALL(cash, SetTaxType(6));
        EXPECT_CALL(cash, SetPaymentType(0));
        EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(1));
        EXPECT_CALL(cash, CancelCheck()).WillOnce(Return(0));
        EXPECT_CALL(cash, NewCheck(1)).WillOnce(Return(0));
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 100u, 1000, 0, 0)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(100u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(NormalMode, FailingCancelEndsTheRun) {
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        EXPECT_CALL(cash, SetTaxType(6));
        EXPECT_CALL(cash, SetPaymentType(0));
        EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(2));
        EXPECT_CALL(cash, CancelCheck()).WillOnce(Return(7));
    }
    EXPECT_EQ(checks.Execute(cash), 7);
}

TEST(NormalMode, ClosedShiftGivesThreeAndNothingElse) {
    for (int session : {0, 99, 2}) {
        Checks checks(paymentScript("1", "1.00"));
        StrictMock<MockCash> cash;
        InSequence order;
        EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
        EXPECT_CALL(cash, SetParameters(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Return(session));
        EXPECT_EQ(checks.Execute(cash), 3) << session;
    }
}

// The cashier of a shift that IsSessionOpen opens comes from the first
// cheque's attributes, which the device has before it is asked.
TEST(NormalMode, FirstChequesAttributesReachTheDeviceBeforeTheShift) {
    Checks checks(paymentScript("4711", "123.45"));
    complete(checks);
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
    EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Return(0));
    EXPECT_EQ(checks.Execute(cash), 3);
}

TEST(NormalMode, DeviceNotReadyPassesItsCode) {
    Checks checks(paymentScript("1", "1.00"));
    StrictMock<MockCash> cash;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(2));
    EXPECT_EQ(checks.Execute(cash), 2);
}

TEST(NormalMode, EmptyChequeLeavesReceiptOpenWithOne) {
    Checks checks(chequeScript("~srv 1 0 ~pay 1 0"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
    }
    EXPECT_EQ(checks.Execute(cash), 1);
}

TEST(NormalMode, NewCheckFailureEndsTheRun) {
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        EXPECT_CALL(cash, SetTaxType(6));
        EXPECT_CALL(cash, SetPaymentType(0));
        EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(0));
        EXPECT_CALL(cash, NewCheck(1)).WillOnce(Return(6));
    }
    EXPECT_EQ(checks.Execute(cash), 6);
}

TEST(NormalMode, CloseCheckFailureEndsTheRun) {
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(100u, 1)).WillOnce(Return(5));
    }
    EXPECT_EQ(checks.Execute(cash), 5);
}

TEST(Wrapping, FortyFiveCharactersWithABlankAtTwentyNine) {
    const std::string line = letters(29) + " " + letters(15);
    ASSERT_EQ(line.size(), 45u);
    Checks checks(chequeScript("~hdr " + line + " ~srv 1 1"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(line.substr(0, 30))).WillOnce(Return(0));
        EXPECT_CALL(cash, Print(line.substr(30))).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 100u, 1000, 0, 0)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(Wrapping, HundredCharactersWithoutBlanks) {
    const std::string line = letters(100);
    Checks checks(chequeScript("~hdr " + line + " ~srv 1 1"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(line.substr(0, 40))).WillOnce(Return(0));
        EXPECT_CALL(cash, Print(line.substr(40, 40))).WillOnce(Return(0));
        EXPECT_CALL(cash, Print(line.substr(80))).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(Wrapping, ZeroOrNegativeMaximumPrintsWholeLines) {
    for (int max : {0, -1}) {
        const std::string line = letters(30) + " " + letters(30);
        Checks checks(chequeScript("~hdr " + line + " ~hdr ~srv 1 1"));
        complete(checks);
        StrictMock<MockCash> cash;
        {
            InSequence order;
            expectDeviceReady(cash);
            expectOpen(cash, 1);
            EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(max));
            EXPECT_CALL(cash, Print(line)).WillOnce(Return(0));
            EXPECT_CALL(cash, Print("")).WillOnce(Return(0));
            EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Return(0));
            EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
            EXPECT_CALL(cash, EndOperation());
            EXPECT_CALL(cash, Finish());
        }
        EXPECT_EQ(checks.Execute(cash), 0) << max;
    }
}

TEST(Wrapping, LineFunction) {
    std::vector<std::string> out;
    vorna::wrapLine("", 10, out);
    EXPECT_EQ(out, (std::vector<std::string>{""}));
    out.clear();
    vorna::wrapLine("abcdefghij", 10, out);
    EXPECT_EQ(out, (std::vector<std::string>{"abcdefghij"}));
    out.clear();
    vorna::wrapLine("ab cd ef gh", 5, out);
    EXPECT_EQ(out, (std::vector<std::string>{"ab ", "cd ", "ef gh"}));
    out.clear();
    vorna::wrapLine("     x", 2, out);
    EXPECT_EQ(out, (std::vector<std::string>{"  ", "  ", " x"}));
    out.clear();
    vorna::wrapLine("abc", 0, out);
    EXPECT_EQ(out, (std::vector<std::string>{"abc"}));
}

TEST(Printing, FailingPrintStopsTheCheque) {
    Checks checks(chequeScript("~hdr one ~hdr two ~srv 1 1"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("one")).WillOnce(Return(5));
    }
    EXPECT_EQ(checks.Execute(cash), 5);
}

TEST(Printing, NotForPrintLinesSkippedOnlyWithPositions) {
    const std::string hidden = std::string(vorna::NOT_FOR_PRINT) + "hidden";
    Checks withPositions(chequeScript("~hdr " + hidden + " ~hdr shown ~pos A^1^1 ~srv 1 1"));
    complete(withPositions);
    {
        StrictMock<MockCash> cash;
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("shown")).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("A", 100u, 1000, 0, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
        EXPECT_EQ(withPositions.Execute(cash), 0);
    }
    Checks withoutPositions(chequeScript("~hdr " + hidden + " ~srv 1 1"));
    complete(withoutPositions);
    {
        StrictMock<MockCash> cash;
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(hidden)).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 100u, 1000, 0, 0)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation());
        EXPECT_CALL(cash, Finish());
        EXPECT_EQ(withoutPositions.Execute(cash), 0);
    }
}

TEST(Positions, EveryPositionIsTriedAndCodesAddUp) {
    struct Case {
        int first, second, result;
    };
    for (const Case& k : {Case{5, 0, 5}, Case{5, 6, 11}, Case{0, 0, 0}}) {
        Checks checks(chequeScript("~pos Milk^10.50^1|Bread^5^2 ~srv 1 15.50 ~pay 1 20"));
        complete(checks);
        StrictMock<MockCash> cash;
        {
            InSequence order;
            expectDeviceReady(cash);
            expectOpen(cash, 1);
            EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
            EXPECT_CALL(cash, RegisterSale("Milk", 1050u, 1000, 0, 1)).WillOnce(Return(k.first));
            EXPECT_CALL(cash, RegisterSale("Bread", 500u, 1000, 0, 2)).WillOnce(Return(k.second));
            if (k.result == 0) {
                EXPECT_CALL(cash, CloseCheck(2000u, 1)).WillOnce(Return(0));
                EXPECT_CALL(cash, EndOperation());
                EXPECT_CALL(cash, Finish());
            }
        }
        EXPECT_EQ(checks.Execute(cash), k.result);
    }
}

TEST(Failures, ExceptionInSecondChequeIsNotSuccess) {
    MessageBoxRecorder boxes;
    Checks checks(paymentScript("1", "1.00") + "\x07&2 ~srv 1 2 ~pay 1 2");
    complete(checks);
    ASSERT_EQ(checks.size(), 2u);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 100u, 1000, 0, 0)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(100u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, SetTaxType(6));
        EXPECT_CALL(cash, SetPaymentType(0));
        EXPECT_CALL(cash, SetParameters(kParameters)).WillOnce(Return(0));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(0));
        EXPECT_CALL(cash, NewCheck(1)).WillOnce(Throw(std::runtime_error("device lost")));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(0));
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 99);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "device lost");
    EXPECT_EQ(boxes.boxes()[0].caption, "Ошибка");
}

TEST(Failures, CancelledReceiptIsCancelledAgainAndReported) {
    MessageBoxRecorder boxes;
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(100u, 1))
            .WillOnce(Throw(vorna::app_exception(vorna::SourceLocation{}, "Чек был аннулирован.")));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(1));
        EXPECT_CALL(cash, CancelCheck()).WillOnce(Return(0));
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 99);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Чек был аннулирован.");
}

TEST(Failures, FailingCancelAfterAnExceptionGivesItsCode) {
    MessageBoxRecorder boxes;
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Throw(std::logic_error("broken")));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(1));
        EXPECT_CALL(cash, CancelCheck()).WillOnce(Return(6));
    }
    EXPECT_EQ(checks.Execute(cash), 6);
    EXPECT_EQ(boxes.count(), 1u);
}

TEST(Failures, ExceptionFromEndOperationIsHandledInside) {
    MessageBoxRecorder boxes;
    Checks checks(chequeScript("~srv 1 1"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        expectOpen(cash, 1);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Return(0));
        EXPECT_CALL(cash, CloseCheck(0u, 1)).WillOnce(Return(0));
        EXPECT_CALL(cash, EndOperation()).WillOnce(Throw(std::runtime_error("end")));
        EXPECT_CALL(cash, CheckState()).WillOnce(Return(0));
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 99);
    EXPECT_EQ(boxes.count(), 1u);
}

TEST(Failures, ExceptionInTheHandlerEndsOutside) {
    MessageBoxRecorder boxes;
    Checks checks(paymentScript("1", "1.00"));
    complete(checks);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectDeviceReady(cash);
        EXPECT_CALL(cash, SetTaxType(6)).WillOnce(Throw(std::runtime_error("first")));
        EXPECT_CALL(cash, CheckState()).WillOnce(Throw(std::runtime_error("second")));
    }
    EXPECT_EQ(checks.Execute(cash), 99);
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, "first");
    EXPECT_EQ(boxes.boxes()[1].text, "second");
}

TEST(Failures, OuterHandler) {
    MessageBoxRecorder boxes;
    Checks checks(paymentScript("1", "1.00"));
    {
        StrictMock<MockCash> cash;
        EXPECT_CALL(cash, CheckKKT()).WillOnce(Throw(std::runtime_error("no port")));
        EXPECT_EQ(checks.Execute(cash), 99);
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "no port");
    }
    {
        StrictMock<MockCash> cash;
        EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
        EXPECT_CALL(cash, SetParameters(_)).WillOnce(Return(0));
        EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Throw(42));
        EXPECT_EQ(checks.Execute(cash), 99);
        EXPECT_EQ(boxes.count(), 1u);  // no box for a foreign exception
    }
}

TEST(SeparateMode, TwoChequesWithoutReceipts) {
    Checks checks(
        "\x01SEPARATE=YES\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2 ~hdr first ~srv 1 1 "
        "\x07&2 ~hdr second ~dep item ~srv 1 2 ~pay 1 2");
    complete(checks);
    ASSERT_EQ(checks.size(), 2u);
    StrictMock<MockCash> cash;
    {
        InSequence order;
        expectPrintoutsReady(cash);
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("first")).WillOnce(Return(0));
        EXPECT_CALL(cash, RegisterSale("", 100u, 1000, 0, 0)).WillOnce(Return(99));
        EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
        EXPECT_CALL(cash, Print("second")).WillOnce(Return(5));
        EXPECT_CALL(cash, Finish());
    }
    EXPECT_EQ(checks.Execute(cash), 0);
}

TEST(SeparateMode, ClosedShiftStillGivesThree) {
    Checks checks("\x01SEPARATE=YES\x01PRINTDOCLIST=\x07&2 ~srv 1 1");
    StrictMock<MockCash> cash;
    InSequence order;
    EXPECT_CALL(cash, CheckKKT()).WillOnce(Return(0));
    EXPECT_CALL(cash, IsSessionOpen()).WillOnce(Return(0));
    EXPECT_EQ(checks.Execute(cash), 3);
}

TEST(SeparateMode, ExceptionGivesNinetyNineWithABox) {
    MessageBoxRecorder boxes;
    Checks checks("\x01SEPARATE=YES\x01PRINTDOCLIST=\x07&2 ~srv 1 1");
    StrictMock<MockCash> cash;
    InSequence order;
    expectPrintoutsReady(cash);
    EXPECT_CALL(cash, GetMaxCashStringLength()).WillOnce(Return(40));
    EXPECT_CALL(cash, RegisterSale(_, _, _, _, _)).WillOnce(Throw(std::runtime_error("x")));
    EXPECT_EQ(checks.Execute(cash), 99);
    EXPECT_EQ(boxes.count(), 1u);
}
