// The pieces of a payment: amounts, tax type numbers, the script texts and
// the characters a transfer number must not carry.
#include <gtest/gtest.h>

#include "cash/sender/payment.h"

namespace vorna {
namespace {

TEST(FormatAmount, WritesRoublesWithTwoDecimals) {
    EXPECT_EQ(formatAmount(0), "0.00");
    EXPECT_EQ(formatAmount(1), "0.01");
    EXPECT_EQ(formatAmount(5), "0.05");
    EXPECT_EQ(formatAmount(9), "0.09");
    EXPECT_EQ(formatAmount(10), "0.10");
    EXPECT_EQ(formatAmount(42), "0.42");
    EXPECT_EQ(formatAmount(99), "0.99");
    EXPECT_EQ(formatAmount(100), "1.00");
    EXPECT_EQ(formatAmount(12345), "123.45");
    EXPECT_EQ(formatAmount(4294967295u), "42949672.95");
}

TEST(TaxTypeIndex, GivesEachDriverItsNumbers) {
    struct Row {
        const char* code;
        int atol8, atol10, shtrih;
    };
    const Row table[] = {
        {"1102", 3, 7, 1},  {"1103", 2, 2, 2},   {"1104", 1, 5, 3},   {"1105", 4, 6, 4},
        {"1106", 6, 8, 5},  {"1107", 5, 4, 6},   {"2005", 0, 9, 7},   {"2007", 0, 10, 8},
        {"2105", 0, 11, 9}, {"2107", 0, 12, 10}, {"2022", 0, 13, 11}, {"2122", 0, 14, 12},
    };
    for (const Row& row : table) {
        EXPECT_EQ(taxTypeIndex("vorna.cash.atol8.dll", row.code), row.atol8) << row.code;
        EXPECT_EQ(taxTypeIndex("vorna.cash.atol10.dll", row.code), row.atol10) << row.code;
        EXPECT_EQ(taxTypeIndex("vorna.cash.shtrih.dll", row.code), row.shtrih) << row.code;
        for (const char* other : {"vorna.cash.atol10_d.dll", "vorna.cash.shtrih_d.dll",
                                  "vorna.cash.crystal.dll", "VORNA.CASH.ATOL10.DLL", ""})
            EXPECT_EQ(taxTypeIndex(other, row.code), 0) << other << row.code;
        EXPECT_TRUE(isKnownTaxCode(row.code));
    }
    EXPECT_EQ(taxTypeIndex("vorna.cash.atol10.dll", "2018"), 0);
    EXPECT_FALSE(isKnownTaxCode("2018"));
    EXPECT_FALSE(isKnownTaxCode(""));
}

TEST(BuildChequeScript, PrintedSaleByteForByte) {
    ChequeScriptInput input;
    input.logging = true;
    input.unc = "4711";
    input.summa = 12345;
    EXPECT_EQ(buildChequeScript(input),
              "\x01SEPARATE=NO\x01LOGENABLE=YES\x01PRINTDOCLIST=\x07&2\r\n"
              "~hdr: Номер перевода: 4711\r\n"
              "~srv 1 123.45\r\n"
              "~pay 1 123.45");
}

TEST(BuildChequeScript, UnprintedReturnWithoutLogging) {
    ChequeScriptInput input;
    input.print = false;
    input.unc = "4711";
    input.summa = 5;
    input.sale = false;
    EXPECT_EQ(buildChequeScript(input),
              "\x01SEPARATE=NO\x01LOGENABLE=NO\x01PRINTDOCLIST=\x07&2\r\n"
              "~srv 1 0.05\r\n"
              "~pay 2 0.05");
}

TEST(DeviceCheckScript, IsFixedAndNeverLogs) {
    EXPECT_EQ(
        deviceCheckScript(),
        "\x01SEPARATE=NO\x01LOGENABLE=NO\x01PRINTDOCLIST=\x07&2\r\n~srv 1 0.01\r\n~pay 1 0.01");
}

TEST(ScriptCharacters, AreEveryControlByteTildeQuoteAndBackslash) {
    for (int b = 0; b < 0x20; ++b)
        EXPECT_TRUE(hasScriptCharacters(std::string("4") + static_cast<char>(b))) << b;
    for (const char* bad : {"\x7F", "~", "\"", "\\"}) EXPECT_TRUE(hasScriptCharacters(bad)) << bad;
    for (const char* good : {"", "4711", "AB-12/7", "Перевод №5", "a b.c,d;e"})
        EXPECT_FALSE(hasScriptCharacters(good)) << good;
}

TEST(ValidatePayment, PassesAValidPaymentAndFailsEachBadField) {
    EXPECT_EQ(validatePayment("Услуга", 1, "P", "1105", "log", "4711"), 0);
    EXPECT_EQ(validatePayment(std::string(128, 'x'), 1, "V", "2122", "log", ""), 0);
    EXPECT_EQ(validatePayment(std::string(129, 'x'), 1, "P", "1105", "log", ""), 100);
    EXPECT_EQ(validatePayment("", 0, "P", "1105", "log", ""), 100);
    EXPECT_EQ(validatePayment("", 1, "p", "1105", "log", ""), 100);
    EXPECT_EQ(validatePayment("", 1, "1", "1105", "log", ""), 100);
    EXPECT_EQ(validatePayment("", 1, "P", "2018", "log", ""), 100);
    EXPECT_EQ(validatePayment("", 1, "P", "1105", "log", "4\x01"), 100);
}

}  // namespace
}  // namespace vorna
