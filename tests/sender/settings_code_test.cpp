// The settings code (IBS_CODE) through the real exports: a code that could
// name a file anywhere but beside the others ends the call with 100, reads no
// file and loads no driver, whatever a planted settings file and a planted
// driver library offer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/platform/platform.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";
constexpr char kPlanted[] = "planted.dll";
constexpr char kPlantedSettings[] = "CashDriver=planted.dll\nCashier=Planted\n";

const std::vector<std::string>& refusedCodes() {
    static const std::vector<std::string> codes = {"..\\x", "\\..\\..\\x", "a/b", "C:\\x",
                                                   std::string(65, '7')};
    return codes;
}

class SettingsCode : public ::testing::Test {
protected:
    void SetUp() override {
        host.installDriver("recording_driver", kAtol10);
        host.installDriver("recording_driver", kPlanted);
        host.writeSettings(kAtol10);
    }

    // A settings file naming the planted driver wherever the code's file name
    // would lead, were it used as a path.
    void plant(const std::string& code) const {
        const std::filesystem::path literal =
            host.path(host.work(), "vorna.cash.sender." + code + ".ini");
        std::vector<std::filesystem::path> places = {literal, literal.lexically_normal()};
        // Windows drops the trailing dots of a folder name: "sender..." is "sender".
        if (platform::pathSeparator() == '\\' && code == "..\\x")
            places.push_back(host.path(host.path(host.work(), "vorna.cash.sender"), "x.ini"));
        for (const std::filesystem::path& place : places) {
            std::error_code ignored;
            std::filesystem::create_directories(place.parent_path(), ignored);
            std::ofstream(place, std::ios::binary) << kPlantedSettings;
        }
    }

    ProcessResult send(const std::string& code) const {
        return host.run({"send", "--unc", "4711", "--sum", "100", "--pair", "TYPE_OPER=P", "--pair",
                         "IBS_CODE=" + code});
    }

    void expectRefused(const ProcessResult& result, const std::string& code,
                       const std::string& label) const {
        EXPECT_EQ(result.exitCode, 100) << code << "\n" << result.output << result.errors;
        EXPECT_THAT(host.takeCalls(), IsEmpty()) << code;  // no driver, planted or not
        const std::string refusal =
            "Код настроек IBS_CODE=" + code +
            " отклонён: допустимы латинские буквы, цифры, \"-\" и \"_\", не более 64 символов";
        const std::vector<std::string> start = host.logLines(host.startLog());
        EXPECT_THAT(start, Contains("Начало выполнения: " + label)) << code;
        EXPECT_THAT(start, Contains(refusal)) << code;
        const std::vector<std::string> operations = host.logLines(host.operationLog());
        EXPECT_THAT(operations, Contains(refusal)) << code;
        EXPECT_THAT(host.fileText(host.operationLog()), Not(HasSubstr("planted")));
    }

    void clearLogs() const {
        std::error_code ignored;
        std::filesystem::remove(host.startLog(), ignored);
        std::filesystem::remove(host.operationLog(), ignored);
    }

    SenderHost host;
};

TEST_F(SettingsCode, APlantedFileOfAnAcceptedCodeIsReadAndItsDriverLoaded) {
    // The control: the planting works, so its absence below is the code's refusal.
    host.writeFile("vorna.cash.sender.Branch_7-a.ini", kPlantedSettings);
    ProcessResult result = host.run({"check-link", "--pair", "IBS_CODE=Branch_7-a"});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    EXPECT_THAT(host.takeCalls(), Contains("CheckKKT()"));
    EXPECT_THAT(host.logLines(host.operationLog()), Contains("Проверка связи с ККТ <planted.dll>"));
}

TEST_F(SettingsCode, SendChequeRefusesEveryCodeThatCouldNameAnotherFile) {
    for (const std::string& code : refusedCodes()) {
        plant(code);
        clearLogs();
        ProcessResult result = send(code);
        EXPECT_THAT(result.output, HasSubstr(utf8("result: 100 Передан некорректный параметр")));
        expectRefused(result, code, "_sendCheque@28 [unc=4711]");
        EXPECT_THAT(host.logLines(host.operationLog()),
                    Contains("<vorna.cash.atol10.dll><Печатать чек>"));
    }
}

TEST_F(SettingsCode, TheOtherExportsWithPairsRefuseItToo) {
    struct Export {
        const char* command;
        const char* label;
    };
    for (const Export& e :
         {Export{"check-link", "_checkLinkKKT@12"}, Export{"info", "_checkInfoKKT@16"},
          Export{"x-report", "_xReport@8"}, Export{"z-report", "_zReport@8"}}) {
        for (const std::string& code : {refusedCodes()[1], refusedCodes()[4]}) {
            plant(code);
            clearLogs();
            ProcessResult result = host.run({e.command, "--pair", "IBS_CODE=" + code});
            expectRefused(result, code, e.label);
        }
    }
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
