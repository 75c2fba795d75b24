// Every injected fault, before the register's work and after it.
#include "emulator/faults.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

using emulator::makeFault;

class FaultsTest : public EmulatorTest {
protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        ASSERT_EQ(0, d_.connect());
        ASSERT_EQ(0, d_.openShift());
    }
    void addFault(const json& fault) {
        editState([&](json& s) { s["faults"].push_back(fault); });
    }
    std::size_t receipts() {
        std::size_t n = 0;
        for (const json& e : journal()) n += e["type"] == "receipt";
        return n;
    }
    int openWithPosition() {
        if (int e = d_.openReceipt(1)) return e;
        if (int e = d_.position("a", 10, 7)) return e;
        return d_.pay(0, 10);
    }
    Device d_;
};

TEST_F(FaultsTest, ChosenFunctionFailsOnceBeforeItsWork) {
    addFault(makeFault("error", "libfptr_close_receipt", "before", 1, -3999));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(-3999, d_.close());
    EXPECT_EQ(u8"Ошибка -3999", d_.errorText());
    EXPECT_EQ(0u, receipts());
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_FALSE(d_.getBool(param::documentClosed));
    EXPECT_EQ(0, d_.close()) << "the fault was used up";
    EXPECT_EQ(1u, receipts());
}

TEST_F(FaultsTest, ChosenFunctionFailsAfterItsWorkSoTheReceiptIsRegistered) {
    addFault(makeFault("error", "libfptr_close_receipt", "after", 1, 44));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(44, d_.close());
    EXPECT_EQ(1u, receipts()) << "closed and fiscalised, the reply was lost";
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_TRUE(d_.getBool(param::documentClosed));
    EXPECT_EQ(81, d_.call(d_.lib().libfptr_cancel_receipt));
}

TEST_F(FaultsTest, AnInjectedNumberOfAnInternalFailureStillKeepsTheWork) {
    addFault(makeFault("error", "libfptr_close_receipt", "after", 1, 499));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(499, d_.close());
    EXPECT_EQ(1u, receipts());
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_TRUE(d_.getBool(param::documentClosed));
}

TEST_F(FaultsTest, FailuresCountedNTimesOrAlways) {
    addFault(makeFault("error", "libfptr_print_text", "before", 2, -3900));
    EXPECT_EQ(-3900, d_.printText("1"));
    EXPECT_EQ(-3900, d_.printText("2"));
    EXPECT_EQ(0, d_.printText("3"));
    addFault(makeFault("error", "libfptr_print_text", "before", -1, -3901));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(-3901, d_.printText("x"));
    EXPECT_EQ(1u, state()["faults"].size());
    addFault(makeFault("error", "libfptr_report", "before", 1, -3902, 1));
    EXPECT_EQ(0, d_.report(1)) << "skipped once";
    EXPECT_EQ(-3902, d_.report(1));
}

TEST_F(FaultsTest, ThrowingBeforeAndAfter) {
    addFault(makeFault("throw", "libfptr_payment", "before"));
    ASSERT_EQ(0, d_.openReceipt(1));
    ASSERT_EQ(0, d_.position("a", 10, 7));
    d_.setInt(param::paymentType, 0);
    d_.setDouble(param::paymentSum, 10);
    EXPECT_THROW(d_.lib().libfptr_payment(d_.handle()), std::exception);
    EXPECT_EQ(401, d_.close()) << "the payment was not made";
    addFault(makeFault("throw", "libfptr_payment", "after"));
    EXPECT_THROW(d_.pay(0, 10), std::exception);
    EXPECT_EQ(0, d_.close()) << "the payment was made before the exception";
    addFault(makeFault("throw", "libfptr_set_param_int", "before"));
    EXPECT_THROW(d_.setInt(param::dataType, dt::status), std::exception);
}

TEST_F(FaultsTest, PaperOutNow) {
    editState([](json& s) { s["paper"] = false; });
    EXPECT_EQ(44, openWithPosition());
    EXPECT_EQ(0u, receipts());
}

TEST_F(FaultsTest, PaperRunsOutInsideAReceiptAfterItsRegistration) {
    editState([](json& s) {
        s["paperLinesLeft"] = 5;
        s["paperOutTiming"] = "after";
    });
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(44, d_.close());
    EXPECT_EQ(1u, receipts());
    ASSERT_EQ(0, d_.query(dt::status));
    EXPECT_FALSE(d_.getBool(param::isPaperPresent));
    EXPECT_EQ(44, d_.printText("x"));
}

TEST_F(FaultsTest, PaperRunningOutBeforeTheReceiptRefusesIt) {
    editState([](json& s) {
        s["paperLinesLeft"] = 5;
        s["paperOutTiming"] = "before";
    });
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(44, d_.close());
    EXPECT_EQ(0u, receipts());
    ASSERT_EQ(0, d_.query(dt::receiptState));
    EXPECT_EQ(1, d_.getInt(param::receiptType)) << "still open, it can be cancelled";
}

