// The call trace: every libfptr_* call with its arguments and result.
#include "tests/emulator/emulator_fixture.h"

namespace vorna {
namespace emulator_test {
namespace {

class TraceTest : public EmulatorTest {};

TEST_F(TraceTest, NothingIsTracedUntilSwitchedOn) {
    Device d;
    ASSERT_EQ(0, d.connect());
    EXPECT_TRUE(traceLines().empty());
}

TEST_F(TraceTest, EveryCallIsOneLineWithArgumentsAndResult) {
    editState([](json& s) { s["trace"] = true; });
    {
        Device d;
        ASSERT_EQ(0, d.connect());
        d.setInt(param::dataType, dt::shiftState);
        ASSERT_EQ(0, d.lib().libfptr_query_data(d.handle()));
        EXPECT_EQ(0, d.getInt(param::shiftState));
        d.setText(1021, u8"Сидоров");
        d.setDouble(param::price, 10.5);
        d.setBool(param::receiptElectronically, true);
        d.setBytes(1223, std::string("\x01\x02", 2));
        EXPECT_EQ(-1, d.lib().libfptr_open_receipt(d.handle()));
        d.lib().libfptr_set_single_setting(d.handle(), L"Port", L"0");
        d.getText(param::firmwareVersion);
    }
    std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ("libfptr_create(&#", lines[0].substr(0, 17));
    const std::string h = lines[0].substr(16, lines[0].find(')') - 16);
    EXPECT_EQ("libfptr_create(&" + h + ") = 0", lines[0]);
    EXPECT_EQ("libfptr_open(" + h + ") = 0", lines[1]);
    EXPECT_EQ("libfptr_set_param_int(" + h + ", " + id(param::dataType) + ", 14)", lines[2]);
    EXPECT_EQ("libfptr_query_data(" + h + ") = 0", lines[3]);
    EXPECT_EQ("libfptr_get_param_int(" + h + ", " + id(param::shiftState) + ") = 0", lines[4]);
    EXPECT_EQ("libfptr_set_param_str(" + h + u8", 1021, \"Сидоров\")", lines[5]);
    EXPECT_EQ("libfptr_set_param_double(" + h + ", " + id(param::price) + ", 10.5)", lines[6]);
    EXPECT_EQ("libfptr_set_param_bool(" + h + ", " + id(param::receiptElectronically) + ", true)",
              lines[7]);
    EXPECT_EQ("libfptr_set_param_bytearray(" + h + ", 1223, [01 02])", lines[8]);
    EXPECT_EQ("libfptr_open_receipt(" + h + u8") = -1, error 405 \"Неверное значение параметра\"",
              lines[9]);
    EXPECT_EQ("libfptr_set_single_setting(" + h + ", \"Port\", \"0\")", lines[10]);
    EXPECT_EQ("libfptr_get_param_str(" + h + ", " + id(param::firmwareVersion) +
                  ", 8) = 1 \"\" (not set)",
              lines[11]);
    EXPECT_EQ("libfptr_destroy(&" + h + ")", lines.back());
}

TEST_F(TraceTest, InjectedExceptionsAreTraced) {
    editState([](json& s) {
        s["trace"] = true;
        s["faults"].push_back({{"kind", "throw"}, {"function", "libfptr_open"}});
    });
    Device d;
    EXPECT_THROW(d.connect(), std::exception);
    std::vector<std::string> lines = traceLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos,
              lines[1].find(") threw \"fptr10 emulator: injected exception in libfptr_open\""));
}

}  // namespace
}  // namespace emulator_test
}  // namespace vorna
