// Registering one position: its name, price, tax type from three sources,
// the position-level agent and supplier data, and the FFD 1.2 measure.
#include <gtest/gtest.h>

#include <algorithm>

#include "cash/atol10/config.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

bool has(const Lines& lines, const std::string& begin) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, begin.size(), begin) == 0;
    });
}

std::string lineWith(const Lines& lines, const std::string& begin) {
    for (const std::string& line : lines)
        if (line.compare(0, begin.size(), begin) == 0) return line;
    return std::string();
}

class SaleRegistration : public DriverTest {
protected:
    void openReceipt(int ffd = 105, int agentSign = 0) {
        changeState([&](nlohmann::json& s) {
            s["registration"]["1209"] = ffd;
            s["registration"]["1057"] = agentSign;
        });
        cash::Config::instance().autoShift = "Y";
        ASSERT_EQ(0, cash().CheckKKT());
        ASSERT_EQ(0, cash().NewCheck(1));
        takeTrace();
        takeLog();
    }
    nlohmann::json position(std::size_t index) {
        return readState()["receipt"]["positions"].at(index);
    }
};

TEST_F(SaleRegistration, PositionWithItsOwnTax) {
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("Оплата услуг связи", 15050, 1000, 1, 1105));
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::fnDataType) + ", 9)",
                     "libfptr_fn_query_data(#h) = 0", "libfptr_get_param_int(#h, 1057) = 0",
                     "libfptr_set_param_str(#h, " + id(param::commodityName) +
                         ", \"Оплата услуг связи\")",
                     "libfptr_set_param_double(#h, " + id(param::price) + ", 150.5)",
                     "libfptr_set_param_double(#h, " + id(param::quantity) + ", 1)",
                     "libfptr_set_param_int(#h, " + id(param::taxType) + ", 6)",
                     "libfptr_set_param_int(#h, 1212, 4)", "libfptr_set_param_int(#h, 1214, 4)",
                     "libfptr_registration(#h) = 0"}),
              takeTrace());
    EXPECT_EQ(
        Lines({"   atol10->RegisterSale ---------------------------->", "text = Оплата услуг связи",
               "sum = 15050", "tax = 1105", "   atol10->RegisterSale [registration] ==> ",
               "   Text: Оплата услуг связи", "   Price: 150.5", "   Quantity: 1",
               "   Department: 1", "   TaxTypeNumber: 6(Налог взят из позиции (предмета расчета)) ",
               "Tag 1222 (Признак агента был взят из 'Регистрационных данных') 0",
               "LIBFPTR_PARAM_COMMODITY_NAME = Оплата услуг связи", "ФФД: 105",
               "registration ==> 0"}),
        takeLog());
    EXPECT_EQ(6, cash().taxType_);
}

TEST_F(SaleRegistration, NameFallsBackToTheServiceNameAndThenTheDefault) {
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("", 100, 5000, 0, 1105));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_str(#h, " + id(param::commodityName) +
                                     ", \"Приём перевода\")"));
    EXPECT_EQ("   Quantity: 1", lineWith(takeLog(), "   Quantity: "));
    cash().serviceName_ = "Перевод денег";
    EXPECT_EQ(0, cash().RegisterSale(std::string("\0hidden", 7), 100, 1000, 0, 1105));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_str(#h, " + id(param::commodityName) +
                                     ", \"Перевод денег\")"));
    EXPECT_EQ(1, position(0)["quantity"].get<double>());
}

TEST_F(SaleRegistration, TaxComesFromThePositionThenStays) {
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("Первая", 100, 1000, 0, 1102));
    takeTrace();
    takeLog();
    EXPECT_EQ(0, cash().RegisterSale("Вторая", 100, 1000, 0, 0));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", 7)"));
    EXPECT_EQ("   TaxTypeNumber: 7(Налог был передан параметром) ",
              lineWith(takeLog(), "   TaxTypeNumber: "));
}

TEST_F(SaleRegistration, TaxFromTheSettingsWhenNoneIsGiven) {
    openReceipt();
    cash::Config::instance().taxTypeNumber = 6;
    EXPECT_EQ(0, cash().RegisterSale("Первая", 100, 1000, 0, 0));
    EXPECT_EQ("   TaxTypeNumber: 6(Налог был взят из ini) ",
              lineWith(takeLog(), "   TaxTypeNumber: "));
    EXPECT_EQ(6, cash().taxType_);
    EXPECT_EQ(0, cash().RegisterSale("Вторая", 100, 1000, 0, 0));
    EXPECT_EQ("   TaxTypeNumber: 6(Налог был передан параметром) ",
              lineWith(takeLog(), "   TaxTypeNumber: "));
}

