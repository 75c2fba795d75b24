// The strict register: what it refuses, with which number and text, and what
// its shift, counters and totals do.
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class RegisterStateMachineTest : public EmulatorTest {};

TEST_F(RegisterStateMachineTest, RefusesEverythingWhileNotConnected) {
    Device d;
    EXPECT_EQ(0, d.call(d.lib().libfptr_is_opened));
    EXPECT_EQ(2, d.query(dt::status));
    EXPECT_EQ(u8"Нет связи с ККТ", d.errorText());
    EXPECT_EQ(2, d.openShift());
    EXPECT_EQ(2, d.openReceipt(1));
    EXPECT_EQ(2, d.report(1));
    EXPECT_EQ(2, d.printText("x"));
    EXPECT_EQ(2, d.fnQuery(fndt::registration));
    ASSERT_EQ(0, d.connect());
    EXPECT_EQ(1, d.call(d.lib().libfptr_is_opened));
    EXPECT_EQ(0, d.query(dt::status));
    EXPECT_EQ(u8"Ошибок нет", d.errorText());
    EXPECT_EQ(0, d.call(d.lib().libfptr_close));
    EXPECT_EQ(0, d.call(d.lib().libfptr_is_opened));
    EXPECT_EQ(2, d.query(dt::status));
}

TEST_F(RegisterStateMachineTest, ReceiptNeedsAnOpenShiftThatIsNotExpired) {
    Device d;
    ASSERT_EQ(0, d.connect());
    EXPECT_EQ(73, d.openReceipt(1));
    EXPECT_EQ(u8"Смена закрыта - операция невозможна", d.errorText());
    EXPECT_EQ(73, d.report(0));  // Z of a closed shift
    EXPECT_EQ(73, d.cashIncome(10));
    ASSERT_EQ(0, d.openShift());
    EXPECT_EQ(83, d.openShift());
    EXPECT_EQ(u8"Смена открыта - операция невозможна", d.errorText());

    editState([](json& s) { s["clockOffset"] = 24 * 3600 + 60; });
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(2, d.getInt(param::shiftState));
    EXPECT_EQ(68, d.openReceipt(1));
    EXPECT_EQ(u8"Смена превысила 24 часа", d.errorText());
    EXPECT_EQ(68, d.cashIncome(10));
    EXPECT_EQ(68, d.report(1));
    EXPECT_EQ(68, d.openShift());
    ASSERT_EQ(0, d.report(0));
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(0, d.getInt(param::shiftState));
    ASSERT_EQ(0, d.openShift());
    EXPECT_EQ(0, d.cashSale(u8"Приём перевода", 10));
}

TEST_F(RegisterStateMachineTest, ShiftExpiresOnlyAfterTwentyFourHoursOnTheMovedClock) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    editState([](json& s) { s["clockOffset"] = 24 * 3600 - 120; });
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(1, d.getInt(param::shiftState));
    EXPECT_EQ(0, d.cashSale("a", 1));
    editState([](json& s) { s["clockOffset"] = 24 * 3600 + 120; });
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(2, d.getInt(param::shiftState));
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_EQ(2, d.getInt(param::shiftState));
}

TEST_F(RegisterStateMachineTest, OneReceiptAtATime) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    EXPECT_EQ(69, d.openReceipt(1));
    EXPECT_EQ(u8"Открыт чек прихода - операция невозможна", d.errorText());
    EXPECT_EQ(69, d.report(1));
    EXPECT_EQ(69, d.openShift());
    EXPECT_EQ(69, d.cashIncome(5));
    EXPECT_EQ(69, d.call(d.lib().libfptr_begin_nonfiscal_document));
    ASSERT_EQ(0, d.query(dt::receiptState));
    EXPECT_EQ(1, d.getInt(param::receiptType));
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));

    ASSERT_EQ(0, d.cashIncome(100));
    ASSERT_EQ(0, d.openReceipt(2));
    EXPECT_EQ(67, d.openReceipt(1));
    EXPECT_EQ(u8"Открыт чек возврата - операция невозможна", d.errorText());
    ASSERT_EQ(0, d.query(dt::receiptState));
    EXPECT_EQ(2, d.getInt(param::receiptType));
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));
    ASSERT_EQ(0, d.query(dt::receiptState));
    EXPECT_EQ(0, d.getInt(param::receiptType));
}

