// The check of the register's health at the counter, with the sender compiled
// into this program so that its calendar can be moved: once per calendar day
// of the process, after the first checkKKT of the day, one warning box; none
// for the rest of the day; again the next day; never with HealthCheck=N. The
// driver is the ATOL one, the register the emulated one (10 days from FN expiry).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cash/sender/sender_settings.h"
#include "cash/shared/sender_api.h"
#include "common/platform/platform.h"
#include "emulator/tool/tool_commands.h"
#include "tests/common/common_test_support.h"
#include "tests/library_numbers.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

std::vector<std::string>& boxes() {
    static std::vector<std::string> shown;
    return shown;
}

int recordBox(const std::string& text, const std::string& caption, platform::Buttons,
              platform::Icon) {
    boxes().push_back(caption + ": " + text);
    return platform::ok;
}

class HealthDay : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = host.binDirectory();
        driver_ = host.path(host.work(), "vorna.cash.atol10.dll");
        std::filesystem::copy_file(
            host.path(bin, std::string("vorna.cash.atol10") + VORNA_LIBRARY_SUFFIX), driver_);
        platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", host.work());
        tool({"init", "--ffd", "1.2"});
        tool({"set", "shift.open", "true"});
        tool({"set", "shift.openedAt", std::to_string(platform::unixTime())});
        tool({"fn", "days", "10"});
        SenderSettings& settings = SenderSettings::instance();
        handleSenderSetting(settings, "CashDriver", driver_);
        handleSenderSetting(settings, "UseLog", "1");
        handleSenderSetting(settings, "LogDirectory", host.logs());
        platform::SystemCalls calls = platform::systemCalls();
        calls.messageBox = &recordBox;
        platform::setSystemCalls(calls);
        test::FixedClock::set(2026, 12, 9, 9, 0, 0, 0);
    }
    void TearDown() override {
        platform::SystemCalls calls = platform::systemCalls();
        calls.messageBox = nullptr;
        platform::setSystemCalls(calls);
    }

    void tool(const std::vector<std::string>& arguments) const {
        std::vector<std::string> full = {"--dir", host.work()};
        full.insert(full.end(), arguments.begin(), arguments.end());
        std::ostringstream out, err;
        ASSERT_EQ(emulator::tool::runCommand(full, out, err), 0) << err.str();
    }

    int check() const {
        const char* text = nullptr;
        return checkKKT(&text);
    }

    int healthQueries() const {
        std::ostringstream out, err;
        emulator::tool::runCommand({"--dir", host.work(), "trace"}, out, err);
        int n = 0;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);)
            n += line.find(", " + library_numbers::id(libfptr::param::fnDataType) + ", " +
                           std::to_string(libfptr::fndt::validity) + ")") != std::string::npos
                     ? 1
                     : 0;
        return n;
    }

    SenderHost host;
    test::FixedClock clock;
    std::string driver_;
};

TEST_F(HealthDay, OneBoxADayAfterTheFirstCheckAndNoneWhenTurnedOff) {
    tool({"set", "trace", "true"});
    EXPECT_EQ(check(), 0);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("Срок действия ФН истекает через 10 дн."), std::string::npos)
        << boxes()[0];
    EXPECT_EQ(healthQueries(), 1);

    EXPECT_EQ(check(), 0);
    test::FixedClock::set(2026, 12, 9, 23, 59, 0, 0);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_EQ(healthQueries(), 1);

    test::FixedClock::set(2026, 12, 10, 0, 1, 0, 0);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_EQ(healthQueries(), 2);

    // The box can be kept away, the log lines stay.
    handleSenderSetting(SenderSettings::instance(), "HealthWarnBox", "N");
    test::FixedClock::set(2026, 12, 11, 8, 0, 0, 0);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_EQ(healthQueries(), 3);

    // Off: the register is not asked at all.
    handleSenderSetting(SenderSettings::instance(), "HealthCheck", "N");
    test::FixedClock::set(2026, 12, 12, 8, 0, 0, 0);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_EQ(healthQueries(), 3);
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
