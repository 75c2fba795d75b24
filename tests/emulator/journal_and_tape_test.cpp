// What the register registered (journal) and printed (tape) for each kind of
// document.
#include <cstdio>

#include "emulator/state_store.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class JournalAndTapeTest : public EmulatorTest {
protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        ASSERT_EQ(0, d_.connect());
        ASSERT_EQ(0, d_.login(u8"Петрова А.А.", "500100732259"));
        ASSERT_EQ(0, d_.lib().libfptr_open_shift(d_.handle()));
    }
    Device d_;
};

TEST_F(JournalAndTapeTest, ShiftOpening) {
    std::vector<json> j = journal();
    ASSERT_EQ(1u, j.size());
    EXPECT_EQ("open_shift", j[0]["type"]);
    EXPECT_EQ(1, j[0]["document"]);
    EXPECT_EQ(1, j[0]["shift"]);
    EXPECT_EQ(u8"Петрова А.А.", j[0]["operator"]["name"]);
    EXPECT_NE(std::string::npos, tape().find(u8"ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"));
    EXPECT_NE(std::string::npos, tape().find(u8"КАССИР Петрова А.А."));
}

TEST_F(JournalAndTapeTest, CompleteCashSale) {
    d_.setInt(1057, 0);
    ASSERT_EQ(0, d_.openReceipt(1));
    ASSERT_EQ(0, d_.printText(u8"Перевод № 42"));
    ASSERT_EQ(0, d_.position(u8"Приём перевода", 1500.75, 7));
    ASSERT_EQ(0, d_.pay(0, 1600));
    ASSERT_EQ(0, d_.close());
    std::vector<json> j = journal();
    ASSERT_EQ(2u, j.size());
    const json& r = j[1];
    EXPECT_EQ("receipt", r["type"]);
    EXPECT_EQ(2, r["document"]);
    EXPECT_EQ(1, r["receiptType"]);
    EXPECT_EQ(1, r["receiptNumber"]);
    EXPECT_EQ(false, r["electronic"]);
    EXPECT_DOUBLE_EQ(1500.75, r["total"].get<double>());
    EXPECT_DOUBLE_EQ(99.25, r["change"].get<double>());
    EXPECT_EQ(u8"Петрова А.А.", r["1021"]);
    EXPECT_EQ("500100732259", r["1203"]);
    EXPECT_EQ(0, r["1057"]);
    ASSERT_EQ(1u, r["positions"].size());
    const json& p = r["positions"][0];
    EXPECT_EQ(u8"Приём перевода", p["name"]);
    EXPECT_DOUBLE_EQ(1500.75, p["price"].get<double>());
    EXPECT_DOUBLE_EQ(1.0, p["quantity"].get<double>());
    EXPECT_DOUBLE_EQ(1500.75, p["sum"].get<double>());
    EXPECT_EQ(7, p["taxType"]);
    EXPECT_EQ(u8"НДС 20%", p["tax"]);
    EXPECT_EQ(4, p["paymentObject"]);
    EXPECT_EQ(4, p["paymentMethod"]);
    ASSERT_EQ(1u, r["payments"].size());
    EXPECT_EQ(0, r["payments"][0]["type"]);
    EXPECT_DOUBLE_EQ(1600, r["payments"][0]["sum"].get<double>());

    const std::string t = tape();
    const std::size_t text = t.find(u8"Перевод № 42\n");
    const std::size_t title = t.find(u8"КАССОВЫЙ ЧЕК 1  ПРИХОД\n");
    ASSERT_NE(std::string::npos, text);
    ASSERT_NE(std::string::npos, title);
    EXPECT_LT(text, title) << "the text line is printed when it is sent";
    EXPECT_NE(std::string::npos, t.find(u8"  1 x 1500.75 = 1500.75  НДС 20%\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ИТОГ 1500.75\n"));
    EXPECT_NE(std::string::npos, t.find(u8"НАЛИЧНЫМИ 1600.00\n"));
    EXPECT_NE(std::string::npos, t.find(u8"СДАЧА 99.25\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ФН ФД 2 ФП "));
}

TEST_F(JournalAndTapeTest, SaleReturn) {
    ASSERT_EQ(0, d_.cashSale("a", 300));
    ASSERT_EQ(0, d_.openReceipt(2));
    ASSERT_EQ(0, d_.position(u8"Возврат перевода", 120, 6));
    ASSERT_EQ(0, d_.pay(0, 120));
    ASSERT_EQ(0, d_.close());
    const json r = journal().back();
    EXPECT_EQ(2, r["receiptType"]);
    EXPECT_EQ(3, r["document"]);
    EXPECT_EQ(2, r["receiptNumber"]);
    EXPECT_DOUBLE_EQ(120, r["total"].get<double>());
    EXPECT_EQ(6, r["positions"][0]["taxType"]);
    EXPECT_NE(std::string::npos, tape().find(u8"КАССОВЫЙ ЧЕК 2  ВОЗВРАТ ПРИХОДА\n"));
    EXPECT_NE(std::string::npos, tape().find(u8"БЕЗ НДС"));
    // A return paid in cash needs the cash in the drawer.
    ASSERT_EQ(0, d_.openReceipt(2));
    ASSERT_EQ(0, d_.position("b", 500, 6));
    ASSERT_EQ(0, d_.pay(0, 500));
    EXPECT_EQ(400, d_.close()) << "not enough cash";
}

