// The C sample host of examples/ against the emulated register: built from
// the host header alone and linked to the sender as a C host links it, it
// prints the register's information and registers the worked example payment.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::HasSubstr;

TEST(CSampleHost, RegistersThePaymentAndReleasesTheInformationText) {
    // The driver opens the shift without a question: the sample answers none.
    FullPathHost path({"--ffd", "1.2"}, "Cashier=Иванова\n");
    path.host.writeFile("vorna.cash.atol10.ini", "AutoShift=Y\n");
    const std::string program = std::string("sample_host") + VORNA_EXECUTABLE_SUFFIX;
    std::filesystem::copy_file(path.host.path(path.host.binDirectory(), program),
                               path.host.path(path.host.work(), program));

    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult result = runProcess(path.host.path(path.host.work(), program), {"4711", "12345"},
                                      path.host.work(), path.host.work());
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    EXPECT_THAT(result.output, HasSubstr("checkInfoKKT: 0 (done)\nregister: "));
    EXPECT_THAT(result.output, HasSubstr("sendCheque: 0 (done)\n"));

    const std::vector<nlohmann::json> receipts = path.registerFolder.receipts();
    ASSERT_EQ(receipts.size(), before + 1);
    const nlohmann::json& receipt = receipts.back();
    EXPECT_DOUBLE_EQ(receipt.value("total", 0.0), 123.45) << receipt;
    EXPECT_EQ(receipt.value("1021", ""), utf8("Иванова")) << receipt;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
