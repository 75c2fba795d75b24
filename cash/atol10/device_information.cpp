#include "cash/atol10/device_information.h"

#include <boost/lexical_cast.hpp>
#include <vector>

#include "cash/atol10/config.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

const int kDataType = 65587;
const int kFnDataType = 65622;
const int kRegistrationData = 9;
const int kFirmwareVersion = 65604;
const int kSum = 65613;
const int kLongTextBuffer = 1024;

enum class Kind { text, integer, flag, number, dateTime };

struct Entry {
    const char* label;
    int id;
    Kind kind;
};

const Entry kStatusEntries[] = {
    {"   serialNumber: ", 65559, Kind::text},
    {"   modelName: ", 65603, Kind::text},
    {"   firmwareVersion: ", 65604, Kind::text},
    {"   datetime: ", 65590, Kind::dateTime},
    {"   operatorID: ", 65588, Kind::integer},
    {"   logicalNumber: ", 65589, Kind::integer},
    {"   shiftState: ", 65592, Kind::integer},
    {"   model: ", 65544, Kind::integer},
    {"   mode: ", 65547, Kind::integer},
    {"   submode: ", 65596, Kind::integer},
    {"   receiptNumber: ", 65597, Kind::integer},
    {"   documentNumber: ", 65598, Kind::integer},
    {"   shiftNumber: ", 65599, Kind::integer},
    {"   receiptType: ", 65545, Kind::integer},
    {"   lineLength: ", 65601, Kind::integer},
    {"   lineLengthPix: ", 65602, Kind::integer},
    {"   receiptSum: ", 65600, Kind::number},
    {"   isFiscalDevice: ", 65591, Kind::flag},
    {"   isFiscalFN: ", 65662, Kind::flag},
    {"   isFNPresent: ", 65707, Kind::flag},
    {"   isCashDrawerOpened: ", 65593, Kind::flag},
    {"   isPaperPresent: ", 65594, Kind::flag},
    {"   isCoverOpened: ", 65595, Kind::flag},
    {"   isPrinterConnectionLost: ", 65605, Kind::flag},
    {"   isPrinterError: ", 65606, Kind::flag},
    {"   isCutError: ", 65607, Kind::flag},
    {"   isPrinterOverheat: ", 65608, Kind::flag},
    {"   isDeviceBlocked: ", 65708, Kind::flag},
};

const Entry kRegistrationEntries[] = {
    {"   taxationTypes: ", 1062, Kind::integer},
    {"   agentSign: ", 1057, Kind::integer},
    {"   ffdVersion: ", 1209, Kind::integer},
    {"   autoModeSign: ", 1001, Kind::flag},
    {"   offlineModeSign: ", 1002, Kind::flag},
    {"   encryptionSign: ", 1056, Kind::flag},
    {"   internetSign: ", 1108, Kind::flag},
    {"   serviceSign: ", 1109, Kind::flag},
    {"   bsoSign: ", 1110, Kind::flag},
    {"   lotterySign: ", 1126, Kind::flag},
    {"   gamblingSign: ", 1193, Kind::flag},
    {"   exciseSign: ", 1207, Kind::flag},
    {"   machineInstallationSign: ", 1221, Kind::flag},
    {"   fnsUrl: ", 1060, Kind::text},
    {"   organizationAddress: ", 1009, Kind::text},
    {"   organizationVATIN: ", 1018, Kind::text},
    {"   organizationName: ", 1048, Kind::text},
    {"   organizationEmail: ", 1117, Kind::text},
    {"   paymentsAddress: ", 1187, Kind::text},
    {"   registrationNumber: ", 1037, Kind::text},
    {"   machineNumber: ", 1036, Kind::text},
    {"   ofdVATIN: ", 1017, Kind::text},
    {"   ofdName: ", 1046, Kind::text},
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
    fptr10::libfptr_set_param_int(handle, module, kDataType, dataType);
    fptr10::libfptr_query_data(handle, module);
}

template <typename Read>
std::wstring readGrowing(int firstSize, Read read) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(firstSize), L'\0');
    const int needed = read(buffer.data(), firstSize);
    if (needed > firstSize) {
        buffer.assign(static_cast<std::size_t>(needed), L'\0');
        read(buffer.data(), needed);
    }
    buffer.push_back(L'\0');
    return std::wstring(buffer.data());
}

}  // namespace

std::wstring getParamString(int paramId, fptr10::Handle handle, fptr10::Module module,
                            int firstBufferSize) {
    return readGrowing(firstBufferSize, [&](wchar_t* buffer, int size) {
        return fptr10::libfptr_get_param_str(handle, module, paramId, buffer, size);
    });
}

std::wstring errorDescription(fptr10::Handle handle, fptr10::Module module) {
    return readGrowing(32, [&](wchar_t* buffer, int size) {
        return fptr10::libfptr_error_description(handle, module, buffer, size);
    });
}

void statusReport(fptr10::Handle handle, fptr10::Module module) {
    writeLog("   Версия драйвера: " + fptr10::libfptr_get_version_string(module));
    queryData(handle, module, 0);
    for (const Entry& entry : kStatusEntries) {
        writeLog(entry.label + valueText(entry, handle, module, kLongTextBuffer));
    }
    queryData(handle, module, 33);
    writeLog("   Температура ТПГ: " +
             logText(fptr10::libfptr_get_param_int(handle, module, 65667)));
    queryData(handle, module, 12);
    writeLog("   Сумма выручки: " +
             logText(fptr10::libfptr_get_param_double(handle, module, kSum)));
    queryData(handle, module, 8);
    writeLog("   Сумма внесений: " +
             logText(fptr10::libfptr_get_param_double(handle, module, kSum)));
    queryData(handle, module, 10);
    writeLog("   Сумма выплат: " + logText(fptr10::libfptr_get_param_double(handle, module, kSum)));
    if (Config::instance().useLog == "D") {
        const std::wstring settingsText =
            readGrowing(kLongTextBuffer, [&](wchar_t* buffer, int size) {
                return fptr10::libfptr_get_settings(handle, module, buffer, size);
            });
        writeLog("   settings: " + toNarrow(settingsText));
    }
}

void queryRegistrationData(fptr10::Handle handle, fptr10::Module module) {
    fptr10::libfptr_set_param_int(handle, module, kFnDataType, kRegistrationData);
    fptr10::libfptr_fn_query_data(handle, module);
}

void registrationReport(fptr10::Handle handle, fptr10::Module module) {
    queryRegistrationData(handle, module);
    for (const Entry& entry : kRegistrationEntries) {
        writeLog(entry.label + valueText(entry, handle, module, 32));
    }
}

int firmwareMajorVersion(fptr10::Handle handle, fptr10::Module module) {
    queryData(handle, module, 0);
    const std::string version =
        toNarrow(getParamString(kFirmwareVersion, handle, module, kLongTextBuffer));
    writeLog("   firmwareVersion: " + version);
    const std::string::size_type dot = version.find('.');
    writeLog("   nPos: " + (dot == std::string::npos ? std::string("-1") : std::to_string(dot)));
    return boost::lexical_cast<int>(version.substr(0, dot));
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