TEST_F(JournalAndTapeTest, ElectronicReceiptIsRegisteredButNotPrinted) {
    const std::string before = tape();
    ASSERT_EQ(0, d_.openReceipt(1, true, "client@example.ru"));
    ASSERT_EQ(0, d_.position("a", 10, 2));
    ASSERT_EQ(0, d_.pay(1, 10));
    ASSERT_EQ(0, d_.close());
    const json r = journal().back();
    EXPECT_EQ("receipt", r["type"]);
    EXPECT_EQ(true, r["electronic"]);
    EXPECT_EQ("client@example.ru", r["1008"]);
    EXPECT_EQ(1, r["payments"][0]["type"]);
    EXPECT_EQ(before, tape());
}

TEST_F(JournalAndTapeTest, CancelledReceiptIsPrintedAsCancelledAndNotRegistered) {
    ASSERT_EQ(0, d_.openReceipt(1));
    ASSERT_EQ(0, d_.position("a", 10, 7));
    ASSERT_EQ(0, d_.lib().libfptr_cancel_receipt(d_.handle()));
    EXPECT_EQ(1u, journal().size()) << "only the shift opening";
    EXPECT_NE(std::string::npos, tape().find(u8"ЧЕК АННУЛИРОВАН\n"));
    ASSERT_EQ(0, d_.query(dt::revenue));
    EXPECT_DOUBLE_EQ(0, d_.getDouble(param::sum));
}

TEST_F(JournalAndTapeTest, XAndZReports) {
    ASSERT_EQ(0, d_.cashSale("a", 100));
    ASSERT_EQ(0, d_.cashIncome(50));
    ASSERT_EQ(0, d_.cashOutcome(30));
    ASSERT_EQ(0, d_.report(1));
    ASSERT_EQ(0, d_.report(0));
    std::vector<json> j = journal();
    ASSERT_EQ(6u, j.size());
    EXPECT_EQ("cash_income", j[2]["type"]);
    EXPECT_DOUBLE_EQ(50, j[2]["sum"].get<double>());
    EXPECT_EQ("cash_outcome", j[3]["type"]);
    EXPECT_DOUBLE_EQ(30, j[3]["sum"].get<double>());
    for (int i : {4, 5}) {
        EXPECT_EQ(i == 4 ? "x_report" : "z_report", j[i]["type"]);
        EXPECT_EQ(i + 1, j[i]["document"]);
        EXPECT_EQ(1, j[i]["receipts"]);
        EXPECT_DOUBLE_EQ(100, j[i]["revenue"].get<double>());
        EXPECT_DOUBLE_EQ(50, j[i]["cashIn"].get<double>());
        EXPECT_DOUBLE_EQ(30, j[i]["cashOut"].get<double>());
        EXPECT_DOUBLE_EQ(120, j[i]["cashBalance"].get<double>());
    }
    const std::string t = tape();
    EXPECT_NE(std::string::npos, t.find(u8"X-ОТЧЕТ (БЕЗ ГАШЕНИЯ)\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ВЫРУЧКА 100.00\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ВНЕСЕНИЕ\n"));
    EXPECT_NE(std::string::npos, t.find(u8"ВЫПЛАТА\n"));
}

TEST_F(JournalAndTapeTest, TextIsWrappedAtTheLineLengthAndCutsAreMarked) {
    ASSERT_EQ(0, d_.printText(std::string(50, 'a')));
    d_.setInt(param::cutType, 1);
    ASSERT_EQ(0, d_.lib().libfptr_cut(d_.handle()));
    const std::string t = tape();
    EXPECT_NE(std::string::npos, t.find(std::string(48, 'a') + "\naa\n"));
    EXPECT_NE(std::string::npos, t.find(u8"частичная отрезка"));
}

TEST_F(JournalAndTapeTest, ReceiptLevelAgentTagsAreJournalled) {
    d_.setInt(1057, 2);
    d_.setText(1026, u8"АО Оператор");
    d_.setText(1044, u8"Перевод");
    d_.setText(1073, "+74951112233");
    ASSERT_EQ(0, d_.openReceipt(1));
    ASSERT_EQ(0, d_.position("a", 5, 7));
    ASSERT_EQ(0, d_.pay(0, 5));
    ASSERT_EQ(0, d_.close());
    const json r = journal().back();
    EXPECT_EQ(2, r["1057"]);
    EXPECT_EQ(u8"АО Оператор", r["1026"]);
    EXPECT_EQ(u8"Перевод", r["1044"]);
    EXPECT_EQ("+74951112233", r["1073"]);
}

