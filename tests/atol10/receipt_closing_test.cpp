// The end of a receipt: payment, closing and the register's confirmation,
// cancelling; the precheque's end with its partial cut; printing a line.
#include <gtest/gtest.h>

#include <algorithm>

#include "cash/atol10/config.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

int count(const Lines& lines, const std::string& begin) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, begin.size(), begin) == 0;
    }));
}

nlohmann::json fault(const char* kind, const char* function, const char* timing, int error = 0) {
    nlohmann::json f = {{"kind", kind}, {"function", function}, {"timing", timing}};
    if (error != 0) f["error"] = error;
    return f;
}

class ReceiptClosing : public DriverTest {
protected:
    void openReceipt(int kind, unsigned price = 15050) {
        cash::Config::instance().autoShift = "Y";
        ASSERT_EQ(0, cash().CheckKKT());
        ASSERT_EQ(0, cash().NewCheck(kind));
        ASSERT_EQ(0, cash().RegisterSale("Перевод", price, 1000, 0, 1105));
        takeTrace();
        takeLog();
    }
    void injectFaults(const std::vector<nlohmann::json>& faults) {
        changeState([&](nlohmann::json& s) { s["faults"] = nlohmann::json(faults); });
    }
    int documents() {
        int n = 0;
        for (const nlohmann::json& entry : journal()) n += entry.value("type", "") == "receipt";
        return n;
    }
};

TEST_F(ReceiptClosing, CashSaleIsPaidClosedAndConfirmed) {
    openReceipt(1);
    EXPECT_EQ(0, cash().CloseCheck(20000, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::dataType) + ", 15)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_int(#h, " + id(param::receiptType) + ") = 1",
                     "libfptr_set_param_int(#h, " + id(param::paymentType) + ", 0)",
                     "libfptr_set_param_double(#h, " + id(param::paymentSum) + ", 200)",
                     "libfptr_payment(#h) = 0", "libfptr_close_receipt(#h) = 0",
                     "libfptr_check_document_closed(#h) = 0",
                     "libfptr_get_param_bool(#h, " + id(param::documentClosed) + ") = true",
                     "libfptr_set_param_int(#h, " + id(param::fnDataType) + ", 5)",
                     "libfptr_fn_query_data(#h) = 0"}),
              Lines(trace.begin(), trace.end() - 1));
    EXPECT_EQ(0u,
              trace.back().find("libfptr_get_param_int(#h, " + id(param::documentNumber) + ") = "));
    const std::string number = trace.back().substr(trace.back().rfind(' ') + 1);
    EXPECT_EQ(
        Lines({"   atol10->CheckState_  = 1", "   atol10->CloseCheck [payment] ==> ",
               "   CarryIn\t= 200", "   TypeClose = 0(Тип оплаты по-умолчанию НАЛ) ", "   ==> 0",
               "   atol10->CloseCheck [close_receipt] ==>", "   ==> 0", ">>> ФД № = " + number}),
        takeLog());
    ASSERT_EQ(1, documents());
    const nlohmann::json receipt = journal().back();
    EXPECT_EQ(150.5, receipt["total"].get<double>());
}

TEST_F(ReceiptClosing, CashlessPaymentTypeFromTheSettingsOrTheCaller) {
    openReceipt(1);
    cash().cashless_ = true;
    cash::Config::instance().cashlessTypeClose = 1;
    EXPECT_EQ(0, cash().CloseCheck(15050, 1));
    Lines trace = takeTrace();
    EXPECT_EQ(1, count(trace, "libfptr_set_param_int(#h, " + id(param::paymentType) + ", 1)"));
    Lines log = takeLog();
    EXPECT_EQ(Lines({"   atol10->CloseCheck [payment] ==>",
                     "   TypeClose = 1(Тип оплаты был взят из ini) "}),
              Lines(log.begin() + 1, log.begin() + 3));

    ASSERT_EQ(0, cash().NewCheck(1));
    ASSERT_EQ(0, cash().RegisterSale("Перевод", 15050, 1000, 0, 1105));
    cash().SetPaymentType(2);
    takeTrace();
    takeLog();
    EXPECT_EQ(0, cash().CloseCheck(15050, 1));
    EXPECT_EQ(1,
              count(takeTrace(), "libfptr_set_param_int(#h, " + id(param::paymentType) + ", 2)"));
    log = takeLog();
    EXPECT_EQ("   TypeClose = 2(Тип оплаты был передан параметром) ", log[2]);
    EXPECT_EQ(2, documents());
}

