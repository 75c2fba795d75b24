// How the library reports a failure: by default as the current library does
// (-1, then libfptr_error_code and libfptr_error_description), and, as an
// option of the register, with the older generation's direct numbers.
#include "emulator/faults.h"
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

using emulator::makeFault;

class ErrorConventionsTest : public EmulatorTest {
protected:
    void useLegacy() {
        editState([](json& s) { s["errors"] = "legacy"; });
    }
    int code() { return d_.lib().libfptr_error_code(d_.handle()); }
    // The failure of an operation as it came back: its result, its code, its text.
    struct Failure {
        int result, code;
        std::string text;
    };
    Failure failure(int result) { return {result, code(), d_.errorText()}; }
    void openSale() {
        ASSERT_EQ(0, d_.connect());
        ASSERT_EQ(0, d_.openShift());
        ASSERT_EQ(0, d_.openReceipt(1));
    }
    Device d_;
};

TEST_F(ErrorConventionsTest, CurrentLibraryReturnsMinusOneAndGivesTheNumberAndText) {
    EXPECT_EQ("current", state()["errors"]) << "the default convention";
    d_.setInt(param::dataType, dt::status);
    Failure f = failure(d_.lib().libfptr_query_data(d_.handle()));
    EXPECT_EQ(-1, f.result);
    EXPECT_EQ(2, f.code);
    EXPECT_EQ(u8"Нет связи с ККТ", f.text);

    ASSERT_EQ(0, d_.lib().libfptr_open(d_.handle()));
    EXPECT_EQ(0, code()) << "a success clears the last failure";
    EXPECT_EQ(u8"Ошибок нет", d_.errorText());
    d_.setInt(param::receiptType, 1);
    f = failure(d_.lib().libfptr_open_receipt(d_.handle()));
    EXPECT_EQ(-1, f.result);
    EXPECT_EQ(73, f.code);
    EXPECT_EQ(u8"Смена закрыта - операция невозможна", f.text);
    f = failure(d_.lib().libfptr_close_receipt(d_.handle()));
    EXPECT_EQ(-1, f.result);
    EXPECT_EQ(81, f.code);
    EXPECT_EQ(u8"Чек закрыт - операция невозможна", f.text);
}

TEST_F(ErrorConventionsTest, EachRegisterConditionHasTheNumberOfTheTable) {
    openSale();
    EXPECT_EQ(69, d_.openReceipt(1)) << "a sale receipt is open";
    EXPECT_EQ(u8"Открыт чек прихода - операция невозможна", d_.errorText());
    EXPECT_EQ(69, d_.openShift());
    ASSERT_EQ(0, d_.call(d_.lib().libfptr_cancel_receipt));
    ASSERT_EQ(0, d_.cashIncome(1000));
    ASSERT_EQ(0, d_.openReceipt(2));
    EXPECT_EQ(67, d_.openReceipt(1)) << "a return receipt is open";
    EXPECT_EQ(u8"Открыт чек возврата - операция невозможна", d_.errorText());
    ASSERT_EQ(0, d_.call(d_.lib().libfptr_cancel_receipt));
    EXPECT_EQ(83, d_.openShift()) << "the shift is open";
    editState([](json& s) { s["paper"] = false; });
    EXPECT_EQ(44, d_.printText("x"));
    EXPECT_EQ(u8"Нет бумаги", d_.errorText());
    editState([](json& s) {
        s["paper"] = true;
        s["coverOpen"] = true;
    });
    EXPECT_EQ(45, d_.printText("x"));
    editState([](json& s) {
        s["coverOpen"] = false;
        s["clockOffset"] = 25 * 3600;
    });
    EXPECT_EQ(68, d_.openReceipt(1)) << "the shift is over 24 hours";
    EXPECT_EQ(u8"Смена превысила 24 часа", d_.errorText());
    EXPECT_EQ(0, d_.report(0)) << "the Z report closes it";
    EXPECT_EQ(73, d_.openReceipt(1));
}