TEST_F(JournalAndTapeTest, NonfiscalDocumentIsPrintedOnly) {
    ASSERT_EQ(0, d_.lib().libfptr_begin_nonfiscal_document(d_.handle()));
    ASSERT_EQ(0, d_.printText(u8"Пречек: перевод 100.00"));
    ASSERT_EQ(0, d_.lib().libfptr_end_nonfiscal_document(d_.handle()));
    EXPECT_EQ(1u, journal().size());
    const std::string t = tape();
    const std::size_t text = t.find(u8"Пречек: перевод 100.00\n");
    ASSERT_NE(std::string::npos, text);
    EXPECT_LT(text, t.find(u8"НЕФИСКАЛЬНЫЙ ДОКУМЕНТ\n"));
}

// The fiscal storage's document queries answer from the journal.
TEST_F(JournalAndTapeTest, FiscalStorageDocumentQueries) {
    ASSERT_EQ(0, d_.cashSale("a", 123.45));
    ASSERT_EQ(0, d_.cashSale("b", 300));
    ASSERT_EQ(0, d_.openReceipt(2));
    ASSERT_EQ(0, d_.position("b", 300, 7));
    ASSERT_EQ(0, d_.pay(0, 300));
    ASSERT_EQ(0, d_.close());
    const std::vector<json> j = journal();
    ASSERT_EQ(4u, j.size());

    ASSERT_EQ(0, d_.fnQuery(fndt::lastDocument));
    EXPECT_EQ(4, d_.getInt(param::documentNumber));
    EXPECT_EQ(3, d_.getInt(param::fnDocumentType));
    EXPECT_EQ(2, d_.getInt(tag::operationType));

    d_.setInt(param::documentNumber, 2);
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_EQ(2, d_.getInt(param::documentNumber));
    EXPECT_EQ(3, d_.getInt(param::fnDocumentType));
    EXPECT_EQ(1, d_.getInt(tag::operationType));
    EXPECT_EQ(1, d_.getInt(param::receiptNumber));
    EXPECT_DOUBLE_EQ(123.45, d_.getDouble(tag::total));
    EXPECT_DOUBLE_EQ(123.45, d_.getDouble(param::receiptSum));
    EXPECT_EQ(std::to_string(j[1]["fiscalSign"].get<std::int64_t>()),
              d_.getText(param::fiscalSign));
    EXPECT_EQ(j[1]["time"].get<std::string>(), d_.getDateTime(param::dateTime));

    d_.setInt(param::documentNumber, 1);
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_EQ(2, d_.getInt(param::fnDocumentType)) << "the shift opening report";

    ASSERT_EQ(0, d_.fnQuery(fndt::lastReceipt));
    EXPECT_EQ(4, d_.getInt(param::documentNumber));
    EXPECT_DOUBLE_EQ(300, d_.getDouble(tag::total));

    d_.setInt(param::documentNumber, 3);
    ASSERT_EQ(0, d_.fnQuery(fndt::ticketByNumber));
    EXPECT_EQ(3, d_.getInt(param::documentNumber));
    EXPECT_FALSE(d_.getBool(param::ticketArrived));

    d_.setInt(param::documentNumber, 99);
    EXPECT_NE(0, d_.fnQuery(fndt::documentByNumber)) << "no such document";
    EXPECT_NE(0, d_.fnQuery(fndt::ticketByNumber));
}

// The queries read the journal from its end: in a journal longer than the
// first tail read (64 KiB) the newest documents and the oldest are found,
// and the journal's lines are exactly the documents made.
TEST_F(JournalAndTapeTest, FiscalStorageQueriesInALongJournal) {
    int sales = 0;
    while (readFile(file(emulator::kJournalFileName)).size() < 200 * 1024) {
        ASSERT_EQ(0, d_.cashSale("sale " + std::to_string(sales), 1 + sales));
        ++sales;
    }
    const int documents = sales + 1;  // and the shift opening
    ASSERT_EQ(static_cast<std::size_t>(documents), journal().size());

    ASSERT_EQ(0, d_.fnQuery(fndt::lastDocument));
    EXPECT_EQ(documents, d_.getInt(param::documentNumber));
    ASSERT_EQ(0, d_.fnQuery(fndt::lastReceipt));
    EXPECT_DOUBLE_EQ(sales, d_.getDouble(tag::total)) << "the last receipt";

    d_.setInt(param::documentNumber, 2);
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_DOUBLE_EQ(1, d_.getDouble(tag::total)) << "the first receipt";
    d_.setInt(param::documentNumber, 1);
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_EQ(2, d_.getInt(param::fnDocumentType)) << "the shift opening report";
    d_.setInt(param::documentNumber, documents + 1);
    EXPECT_NE(0, d_.fnQuery(fndt::documentByNumber)) << "no such document";
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