TEST_F(ReceiptClosing, ReturnReceiptPaysCashWithoutNote) {
    changeState([](nlohmann::json& s) { s["cashBalance"] = 100000; });
    openReceipt(2);
    EXPECT_EQ(0, cash().CloseCheck(15050, 1));
    EXPECT_EQ(1,
              count(takeTrace(), "libfptr_set_param_int(#h, " + id(param::paymentType) + ", 0)"));
    const Lines log = takeLog();
    EXPECT_EQ(Lines({"   atol10->CheckState_  = 2", "   atol10->CloseCheck [payment] ==>",
                     "   TypeClose = 0"}),
              Lines(log.begin(), log.begin() + 3));
    EXPECT_EQ(0, count(log, "   CarryIn"));
}

TEST_F(ReceiptClosing, UnconfirmedDocumentIsCancelledAndReportedAsFailure) {
    openReceipt(1);
    injectFaults({fault("unconfirmed", "libfptr_close_receipt", "before")});
    EXPECT_EQ(99, cash().CloseCheck(20000, 1));
    const Lines trace = takeTrace();
    // The register says the sale receipt is still open: it is cancelled.
    EXPECT_EQ(Lines({"libfptr_get_param_bool(#h, " + id(param::documentClosed) + ") = false",
                     "libfptr_set_param_int(#h, " + id(param::dataType) + ", 15)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_int(#h, " + id(param::receiptType) + ") = 1",
                     "libfptr_cancel_receipt(#h) = 0"}),
              Lines(trace.end() - 5, trace.end()));
    const Lines log = takeLog();
    EXPECT_EQ(Lines({"   atol10->CheckState_  = 1", "   atol10->CancelCheck [cancel_receipt] ==> ",
                     "   ==> 0"}),
              Lines(log.end() - 3, log.end()));
    EXPECT_EQ(0, documents());
    EXPECT_TRUE(readState()["receipt"].is_null());
}

