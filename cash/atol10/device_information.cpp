#include "cash/atol10/device_information.h"

#include <algorithm>
#include <boost/lexical_cast.hpp>
#include <vector>

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/growing_text.h"
#include "cash/atol10/fptr10/library_version.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

const int kLongTextBuffer = 1024;

enum class Kind { text, integer, flag, number, dateTime };

struct Entry {
    const char* label;
    int id;
    Kind kind;
};

const Entry kStatusEntries[] = {
    {"   serialNumber: ", libfptr::param::serialNumber, Kind::text},
    {"   modelName: ", libfptr::param::modelName, Kind::text},
    {"   firmwareVersion: ", libfptr::param::firmwareVersion, Kind::text},
    {"   datetime: ", libfptr::param::dateTime, Kind::dateTime},
    {"   operatorID: ", libfptr::param::operatorId, Kind::integer},
    {"   logicalNumber: ", libfptr::param::logicalNumber, Kind::integer},
    {"   shiftState: ", libfptr::param::shiftState, Kind::integer},
    {"   model: ", libfptr::param::model, Kind::integer},
    {"   mode: ", libfptr::param::mode, Kind::integer},
    {"   submode: ", libfptr::param::submode, Kind::integer},
    {"   receiptNumber: ", libfptr::param::receiptNumber, Kind::integer},
    {"   documentNumber: ", libfptr::param::documentNumber, Kind::integer},
    {"   shiftNumber: ", libfptr::param::shiftNumber, Kind::integer},
    {"   receiptType: ", libfptr::param::receiptType, Kind::integer},
    {"   lineLength: ", libfptr::param::lineLength, Kind::integer},
    {"   lineLengthPix: ", libfptr::param::lineLengthPix, Kind::integer},
    {"   receiptSum: ", libfptr::param::receiptSum, Kind::number},
    {"   isFiscalDevice: ", libfptr::param::isFiscalDevice, Kind::flag},
    {"   isFiscalFN: ", libfptr::param::isFiscalFN, Kind::flag},
    {"   isFNPresent: ", libfptr::param::isFNPresent, Kind::flag},
    {"   isCashDrawerOpened: ", libfptr::param::isCashDrawerOpened, Kind::flag},
    {"   isPaperPresent: ", libfptr::param::isPaperPresent, Kind::flag},
    {"   isCoverOpened: ", libfptr::param::isCoverOpened, Kind::flag},
    {"   isPrinterConnectionLost: ", libfptr::param::isPrinterConnectionLost, Kind::flag},
    {"   isPrinterError: ", libfptr::param::isPrinterError, Kind::flag},
    {"   isCutError: ", libfptr::param::isCutError, Kind::flag},
    {"   isPrinterOverheat: ", libfptr::param::isPrinterOverheat, Kind::flag},
    {"   isDeviceBlocked: ", libfptr::param::isDeviceBlocked, Kind::flag},
};

const Entry kRegistrationEntries[] = {
    {"   taxationTypes: ", libfptr::tag::taxationTypes, Kind::integer},
    {"   agentSign: ", libfptr::tag::agentSign, Kind::integer},
    {"   ffdVersion: ", libfptr::tag::ffdVersion, Kind::integer},
    {"   autoModeSign: ", libfptr::tag::autoMode, Kind::flag},
    {"   offlineModeSign: ", libfptr::tag::offlineMode, Kind::flag},
    {"   encryptionSign: ", libfptr::tag::encryption, Kind::flag},
    {"   internetSign: ", libfptr::tag::internet, Kind::flag},
    {"   serviceSign: ", libfptr::tag::service, Kind::flag},
    {"   bsoSign: ", libfptr::tag::bso, Kind::flag},
    {"   lotterySign: ", libfptr::tag::lottery, Kind::flag},
    {"   gamblingSign: ", libfptr::tag::gambling, Kind::flag},
    {"   exciseSign: ", libfptr::tag::excise, Kind::flag},
    {"   machineInstallationSign: ", libfptr::tag::machineInstallation, Kind::flag},
    {"   fnsUrl: ", libfptr::tag::fnsUrl, Kind::text},
    {"   organizationAddress: ", libfptr::tag::organizationAddress, Kind::text},
    {"   organizationVATIN: ", libfptr::tag::organizationVatin, Kind::text},
    {"   organizationName: ", libfptr::tag::organizationName, Kind::text},
    {"   organizationEmail: ", libfptr::tag::organizationEmail, Kind::text},
    {"   paymentsAddress: ", libfptr::tag::paymentsAddress, Kind::text},
    {"   registrationNumber: ", libfptr::tag::registrationNumber, Kind::text},
    {"   machineNumber: ", libfptr::tag::machineNumber, Kind::text},
    {"   ofdVATIN: ", libfptr::tag::ofdVatin, Kind::text},
    {"   ofdName: ", libfptr::tag::ofdName, Kind::text},
};