TEST_F(RegisterStateMachineTest, PositionsAndPaymentsNeedAnOpenReceipt) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    EXPECT_EQ(81, d.position("a", 1, 7));
    EXPECT_EQ(u8"Чек закрыт - операция невозможна", d.errorText());
    EXPECT_EQ(81, d.pay(0, 1));
    EXPECT_EQ(81, d.close());
    EXPECT_EQ(81, d.call(d.lib().libfptr_cancel_receipt));
}

TEST_F(RegisterStateMachineTest, ClosingNeedsPositionsAndFullPayment) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    EXPECT_EQ(408, d.close());
    EXPECT_EQ(u8"Чек не содержит позиций", d.errorText());
    ASSERT_EQ(0, d.position("a", 100.5, 7));
    ASSERT_EQ(0, d.pay(0, 100));
    EXPECT_EQ(401, d.close());
    EXPECT_EQ(u8"Сумма оплаты меньше суммы чека", d.errorText());
    ASSERT_EQ(0, d.pay(1, 0.5));
    EXPECT_EQ(0, d.close());

    ASSERT_EQ(0, d.openReceipt(1));
    ASSERT_EQ(0, d.position("a", 10, 7));
    EXPECT_EQ(405, d.pay(0, 0));
    EXPECT_EQ(405, d.pay(10, 1));
    ASSERT_EQ(0, d.pay(1, 11));
    EXPECT_EQ(409, d.close());
    EXPECT_EQ(u8"Сумма безналичных оплат превышает сумму чека", d.errorText());
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));
}

TEST_F(RegisterStateMachineTest, TaxTypeMustBeARateOfTheLibrary) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    EXPECT_EQ(402, d.position("a", 1, 0));
    EXPECT_EQ(u8"Неверный тип налога", d.errorText());
    EXPECT_EQ(402, d.position("a", 1, 16));
    // 15 is the 10.10.8 library's "invalid" number: no rate.
    EXPECT_EQ(402, d.position("a", 1, 15));
    for (int tax = 1; tax <= 14; ++tax) EXPECT_EQ(0, d.position("a", 1, tax)) << tax;
    EXPECT_EQ(u8"НДС 22/122", state()["receipt"]["positions"][13]["tax"]);
}

TEST_F(RegisterStateMachineTest, AnOlderLibraryReadsTaxTypesInItsOwnNumbers) {
    ASSERT_EQ(0, runTool("version 10.10.6.0"));
    Device d;
    EXPECT_STREQ("10.10.6.0", d.lib().libfptr_get_version_string());
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    // The 10.10.8 numbers of 7 % and 22 % are 5 % and 7/107 on 10.10.6.
    ASSERT_EQ(0, d.position("a", 1, 10));
    ASSERT_EQ(0, d.position("b", 1, 13));
    ASSERT_EQ(0, d.position("c", 1, 12));
    EXPECT_EQ(402, d.position("d", 1, 9));  // its "invalid" number
    EXPECT_EQ(402, d.position("d", 1, 14));
    const json positions = state()["receipt"]["positions"];
    EXPECT_EQ(u8"НДС 5%", positions[0]["tax"]);
    EXPECT_EQ(u8"НДС 7/107", positions[1]["tax"]);
    EXPECT_EQ(u8"НДС 7%", positions[2]["tax"]);
    EXPECT_EQ(12, positions[2]["taxType"]);
    ASSERT_EQ(0, runTool("version 10.10.7.0"));
    EXPECT_EQ(402, d.position("e", 1, 13));
    ASSERT_EQ(0, d.position("e", 1, 12));
    ASSERT_EQ(0, runTool("version 10.10.5.0"));
    EXPECT_EQ(402, d.position("f", 1, 10));
    ASSERT_EQ(0, d.position("f", 1, 8));
    EXPECT_EQ(u8"НДС 7/107", state()["receipt"]["positions"][3]["tax"]);
    EXPECT_EQ(u8"НДС 20/120", state()["receipt"]["positions"][4]["tax"]);
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));
}

