// The driver object and its facade: result mapping, forwarding, the text sums,
// the slip document, the objects made and destroyed by the entry points.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>
#include <filesystem>

#include "cash/atol10/atol_cash10.h"
#include "cash/atol10/config.h"
#include "cash/atol10/driver_objects.h"
#include "cash/atol10/library_result.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using cash::atol10::mapLibraryResult;
using Lines = std::vector<std::string>;

TEST(LibraryResult, MapsTheLibraryFailuresToResultCodes) {
    EXPECT_EQ(0, mapLibraryResult(0));
    for (int kept : {1, 2, 3, 5, 6, 7}) EXPECT_EQ(kept, mapLibraryResult(kept));
    EXPECT_EQ(1, mapLibraryResult(-11));
    EXPECT_EQ(2, mapLibraryResult(-3822));
    EXPECT_EQ(5, mapLibraryResult(-3807));
    EXPECT_EQ(6, mapLibraryResult(-3865));
    EXPECT_EQ(7, mapLibraryResult(-3821));
    EXPECT_EQ(99, mapLibraryResult(-1));
    EXPECT_EQ(99, mapLibraryResult(4));
    EXPECT_EQ(99, mapLibraryResult(-3801));
}

TEST(LibraryResult, MapsACurrentLibrarysFailureByItsNumber) {
    for (int lost : {1, 2, 3, 4, 241}) EXPECT_EQ(1, mapLibraryResult(-1, lost)) << lost;
    EXPECT_EQ(2, mapLibraryResult(-1, 68));
    EXPECT_EQ(2, mapLibraryResult(-1, 141));
    EXPECT_EQ(3, mapLibraryResult(-1, 73));
    EXPECT_EQ(5, mapLibraryResult(-1, 44));
    EXPECT_EQ(6, mapLibraryResult(-1, 69));
    EXPECT_EQ(7, mapLibraryResult(-1, 67));
    for (int other : {0, 15, 45, 81, 82, 83, 115, -3807})
        EXPECT_EQ(99, mapLibraryResult(-1, other)) << other;
    // The number matters only for -1: an older library's direct numbers keep their table.
    EXPECT_EQ(5, mapLibraryResult(-3807, 0));
    EXPECT_EQ(0, mapLibraryResult(0, 44));
}

class DriverObject : public DriverTest {
protected:
    // A facade object whose creation's trace and log are already taken.
    cash::AtolCash10& facade() {
        if (!facade_) {
            facade_.reset(new cash::AtolCash10());
            takeTrace();
            takeLog();
        }
        return *facade_;
    }
    void TearDown() override {
        facade_.reset();
        DriverTest::TearDown();
    }
    // Counts trace lines beginning with the text.
    static int count(const Lines& lines, const std::string& begin) {
        int n = 0;
        for (const std::string& line : lines) n += line.compare(0, begin.size(), begin) == 0;
        return n;
    }
    void openReceipt() {
        cash::Config::instance().autoShift = "Y";
        ASSERT_EQ(0, facade().CheckKKT());
        ASSERT_EQ(1, facade().IsSessionOpen());
        ASSERT_EQ(0, facade().NewCheck(1));
        takeTrace();
        takeLog();
    }

    std::unique_ptr<cash::AtolCash10> facade_;
};

