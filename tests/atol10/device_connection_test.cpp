// Handing the port settings to the library, opening the connection, the
// register's state report at connection, and the open receipt's type.
#include <gtest/gtest.h>

#include <algorithm>

#include "cash/atol10/config.h"
#include "cash/atol10/device_connection.h"
#include "tests/atol10/driver_fixture.h"

namespace vorna {
namespace atol10_test {
namespace {

using Lines = std::vector<std::string>;

class DeviceConnection : public DriverTest {
protected:
    void open(const std::string& portName) {
        cash::Config::instance().port.portName = portName;
        cash::atol10::openDevice(cash().handle_, cash().module_);
    }
    static bool contains(const Lines& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

const Lines kConnected = {"libfptr_open(#h) = 0", "libfptr_is_opened(#h) = 1"};
const Lines kConnectedLog = {"   Установка соединения с ККТ *********************",
                             "   libfptr_is_opened = True", "+++ Device is opened +++"};

Lines join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(DeviceConnection, AutoSetsNothing) {
    open("AUTO");
    EXPECT_EQ(kConnected, takeTrace());
    EXPECT_EQ(join({"   atol10->PortName = AUTO"}, kConnectedLog), takeLog());
}

TEST_F(DeviceConnection, LowerCaseAutoIsAnotherKindAndAppliesNothing) {
    open("auto");
    EXPECT_EQ(join({"libfptr_apply_single_settings(#h) = 0"}, kConnected), takeTrace());
    EXPECT_EQ(join({"   atol10->PortName = auto", "   atol10->[PortType] = AUT",
                    "   atol10->applySingleSettings[auto] ==> ", "   ==> 0"},
                   kConnectedLog),
              takeLog());
}

TEST_F(DeviceConnection, SerialPortNameIsPassedAsWritten) {
    open("com5");
    EXPECT_EQ(join({"libfptr_set_single_setting(#h, \"Port\", \"0\")",
                    "libfptr_set_single_setting(#h, \"ComFile\", \"com5\")",
                    "libfptr_apply_single_settings(#h) = 0"},
                   kConnected),
              takeTrace());
    EXPECT_EQ(join({"   atol10->PortName = com5", "   atol10->[PortType] = COM",
                    "   atol10->applySingleSettings[com5] ==> ", "   ==> 0"},
                   kConnectedLog),
              takeLog());
}

TEST_F(DeviceConnection, TcpWithoutPortSetsTheAddressOnly) {
    cash::Config::instance().port.ipAddress = "10.0.0.7";
    open("TCP");
    EXPECT_EQ(join({"libfptr_set_single_setting(#h, \"Port\", \"2\")",
                    "libfptr_set_single_setting(#h, \"IPAddress\", \"10.0.0.7\")",
                    "libfptr_apply_single_settings(#h) = 0"},
                   kConnected),
              takeTrace());
    EXPECT_EQ(join({"   atol10->PortName = TCP", "   atol10->[PortType] = TCP",
                    "   atol10->IPAddress = 10.0.0.7", "   atol10->applySingleSettings[TCP] ==> ",
                    "   ==> 0"},
                   kConnectedLog),
              takeLog());
}

TEST_F(DeviceConnection, TcpWithPortSetsBoth) {
    cash::Config::instance().port.ipAddress = "10.0.0.7";
    cash::Config::instance().port.tcpPort = "5555";
    open("tcp1");
    EXPECT_EQ(join({"libfptr_set_single_setting(#h, \"Port\", \"2\")",
                    "libfptr_set_single_setting(#h, \"IPAddress\", \"10.0.0.7\")",
                    "libfptr_set_single_setting(#h, \"IPPort\", \"5555\")",
                    "libfptr_apply_single_settings(#h) = 0"},
                   kConnected),
              takeTrace());
    EXPECT_EQ(join({"   atol10->PortName = tcp1", "   atol10->[PortType] = TCP",
                    "   atol10->IPAddress = 10.0.0.7", "   atol10->TCPPort = 5555",
                    "   atol10->applySingleSettings[tcp1] ==> ", "   ==> 0"},
                   kConnectedLog),
              takeLog());
}

TEST_F(DeviceConnection, RefusedConnectionIsOnlyLogged) {
    changeState([](nlohmann::json& s) { s["connectionRefused"] = true; });
    open("AUTO");
    const Lines log = takeLog();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(Lines({"   atol10->PortName = AUTO",
                     "   Установка соединения с ККТ *********************"}),
              Lines(log.begin(), log.begin() + 2));
    EXPECT_EQ(0u, log[2].find("   libfptr_open: ошибка ")) << log[2];
    EXPECT_EQ("   libfptr_is_opened = False", log[3]);
}

TEST_F(DeviceConnection, RegInfoLogYWritesTheStatusReportOnly) {
    cash::Config::instance().regInfoLog = "Y";
    open("AUTO");
    const Lines log = takeLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ("INFO.---------- Запрос общей информации и статуса ККТ ----------", log[3]);
    EXPECT_EQ("   Версия драйвера: 10.10.8.0", log[4]);
    EXPECT_TRUE(contains(log, "   serialNumber: 00106900000001"));
    EXPECT_TRUE(contains(log, "   firmwareVersion: 5.8.100"));
    EXPECT_TRUE(contains(log, "   shiftState: 1"));
    EXPECT_TRUE(contains(log, "   isPaperPresent: True"));
    EXPECT_TRUE(contains(log, "   isCoverOpened: False"));
    EXPECT_TRUE(contains(log, "   Температура ТПГ: 35"));
    EXPECT_TRUE(contains(log, "   Сумма выручки: 0"));
    EXPECT_FALSE(contains(log, "INFO.---------- Запрос реквизитов регистрации ККТ ----------"));
    EXPECT_EQ("+++ Device is opened +++", log.back());
}

TEST_F(DeviceConnection, RegInfoLogDAddsTheRegistrationDataAndInDebugTheSettings) {
    cash::Config::instance().regInfoLog = "D";
    open("AUTO");
    Lines log = takeLog();
    EXPECT_TRUE(contains(log, "INFO.---------- Запрос реквизитов регистрации ККТ ----------"));
    EXPECT_TRUE(contains(log, "   ffdVersion: 105"));
    EXPECT_TRUE(contains(log, "   organizationVATIN: 7701234567"));
    EXPECT_TRUE(contains(log, "   ofdName: ООО \"ОФД\""));
    for (const std::string& line : log) EXPECT_NE(0u, line.find("   settings: ")) << line;
    destroyCash();
    cash::Config::instance().useLog = "D";
    open("AUTO");
    log = takeLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("   settings: ") == 0;
    }));
}

TEST_F(DeviceConnection, StatusTextsLongerThanTheBufferAreReadWhole) {
    const std::string longName(1500, 'M');
    changeState([&](nlohmann::json& s) { s["status"]["modelName"] = longName; });
    cash::Config::instance().regInfoLog = "Y";
    open("AUTO");
    EXPECT_TRUE(contains(takeLog(), "   modelName: " + longName));
    const Lines trace = takeTrace();
    EXPECT_EQ(2, std::count_if(trace.begin(), trace.end(), [](const std::string& line) {
                  return line.find("libfptr_get_param_str(#h, " + id(param::modelName)) == 0;
              }));
}

TEST_F(DeviceConnection, CheckStateReportsTheOpenReceiptType) {
    open("AUTO");
    takeTrace();
    takeLog();
    EXPECT_EQ(0, cash().CheckState());
    EXPECT_EQ(Lines({"libfptr_set_param_int(#h, " + id(param::dataType) + ", 15)",
                     "libfptr_query_data(#h) = 0",
                     "libfptr_get_param_int(#h, " + id(param::receiptType) + ") = 0"}),
              takeTrace());
    EXPECT_EQ(Lines({"   atol10->CheckState_  = 0"}), takeLog());
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