std::string valueText(const Entry& entry, fptr10::Handle handle, fptr10::Module module,
                      int textBufferSize) {
    switch (entry.kind) {
        case Kind::text:
            return toNarrow(getParamString(entry.id, handle, module, textBufferSize));
        case Kind::integer:
            return logText(fptr10::libfptr_get_param_int(handle, module, entry.id));
        case Kind::flag:
            return logFlag(fptr10::libfptr_get_param_bool(handle, module, entry.id) != 0);
        case Kind::number:
            return logText(fptr10::libfptr_get_param_double(handle, module, entry.id));
        case Kind::dateTime: {
            int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
            fptr10::libfptr_get_param_datetime(handle, module, &year, &month, &day, &hour, &minute,
                                               &second);
            return logText(year) + "." + logText(month) + "." + logText(day) + " " + logText(hour) +
                   ":" + logText(minute) + ":" + logText(second);
        }
    }
    return std::string();
}

void queryData(fptr10::Handle handle, fptr10::Module module, int dataType) {
    fptr10::libfptr_set_param_int(handle, module, libfptr::param::dataType, dataType);
    fptr10::libfptr_query_data(handle, module);
}

}  // namespace

std::vector<unsigned char> getTagValue(fptr10::Handle handle, fptr10::Module module,
                                       int firstBufferSize) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(firstBufferSize), 0);
    int size = fptr10::libfptr_get_param_bytearray(handle, module, bytes.data(), firstBufferSize);
    if (size > firstBufferSize) {
        bytes.assign(static_cast<std::size_t>(size), 0);
        size = fptr10::libfptr_get_param_bytearray(handle, module, bytes.data(), size);
    }
    bytes.resize(size > 0 ? std::min(static_cast<std::size_t>(size), bytes.size()) : 0);
    return bytes;
}

std::wstring getParamString(int paramId, fptr10::Handle handle, fptr10::Module module,
                            int firstBufferSize) {
    return fptr10::readGrowing(firstBufferSize, [&](wchar_t* buffer, int size) {
        return fptr10::libfptr_get_param_str(handle, module, paramId, buffer, size);
    });
}

void statusReport(fptr10::Handle handle, fptr10::Module module) {
    writeLog("   Версия драйвера: " + fptr10::libraryVersion(module).text);
    queryData(handle, module, libfptr::dt::status);
    for (const Entry& entry : kStatusEntries) {
        writeLog(entry.label + valueText(entry, handle, module, kLongTextBuffer));
    }
    queryData(handle, module, libfptr::dt::printHeadTemperature);
    writeLog("   Температура ТПГ: " + logText(fptr10::libfptr_get_param_int(
                                          handle, module, libfptr::param::printHeadTemperature)));
    queryData(handle, module, libfptr::dt::revenue);
    writeLog("   Сумма выручки: " +
             logText(fptr10::libfptr_get_param_double(handle, module, libfptr::param::sum)));
    queryData(handle, module, libfptr::dt::cashInSum);
    writeLog("   Сумма внесений: " +
             logText(fptr10::libfptr_get_param_double(handle, module, libfptr::param::sum)));
    queryData(handle, module, libfptr::dt::cashOutSum);
    writeLog("   Сумма выплат: " +
             logText(fptr10::libfptr_get_param_double(handle, module, libfptr::param::sum)));
    if (Config::instance().useLog == "D") {
        const std::wstring settingsText =
            fptr10::readGrowing(kLongTextBuffer, [&](wchar_t* buffer, int size) {
                return fptr10::libfptr_get_settings(handle, module, buffer, size);
            });
        writeLog("   settings: " + toNarrow(settingsText));
    }
}

void queryRegistrationData(fptr10::Handle handle, fptr10::Module module) {
    fptr10::libfptr_set_param_int(handle, module, libfptr::param::fnDataType,
                                  libfptr::fndt::registration);
    fptr10::libfptr_fn_query_data(handle, module);
}

void registrationReport(fptr10::Handle handle, fptr10::Module module) {
    queryRegistrationData(handle, module);
    for (const Entry& entry : kRegistrationEntries) {
        writeLog(entry.label + valueText(entry, handle, module, 32));
    }
}

int firmwareMajorVersion(fptr10::Handle handle, fptr10::Module module) {
    queryData(handle, module, libfptr::dt::status);
    const std::string version =
        toNarrow(getParamString(libfptr::param::firmwareVersion, handle, module, kLongTextBuffer));
    writeLog("   firmwareVersion: " + version);
    const std::string::size_type dot = version.find('.');
    writeLog("   nPos: " + (dot == std::string::npos ? std::string("-1") : std::to_string(dot)));
    return boost::lexical_cast<int>(version.substr(0, dot));
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
