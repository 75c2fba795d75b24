// The sender with the ATOL driver and the emulated register library instead
// of the recording driver: the whole road of a payment in real processes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";

class WithAtol10 : public ::testing::Test {
protected:
    void SetUp() override {
        std::string bin = host.binDirectory();
        std::filesystem::copy_file(
            host.path(bin, std::string("vorna.cash.atol10") + VORNA_LIBRARY_SUFFIX),
            host.path(host.work(), kAtol10));
        std::filesystem::copy_file(host.path(bin, VORNA_REGISTER_LIBRARY),
                                   host.path(host.work(), VORNA_REGISTER_LIBRARY));
        host.writeSettings(kAtol10);
    }
    SenderHost host;
};

TEST_F(WithAtol10, InfoOfTheEmulatedRegister) {
    ProcessResult result = host.run({"info", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0 \ninfo: "));
    EXPECT_THAT(result.output, Not(HasSubstr("info: \n")));
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
}

TEST_F(WithAtol10, PaymentOpensTheShiftWhenToldAndIsRegistered) {
    ProcessResult result =
        host.run({"send", "--unc", "4711", "--sum", "12345", "--comis", "1500", "--pair",
                  "TYPE_OPER=P", "--pair", "SHORT=Услуга", "--pair", "NDS_CODE=1105", "--pair",
                  "TYPE_OPL=NAL", "--answer", "yes", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    EXPECT_THAT(result.output, HasSubstr("result: 0 \nreleased: vorna.cash.atol10.dll"));
    EXPECT_THAT(result.errors, HasSubstr(utf8("Открыть смену?")));

    ProcessResult closing = host.run({"z-report", "--expect-released", kAtol10});
    EXPECT_EQ(closing.exitCode, 0) << closing.output << closing.errors;
}

TEST_F(WithAtol10, PaymentIntoAClosedShiftThatStaysClosedFails) {
    ProcessResult result =
        host.run({"send", "--unc", "1", "--sum", "100", "--pair", "TYPE_OPER=P", "--answer", "no"});
    EXPECT_EQ(result.exitCode, 3) << result.output << result.errors;
    EXPECT_THAT(result.output, HasSubstr(utf8("result: 3 Смена закрыта")));
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
