// The sender's settings record, its key handler, the settings file names and
// the result texts.
#include <gtest/gtest.h>

#include "cash/sender/result_text.h"
#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "cash/sender/unattended_host.h"

namespace vorna {
namespace {

TEST(SenderSettingsHandler, MatchesKeysWithoutRegardToLetterCase) {
    SenderSettings settings;
    handleSenderSetting(settings, "cashdriver", "a.dll");
    handleSenderSetting(settings, "USELOG", "Y");
    handleSenderSetting(settings, "SupplierInn", "7700");
    handleSenderSetting(settings, "unknown", "x");
    EXPECT_EQ(settings.cashDriver, "a.dll");
    EXPECT_EQ(settings.useLog, "Y");
    EXPECT_EQ(settings.supplierInn, "7700");
}

TEST(SenderSettingsHandler, CashierKeysWithCyrillicEsSetTheSameFields) {
    SenderSettings settings;
    handleSenderSetting(settings, "Сashier", "Иванова");
    handleSenderSetting(settings, "СashierInn", "500100732259");
    EXPECT_EQ(settings.cashier, "Иванова");
    EXPECT_EQ(settings.cashierInn, "500100732259");
    handleSenderSetting(settings, "Cashier", "Петрова");
    handleSenderSetting(settings, "CASHIERINN", "1");
    EXPECT_EQ(settings.cashier, "Петрова");
    EXPECT_EQ(settings.cashierInn, "1");
}

TEST(SenderSettingsHandler, LogPathAndLogDirectorySetOneFieldTheLaterWins) {
    // Existing directories: the handler creates the log directory it is given.
    SenderSettings settings;
    handleSenderSetting(settings, "LogPath", ".");
    EXPECT_EQ(settings.logDirectory, ".");
    handleSenderSetting(settings, "LogDirectory", "..");
    EXPECT_EQ(settings.logDirectory, "..");
    handleSenderSetting(settings, "logpath", ".");
    EXPECT_EQ(settings.logDirectory, ".");
}

TEST(SenderSettingsHandler, EveryKeyReachesItsField) {
    SenderSettings s;
    const std::pair<const char*, std::string SenderSettings::*> keys[] = {
        {"UseLog", &SenderSettings::useLog},
        {"CashDriver", &SenderSettings::cashDriver},
        {"PrintCheque", &SenderSettings::printCheque},
        {"ClientPhone", &SenderSettings::clientPhone},
        {"ClientEmail", &SenderSettings::clientEmail},
        {"Cashier", &SenderSettings::cashier},
        {"CashierInn", &SenderSettings::cashierInn},
        {"AgentPhone", &SenderSettings::agentPhone},
        {"OperatorOper", &SenderSettings::operatorOper},
        {"OperatorName", &SenderSettings::operatorName},
        {"OperatorAddress", &SenderSettings::operatorAddress},
        {"OperatorInn", &SenderSettings::operatorInn},
        {"OperatorPhone", &SenderSettings::operatorPhone},
        {"AgentSign", &SenderSettings::agentSign},
        {"PayoperPhone", &SenderSettings::payoperPhone},
        {"SupplierPhone", &SenderSettings::supplierPhone},
        {"SupplierName", &SenderSettings::supplierName},
        {"SupplierInn", &SenderSettings::supplierInn},
    };
    for (const auto& [key, field] : keys) {
        handleSenderSetting(s, key, std::string("v-") + key);
        EXPECT_EQ(s.*field, std::string("v-") + key) << key;
    }
}

TEST(SenderSettingsSwitch, OnlyOneOfYYAndOneEnablesLogging) {
    SenderSettings s;
    for (const char* on : {"y", "Y", "1"}) {
        s.useLog = on;
        EXPECT_TRUE(s.loggingOn()) << on;
    }
    for (const char* off : {"", "yes", "N", "0", "11", " Y"}) {
        s.useLog = off;
        EXPECT_FALSE(s.loggingOn()) << off;
    }
}

TEST(SenderSettingsSwitch, UnattendedIsOnlyYOrLowerY) {
    SenderSettings& settings = SenderSettings::instance();
    const std::string saved = settings.unattended;
    EXPECT_FALSE(unattendedSetting()) << "off until a file says Y";
    for (const char* on : {"Y", "y"}) {
        handleSenderSetting(settings, "UNATTENDED", on);
        EXPECT_TRUE(unattendedSetting()) << on;
    }
    for (const char* off : {"N", "1", "yes", " Y", ""}) {
        handleSenderSetting(settings, "Unattended", off);
        EXPECT_FALSE(unattendedSetting()) << off;
    }
    settings.unattended = saved;
}

TEST(SenderIniName, IsCutFromTheLibraryName) {
    EXPECT_EQ(senderIniName(""), "vorna.cash.sender.ini");
    EXPECT_EQ(senderIniName("77"), "vorna.cash.sender.77.ini");
    EXPECT_EQ(senderIniName("A-1"), "vorna.cash.sender.A-1.ini");
}

TEST(ResultText, GivesTheHostItsTextForEveryCode) {
    EXPECT_STREQ(resultText(0), "");
    EXPECT_STREQ(resultText(1), "ККТ не подключена");
    EXPECT_STREQ(resultText(2), "Смена превысила 24 часа");
    EXPECT_STREQ(resultText(3), "Смена закрыта");
    EXPECT_STREQ(resultText(5), "Закончилась чековая лента");
    EXPECT_STREQ(resultText(6), "Открыт чек продажи – операция невозможна");
    EXPECT_STREQ(resultText(7), "Открыт чек возврата – операция невозможна");
    EXPECT_STREQ(resultText(100), "Передан некорректный параметр");
    for (int other : {99, 4, 8, -1, 101})
        EXPECT_STREQ(resultText(other), "Другая ошибка - для уточнения смотрите логи") << other;
    // The dash of codes 6 and 7 is the Windows-1251 en dash.
    EXPECT_EQ(std::string(resultText(6)).find('\x96'), 19u);
}

}  // namespace
}  // namespace vorna