TEST_F(ErrorConventionsTest, LegacyOptionReturnsTheOlderDirectNumbers) {
    useLegacy();
    EXPECT_EQ(-11, d_.query(dt::status));
    EXPECT_EQ(-11, code());
    ASSERT_EQ(0, d_.connect());
    EXPECT_EQ(-3801, d_.openReceipt(1));
    EXPECT_EQ(-3801, code());
    EXPECT_EQ(u8"Смена закрыта - операция невозможна", d_.errorText());
    ASSERT_EQ(0, d_.openShift());
    ASSERT_EQ(0, d_.openReceipt(1));
    EXPECT_EQ(-3865, d_.openReceipt(1));
    EXPECT_EQ(-3865, d_.openShift());
    ASSERT_EQ(0, d_.call(d_.lib().libfptr_cancel_receipt));
    ASSERT_EQ(0, d_.cashIncome(1000));
    ASSERT_EQ(0, d_.openReceipt(2));
    EXPECT_EQ(-3821, d_.openReceipt(1));
    ASSERT_EQ(0, d_.call(d_.lib().libfptr_cancel_receipt));
    editState([](json& s) { s["paper"] = false; });
    EXPECT_EQ(-3807, d_.printText("x"));
    editState([](json& s) {
        s["paper"] = true;
        s["clockOffset"] = 25 * 3600;
    });
    EXPECT_EQ(-3822, d_.openReceipt(1));
    EXPECT_EQ(-3822, code());
}

TEST_F(ErrorConventionsTest, FaultNumbersOfEitherNumberingAreTranslated) {
    ASSERT_EQ(0, d_.connect());
    editState([](json& s) {
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, -3807));
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, 68));
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, 1234));
    });
    EXPECT_EQ(-1, d_.lib().libfptr_cut(d_.handle()));
    EXPECT_EQ(44, code());
    EXPECT_EQ(68, d_.call(d_.lib().libfptr_cut));
    EXPECT_EQ(1234, d_.call(d_.lib().libfptr_cut)) << "no counterpart: as it was given";
    EXPECT_EQ(u8"Ошибка 1234", d_.errorText());

    useLegacy();
    editState([](json& s) {
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, 44));
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, 241));
        s["faults"].push_back(makeFault("error", "libfptr_cut", "before", 1, -3822));
    });
    EXPECT_EQ(-3807, d_.lib().libfptr_cut(d_.handle()));
    EXPECT_EQ(-11, d_.lib().libfptr_cut(d_.handle())) << "a connection lost: not connected";
    EXPECT_EQ(-3822, d_.lib().libfptr_cut(d_.handle()));
    EXPECT_EQ(0, d_.lib().libfptr_cut(d_.handle()));
}

TEST_F(ErrorConventionsTest, EmulatorConditionsHaveNumbersOfTheirOwn) {
    openSale();
    EXPECT_EQ(408, d_.close()) << "no positions";
    EXPECT_EQ(u8"Чек не содержит позиций", d_.errorText());
    ASSERT_EQ(0, d_.position("a", 10, 7));
    EXPECT_EQ(401, d_.close()) << "not paid";
    EXPECT_EQ(402, d_.position("a", 1, 0)) << "tax type";
}

TEST_F(ErrorConventionsTest, TheToolSetsTheConvention) {
    std::string out;
    EXPECT_NE(0, runTool("set errors older", &out));
    EXPECT_NE(std::string::npos, out.find("current or legacy")) << out;
    ASSERT_EQ(0, runTool("set errors legacy", &out)) << out;
    EXPECT_EQ("legacy", state()["errors"]);
    EXPECT_EQ(-11, d_.query(dt::status));
    ASSERT_EQ(0, runTool("init", &out)) << out;
    EXPECT_EQ("current", state()["errors"]);
    ASSERT_EQ(0, runTool("init --errors legacy", &out)) << out;
    EXPECT_EQ("legacy", state()["errors"]);
    EXPECT_NE(0, runTool("init --errors newest", &out));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