TEST_F(RegisterStateMachineTest, MeasureTagFollowsTheFfdVersion) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.openReceipt(1));
    EXPECT_EQ(404, d.position("a", 1, 7, true));
    EXPECT_EQ(u8"Мера количества предмета расчета (тег 2108) не поддерживается ФФД", d.errorText());
    EXPECT_EQ(0, d.position("a", 1, 7, false));
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));

    editState([](json& s) { s["registration"]["1209"] = 120; });
    ASSERT_EQ(0, d.openReceipt(1));
    EXPECT_EQ(403, d.position("a", 1, 7, false));
    EXPECT_EQ(u8"Не указана мера количества предмета расчета (тег 2108)", d.errorText());
    EXPECT_EQ(0, d.position("a", 1, 7, true));
}

TEST_F(RegisterStateMachineTest, ReceiptTypeAndElectronicContactAreChecked) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    EXPECT_EQ(405, d.openReceipt(0));
    EXPECT_EQ(u8"Неверное значение параметра", d.errorText());
    EXPECT_EQ(411, d.openReceipt(1, true));
    EXPECT_EQ(u8"Не указан телефон или электронный адрес покупателя (тег 1008)", d.errorText());
    EXPECT_EQ(0, d.openReceipt(1, true, "+79990001122"));
}

TEST_F(RegisterStateMachineTest, PaperAndCoverStopPrintingButNotQueries) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    editState([](json& s) { s["paper"] = false; });
    EXPECT_EQ(44, d.printText("x"));
    EXPECT_EQ(u8"Нет бумаги", d.errorText());
    EXPECT_EQ(44, d.openReceipt(1));
    EXPECT_EQ(44, d.report(1));
    EXPECT_EQ(44, d.cashIncome(1));
    EXPECT_EQ(44, d.call(d.lib().libfptr_cut));
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_FALSE(d.getBool(param::isPaperPresent));
    // An electronic receipt prints nothing and needs no paper.
    EXPECT_EQ(0, d.openReceipt(1, true, "a@b.ru"));
    ASSERT_EQ(0, d.position("a", 1, 7));
    ASSERT_EQ(0, d.pay(1, 1));
    EXPECT_EQ(0, d.close());

    editState([](json& s) {
        s["paper"] = true;
        s["coverOpen"] = true;
    });
    EXPECT_EQ(45, d.printText("x"));
    EXPECT_EQ(u8"Открыта крышка принтера", d.errorText());
    EXPECT_EQ(45, d.openReceipt(1));
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_TRUE(d.getBool(param::isCoverOpened));
    EXPECT_TRUE(d.getBool(param::isPaperPresent));
}

TEST_F(RegisterStateMachineTest, WithdrawalAboveTheCashHeldIsRefusedWithMinusOne) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.cashIncome(50));
    ASSERT_EQ(0, d.cashSale("a", 30));
    EXPECT_EQ(400, d.cashOutcome(80.01));
    EXPECT_EQ(u8"Недостаточно наличности в кассе", d.errorText());
    EXPECT_EQ(0, d.cashOutcome(80));
    EXPECT_EQ(400, d.cashOutcome(0.01));
    EXPECT_EQ(405, d.cashOutcome(0));
}

