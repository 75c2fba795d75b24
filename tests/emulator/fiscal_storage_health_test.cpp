// The emulated fiscal storage's health: the queries of validity, FN
// information, the operator exchange and free memory, strictly as the library
// answers them; the operator queue offline and online; the refusal of fiscal
// documents by an expired or blocked storage; the tool's fn and ofd commands.
#include <gtest/gtest.h>

#include "common/platform/platform.h"
#include "fptr10/fptr10_numbers.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

namespace p = libfptr::param;
namespace fndt = libfptr::fndt;

class FiscalStorageHealthTest : public EmulatorTest {
protected:
    // The register's date and time of the last reply (parameter 65590).
    static std::string reportedDate(Device& d) {
        int y = 0, mo = 0, day = 0, h = 0, mi = 0, s = 0;
        d.lib().libfptr_get_param_datetime(d.handle(), p::dateTime, &y, &mo, &day, &h, &mi, &s);
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, mo, day);
        return text;
    }
};

TEST_F(FiscalStorageHealthTest, ValidityAndFnInformationAreWhatTheToolSet) {
    ASSERT_EQ(0, runTool("fn valid-until 2030-03-04"));
    ASSERT_EQ(0, runTool("fn registrations 7"));
    ASSERT_EQ(0, runTool("fn flag ofd-timeout on"));
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.fnQuery(fndt::validity));
    EXPECT_EQ("2030-03-04", reportedDate(d));
    EXPECT_EQ(7, d.getInt(p::registrationsRemain));
    ASSERT_EQ(0, d.fnQuery(fndt::fnInfo));
    EXPECT_EQ(libfptr::fnstate::fiscalMode, d.getInt(p::fnState));
    EXPECT_TRUE(d.getBool(p::fnOfdTimeout));
    EXPECT_FALSE(d.getBool(p::fnNeedReplacement));
    EXPECT_FALSE(d.getBool(p::fnCriticalError));
    EXPECT_FALSE(d.getText(p::serialNumber).empty());
    ASSERT_EQ(0, d.fnQuery(fndt::freeMemory));
    EXPECT_GT(d.getInt(p::documentsCount), 0);
}

TEST_F(FiscalStorageHealthTest, DaysLeftAreCountedFromTheDateTheCallerSets) {
    ASSERT_EQ(0, runTool("fn valid-until 2030-03-04"));
    Device d;
    ASSERT_EQ(0, d.connect());
    // Without the date to count from the query fails, as the library does.
    EXPECT_NE(0, d.fnQuery(fndt::validityDays));
    d.lib().libfptr_set_param_datetime(d.handle(), p::dateTime, 2030, 2, 22, 12, 0, 0);
    ASSERT_EQ(0, d.fnQuery(fndt::validityDays));
    EXPECT_EQ(10, d.getInt(p::dateDaysLeft));
    // A kind the storage does not know fails.
    EXPECT_NE(0, d.fnQuery(3));
}

TEST_F(FiscalStorageHealthTest, OfflineTheQueueGrowsByEachFiscalDocumentAndOnlineItEmpties) {
    ASSERT_EQ(0, runTool("ofd offline"));
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, d.cashSale(u8"Услуга", 10.0));
    ASSERT_EQ(0, d.report(libfptr::report::x));  // no fiscal document
    ASSERT_EQ(0, d.fnQuery(fndt::ofdExchangeStatus));
    EXPECT_EQ(2, d.getInt(p::documentsCount));
    EXPECT_EQ(1, d.getInt(p::documentNumber));
    EXPECT_EQ(state()["ofd"]["queue"][1]["document"], 2);
    ASSERT_EQ(0, runTool("ofd online"));
    ASSERT_EQ(0, d.fnQuery(fndt::ofdExchangeStatus));
    EXPECT_EQ(0, d.getInt(p::documentsCount));
    ASSERT_EQ(0, d.cashSale(u8"Услуга", 10.0));
    EXPECT_TRUE(state()["ofd"]["queue"].empty());
}

TEST_F(FiscalStorageHealthTest, ADocumentUnconfirmedFor30DaysBlocksFiscalDocuments) {
    ASSERT_EQ(0, runTool("ofd offline"));
    // The receipt is made 30 days ago on the register's clock.
    editState([](json& s) { s["clockOffset"] = -30 * 24 * 3600 - 60; });
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        ASSERT_EQ(0, d.openShift());
        ASSERT_EQ(0, d.report(libfptr::report::closeShift));
    }
    editState([](json& s) { s["clockOffset"] = 0; });
    Device d;
    ASSERT_EQ(0, d.connect());
    EXPECT_EQ(libfptr::error::fnResourceExhausted, d.openShift());
    EXPECT_FALSE(d.errorText().empty());
    ASSERT_EQ(0, runTool("ofd online"));
    EXPECT_EQ(0, d.openShift());
}

TEST_F(FiscalStorageHealthTest, AnExpiredOrNonFiscalStorageRefusesReceipts) {
    Device d;
    ASSERT_EQ(0, d.connect());
    ASSERT_EQ(0, d.openShift());
    ASSERT_EQ(0, runTool("fn days 0"));
    EXPECT_EQ(libfptr::error::fnCryptoValidityExpired, d.openReceipt(libfptr::rt::sell));
    ASSERT_EQ(0, runTool("fn days 5"));
    ASSERT_EQ(0, runTool("fn state 7"));
    EXPECT_EQ(libfptr::error::fnInvalidState, d.openReceipt(libfptr::rt::sell));
    ASSERT_EQ(0, runTool("fn clear"));
    EXPECT_EQ(0, d.cashSale(u8"Услуга", 10.0));
}

TEST_F(FiscalStorageHealthTest, ToolRefusesUnknownFnAndOfdArguments) {
    EXPECT_NE(0, runTool("fn flag no-such-flag on"));
    EXPECT_NE(0, runTool("fn valid-until 2030-13-01"));
    EXPECT_NE(0, runTool("ofd sideways"));
    EXPECT_EQ(0, runTool("fn days 12"));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