TEST_F(DriverObject, SimpleOperationsAndSetters) {
    EXPECT_EQ(0, facade().Ready());
    facade().Finish();
    facade().EndOperation();
    EXPECT_EQ(20, facade().GetMaxCashStringLength());
    cash::Config::instance().maxCashStringLength = 36;
    EXPECT_EQ(36, facade().GetMaxCashStringLength());
    facade().SetLongValue(1234567890123LL);
    facade().SetPrecheque(true);
    facade().SetCashierInn("500100732259");
    EXPECT_TRUE(takeTrace().empty());
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(DriverObject, PrintSlipIsOffWithoutThePrinterSetting) {
    openReceipt();
    EXPECT_EQ(0, facade().PrintSlip("Услуга", 15000, 1000, 1));
    EXPECT_TRUE(shownBoxes().empty());
    EXPECT_TRUE(takeTrace().empty());
}

TEST_F(DriverObject, PrintSlipWithOkRegistersThePositionOnce) {
    openReceipt();
    cash::Config::instance().usePrinterFiscal = 1;
    answerBoxes({platform::ok});
    EXPECT_EQ(0, facade().PrintSlip("Услуга", 15000, 1000, 1));
    ASSERT_EQ(1u, shownBoxes().size());
    EXPECT_EQ((ShownBox{"Напечатать подкладной документ ?", "Печать подкладного документа",
                        platform::Buttons::okCancel, platform::Icon::none}),
              shownBoxes()[0]);
    EXPECT_EQ(1, count(takeTrace(), "libfptr_registration("));
    EXPECT_EQ(1u, readState()["receipt"]["positions"].size());
}

TEST_F(DriverObject, PrintSlipWithCancelRegistersNothing) {
    openReceipt();
    cash::Config::instance().usePrinterFiscal = 1;
    answerBoxes({platform::cancel});
    facade().PrintSlip("Услуга", 15000, 1000, 1);
    EXPECT_EQ(0, count(takeTrace(), "libfptr_registration("));
}

TEST_F(DriverObject, ReturnIsASaleWithDepartmentAndTaxZero) {
    openReceipt();
    ASSERT_EQ(0, facade().Return("Возврат", 5000, 1000));
    const Lines returned = takeTrace();
    const Lines returnLog = takeLog();
    facade().SetTaxType(0);
    ASSERT_EQ(0, facade().RegisterSale("Возврат", 5000, 1000, 0, 0));
    EXPECT_EQ(returned, takeTrace());
    Lines saleLog = takeLog();
    saleLog.insert(saleLog.begin(), "   atol10->Return ==> RegisterSale [registration]");
    // The first position took its tax from the settings, the second keeps it.
    for (std::string& line : saleLog)
        if (line.find("TaxTypeNumber") != std::string::npos)
            line = "   TaxTypeNumber: 4(Налог был взят из ini) ";
    EXPECT_EQ(returnLog, saleLog);
}

TEST_F(DriverObject, TextSumsAreTruncatedToWholeKopecks) {
    cash::Config::instance().autoShift = "Y";
    ASSERT_EQ(0, facade().CheckKKT());
    ASSERT_EQ(0, facade().CashIncome(std::string("10.129")));
    EXPECT_EQ(1012, readState()["cashBalance"].get<long long>());
    ASSERT_EQ(0, facade().CashOutcome(std::string("0.999")));
    EXPECT_EQ(1012 - 99, readState()["cashBalance"].get<long long>());
    EXPECT_THROW(facade().CashIncome(std::string("десять")), boost::bad_lexical_cast);
    EXPECT_THROW(facade().CashOutcome(std::string("")), boost::bad_lexical_cast);
}

TEST_F(DriverObject, AttributesStayForTheNextReceipt) {
    facade().SetCheckAttributes(true, true, 150, "+79001234567", "a@b.ru", "Перевод", "Иванова",
                                "+79007654321", "Перевод денег", "ООО Оператор", "Москва",
                                "7701234567", "+74950000000");
    cash::Config::instance().autoShift = "Y";
    ASSERT_EQ(0, facade().CheckKKT());
    for (int receipt = 0; receipt < 2; ++receipt) {
        takeTrace();
        ASSERT_EQ(0, facade().NewCheck(1));
        const Lines trace = takeTrace();
        EXPECT_EQ(1, count(trace, "libfptr_set_param_str(#h, 1008, \"+79001234567\")"));
        EXPECT_EQ(1, count(trace, "libfptr_set_param_str(#h, 1021, \"Иванова\")"));
        ASSERT_EQ(0, facade().CancelCheck());
    }
}

class DriverObjects : public DriverTest {};

TEST_F(DriverObjects, DestroyIgnoresNull) {
    cash::ICash* object = cash::createDriverObject();
    ASSERT_NE(nullptr, object);
    takeTrace();
    takeLog();
    cash::destroyDriverObject(nullptr);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_TRUE(takeTrace().empty()) << "the register library was called";
    // The driver goes on: the object made before works and is destroyed as usual.
    cash::Config::instance().autoShift = "Y";
    EXPECT_EQ(0, object->CheckKKT());
    takeTrace();
    cash::destroyDriverObject(object);
    EXPECT_EQ(Lines({"libfptr_close(#h) = 0", "libfptr_destroy(&#h)"}), takeTrace());
    cash::ICash* another = cash::createDriverObject();
    ASSERT_NE(nullptr, another);
    cash::destroyDriverObject(another);
}

TEST_F(DriverObjects, CreateWithIniReadsTheNamedFile) {
    const std::string profileDir = joinPath(joinPath(dir_, "profile"), "Windows");
    std::filesystem::create_directories(profileDir);
    writeFile(joinPath(profileDir, "code.ini"), "TaxTypeNumber=6\n");
    cash::ICash* object = cash::createDriverObjectWithIni("code.ini");
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(6, cash::Config::instance().taxTypeNumber);
    cash::destroyDriverObject(object);
    const Lines log = takeLog();
    ASSERT_EQ(8u, log.size());
    EXPECT_EQ(Lines({"   ***** Чтение из code.ini *****", "   TaxTypeNumber = 6", "   *****"}),
              Lines(log.begin() + 5, log.end()));
    EXPECT_EQ(Lines({"libfptr_create(&#h) = 0", "libfptr_get_version_string() = \"10.10.8.0\"",
                     "libfptr_close(#h) = 0", "libfptr_destroy(&#h)"}),
              takeTrace());
}

TEST_F(DriverObjects, CreateWithIniThatThrowsDestroysTheObjectFirst) {
    const std::string profileDir = joinPath(joinPath(dir_, "profile"), "Windows");
    std::filesystem::create_directories(profileDir);
    writeFile(joinPath(profileDir, "code.ini"), "Tag1057=x\n");
    EXPECT_THROW(cash::createDriverObjectWithIni("code.ini"), boost::bad_lexical_cast);
    EXPECT_EQ(Lines({"libfptr_create(&#h) = 0", "libfptr_get_version_string() = \"10.10.8.0\"",
                     "libfptr_close(#h) = 0", "libfptr_destroy(&#h)"}),
              takeTrace());
}

TEST_F(DriverObjects, CreateWithIniRefusesANameThatCouldReachAnotherFile) {
    // A planted file in the profile where "..\\x.ini" and the like would lead,
    // and one the plain name would find: none of them is read.
    const std::string profileDir = joinPath(joinPath(dir_, "profile"), "Windows");
    std::filesystem::create_directories(profileDir);
    writeFile(joinPath(joinPath(dir_, "profile"), "x.ini"), "TaxTypeNumber=9\n");
    writeFile(joinPath(profileDir, "x.ini"), "TaxTypeNumber=9\n");
    const int before = cash::Config::instance().taxTypeNumber;
    for (const char* name :
         {"..\\x.ini", "../x.ini", "vorna.cash.sender.\\..\\..\\x.ini", "vorna.cash.sender.a/b.ini",
          "C:\\x.ini", "", "x.ini\r\nTaxTypeNumber"}) {
        EXPECT_EQ(nullptr, cash::createDriverObjectWithIni(name)) << name;
        const Lines log = takeLog();
        ASSERT_EQ(1u, log.size()) << name;
        EXPECT_EQ(log[0].find("   Имя файла настроек отклонено: "), 0u) << log[0];
        EXPECT_EQ(log[0].find('\r'), std::string::npos);
    }
    EXPECT_EQ(nullptr, cash::createDriverObjectWithIni(nullptr));
    EXPECT_EQ(Lines({"   Имя файла настроек отклонено: "}), takeLog());
    EXPECT_EQ(before, cash::Config::instance().taxTypeNumber);
    EXPECT_TRUE(takeTrace().empty());  // no register library call either

    cash::ICash* object = cash::createDriverObjectWithIni("x.ini");
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(9, cash::Config::instance().taxTypeNumber);
    cash::destroyDriverObject(object);
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
