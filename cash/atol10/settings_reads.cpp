#include "cash/atol10/settings_reads.h"

#include "cash/atol10/config.h"
#include "common/app_exception.h"
#include "common/driver_log.h"
#include "common/ini_reader.h"

namespace vorna {
namespace cash {

namespace {

bool failedAtLoad = false;

void readAtLoad(const char* location, platform::LibraryHandle module) {
    try {
        readIniFile(location, module, kDriverSettingsFile, kSettingsDelimiters, Config::instance(),
                    &applyDriverSetting);
    } catch (...) {
        const std::string text =
            std::string("Ошибка чтения ") + kDriverSettingsFile + " " + location;
        writeLogIndented(text);
        throw winapi::Exception(text);
    }
}

}  // namespace

void readSettingsAtLoad(platform::LibraryHandle driverModule) {
    installDriverLogSettings();
    readAtLoad("GLOBAL", driverModule);
    readAtLoad("Windows", driverModule);
    writeWaitingSettingsNotices();
}

void readNamedSettingsFile(const std::string& fileName) {
    writeLogIndented("***** Чтение из " + fileName + " *****");
    readIniFile("GLOBAL", nullptr, fileName, kSettingsDelimiters, Config::instance(),
                &applyDriverSetting);
    readIniFile("Windows", nullptr, fileName, kSettingsDelimiters, Config::instance(),
                &applyDriverSetting);
    writeLogIndented("*****");
}

bool settingsFailedAtLoad() { return failedAtLoad; }

void setSettingsFailedAtLoad(bool failed) { failedAtLoad = failed; }

}  // namespace cash
}  // namespace vorna