TEST_F(RegisterStateMachineTest, NonfiscalDocumentsBlockFiscalOnes) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    EXPECT_EQ(407, d.call(d.lib().libfptr_end_nonfiscal_document));
    EXPECT_EQ(u8"Нефискальный документ не открыт", d.errorText());
    ASSERT_EQ(0, d.lib().libfptr_begin_nonfiscal_document(d.handle()));
    EXPECT_EQ(406, d.openReceipt(1));
    EXPECT_EQ(u8"Открыт нефискальный документ - операция невозможна", d.errorText());
    EXPECT_EQ(406, d.call(d.lib().libfptr_begin_nonfiscal_document));
    EXPECT_EQ(0, d.printText(u8"пречек"));
    EXPECT_EQ(0, d.call(d.lib().libfptr_end_nonfiscal_document));
    EXPECT_EQ(0, d.openReceipt(1));
}

TEST_F(RegisterStateMachineTest, ParametersBelongToTheNextOperationOnly) {
    Device d;
    ASSERT_EQ(0, d.connect());
    d.setInt(param::dataType, dt::shiftState);
    ASSERT_EQ(0, d.lib().libfptr_query_data(d.handle()));
    EXPECT_EQ(405, d.call(d.lib().libfptr_query_data)) << "the data type was used up";
    ASSERT_EQ(0, d.openShift());
    d.setInt(param::receiptType, 1);
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(405, d.call(d.lib().libfptr_open_receipt)) << "the type went to the query";
}

TEST_F(RegisterStateMachineTest, SettingsAreValidatedWhenApplied) {
    Device d;
    d.lib().libfptr_set_single_setting(d.handle(), L"Port", L"9");
    EXPECT_EQ(410, d.call(d.lib().libfptr_apply_single_settings));
    EXPECT_EQ(u8"Неверное значение настройки", d.errorText());
    d.lib().libfptr_set_single_setting(d.handle(), L"Port", L"2");
    d.lib().libfptr_set_single_setting(d.handle(), L"IPAddress", L"10.0.0.5");
    d.lib().libfptr_set_single_setting(d.handle(), L"IPPort", L"5555");
    EXPECT_EQ(0, d.call(d.lib().libfptr_apply_single_settings));
    wchar_t buffer[512];
    int needed = d.lib().libfptr_get_settings(d.handle(), buffer, 512);
    ASSERT_LE(needed, 512);
    json settings = json::parse(platform::wideToUtf8(buffer));
    EXPECT_EQ("2", settings["Port"]);
    EXPECT_EQ("10.0.0.5", settings["IPAddress"]);
    EXPECT_EQ("2", state()["settings"]["Port"]) << "kept for the next instance";
}

TEST_F(RegisterStateMachineTest, ZReportClosesTheShiftAndZeroesItsTotals) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.cashSale("a", 100.5));
    ASSERT_EQ(0, d.cashSale("b", 20));
    ASSERT_EQ(0, d.cashIncome(7.25));
    ASSERT_EQ(0, d.cashOutcome(3));
    ASSERT_EQ(0, d.openReceipt(2));
    ASSERT_EQ(0, d.position("a", 20, 7));
    ASSERT_EQ(0, d.pay(0, 20));
    ASSERT_EQ(0, d.close());
    ASSERT_EQ(0, d.query(dt::revenue));
    EXPECT_DOUBLE_EQ(100.5, d.getDouble(param::sum));
    ASSERT_EQ(0, d.query(dt::cashInSum));
    EXPECT_DOUBLE_EQ(7.25, d.getDouble(param::sum));
    ASSERT_EQ(0, d.query(dt::cashOutSum));
    EXPECT_DOUBLE_EQ(3, d.getDouble(param::sum));
    ASSERT_EQ(0, d.query(dt::cashSum));
    EXPECT_DOUBLE_EQ(104.75, d.getDouble(param::sum));

    ASSERT_EQ(0, d.report(0));
    ASSERT_EQ(0, d.query(dt::shiftState));
    EXPECT_EQ(0, d.getInt(param::shiftState));
    for (int kind : {12, 8, 10}) {
        ASSERT_EQ(0, d.query(kind));
        EXPECT_DOUBLE_EQ(0, d.getDouble(param::sum)) << kind;
    }
    ASSERT_EQ(0, d.query(dt::cashSum));
    EXPECT_DOUBLE_EQ(104.75, d.getDouble(param::sum)) << "the drawer keeps its cash";
}

