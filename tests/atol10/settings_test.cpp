// The driver settings: value conversions, the two key handlers and the reads.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>
#include <filesystem>

#include "cash/atol10/config.h"
#include "cash/atol10/settings_reads.h"
#include "cash/atol10/settings_values.h"
#include "common/app_exception.h"
#include "common/driver_log.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using cash::Config;
using Bytes = std::vector<std::uint8_t>;

TEST(SettingsValues, StrictIntegersAcceptOnlyWholeNumbers) {
    EXPECT_EQ(115200, cash::settings::strictInteger("115200"));
    EXPECT_EQ(-3, cash::settings::strictInteger("-3"));
    EXPECT_THROW(cash::settings::strictInteger("fast"), boost::bad_lexical_cast);
    EXPECT_THROW(cash::settings::strictInteger("12x"), boost::bad_lexical_cast);
    EXPECT_THROW(cash::settings::strictInteger(""), boost::bad_lexical_cast);
}

TEST(SettingsValues, LenientIntegersTakeTheLeadingDigits) {
    EXPECT_EQ(0, cash::settings::lenientInteger("fast"));
    EXPECT_EQ(12, cash::settings::lenientInteger("12x"));
    EXPECT_EQ(-5, cash::settings::lenientInteger("-5 baud"));
    EXPECT_EQ(0, cash::settings::lenientInteger(""));
}

TEST(SettingsValues, ParityAndStopBitWords) {
    std::uint8_t parity = 9;
    EXPECT_TRUE(cash::settings::parityWord("even", parity));
    EXPECT_EQ(2, parity);
    EXPECT_TRUE(cash::settings::parityWord("SPACE", parity));
    EXPECT_EQ(4, parity);
    EXPECT_FALSE(cash::settings::parityWord("no", parity));
    EXPECT_EQ(4, parity);
    std::uint8_t stop = 9;
    EXPECT_TRUE(cash::settings::stopBitsWord("1.5", stop));
    EXPECT_EQ(0, stop);
    EXPECT_TRUE(cash::settings::stopBitsWord("2", stop));
    EXPECT_EQ(2, stop);
    EXPECT_FALSE(cash::settings::stopBitsWord("", stop));
    EXPECT_FALSE(cash::settings::stopBitsWord("one", stop));
    EXPECT_EQ(2, stop);
}

TEST(SettingsValues, PackedBcdKeepsTheLowestDigits) {
    EXPECT_EQ(Bytes({0x23, 0x45, 0x67, 0x89}), cash::settings::packedBcd("123456789", 4));
    EXPECT_EQ(Bytes({0x00, 0x00, 0x00, 0x30}), cash::settings::packedBcd("30", 4));
    EXPECT_EQ(Bytes({0x12, 0x34}), cash::settings::packedBcd("1234.9", 2));
    EXPECT_EQ(Bytes({0x00, 0x00}), cash::settings::packedBcd("word", 2));
}

class DriverSettings : public DriverTest {};