// The register made the receipt fiscal but answers "not closed": the receipt
// is no longer open, so it is registered and must not be reported failed.
TEST_F(ReceiptClosing, UnconfirmedDocumentTheRegisterClosedIsRegistered) {
    openReceipt(1);
    injectFaults({fault("unconfirmed", "libfptr_close_receipt", "after")});
    EXPECT_EQ(0, cash().CloseCheck(20000, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(0, count(trace, "libfptr_cancel_receipt("));
    EXPECT_EQ(1, count(trace, "libfptr_get_param_int(#h, " + id(param::receiptType) + ") = 0"));
    const Lines log = takeLog();
    EXPECT_EQ(1, count(log,
                       "   atol10->CloseCheck: чек в ККТ не открыт - документ закрыт, чек "
                       "зарегистрирован"));
    EXPECT_EQ(1, count(log, ">>> ФД № = "));
    EXPECT_EQ(1, documents());
}

// The confirmation itself fails and the operator gives up asking: the
// receipt state decides, here closed, so the payment stands.
TEST_F(ReceiptClosing, ConfirmationGivenUpIsSettledByTheReceiptState) {
    openReceipt(1);
    injectFaults({fault("error", "libfptr_check_document_closed", "before", -3891)});
    answerBoxes({platform::cancel});
    EXPECT_EQ(0, cash().CloseCheck(20000, 1));
    EXPECT_EQ(1u, shownBoxes().size());
    EXPECT_EQ(0, count(takeTrace(), "libfptr_cancel_receipt("));
    EXPECT_EQ(1, documents());
}

TEST_F(ReceiptClosing, ConfirmationGivenUpWithTheReceiptStillOpenCancelsIt) {
    openReceipt(1);
    injectFaults({fault("error", "libfptr_close_receipt", "before", -3891),
                  fault("error", "libfptr_check_document_closed", "before", -3891)});
    answerBoxes({platform::cancel});
    EXPECT_EQ(99, cash().CloseCheck(20000, 1));
    EXPECT_EQ(1, count(takeTrace(), "libfptr_cancel_receipt(#h) = 0"));
    EXPECT_EQ(0, documents());
    EXPECT_TRUE(readState()["receipt"].is_null());
}

// The line goes down once the register has closed the receipt: nothing can be
// asked or cancelled, so the person is told the payment may be fiscal.
TEST_F(ReceiptClosing, LineDownAfterClosingLeavesTheReceiptAsItIsAndSaysSo) {
    useLegacyErrors();  // the older direct numbers in the log
    openReceipt(1);
    injectFaults({fault("connection_lost", "libfptr_close_receipt", "after")});
    answerBoxes({platform::cancel, platform::ok});
    EXPECT_EQ(99, cash().CloseCheck(20000, 1));
    ASSERT_EQ(2u, shownBoxes().size());
    EXPECT_EQ(
        "Нет связи с ККТ: неизвестно, зарегистрирован ли чек.\n"
        "Перед повтором оплаты проверьте последний документ ККТ.",
        shownBoxes()[1].text);
    EXPECT_EQ("Ошибка!", shownBoxes()[1].caption);
    EXPECT_EQ(platform::Buttons::ok, shownBoxes()[1].buttons);
    EXPECT_EQ(platform::Icon::error, shownBoxes()[1].icon);
    EXPECT_EQ(0, count(takeTrace(), "libfptr_cancel_receipt("));
    EXPECT_EQ(1, count(takeLog(),
                       "   atol10->CloseCheck: состояние чека в ККТ неизвестно ==> -11, "
                       "чек мог быть зарегистрирован"));
    EXPECT_EQ(1, documents());
}

TEST_F(ReceiptClosing, CarryInZeroIsSentAndTheUnpaidReceiptCancelled) {
    openReceipt(1);
    const int result = cash().CloseCheck(0, 1);
    const Lines trace = takeTrace();
    EXPECT_EQ(1, count(trace, "libfptr_set_param_double(#h, " + id(param::paymentSum) + ", 0)"));
    EXPECT_EQ(1, count(trace, "libfptr_cancel_receipt(#h) = 0"));
    EXPECT_EQ(99, result);
    EXPECT_EQ(0, documents());
}

TEST_F(ReceiptClosing, FailedCancelOfAnUnconfirmedDocumentReturnsItsCode) {
    useLegacyErrors();  // the older direct numbers in the log
    openReceipt(1);
    injectFaults({fault("unconfirmed", "libfptr_close_receipt", "before"),
                  fault("error", "libfptr_cancel_receipt", "before", -3807)});
    EXPECT_EQ(5, cash().CloseCheck(20000, 1));
}

TEST_F(ReceiptClosing, CloseFailureOfAConfirmedDocumentIsSuccess) {
    useLegacyErrors();  // the older direct numbers in the log
    openReceipt(1);
    injectFaults({fault("error", "libfptr_close_receipt", "after", -3891)});
    EXPECT_EQ(0, cash().CloseCheck(20000, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(0, count(trace, "libfptr_cancel_receipt("));
    EXPECT_EQ(1,
              count(trace, "libfptr_get_param_bool(#h, " + id(param::documentClosed) + ") = true"))
        << ::testing::PrintToString(trace);
    const Lines log = takeLog();
    EXPECT_EQ(1, count(log, "   close_receipt ==> -3891"));
    EXPECT_EQ(1, documents());
}

TEST_F(ReceiptClosing, ConfirmationIsAskedAgainOnTryAgain) {
    openReceipt(1);
    injectFaults({fault("error", "libfptr_check_document_closed", "before", -11)});
    answerBoxes({platform::tryAgain});
    EXPECT_EQ(0, cash().CloseCheck(20000, 1));
    ASSERT_EQ(1u, shownBoxes().size());
    EXPECT_EQ("Ошибка", shownBoxes()[0].caption);
    EXPECT_EQ(platform::Buttons::cancelTryContinue, shownBoxes()[0].buttons);
    EXPECT_EQ(platform::Icon::question, shownBoxes()[0].icon);
    const Lines log = takeLog();
    EXPECT_EQ(1, count(log, "   getErrorDescription: " + shownBoxes()[0].text));
    EXPECT_FALSE(shownBoxes()[0].text.empty());
    EXPECT_EQ(2, count(takeTrace(), "libfptr_check_document_closed("));
    EXPECT_EQ(1, documents());
}

TEST_F(ReceiptClosing, CancelCheckCancelsTheOpenReceipt) {
    openReceipt(1);
    EXPECT_EQ(0, cash().CancelCheck());
    EXPECT_EQ(Lines({"libfptr_cancel_receipt(#h) = 0"}), takeTrace());
    EXPECT_EQ(Lines({"   atol10->CancelCheck [cancel_receipt] ==> ", "   ==> 0"}), takeLog());
    EXPECT_EQ(99, cash().CancelCheck());  // nothing open any more
}

TEST_F(ReceiptClosing, PrintSendsTheLineAndLogsOnlyFailures) {
    openReceipt(1);
    EXPECT_EQ(0, cash().Print("Спасибо"));
    EXPECT_EQ(Lines({"libfptr_set_param_str(#h, " + id(param::text) + ", \"Спасибо\")",
                     "libfptr_print_text(#h) = 0"}),
              takeTrace());
    EXPECT_EQ(Lines({"   atol10->Print ==> Спасибо"}), takeLog());
    changeState([](nlohmann::json& s) { s["paper"] = false; });
    EXPECT_EQ(5, cash().Print("Спасибо"));
    // The binding logs the library's reason once; Print adds the result.
    const Lines log = takeLog();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("   atol10->Print ==> Спасибо", log[0]);
    EXPECT_EQ(0u, log[1].find("   libfptr_print_text: ошибка ")) << log[1];
    EXPECT_EQ(0u, log[2].find("   ==> -")) << log[2];
}

class PrechequeClosing : public ReceiptClosing {
protected:
    void openPrecheque(const char* firmware, int linesBeforeCut) {
        changeState([&](nlohmann::json& s) { s["status"]["firmwareVersion"] = firmware; });
        cash::Config::instance().linesBeforeCut = linesBeforeCut;
        cash::Config::instance().autoShift = "Y";
        ASSERT_EQ(0, cash().CheckKKT());
        cash().precheque_ = true;
        ASSERT_EQ(0, cash().NewCheck(1));
        takeTrace();
        takeLog();
    }
};

TEST_F(PrechequeClosing, OldFirmwareFeedsAndCuts) {
    openPrecheque("4.12.3", 3);
    EXPECT_EQ(0, cash().CloseCheck(0, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(3, count(trace, "libfptr_print_text(#h) = 0"));
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::cutType) + ", 1)",
                     "libfptr_cut(#h) = 0", "libfptr_end_nonfiscal_document(#h) = 0"}),
              Lines(trace.end() - 3, trace.end()));
    EXPECT_EQ(
        Lines({"   atol10->CloseCheck: печать пречека", "   Частичная отрезка ленты",
               "   firmwareVersion: 4.12.3", "   nPos: 1", "   firmWare: 4",
               "   Пропустить строк перед отрезкой: 3", "   atol10->Print ==> ",
               "   atol10->Print ==> ", "   atol10->Print ==> ", "   atol10->PartialCut ==> cut()",
               "   atol10->end_nonfiscal_document()", "   ==> 0"}),
        takeLog());
}

TEST_F(PrechequeClosing, NoLinesMeansNeitherFeedNorCut) {
    openPrecheque("4.12.3", 0);
    EXPECT_EQ(0, cash().CloseCheck(0, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(0, count(trace, "libfptr_print_text("));
    EXPECT_EQ(0, count(trace, "libfptr_cut("));
    EXPECT_EQ(1, count(takeLog(), "   Пропустить строк перед отрезкой: 0"));
}

TEST_F(PrechequeClosing, NewFirmwareCutsByItself) {
    openPrecheque("5.8.100", 3);
    EXPECT_EQ(0, cash().CloseCheck(0, 1));
    const Lines trace = takeTrace();
    EXPECT_EQ(0, count(trace, "libfptr_print_text("));
    EXPECT_EQ(0, count(takeLog(), "   Пропустить строк перед отрезкой"));
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