TEST_F(RegisterStateMachineTest, DocumentNumbersGrowByOnePerFiscalDocument) {
    Device d;
    ASSERT_EQ(0, d.connect());
    std::vector<int> numbers;
    auto last = [&]() {
        EXPECT_EQ(0, d.fnQuery(fndt::lastDocument));
        return d.getInt(param::documentNumber);
    };
    EXPECT_EQ(0, last());
    ASSERT_EQ(0, d.openShift());
    numbers.push_back(last());
    ASSERT_EQ(0, d.cashSale("a", 1));
    numbers.push_back(last());
    ASSERT_EQ(0, d.printText("not fiscal"));
    ASSERT_EQ(0, d.openReceipt(1));
    ASSERT_EQ(0, d.lib().libfptr_cancel_receipt(d.handle()));
    ASSERT_EQ(0, d.cashIncome(5));
    numbers.push_back(last());
    ASSERT_EQ(0, d.report(1));
    numbers.push_back(last());
    ASSERT_EQ(0, d.report(0));
    numbers.push_back(last());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), numbers);
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_EQ(5, d.getInt(param::documentNumber));
    EXPECT_EQ(1, d.getInt(param::shiftNumber));
    std::vector<int> journalled;
    for (const json& e : journal()) journalled.push_back(e["document"]);
    EXPECT_EQ(numbers, journalled);
}

TEST_F(RegisterStateMachineTest, StatusAndRegistrationQueriesAnswer) {
    editState([](json& s) {
        s["temperature"] = 48;
        s["registration"]["1057"] = 4;
    });
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.query(dt::status));
    EXPECT_EQ("5.8.100", d.getText(param::firmwareVersion));
    EXPECT_EQ(u8"Эмулятор ККТ", d.getText(param::modelName));
    EXPECT_EQ("00106900000001", d.getText(param::serialNumber));
    EXPECT_TRUE(d.getBool(param::isFiscalDevice));
    EXPECT_EQ(48, d.getInt(param::lineLength));
    int y = 0, mo = 0, day = 0, h = -1, mi = -1, s = -1;
    d.lib().libfptr_get_param_datetime(d.handle(), param::dateTime, &y, &mo, &day, &h, &mi, &s);
    EXPECT_GE(y, 2024);
    EXPECT_TRUE(mo >= 1 && mo <= 12 && day >= 1 && h >= 0 && mi >= 0 && s >= 0);
    ASSERT_EQ(0, d.query(dt::printHeadTemperature));
    EXPECT_EQ(48, d.getInt(param::printHeadTemperature));
    ASSERT_EQ(0, d.fnQuery(fndt::registration));
    EXPECT_EQ(105, d.getInt(1209));
    EXPECT_EQ(4, d.getInt(1057));
    EXPECT_EQ("7701234567", d.getText(1018));
    EXPECT_EQ(u8"ООО \"Ромашка\"", d.getText(1048));
    EXPECT_FALSE(d.getBool(1001));
    EXPECT_EQ(405, d.fnQuery(77));
    EXPECT_EQ(405, d.query(99));
    EXPECT_STREQ("10.10.8.0", d.lib().libfptr_get_version_string());
}

TEST_F(RegisterStateMachineTest, LongTextsAreReadWithTheSizeTheLibraryReports) {
    std::string longName(3000, 'x');
    editState([&](json& s) { s["status"]["modelName"] = longName; });
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.query(dt::status));
    wchar_t small[10];
    EXPECT_EQ(3001, d.lib().libfptr_get_param_str(d.handle(), param::modelName, small, 10));
    EXPECT_EQ(std::wstring(9, L'x'), std::wstring(small));
    EXPECT_EQ(longName, d.getText(param::modelName));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
