#include "cash/atol10/device_connection.h"

#include <cctype>

#include "cash/atol10/config.h"
#include "cash/atol10/device_information.h"
#include "cash/atol10/log_format.h"
#include "common/driver_log.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace cash {
namespace atol10 {

namespace {

void setSetting(fptr10::Handle handle, fptr10::Module module, const char* key,
                const std::string& value) {
    fptr10::libfptr_set_single_setting(handle, module, toWide(key), toWide(value));
}

int busyFailure = 0;
std::string busyDescription;

// The connection's outcome is decided by libfptr_is_opened; a failed open
// only tells why, and a busy port is what the counter must be told about.
void noteConnectionAttempt(int opened) {
    const int number = fptr10::lastFailure().number;
    if (opened == 0) {
        forgetRegisterBusy();
    } else if (opened == -1 && number == libfptr::error::portBusy) {
        busyFailure = number;
        busyDescription = fptr10::lastFailureDescription(number);
        writeLog(
            "   atol10->ККТ занята: её порт открыт другой программой или другим процессом "
            "(ошибка " +
            logText(number) + "), операция не выполнена");
    }
}

std::string portKind(const std::string& portName) {
    std::string kind = portName.substr(0, 3);
    for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return kind;
}

}  // namespace

void openDevice(fptr10::Handle handle, fptr10::Module module) {
    const PortSettings& port = Config::instance().port;
    const std::string portName = port.portName;
    writeLog("   atol10->PortName = " + portName);
    if (portName != "AUTO") {
        const std::string kind = portKind(portName);
        writeLog("   atol10->[PortType] = " + kind);
        if (kind == "COM") {
            setSetting(handle, module, "Port", "0");
            setSetting(handle, module, "ComFile", portName);
        } else if (kind == "TCP") {
            setSetting(handle, module, "Port", "2");
            writeLog("   atol10->IPAddress = " + port.ipAddress);
            setSetting(handle, module, "IPAddress", port.ipAddress);
            if (!port.tcpPort.empty()) {
                writeLog("   atol10->TCPPort = " + port.tcpPort);
                setSetting(handle, module, "IPPort", port.tcpPort);
            }
        }
        const int applied = fptr10::libfptr_apply_single_settings(handle, module);
        writeLog("   atol10->applySingleSettings[" + portName + "] ==> ");
        writeLog("   ==> " + logText(applied));
    }
    writeLog("   Установка соединения с ККТ *********************");
    if (connectDevice(handle, module)) writeLog("+++ Device is opened +++");
}

bool connectDevice(fptr10::Handle handle, fptr10::Module module) {
    if (module == nullptr) return false;
    noteConnectionAttempt(fptr10::libfptr_open(handle, module));
    const bool opened = fptr10::libfptr_is_opened(handle, module) != 0;
    writeLog("   libfptr_is_opened = " + logFlag(opened));
    if (opened) {
        const std::string regInfoLog = Config::instance().regInfoLog;
        if (regInfoLog == "Y" || regInfoLog == "D") {
            writeLog("INFO.---------- Запрос общей информации и статуса ККТ ----------");
            statusReport(handle, module);
        }
        if (regInfoLog == "D") {
            writeLog("INFO.---------- Запрос реквизитов регистрации ККТ ----------");
            registrationReport(handle, module);
        }
    }
    return opened;
}

int registerBusyFailure() { return busyFailure; }

const std::string& registerBusyDescription() { return busyDescription; }

void forgetRegisterBusy() {
    busyFailure = 0;
    busyDescription.clear();
}

namespace {

int askReceiptState(fptr10::Handle handle, fptr10::Module module) {
    fptr10::libfptr_set_param_int(handle, module, libfptr::param::dataType,
                                  libfptr::dt::receiptState);
    return fptr10::libfptr_query_data(handle, module);
}

int readOpenReceiptType(fptr10::Handle handle, fptr10::Module module) {
    const int value = fptr10::libfptr_get_param_int(handle, module, libfptr::param::receiptType);
    writeLog("   atol10->CheckState_  = " + logText(value));
    return value;
}

}  // namespace

int checkState(fptr10::Handle handle, fptr10::Module module) {
    askReceiptState(handle, module);
    return readOpenReceiptType(handle, module);
}

int queryOpenReceipt(fptr10::Handle handle, fptr10::Module module, int& type) {
    const int queried = askReceiptState(handle, module);
    if (queried < 0) return queried;
    type = readOpenReceiptType(handle, module);
    return queried;
}

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