TEST_F(DriverSettings, PortKeysAreLenientAndSilent) {
    Config& config = Config::instance();
    config.handle("baudrate", "fast");
    EXPECT_EQ(0, config.port.baudRate);
    config.handle("PortNumber", "COM7");
    EXPECT_EQ("COM7", config.port.portName);
    config.handle("IPAddress", "10.0.0.5");
    config.handle("TCPPort", "5555");
    config.handle("ByteSize", "7");
    config.handle("CashierInn", "500100732259");
    config.handle("TaxTypeNumber", "2");
    EXPECT_EQ("10.0.0.5", config.port.ipAddress);
    EXPECT_EQ("5555", config.port.tcpPort);
    EXPECT_EQ(7, config.port.byteSize);
    EXPECT_EQ("500100732259", config.cashierInn);
    EXPECT_EQ(4, config.taxTypeNumber);  // not a port key
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(DriverSettings, AllKeysAreLoggedAndApplied) {
    Config& config = Config::instance();
    cash::applyDriverSetting(config, "PortName", "COM3");
    cash::applyDriverSetting(config, "TurnFiscal", "5");
    EXPECT_EQ(0, config.turnFiscal);
    cash::applyDriverSetting(config, "turnfiscal", "1");
    EXPECT_EQ(1, config.turnFiscal);
    cash::applyDriverSetting(config, "Parity", "even");
    EXPECT_EQ(2, config.port.parity);
    cash::applyDriverSetting(config, "Parity", "no");
    EXPECT_EQ(2, config.port.parity);
    cash::applyDriverSetting(config, "StopBits", "1.5");
    EXPECT_EQ(0, config.port.stopBits);
    cash::applyDriverSetting(config, "PortNumber", "COM9");
    cash::applyDriverSetting(config, "CashierPassword", "123456789");
    EXPECT_EQ(Bytes({0x23, 0x45, 0x67, 0x89}), config.cashierPassword);
    cash::applyDriverSetting(config, "RegistrationPassword", "30");
    EXPECT_EQ(Bytes({0x00, 0x30}), config.registrationPassword);
    cash::applyDriverSetting(config, "AutoShift", "Y");
    cash::applyDriverSetting(config, "Tag1057", "4");
    cash::applyDriverSetting(config, "LinesBeforeCut", "3");
    EXPECT_EQ("COM3", config.port.portName);
    EXPECT_EQ("Y", config.autoShift);
    EXPECT_EQ(4, config.tag1057);
    EXPECT_EQ(3, config.linesBeforeCut);
    EXPECT_EQ(
        std::vector<std::string>({"   PortName = COM3", "   TurnFiscal = 5", "   turnfiscal = 1",
                                  "   Parity = even", "   Parity = no", "   StopBits = 1.5",
                                  "   PortNumber = COM9", "   CashierPassword = 123456789",
                                  "   RegistrationPassword = 30", "   AutoShift = Y",
                                  "   Tag1057 = 4", "   LinesBeforeCut = 3"}),
        takeLog());
}

TEST_F(DriverSettings, StrictKeyWithAWordThrowsAfterLogging) {
    Config& config = Config::instance();
    EXPECT_THROW(cash::applyDriverSetting(config, "BaudRate", "fast"), boost::bad_lexical_cast);
    EXPECT_EQ(std::vector<std::string>({"   BaudRate = fast"}), takeLog());
}

TEST_F(DriverSettings, LowerCaseUseLogSwitchesTheLogOff) {
    cash::applyDriverSetting(Config::instance(), "UseLog", "y");
    writeLog("not written");
    EXPECT_EQ(std::vector<std::string>({"   UseLog = y"}), takeLog());
}

TEST_F(DriverSettings, LogPathIsCreatedAndUseLogYCreatesTheLogFolder) {
    const std::string logPath = joinPath(dir_, "newlog");
    cash::applyDriverSetting(Config::instance(), "LogPath", logPath);
    EXPECT_TRUE(std::filesystem::is_directory(logPath));
    cash::applyDriverSetting(Config::instance(), "UseLog", "Y");
    EXPECT_TRUE(std::filesystem::is_directory(joinPath(logPath, "Quorvale")));
}

TEST_F(DriverSettings, NamedFileIsReadFromTheProfileWithItsMarkers) {
    const std::string profileDir = joinPath(joinPath(dir_, "profile"), "Windows");
    std::filesystem::create_directories(profileDir);
    writeFile(joinPath(profileDir, "vorna.cash.sender.7.ini"),
              "PortName = TCP\r\nTCPPort = 5555 ; ignored by the all-keys handler\r\n"
              "AutoShift=Y\r\n");
    cash::readNamedSettingsFile("vorna.cash.sender.7.ini");
    EXPECT_EQ("TCP", Config::instance().port.portName);
    EXPECT_EQ("", Config::instance().port.tcpPort);
    EXPECT_EQ("Y", Config::instance().autoShift);
    EXPECT_EQ(std::vector<std::string>({"   ***** Чтение из vorna.cash.sender.7.ini *****",
                                        "   PortName = TCP", "   TCPPort = 5555",
                                        "   AutoShift = Y", "   *****"}),
              takeLog());
}

TEST_F(DriverSettings, FailedReadAtLoadNamesTheLocation) {
    const std::string profileDir = joinPath(joinPath(dir_, "profile"), "Windows");
    std::filesystem::create_directories(profileDir);
    writeFile(joinPath(profileDir, "vorna.cash.atol10.ini"), "Tag1057=4\nBaudRate=fast\n");
    try {
        cash::readSettingsAtLoad(nullptr);
        FAIL() << "no exception";
    } catch (const winapi::Exception& e) {
        EXPECT_STREQ("Ошибка чтения vorna.cash.atol10.ini Windows", e.what());
    }
    EXPECT_EQ(4, Config::instance().tag1057);  // applied before the failure
    const std::vector<std::string> log = takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ("   Ошибка чтения vorna.cash.atol10.ini Windows", log.back());
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
