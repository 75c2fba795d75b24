// vorna-cash itself: its usage on request and on a wrong command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

TEST(HostTool, HelpAndHPrintTheUsageAndExitWithZero) {
    SenderHost host;
    for (const char* option : {"--help", "-h"}) {
        ProcessResult result = host.run({option});
        EXPECT_EQ(result.exitCode, 0) << option;
        EXPECT_THAT(result.output, StartsWith("usage: vorna-cash COMMAND [OPTIONS]")) << option;
        EXPECT_THAT(result.output, HasSubstr("send --unc N --sum KOPECKS")) << option;
        EXPECT_THAT(result.errors, IsEmpty()) << option;
    }
    // No library call was made: nothing was logged.
    EXPECT_FALSE(host.exists(host.startLog()));
}

TEST(HostTool, AWrongCommandLineGivesTheUsageOnTheErrorStreamAnd125) {
    SenderHost host;
    ProcessResult result = host.run({"--bogus"});
    EXPECT_EQ(result.exitCode, 125);
    EXPECT_THAT(result.errors, HasSubstr("vorna-cash: unknown command '--bogus'"));
    EXPECT_THAT(result.errors, HasSubstr("usage: vorna-cash"));
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
