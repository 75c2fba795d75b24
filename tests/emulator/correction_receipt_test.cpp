// Correction receipts as the library takes them: the basis 1174 formed with
// libfptr_util_form_tlv from the date 1178, receipt types 7 and 8 with 1173,
// the tape and the journal, the document query; and the refusals of a strict
// register (no 1173 or 1174, a date after today, FFD below 1.2).
#include <cstdio>

#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

constexpr int kInvalidParameter = 405;

class CorrectionReceiptTest : public EmulatorTest {
protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        ASSERT_EQ(0, runTool("init --ffd 1.2"));
        ASSERT_EQ(0, d_.connect());
        ASSERT_EQ(0, d_.login(u8"Петрова А.А."));
        ASSERT_EQ(0, d_.lib().libfptr_open_shift(d_.handle()));
        platform::DateTime now;
        platform::localTime(now);
        year_ = now.year;
        month_ = now.month;
        day_ = now.day;
    }

    // 1174 as the library forms it of 1178 (a date, time 00:00:00).
    std::string basis(int year, int month, int day) {
        d_.lib().libfptr_set_param_datetime(d_.handle(), tag::correctionDate, year, month, day, 0,
                                            0, 0);
        EXPECT_EQ(0, d_.call(d_.lib().libfptr_util_form_tlv));
        return d_.getBytes(param::tagValue);
    }

    int openCorrection(int type, const std::string& base, bool withType = true) {
        if (withType) d_.setInt(tag::correctionType, correctionType::self);
        if (!base.empty()) d_.setBytes(tag::correctionBase, base);
        return d_.openReceipt(type);
    }

    std::string isoDate(int year, int month, int day) const {
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return text;
    }

    Device d_;
    int year_ = 0, month_ = 0, day_ = 0;
};

TEST_F(CorrectionReceiptTest, ASaleCorrectionFormedTheLibrarysWayIsRegisteredAndPrinted) {
    const std::string base = basis(2026, 3, 7);
    ASSERT_EQ(8u, base.size()) << "1178: a 2-byte tag, a 2-byte length, 4 bytes of time";
    ASSERT_EQ(0, openCorrection(rt::sellCorrection, base));
    ASSERT_EQ(0, d_.position(u8"Услуга", 123.45, 6, true));
    ASSERT_EQ(0, d_.pay(0, 123.45));
    ASSERT_EQ(0, d_.close());

    const json r = journal().back();
    EXPECT_EQ("receipt", r["type"]);
    EXPECT_EQ(rt::sellCorrection, r["receiptType"]);
    EXPECT_EQ(correctionType::self, r["1173"]);
    EXPECT_EQ("2026-03-07 00:00:00", r["1174"]["1178"]);
    EXPECT_DOUBLE_EQ(123.45, r["total"].get<double>());
    const std::string printed = tape();
    EXPECT_NE(std::string::npos, printed.find(u8"КАССОВЫЙ ЧЕК КОРРЕКЦИИ 1  ПРИХОД"));
    EXPECT_NE(std::string::npos, printed.find(u8"КОРРЕКЦИЯ САМОСТОЯТЕЛЬНО"));
    EXPECT_NE(std::string::npos, printed.find(u8"ДАТА КОРРЕКТИРУЕМОГО РАСЧЕТА 07.03.2026"));

    // The fiscal storage reports it with its receipt type and its operation.
    d_.setInt(param::documentNumber, r["document"].get<int>());
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_EQ(fndoc::receipt, d_.getInt(param::fnDocumentType));
    EXPECT_EQ(rt::sellCorrection, d_.getInt(param::receiptType));
    EXPECT_EQ(1, d_.getInt(tag::operationType));
}

TEST_F(CorrectionReceiptTest, ASaleReturnCorrectionOfTodayIsTheOperationOfAReturn) {
    ASSERT_EQ(0, openCorrection(rt::sellReturnCorrection, basis(year_, month_, day_)));
    ASSERT_EQ(0, d_.position(u8"Услуга", 10, 6, true));
    ASSERT_EQ(0, d_.pay(1, 10));
    ASSERT_EQ(0, d_.close());
    const json r = journal().back();
    EXPECT_EQ(rt::sellReturnCorrection, r["receiptType"]);
    EXPECT_EQ(isoDate(year_, month_, day_) + " 00:00:00", r["1174"]["1178"]);
    EXPECT_NE(std::string::npos, tape().find(u8"КАССОВЫЙ ЧЕК КОРРЕКЦИИ 1  ВОЗВРАТ ПРИХОДА"));
    d_.setInt(param::documentNumber, r["document"].get<int>());
    ASSERT_EQ(0, d_.fnQuery(fndt::documentByNumber));
    EXPECT_EQ(2, d_.getInt(tag::operationType));
}

TEST_F(CorrectionReceiptTest, AStrictRegisterRefusesAnIncompleteOrFutureCorrection) {
    const std::size_t documents = journal().size();
    EXPECT_EQ(kInvalidParameter, openCorrection(rt::sellCorrection, std::string()))
        << "no basis 1174";
    EXPECT_EQ(kInvalidParameter,
              openCorrection(rt::sellCorrection, basis(year_, month_, day_), false))
        << "no correction type 1173";
    EXPECT_EQ(kInvalidParameter, openCorrection(rt::sellCorrection, basis(year_ + 1, 1, 1)))
        << "a date after today";
    d_.setText(tag::correctionNumber, "1");
    EXPECT_EQ(0, d_.call(d_.lib().libfptr_util_form_tlv));
    EXPECT_EQ(kInvalidParameter, openCorrection(rt::sellCorrection, d_.getBytes(param::tagValue)))
        << "a basis without the date";
    // Nothing is open: a sale receipt opens at once.
    EXPECT_EQ(0, d_.openReceipt(rt::sell));
    EXPECT_EQ(documents, journal().size());
}

TEST_F(CorrectionReceiptTest, AnFfd105RegisterTakesNoCorrection) {
    d_.lib().libfptr_close(d_.handle());
    ASSERT_EQ(0, runTool("init --ffd 1.05"));
    ASSERT_EQ(0, d_.connect());
    ASSERT_EQ(0, d_.login(u8"Петрова А.А."));
    ASSERT_EQ(0, d_.lib().libfptr_open_shift(d_.handle()));
    EXPECT_EQ(kInvalidParameter, openCorrection(rt::sellCorrection, basis(year_, month_, day_)));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