TEST_F(SaleRegistration, TaxTypeGivenBeforehandIsKept) {
    openReceipt();
    cash().SetTaxType(2);
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 0));
    EXPECT_EQ("   TaxTypeNumber: 2(Налог был передан параметром) ",
              lineWith(takeLog(), "   TaxTypeNumber: "));
    cash().SetTaxType(16);
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 0));
    EXPECT_EQ("   TaxTypeNumber: 4(Налог был взят из ini) ",
              lineWith(takeLog(), "   TaxTypeNumber: "));
}

TEST_F(SaleRegistration, TaxCodesBecomeLibraryTaxTypes) {
    openReceipt();
    const std::pair<int, int> codes[] = {
        {1102, 7}, {1103, 2},  {1104, 5},  {1105, 6},  {1106, 8},  {1107, 4},  {2018, 1}, {2118, 3},
        {2005, 9}, {2007, 10}, {2105, 11}, {2107, 12}, {2022, 13}, {2122, 14}, {1999, 15}};
    for (const auto& code : codes) {
        cash().RegisterSale("Позиция", 100, 1000, 0, code.first);
        EXPECT_EQ(code.second, cash().taxType_) << code.first;
        EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", " +
                                         std::to_string(code.second) + ")"))
            << code.first;
    }
}

TEST_F(SaleRegistration, PrechequeTouchesNothing) {
    openReceipt();
    cash().precheque_ = true;
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 3, 1105));
    EXPECT_TRUE(takeTrace().empty());
    EXPECT_EQ(
        Lines({"   atol10->RegisterSale ---------------------------->", "text = Позиция",
               "sum = 100", "tax = 1105", "   atol10->RegisterSale: печать пречека ... return"}),
        takeLog());
}

TEST_F(SaleRegistration, Ffd12AddsTheMeasure) {
    openReceipt(120);
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 1105));
    const Lines trace = takeTrace();
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, 2108, 0)", "libfptr_registration(#h) = 0"}),
              Lines(trace.end() - 2, trace.end()));
    const Lines log = takeLog();
    EXPECT_EQ(
        Lines({"ФФД: 120", "Установка значения параметра: Мера количества предмета расчета [2108]",
               "registration ==> 0"}),
        Lines(log.end() - 3, log.end()));
}

TEST_F(SaleRegistration, AgentAndSupplierDataOfThePosition) {
    openReceipt(105, 0);
    cash::Config::instance().tag1057 = 2;
    cash::atol10::Cash& c = cash();
    c.operatorInn_ = "7701234567";
    c.agentPhone_ = "+79007654321";
    c.supplierName_ = "ООО Поставщик";
    c.supplierInn_ = "7709876543";
    EXPECT_EQ(0, c.RegisterSale("Позиция", 100, 1000, 0, 1105));
    const Lines trace = takeTrace();
    EXPECT_FALSE(has(trace, "libfptr_get_param_int(#h, 1057)"));
    EXPECT_EQ(Lines({"libfptr_set_param_str(#h, 1016, \"7701234567\")",
                     "libfptr_set_param_str(#h, 1073, \"+79007654321\")",
                     "libfptr_util_form_tlv(#h) = 0"}),
              Lines(trace.begin(), trace.begin() + 3));
    EXPECT_EQ(0u, trace[3].find("libfptr_get_param_bytearray(#h, " + id(param::tagValue) +
                                ", 128) = 30 ["))
        << trace[3];
    EXPECT_EQ("libfptr_set_param_str(#h, 1225, \"ООО Поставщик\")", trace[4]);
    EXPECT_EQ("libfptr_util_form_tlv(#h) = 0", trace[5]);
    EXPECT_EQ("libfptr_set_param_int(#h, 1222, 2)", trace[7]);
    EXPECT_EQ(0u, trace[8].find("libfptr_set_param_bytearray(#h, 1223, [")) << trace[8];
    EXPECT_EQ("libfptr_set_param_str(#h, 1226, \"7709876543\")", trace[9]);
    EXPECT_EQ(0u, trace[10].find("libfptr_set_param_bytearray(#h, 1224, [")) << trace[10];
    const Lines log = takeLog();
    EXPECT_EQ(
        Lines({"Tag 1222 (Признак агента был взят из ini) 2", "Tag 1223 ->",
               "OperatorInn(1016)  = 7701234567", "AgentPhone (1073) = +79007654321", "<- Tag 1223",
               "Tag 1224 ->", "PU_Name [наименование поставщика] (1225) = ООО Поставщик",
               "<- Tag 1224", "Tag 1222 = 2", "Tag 1223 записан",
               "PU_Inn [ИНН поставщика] (1226) = 7709876543", "Tag 1224 записан"}),
        Lines(log.begin() + 10, log.begin() + 22));
    const nlohmann::json registered = position(0);
    EXPECT_EQ(2, registered["agentSign"].get<int>());
    EXPECT_EQ("7709876543", registered["supplierInn"].get<std::string>());
}

