// The exports compiled into this program: a failure outside the guarded
// regions (here the user name, needed for the operation log) never reaches the
// host; the call ends with 99 and its usual text.
#include <gtest/gtest.h>

#include <string>

#include "cash/sender/result_text.h"
#include "cash/shared/sender_api.h"
#include "common/platform/platform.h"

namespace vorna {
namespace {

class NoUserName : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::systemCalls();
        platform::SystemCalls calls = saved_;
        calls.userName = [](std::string&) { return false; };
        platform::setSystemCalls(calls);
    }
    void TearDown() override { platform::setSystemCalls(saved_); }

private:
    platform::SystemCalls saved_;
};

TEST_F(NoUserName, EveryExportEndsAs99WithTheUsualText) {
    const char* other = resultText(99);
    const cash::ParameterPair pairs[] = {{"UseLog", "1"}};

    const char* text = nullptr;
    EXPECT_EQ(sendCheque("1", 100, 0, pairs, 1, &text, 1), 99);
    EXPECT_STREQ(text, other);

    text = nullptr;
    EXPECT_EQ(checkKKT(&text), 99);
    EXPECT_STREQ(text, other);

    text = nullptr;
    EXPECT_EQ(checkLinkKKT(&text, pairs, 1), 99);
    EXPECT_STREQ(text, other);

    text = nullptr;
    char* info = nullptr;
    EXPECT_EQ(checkInfoKKT(&text, pairs, 1, &info), 99);
    EXPECT_STREQ(text, other);
    // Even a call that fails before its work hands back a text to release.
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info, "");
    releaseInfoKKT(info);

    EXPECT_EQ(xReport(pairs, 1), 99);
    EXPECT_EQ(zReport(nullptr, 5), 99);
    // A host that passes no text pointer is not written through.
    EXPECT_EQ(checkKKT(nullptr), 99);
}

}  // namespace
}  // namespace vorna