TEST_F(FaultsTest, PaperLastsExactlyNLines) {
    editState([](json& s) { s["paperLinesLeft"] = 2; });
    EXPECT_EQ(0, d_.printText("line one"));
    EXPECT_EQ(0, d_.printText("line two"));
    EXPECT_EQ(44, d_.printText("line three"));
    EXPECT_NE(std::string::npos, tape().find("line two\n"));
    EXPECT_EQ(std::string::npos, tape().find("line three"));
}

TEST_F(FaultsTest, PaperOutAndCoverOpenAsFaultsOfAFunction) {
    addFault(makeFault("paper_out", "libfptr_close_receipt", "after"));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(44, d_.close());
    EXPECT_EQ(1u, receipts());
    editState([](json& s) { s["paper"] = true; });
    addFault(makeFault("cover_open", "libfptr_open_receipt", "before"));
    EXPECT_EQ(45, d_.openReceipt(1));
    EXPECT_EQ(45, d_.openReceipt(1)) << "the cover stays open";
    editState([](json& s) { s["coverOpen"] = false; });
    addFault(makeFault("cover_open", "libfptr_print_text", "after"));
    EXPECT_EQ(45, d_.printText(u8"напечатано"));
    EXPECT_NE(std::string::npos, tape().find(u8"напечатано\n"));
}

TEST_F(FaultsTest, ConnectionRefused) {
    editState([](json& s) { s["connectionRefused"] = true; });
    Device other;
    EXPECT_EQ(2, other.connect());
    EXPECT_EQ(0, other.call(other.lib().libfptr_is_opened));
    EXPECT_EQ(2, other.query(dt::status));
}

TEST_F(FaultsTest, ConnectionRefusedAfterOpeningLosesOnlyTheReply) {
    addFault(makeFault("error", "libfptr_open", "after", -1, 2));
    Device other;
    EXPECT_EQ(2, other.connect());
    EXPECT_EQ(1, other.call(other.lib().libfptr_is_opened));
}

TEST_F(FaultsTest, ConnectionLostAfterNCallsBeforeTheWork) {
    addFault(makeFault("connection_lost", "*", "before", 1, 0, 3));
    ASSERT_EQ(0, d_.openReceipt(1));        // 1
    ASSERT_EQ(0, d_.position("a", 10, 7));  // 2
    ASSERT_EQ(0, d_.pay(0, 10));            // 3
    EXPECT_EQ(2, d_.close());               // lost
    EXPECT_EQ(0u, receipts());
    EXPECT_EQ(0, d_.call(d_.lib().libfptr_is_opened));
    Device other;
    EXPECT_EQ(2, other.connect()) << "lost until cleared";
    editState([](json& s) { s["connectionLost"] = false; });
    ASSERT_EQ(0, other.connect());
    EXPECT_EQ(0, other.close());
    EXPECT_EQ(1u, receipts());
}

TEST_F(FaultsTest, ConnectionLostAfterTheWork) {
    addFault(makeFault("connection_lost", "*", "after", 1, 0, 3));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(2, d_.close());
    EXPECT_EQ(1u, receipts()) << "registered, then the line went down";
    EXPECT_EQ(2, d_.query(dt::status));
}

TEST_F(FaultsTest, UnconfirmedBeforeLeavesTheReceiptOpen) {
    addFault(makeFault("unconfirmed", "libfptr_close_receipt", "before"));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(0, d_.close());
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_FALSE(d_.getBool(param::documentClosed));
    EXPECT_EQ(0, d_.call(d_.lib().libfptr_cancel_receipt));
    EXPECT_EQ(0u, receipts());
}

TEST_F(FaultsTest, UnconfirmedAfterRegistersTheReceiptAndDeniesIt) {
    addFault(makeFault("unconfirmed", "libfptr_close_receipt", "after"));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(0, d_.close());
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_FALSE(d_.getBool(param::documentClosed));
    EXPECT_EQ(81, d_.call(d_.lib().libfptr_cancel_receipt));
    EXPECT_EQ(1u, receipts()) << "the duplicate-receipt case: registered although denied";
    // A driver that retries registers the same sale twice.
    ASSERT_EQ(0, openWithPosition());
    ASSERT_EQ(0, d_.close());
    EXPECT_EQ(2u, receipts());
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_TRUE(d_.getBool(param::documentClosed));
}

TEST_F(FaultsTest, ConfirmationItselfCanFail) {
    addFault(makeFault("error", "libfptr_check_document_closed", "before", 2, -3850));
    ASSERT_EQ(0, openWithPosition());
    ASSERT_EQ(0, d_.close());
    EXPECT_EQ(-3850, d_.call(d_.lib().libfptr_check_document_closed));
    EXPECT_EQ(-3850, d_.call(d_.lib().libfptr_check_document_closed));
    EXPECT_EQ(0, d_.call(d_.lib().libfptr_check_document_closed));
    EXPECT_TRUE(d_.getBool(param::documentClosed));
}