TEST_F(SaleRegistration, LongTlvIsReadAgainWithTheReportedSize) {
    openReceipt(105, 1);
    cash().operatorName_ = std::string(200, 'N');
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 1105));
    const Lines trace = takeTrace();
    EXPECT_TRUE(
        has(trace, "libfptr_get_param_bytearray(#h, " + id(param::tagValue) + ", 128) = 204 ["));
    EXPECT_TRUE(
        has(trace, "libfptr_get_param_bytearray(#h, " + id(param::tagValue) + ", 204) = 204 ["));
    EXPECT_TRUE(has(trace, "libfptr_set_param_bytearray(#h, 1223, [02 04 c8 00 4e"));
}

// The library's own numbers for the rates: an older library is handed its
// number for the rate asked, and a rate it has not is refused before the register.
class OlderLibrary : public SaleRegistration {
protected:
    // The register acts as a library of this version, loaded afresh.
    void useLibrary(const std::string& version) {
        changeState([&](nlohmann::json& s) { s["libraryVersion"] = version; });
    }
};

TEST_F(OlderLibrary, PositionTaxCodeIsHandedThatLibrarysNumber) {
    useLibrary("10.10.6.0");
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 2007));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", 12)"));
    const Lines log = takeLog();
    EXPECT_EQ("   TaxTypeNumber: 10(Налог взят из позиции (предмета расчета)) ",
              lineWith(log, "   TaxTypeNumber: "));
    EXPECT_EQ("   Тип налога библиотеки ККТ 10.10.6.0: 12",
              lineWith(log, "   Тип налога библиотеки ККТ"));
    EXPECT_EQ(10, cash().taxType_);
    EXPECT_EQ(u8"НДС 7%", position(0)["tax"].get<std::string>());
    // Numbers 1 to 8 are the same in every version.
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 1102));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", 7)"));
    EXPECT_EQ("", lineWith(takeLog(), "   Тип налога библиотеки ККТ"));
    EXPECT_EQ(u8"НДС 20%", position(1)["tax"].get<std::string>());
}

TEST_F(OlderLibrary, PositionTaxCodeTheLibraryHasNotIsRefusedUnregistered) {
    useLibrary("10.10.6.0");
    openReceipt();
    EXPECT_EQ(99, cash().RegisterSale("Позиция", 100, 1000, 0, 2022));
    for (const std::string& line : takeTrace())
        EXPECT_EQ(std::string::npos, line.find("libfptr_registration")) << line;
    EXPECT_TRUE(has(takeLog(),
                    "   atol10-> Ставка НДС 22% не поддерживается библиотекой ККТ "
                    "версии 10.10.6.0: обновите драйвер ККТ до версии 10.10.8 или "
                    "новее"));
    EXPECT_TRUE(readState()["receipt"]["positions"].empty());
    cash::LibraryInfo info{};
    ASSERT_EQ(0, cash().QueryLibraryInfo(&info));
    EXPECT_STREQ("10.10.6.0", info.version);
    EXPECT_EQ(1, info.versionKnown);
    EXPECT_STREQ("НДС 22%, НДС 22/122", info.missingRates);
    EXPECT_STREQ(
        "Ставка НДС 22% не поддерживается библиотекой ККТ версии 10.10.6.0: обновите "
        "драйвер ККТ до версии 10.10.8 или новее",
        info.rateRefusal);
}

