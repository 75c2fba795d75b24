// The driver's process-wide settings, filled from "vorna.cash.atol10.ini".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cash/atol10/port_settings.h"
#include "common/simple_config.h"
#include "common/singleton.h"

namespace vorna {
namespace cash {

class Config : public Simple::Config, public Patterns::Singleton<Config> {
public:
    // Defaults, then the host-directory file and its profile copy through the
    // port keys (handle).
    Config();
    ~Config() override;

    std::string location() const override;
    std::string delimiters() const override;
    // The port keys; lenient, never fails, does not log.
    void handle(const std::string& key, const std::string& value) override;

    int turnFiscal;
    int usePrinterFiscal;
    int maxCashStringLength;
    std::vector<std::uint8_t> cashierPassword;
    std::vector<std::uint8_t> administratorPassword;
    std::vector<std::uint8_t> registrationPassword;
    std::string logDirectory;
    std::string logPath;
    std::string useLog;
    PortSettings port;
    int getSessionStateFromFlags;
    int dontCheckSessionOver;
    int taxTypeNumber;
    int typeOplNumber;
    int linesBeforeCut;
    int cashlessTypeClose;
    std::string cashierInn;
    std::string autoShift;
    std::string regInfoLog;
    int tag1057;
    // "Y": no window; questions get the answers of the settings
    // (cash/atol10/unattended_driver.h).
    std::string unattended;
};

// The all-keys handler: logs the pair, then applies it to Config::instance.
// Strict integers that are not numbers throw.
void applyDriverSetting(Config& target, const std::string& key, const std::string& value);

// Makes the driver log take UseLog and LogPath from Config::instance, and
// settings files read as UTF-8 noted in it.
void installDriverLogSettings();

// Writes the notes about UTF-8 settings files read while Config was being
// made (the driver log needs the made Config).
void writeWaitingSettingsNotices();

// The driver's settings file name and the delimiters its reads use.
extern const char* const kDriverSettingsFile;  // "vorna.cash.atol10.ini"
extern const char* const kSettingsDelimiters;  // "\n\r="

}  // namespace cash
}  // namespace vorna
