#include "cash/atol10/config.h"

#include "cash/atol10/settings_values.h"
#include "common/driver_log.h"
#include "common/ini_reader.h"
#include "common/platform/platform.h"

namespace vorna {
namespace cash {

const char* const kDriverSettingsFile = "vorna.cash.atol10.ini";
const char* const kSettingsDelimiters = "\n\r=";

namespace {

// Factory access codes of the register; no operation of this driver uses them.
const char* const kFactoryCashierPassword = "1";
const char* const kFactoryAdministratorPassword = "30";
const char* const kFactoryRegistrationPassword = "0";

std::string defaultLogDirectory() {
    std::string profile;
    platform::environmentVariable("USERPROFILE", profile);
    return profile + platform::pathSeparator() + "Windows";
}

DriverLogSettings driverLogSettings() {
    const Config& config = Config::instance();
    return DriverLogSettings{config.useLog, config.logPath};
}

// Lines about settings files read as UTF-8. While Config is being made its
// log settings cannot be asked for, so such lines wait until it is made.
bool configMade = false;

std::vector<std::string>& waitingNotices() {
    static std::vector<std::string> lines;
    return lines;
}

void noteSettingsFile(const std::string& line) {
    waitingNotices().push_back(line);
    if (configMade) writeWaitingSettingsNotices();
}

void readPortKeys(Config& config, const char* location) {
    readIniFile(location, nullptr, kDriverSettingsFile, kSettingsDelimiters, config,
                [](Config& target, const std::string& key, const std::string& value) {
                    target.handle(key, value);
                });
}

}  // namespace

Config::Config()
    : turnFiscal(0),
      usePrinterFiscal(0),
      maxCashStringLength(20),
      cashierPassword(settings::packedBcd(kFactoryCashierPassword, 4)),
      administratorPassword(settings::packedBcd(kFactoryAdministratorPassword, 4)),
      registrationPassword(settings::packedBcd(kFactoryRegistrationPassword, 2)),
      logDirectory(defaultLogDirectory()),
      port("AUTO", 115200, 8, 0, 0),
      getSessionStateFromFlags(0),
      dontCheckSessionOver(0),
      taxTypeNumber(4),
      typeOplNumber(0),
      linesBeforeCut(-1),
      cashlessTypeClose(1),
      autoShift("N"),
      regInfoLog("N"),
      tag1057(0),
      unattended("N") {
    setIniNoticeWriter(&noteSettingsFile);
    readPortKeys(*this, "GLOBAL");
    readPortKeys(*this, "Windows");
    installDriverLogSettings();
    configMade = true;
}

void installDriverLogSettings() {
    setDriverLogSettingsSource(&driverLogSettings);
    setIniNoticeWriter(&noteSettingsFile);
}

void writeWaitingSettingsNotices() {
    std::vector<std::string> lines;
    lines.swap(waitingNotices());
    for (const std::string& line : lines) writeLogIndented(line);
}

Config::~Config() = default;

std::string Config::location() const { return "CashRegister"; }

std::string Config::delimiters() const { return " \t\n\r="; }

void Config::handle(const std::string& key, const std::string& value) {
    using settings::lenientInteger;
    using settings::sameKey;
    if (sameKey(key, "PortName")) {
        port.portName = value;
    } else if (sameKey(key, "IPAddress")) {
        port.ipAddress = value;
    } else if (sameKey(key, "TCPPort")) {
        port.tcpPort = value;
    } else if (sameKey(key, "PortNumber")) {
        port.portName = value;
    } else if (sameKey(key, "BaudRate")) {
        port.baudRate = lenientInteger(value);
    } else if (sameKey(key, "Parity")) {
        settings::parityWord(value, port.parity);
    } else if (sameKey(key, "StopBits")) {
        settings::stopBitsWord(value, port.stopBits);
    } else if (sameKey(key, "ByteSize")) {
        port.byteSize = static_cast<std::uint8_t>(lenientInteger(value));
    } else if (sameKey(key, "LogDirectory")) {
        logDirectory = value;
    } else if (sameKey(key, "CashierInn")) {
        cashierInn = value;
    } else if (sameKey(key, "MaxCashStringLength")) {
        maxCashStringLength = lenientInteger(value);
    }
}

void applyDriverSetting(Config&, const std::string& key, const std::string& value) {
    using settings::sameKey;
    using settings::strictFlag;
    using settings::strictInteger;
    writeLogIndented(key + " = " + value);
    Config& config = Config::instance();
    if (sameKey(key, "PortName")) {
        config.port.portName = value;
    } else if (sameKey(key, "BaudRate")) {
        config.port.baudRate = strictInteger(value);
    } else if (sameKey(key, "Parity")) {
        settings::parityWord(value, config.port.parity);
    } else if (sameKey(key, "StopBits")) {
        settings::stopBitsWord(value, config.port.stopBits);
    } else if (sameKey(key, "DataBits")) {
        config.port.byteSize = static_cast<std::uint8_t>(strictInteger(value));
    } else if (sameKey(key, "LogDirectory")) {
        config.logDirectory = value;
    } else if (sameKey(key, "CashierPassword")) {
        config.cashierPassword = settings::packedBcd(value, 4);
    } else if (sameKey(key, "AdministratorPassword")) {
        config.administratorPassword = settings::packedBcd(value, 4);
    } else if (sameKey(key, "MaxCashStringLength")) {
        config.maxCashStringLength = strictInteger(value);
    } else if (sameKey(key, "UsePrinterFiscal")) {
        config.usePrinterFiscal = strictInteger(value);
    } else if (sameKey(key, "TurnFiscal")) {
        config.turnFiscal = strictFlag(value);
    } else if (sameKey(key, "RegistrationPassword")) {
        config.registrationPassword = settings::packedBcd(value, 2);
    } else if (sameKey(key, "GetSessionStateFromFlags")) {
        config.getSessionStateFromFlags = strictFlag(value);
    } else if (sameKey(key, "DontCheckSessionOver")) {
        config.dontCheckSessionOver = strictFlag(value);
    } else if (sameKey(key, "LogPath")) {
        config.logPath = value;
        if (!value.empty()) platform::createDirectory(value);
    } else if (sameKey(key, "UseLog")) {
        config.useLog = value;
        if (value == "Y") createDriverLogDirectory(config.logPath);
    } else if (sameKey(key, "TaxTypeNumber")) {
        config.taxTypeNumber = strictInteger(value);
    } else if (sameKey(key, "TypeOplNumber")) {
        config.typeOplNumber = strictInteger(value);
    } else if (sameKey(key, "LinesBeforeCut")) {
        config.linesBeforeCut = strictInteger(value);
    } else if (sameKey(key, "CashlessTypeClose")) {
        config.cashlessTypeClose = strictInteger(value);
    } else if (sameKey(key, "AutoShift")) {
        config.autoShift = value;
    } else if (sameKey(key, "RegInfoLog")) {
        config.regInfoLog = value;
    } else if (sameKey(key, "Tag1057")) {
        config.tag1057 = strictInteger(value);
    } else if (sameKey(key, "Unattended")) {
        config.unattended = value;
    }
}

}  // namespace cash
}  // namespace vorna