TEST_F(OlderLibrary, RateSetForTheReceiptThatTheLibraryHasNotOpensNoReceipt) {
    useLibrary("10.10.7.0");
    cash::Config::instance().autoShift = "Y";
    ASSERT_EQ(0, cash().CheckKKT());
    takeTrace();
    cash().SetTaxType(libfptr::tax::vat22);
    EXPECT_EQ(99, cash().NewCheck(1));
    EXPECT_TRUE(takeTrace().empty());
    EXPECT_TRUE(has(takeLog(),
                    "   atol10-> Ставка НДС 22% не поддерживается библиотекой ККТ "
                    "версии 10.10.7.0"));
    EXPECT_TRUE(readState()["receipt"].is_null());
    // The same library takes 7 % under its own number.
    cash().SetTaxType(libfptr::tax::vat7);
    ASSERT_EQ(0, cash().NewCheck(1));
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 0));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", 10)"));
    EXPECT_EQ(u8"НДС 7%", position(0)["tax"].get<std::string>());
    cash::LibraryInfo info{};
    ASSERT_EQ(0, cash().QueryLibraryInfo(&info));
    EXPECT_STREQ("", info.rateRefusal);  // a new receipt forgets the refusal
}

TEST_F(OlderLibrary, TooOldHasNoneOfTheNewRates) {
    useLibrary("10.10.5.3");
    openReceipt();
    for (int code : {2005, 2007, 2105, 2107, 2022, 2122})
        EXPECT_EQ(99, cash().RegisterSale("Позиция", 100, 1000, 0, code)) << code;
    EXPECT_TRUE(has(takeLog(),
                    "   atol10-> Ставка НДС 5/105 не поддерживается библиотекой ККТ "
                    "версии 10.10.5.3: обновите драйвер ККТ до версии 10.10.6 или "
                    "новее"));
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 1106));
    EXPECT_EQ(u8"НДС 20/120", position(0)["tax"].get<std::string>());
    cash::LibraryInfo info{};
    ASSERT_EQ(0, cash().QueryLibraryInfo(&info));
    EXPECT_STREQ("НДС 5%, НДС 7%, НДС 5/105, НДС 7/107, НДС 22%, НДС 22/122", info.missingRates);
}

TEST_F(OlderLibrary, UnknownVersionPassesOneToEightAndRefusesTheRest) {
    useLibrary("10.10.x");
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 1103));
    EXPECT_EQ(u8"НДС 10%", position(0)["tax"].get<std::string>());
    EXPECT_EQ(99, cash().RegisterSale("Позиция", 100, 1000, 0, 2005));
    EXPECT_TRUE(has(takeLog(),
                    "   atol10-> Ставка НДС 5% не поддерживается библиотекой ККТ "
                    "неизвестной версии (\"10.10.x\"): обновите драйвер ККТ до версии "
                    "10.10.6 или новее"));
    cash::LibraryInfo info{};
    ASSERT_EQ(0, cash().QueryLibraryInfo(&info));
    EXPECT_STREQ("", info.version);
    EXPECT_EQ(0, info.versionKnown);
}

TEST_F(OlderLibrary, NewerVersionTakesTheNewestNumbers) {
    useLibrary("10.11.2.17");
    openReceipt();
    EXPECT_EQ(0, cash().RegisterSale("Позиция", 100, 1000, 0, 2122));
    EXPECT_TRUE(has(takeTrace(), "libfptr_set_param_int(#h, " + id(param::taxType) + ", 14)"));
    EXPECT_EQ(u8"НДС 22/122", position(0)["tax"].get<std::string>());
    cash::LibraryInfo info{};
    ASSERT_EQ(0, cash().QueryLibraryInfo(&info));
    EXPECT_STREQ("10.11.2.17", info.version);
    EXPECT_STREQ("", info.missingRates);
}

