// Host texts with line ends through the exports compiled into this program:
// each call writes exactly the log lines it means to, whatever the unc, the
// pair keys and values or the settings code hold; the control characters
// appear as visible escapes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cash/sender/sender_settings.h"
#include "cash/shared/sender_api.h"
#include "common/platform/platform.h"

namespace vorna {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kForgedLine[] = "Начало выполнения: _zReport@8";

class ForgedLines : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() /
                  ("vorna-forging-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(folder_);
        saved_ = platform::currentDirectory();
        ASSERT_TRUE(platform::setCurrentDirectory(folder_.string()));
        SenderSettings& settings = SenderSettings::instance();
        handleSenderSetting(settings, "UseLog", "1");
        handleSenderSetting(settings, "LogDirectory", folder_.string());
        // No driver is needed: the logs are written before one is loaded.
        handleSenderSetting(settings, "CashDriver", "vorna.cash.absent.dll");
    }
    void TearDown() override {
        platform::setCurrentDirectory(saved_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // The lines of a log file without their time stamps. Every line of the
    // start log begins with a stamp; the operation log also holds the cheque
    // script, whose own line ends follow its stamped first line.
    std::vector<std::string> lines(const std::string& name, bool everyLineStamped) const {
        std::ifstream in((folder_ / name).string(), std::ios::binary);
        std::vector<std::string> result;
        for (std::string line; std::getline(in, line);) {
            // A result line ends in CR LF of its own, and Windows adds a CR of its own.
            while (!line.empty() && line.back() == '\r') line.pop_back();
            if (everyLineStamped) {
                EXPECT_EQ(line.rfind("[", 0), 0u) << "not a line of its own: " << line;
            }
            const std::size_t close = line.rfind("[", 0) == 0 ? line.find("] ") : std::string::npos;
            result.push_back(close == std::string::npos ? line : line.substr(close + 2));
        }
        return result;
    }
    std::vector<std::string> startLog() const { return lines("vorna.cash.sender.start.log", true); }
    std::vector<std::string> operationLog() const {
        std::string user;
        platform::userName(user);
        return lines(user + "_vorna.cash.sender.log", false);
    }

    std::filesystem::path folder_;
    std::string saved_;
};

TEST_F(ForgedLines, AUncAndAServiceNameWithLineEndsLeaveOneStartLineAndOneParameterLine) {
    const std::string unc = std::string("4711\r\n") + kForgedLine;
    const std::string shortName = std::string("Услуга\r\n") + kForgedLine + "\x01";
    const cash::ParameterPair pairs[] = {
        {"TYPE_OPER", "P"}, {"SHORT", shortName.c_str()}, {"NDS_CODE", "1105"}};
    const char* text = nullptr;
    // Printed: the header would carry the unc, so validation refuses it.
    EXPECT_EQ(sendCheque(unc.c_str(), 100, 0, pairs, 3, &text, 1), 100);
    // Not printed: the payment goes on to the (absent) driver.
    EXPECT_EQ(sendCheque(unc.c_str(), 100, 0, pairs, 3, &text, 0), 99);

    const std::string marker =
        "Начало выполнения: _sendCheque@28 [unc=4711\\r\\n" + std::string(kForgedLine) + "]";
    const std::string parameters = "UNC=4711\\r\\n" + std::string(kForgedLine) +
                                   ";SUMMA=100;COMIS=0;TYPE_OPER=P;SHORT=Услуга\\r\\n" +
                                   kForgedLine + "\\x01;NDS_CODE=1105;";
    EXPECT_THAT(startLog(), ElementsAre(marker, parameters, marker, parameters));
    const std::vector<std::string> operations = operationLog();
    EXPECT_EQ(std::count(operations.begin(), operations.end(), parameters), 2);
    for (const std::string& line : operations) EXPECT_NE(line, kForgedLine);
}

TEST_F(ForgedLines, KeysValuesAndTheSettingsCodeOfTheOtherExportsAreEscaped) {
    const std::string code = std::string("7\r\n") + kForgedLine;
    const cash::ParameterPair pairs[] = {{"IBS_CODE", code.c_str()}, {"KEY\nX", "v\r\n\x7F"}};
    EXPECT_EQ(zReport(pairs, 2), 100);
    const std::string escapedCode = "7\\r\\n" + std::string(kForgedLine);
    const std::string refusal =
        "Код настроек IBS_CODE=" + escapedCode +
        " отклонён: допустимы латинские буквы, цифры, \"-\" и \"_\", не более 64 символов";
    EXPECT_THAT(startLog(), ElementsAre("Начало выполнения: _zReport@8", refusal));
    EXPECT_THAT(operationLog(), ElementsAre("Закрытие смены (Z-Report) <vorna.cash.absent.dll>",
                                            "IBS_CODE=" + escapedCode + ";KEY\\nX=v\\r\\n\\x7F;",
                                            refusal, "100", ""));

    const cash::ParameterPair code77[] = {{"IBS_CODE", "77"}};
    const char* text = nullptr;
    const std::string uncWithCode = "1\r\n2";
    EXPECT_EQ(sendCheque(uncWithCode.c_str(), 0, 0, code77, 1, &text, 0), 100);
    EXPECT_THAT(startLog(), ::testing::Contains("77"));
    EXPECT_THAT(startLog(), ::testing::Contains(HasSubstr("[unc=1\\r\\n2]")));
}

}  // namespace
}  // namespace vorna