TEST_F(FaultsTest, FaultWithoutANumberFailsWithTheInjectedFailure) {
    addFault({{"kind", "error"}, {"function", "libfptr_cut"}});
    EXPECT_EQ(491, d_.call(d_.lib().libfptr_cut));
    EXPECT_EQ(u8"Сбой, заданный в эмуляторе", d_.errorText());
    EXPECT_EQ(0, d_.call(d_.lib().libfptr_cut));
}

TEST_F(FaultsTest, AnAfterFaultWaitsWhenTheWorkItselfFails) {
    addFault(makeFault("error", "libfptr_close_receipt", "after", 1, 44));
    EXPECT_EQ(81, d_.close()) << "no receipt: nothing done, no reply to lose";
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(44, d_.close());
    EXPECT_EQ(1u, receipts());
}

TEST_F(FaultsTest, ReplyLostAfterTheWorkWithTheConnectionLostNumber) {
    addFault(makeFault("reply_lost", "libfptr_close_receipt", "before"));
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(-1, d_.lib().libfptr_close_receipt(d_.handle()));
    EXPECT_EQ(241, d_.lib().libfptr_error_code(d_.handle()));
    EXPECT_EQ(u8"Связь с ККТ потеряна во время операции", d_.errorText());
    EXPECT_EQ(1u, receipts()) << "a reply is lost only after the work";
    ASSERT_EQ(0, d_.lib().libfptr_check_document_closed(d_.handle()));
    EXPECT_TRUE(d_.getBool(param::documentClosed));
    EXPECT_EQ(1, d_.lib().libfptr_is_opened(d_.handle())) << "the line is up again";
}

TEST_F(FaultsTest, ReplyLostWaitsWhenTheWorkItselfFails) {
    addFault(makeFault("reply_lost", "libfptr_close_receipt", "after"));
    EXPECT_EQ(81, d_.close());
    ASSERT_EQ(0, openWithPosition());
    EXPECT_EQ(241, d_.close());
    EXPECT_EQ(1u, receipts());
}

// A "crash" fault is a real access violation: only a caller that guards its
// calls survives it, so these run the crashing call in a child process.
class CrashFaultTest : public EmulatorTest {
protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        if (platform::pathSeparator() == '\\')
            GTEST_SKIP() << "an unguarded crash of a Windows child process would go to the "
                            "system's crash handler; the full-path tests crash through the "
                            "driver's guard instead";
        editState([](json& s) { s["trace"] = true; });
    }
    void addFault(const json& fault) {
        editState([&](json& s) { s["faults"].push_back(fault); });
    }
    std::string tracedLine(const std::string& function) {
        for (const std::string& line : traceLines())
            if (line.rfind(function + "(", 0) == 0 && line.find("crashed") != std::string::npos)
                return line;
        return std::string();
    }
};

TEST_F(CrashFaultTest, BeforeTheWorkTheRegisterDoesNothingAndIsLeftUnlocked) {
    addFault(makeFault("crash", "libfptr_registration", "before"));
    std::string out;
    EXPECT_NE(0, runProgram("emulator_cash_sale", "--price 10", &out)) << out;
    EXPECT_EQ(std::string::npos, out.find("document")) << out;
    EXPECT_EQ("libfptr_registration(#1) crashed (access violation before the work)",
              tracedLine("libfptr_registration"));
    const json s = state();
    EXPECT_TRUE(s["faults"].empty()) << "the fault was used up before the crash";
    ASSERT_TRUE(s["receipt"].is_object());
    EXPECT_TRUE(s["receipt"]["positions"].empty()) << "nothing registered";
    // The lock is free and the register answers the next caller.
    Device d;
    ASSERT_EQ(0, d.connect());
    EXPECT_EQ(0, d.call(d.lib().libfptr_cancel_receipt));
    EXPECT_EQ(0, d.call(d.lib().libfptr_close));
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--price 10", &out)) << out;
}

TEST_F(CrashFaultTest, AfterTheWorkTheReceiptIsRegisteredAndSaved) {
    addFault(makeFault("crash", "libfptr_close_receipt", "after"));
    std::string out;
    EXPECT_NE(0, runProgram("emulator_cash_sale", "--price 10", &out)) << out;
    EXPECT_EQ("libfptr_close_receipt(#1) crashed (access violation after the work)",
              tracedLine("libfptr_close_receipt"));
    std::size_t receipts = 0;
    for (const json& e : journal()) receipts += e["type"] == "receipt";
    EXPECT_EQ(1u, receipts);
    EXPECT_TRUE(state()["receipt"].is_null());
    ASSERT_EQ(0, runProgram("emulator_cash_sale", "--price 10", &out)) << out;
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