TEST_F(OlderLibrary, VersionIsAskedOnceAndLoggedAtEveryLoad) {
    useLibrary("10.10.7.0");
    { cash::atol10::Cash first; }
    { cash::atol10::Cash second; }
    Lines logged;
    for (const std::string& line : takeLog())
        if (line.find("Версия библиотеки ККТ") != std::string::npos) logged.push_back(line);
    EXPECT_EQ(Lines(2, "   Версия библиотеки ККТ: 10.10.7.0"), logged);
    std::size_t asked = 0;
    for (const std::string& line : takeTrace())
        asked += line.find("libfptr_get_version_string") != std::string::npos ? 1 : 0;
    EXPECT_EQ(1u, asked);
}

// The translation table, as the library's published numbers give it.
TEST(TaxNumbering, EachVersionHasItsNumberForEachRate) {
    using libfptr::TaxNumbering;
    const TaxNumbering versions[] = {TaxNumbering::upTo10_10_5, TaxNumbering::v10_10_6,
                                     TaxNumbering::v10_10_7, TaxNumbering::v10_10_8,
                                     TaxNumbering::unknown};
    const int expected[][5] = {
        {9 /*vat5*/, 0, 10, 9, 9},      {10 /*vat7*/, 0, 12, 10, 10},
        {11 /*vat105*/, 0, 11, 11, 11}, {12 /*vat107*/, 0, 13, 12, 12},
        {13 /*vat22*/, 0, 0, 0, 13},    {14 /*vat122*/, 0, 0, 0, 14},
    };
    for (const auto& row : expected) {
        for (int v = 0; v < 4; ++v) {
            EXPECT_EQ(row[v + 1], libfptr::taxTypeIn(versions[v], row[0])) << row[0] << " " << v;
            if (row[v + 1] != 0) {
                EXPECT_EQ(row[0], libfptr::taxTypeFrom(versions[v], row[v + 1]));
            }
        }
        EXPECT_EQ(0, libfptr::taxTypeIn(TaxNumbering::unknown, row[0]));
    }
    for (TaxNumbering version : versions)
        for (int same = 1; same <= 8; ++same) {
            EXPECT_EQ(same, libfptr::taxTypeIn(version, same));
            EXPECT_EQ(same, libfptr::taxTypeFrom(version, same));
        }
    // The "invalid" number of each version, and what the library reads in the others.
    EXPECT_EQ(9, libfptr::taxTypeIn(TaxNumbering::v10_10_6, libfptr::tax::invalid));
    EXPECT_EQ(13, libfptr::taxTypeIn(TaxNumbering::v10_10_7, libfptr::tax::invalid));
    EXPECT_EQ(libfptr::tax::invalid, libfptr::taxTypeFrom(TaxNumbering::v10_10_7, 13));
    EXPECT_EQ(libfptr::tax::invalid, libfptr::taxTypeFrom(TaxNumbering::v10_10_6, 14));
    EXPECT_EQ(libfptr::tax::invalid, libfptr::taxTypeFrom(TaxNumbering::upTo10_10_5, 10));
    EXPECT_EQ(libfptr::tax::vat5, libfptr::taxTypeFrom(TaxNumbering::v10_10_6, 10));
}

TEST(TaxNumbering, VersionTextsGiveTheirNumbering) {
    using libfptr::TaxNumbering;
    const std::pair<const char*, TaxNumbering> cases[] = {
        {"10.10.8.0", TaxNumbering::v10_10_8},
        {"10.10.12.3", TaxNumbering::v10_10_8},
        {"10.11.0.0", TaxNumbering::v10_10_8},
        {"11.0.0.0", TaxNumbering::v10_10_8},
        {"10.10.7.5", TaxNumbering::v10_10_7},
        {"10.10.6.0", TaxNumbering::v10_10_6},
        {"10.10.5.0", TaxNumbering::upTo10_10_5},
        {"10.9.3.1", TaxNumbering::upTo10_10_5},
        {"10.10.6", TaxNumbering::unknown},
        {"10.10.6.0.1", TaxNumbering::unknown},
        {"", TaxNumbering::unknown},
        {"10.10.6.0 ", TaxNumbering::unknown},
        {"v10.10.8.0", TaxNumbering::unknown},
        {"10..8.0", TaxNumbering::unknown},
        {"10.10.999999.0", TaxNumbering::unknown}};
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(c.second), static_cast<int>(libfptr::taxNumberingOf(c.first)))
            << c.first;
    EXPECT_EQ(static_cast<int>(TaxNumbering::unknown),
              static_cast<int>(libfptr::taxNumberingOf(nullptr)));
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
