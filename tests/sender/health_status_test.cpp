// What the register's health means: the thresholds at their edges, the
// texts the cashier and bank IT read, the settings that set them, and the
// states that are unknown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "cash/sender/health/health_status.h"
#include "cash/sender/health/library_health.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"

namespace vorna {
namespace {

using ::testing::ElementsAre;

const CalendarDate kToday{2026, 12, 9};

// A register in good order, every field known.
cash::RegisterHealth wellKept() {
    cash::RegisterHealth h{};
    std::strcpy(h.fnValidUntil, "2027-12-31");
    h.fnDaysLeft = 387;
    h.fnRegistrationsLeft = 29;
    h.fnState = 3;
    h.fnNeedReplacement = h.fnResourceExhausted = h.fnMemoryOverflow = 0;
    h.fnOfdTimeout = h.fnCriticalError = 0;
    h.ofdUnsent = 0;
    h.ofdFirstUnsentNumber = cash::kHealthNotKnown;
    h.shiftState = cash::kHealthShiftOpen;
    h.shiftHours = cash::kHealthNotKnown;
    h.paperPresent = 1;
    return h;
}

HealthVerdict judged(const cash::RegisterHealth& h, const HealthThresholds& t = {}) {
    return judgeHealth(&h, cash::kSuccess, t, kToday);
}

TEST(HealthStatus, TheCashiersTwoExampleTextsReadWordForWord) {
    cash::RegisterHealth h = wellKept();
    std::strcpy(h.fnValidUntil, "2026-12-21");
    h.fnDaysLeft = 12;
    h.ofdUnsent = 14;
    h.ofdFirstUnsentNumber = 301;
    std::strcpy(h.ofdFirstUnsentAt, "2026-11-20 10:15:00");
    const HealthVerdict v = judged(h);
    EXPECT_EQ(v.status, HealthStatus::warning);
    EXPECT_EQ(v.ofdOldestDays, 19);
    EXPECT_THAT(v.reasons,
                ElementsAre("Срок действия ФН истекает через 12 дн. (до 2026-12-21): замените ФН.",
                            "Не переданы в ОФД 14 документов, самый старый от 2026-11-20: "
                            "проверьте связь с ОФД, через 11 дн. ККТ заблокирует чеки."));
    EXPECT_EQ(healthStatusLine(v).rfind("KKT WARNING - Срок действия ФН", 0), 0u);
}

TEST(HealthStatus, DaysLeftAtTheThresholdsAndAfterExpiry) {
    cash::RegisterHealth h = wellKept();
    h.fnDaysLeft = 31;
    EXPECT_EQ(judged(h).status, HealthStatus::ok);
    h.fnDaysLeft = 30;
    EXPECT_EQ(judged(h).status, HealthStatus::warning);
    h.fnDaysLeft = 4;
    EXPECT_EQ(judged(h).status, HealthStatus::warning);
    h.fnDaysLeft = 3;
    EXPECT_EQ(judged(h).status, HealthStatus::critical);
    h.fnDaysLeft = -2;
    const HealthVerdict v = judged(h);
    EXPECT_EQ(v.status, HealthStatus::critical);
    EXPECT_THAT(v.reasons, ElementsAre("Срок действия ФН истёк (2027-12-31): ККТ не принимает "
                                       "чеки, замените ФН."));
}

TEST(HealthStatus, OldestUnconfirmedDocumentMustBeOlderThanTheThreshold) {
    cash::RegisterHealth h = wellKept();
    h.ofdUnsent = 2;
    std::strcpy(h.ofdFirstUnsentAt, "2026-12-06 08:00:00");  // 3 days
    EXPECT_EQ(judged(h).status, HealthStatus::ok);
    std::strcpy(h.ofdFirstUnsentAt, "2026-12-05 08:00:00");  // 4 days
    EXPECT_EQ(judged(h).status, HealthStatus::warning);
    std::strcpy(h.ofdFirstUnsentAt, "2026-11-14 08:00:00");  // 25 days
    EXPECT_EQ(judged(h).status, HealthStatus::warning);
    std::strcpy(h.ofdFirstUnsentAt, "2026-11-13 08:00:00");  // 26 days
    EXPECT_EQ(judged(h).status, HealthStatus::critical);
    std::strcpy(h.ofdFirstUnsentAt, "2026-11-01 08:00:00");  // 38 days: blocked
    EXPECT_THAT(judged(h).reasons,
                ElementsAre("Не переданы в ОФД 2 документов, самый старый от 2026-11-01: "
                            "восстановите связь с ОФД, ККТ не принимает чеки."));
}

TEST(HealthStatus, FlagsNonFiscalStateAndNoConnectionAreCritical) {
    for (int cash::RegisterHealth::*flag :
         {&cash::RegisterHealth::fnNeedReplacement, &cash::RegisterHealth::fnResourceExhausted,
          &cash::RegisterHealth::fnMemoryOverflow, &cash::RegisterHealth::fnOfdTimeout,
          &cash::RegisterHealth::fnCriticalError}) {
        cash::RegisterHealth h = wellKept();
        h.*flag = 1;
        EXPECT_EQ(judged(h).status, HealthStatus::critical);
        EXPECT_EQ(judged(h).reasons.size(), 1u);
    }
    cash::RegisterHealth h = wellKept();
    h.fnState = 7;
    EXPECT_EQ(judged(h).status, HealthStatus::critical);
    EXPECT_EQ(judgeHealth(&h, cash::kNotConnected, {}, kToday).status, HealthStatus::critical);
    h = wellKept();
    h.shiftState = cash::kHealthShiftExpired;
    EXPECT_EQ(judged(h).status, HealthStatus::warning);
}

TEST(HealthStatus, NoExportNothingKnownOrAFailedQueryAreUnknown) {
    EXPECT_EQ(judgeHealth(nullptr, 0, {}, kToday).status, HealthStatus::unknown);
    cash::RegisterHealth none{};
    for (int* field :
         {&none.fnDaysLeft, &none.fnRegistrationsLeft, &none.fnState, &none.fnNeedReplacement,
          &none.fnResourceExhausted, &none.fnMemoryOverflow, &none.fnOfdTimeout,
          &none.fnCriticalError, &none.ofdUnsent, &none.ofdFirstUnsentNumber, &none.shiftState,
          &none.shiftHours, &none.paperPresent})
        *field = cash::kHealthNotKnown;
    EXPECT_EQ(judged(none).status, HealthStatus::unknown);
    // One answer is enough to judge by.
    none.paperPresent = 1;
    EXPECT_EQ(judged(none).status, HealthStatus::ok);
    cash::RegisterHealth h = wellKept();
    EXPECT_EQ(judgeHealth(&h, cash::kOtherError, {}, kToday).status, HealthStatus::unknown);
    EXPECT_EQ(healthExitCode(HealthStatus::unknown), 3);
    EXPECT_STREQ(healthStatusName(HealthStatus::critical), "critical");
}

TEST(HealthStatus, ThresholdsAndSwitchesComeFromTheSettingsWithDefaultsForBadValues) {
    SenderSettings s;
    HealthThresholds t = healthThresholds(s);
    EXPECT_EQ(t.fnWarnDays, 30);
    EXPECT_EQ(t.fnCritDays, 3);
    EXPECT_EQ(t.ofdWarnDays, 3);
    EXPECT_EQ(t.ofdCritDays, 25);
    EXPECT_TRUE(healthCheckOn(s));
    EXPECT_TRUE(healthWarnBoxOn(s));
    handleSenderSetting(s, "healthwarndays", "45");
    handleSenderSetting(s, "HealthCritDays", "-1");
    handleSenderSetting(s, "OfdWarnDays", "5 days");
    handleSenderSetting(s, "OfdCritDays", "20");
    handleSenderSetting(s, "HealthCheck", "N");
    handleSenderSetting(s, "HealthWarnBox", "0");
    t = healthThresholds(s);
    EXPECT_EQ(t.fnWarnDays, 45);
    EXPECT_EQ(t.fnCritDays, 3);
    EXPECT_EQ(t.ofdWarnDays, 3);
    EXPECT_EQ(t.ofdCritDays, 20);
    EXPECT_FALSE(healthCheckOn(s));
    EXPECT_FALSE(healthWarnBoxOn(s));
    cash::RegisterHealth h = wellKept();
    h.fnDaysLeft = 40;
    EXPECT_EQ(judged(h, t).status, HealthStatus::warning);
}

// The register library: bank IT's reason, never the cashier's alone.
cash::LibraryInfo library(const char* version, int known, const char* missing) {
    cash::LibraryInfo info{};
    std::strcpy(info.version, version);
    info.versionKnown = known;
    std::strcpy(info.missingRates, missing);
    return info;
}

TEST(HealthStatus, AnOlderLibraryWarnsWithItsVersionAndTheRatesItLacks) {
    HealthVerdict v = judged(wellKept());
    const cash::LibraryInfo older = library("10.10.7.0", 1, "НДС 22%, НДС 22/122");
    judgeLibrary(&older, v);
    EXPECT_EQ(v.status, HealthStatus::warning);
    EXPECT_TRUE(v.libraryRaised);
    EXPECT_EQ(v.libraryReasons, 1u);
    EXPECT_EQ(healthStatusLine(v),
              "KKT WARNING - Библиотека ККТ версии 10.10.7.0 не регистрирует ставки НДС 22%, "
              "НДС 22/122: обновите драйвер ККТ до версии 10.10.8 или новее.");
}

TEST(HealthStatus, TheLibrarysReasonKeepsTheRegistersOwnStatus) {
    cash::RegisterHealth h = wellKept();
    h.fnDaysLeft = 2;
    HealthVerdict v = judged(h);
    const cash::LibraryInfo unknown = library("", 0, "НДС 5%, НДС 7%");
    judgeLibrary(&unknown, v);
    EXPECT_EQ(v.status, HealthStatus::critical);
    EXPECT_FALSE(v.libraryRaised);
    ASSERT_EQ(v.reasons.size(), 2u);
    EXPECT_EQ(v.reasons[1],
              "Версия библиотеки ККТ не определена, не регистрируются ставки НДС 5%, НДС 7%: "
              "обновите драйвер ККТ до версии 10.10.8 или новее.");
}

TEST(HealthStatus, ACurrentLibraryIsNamedInTheSummaryOnly) {
    HealthVerdict v = judged(wellKept());
    const cash::LibraryInfo current = library("10.10.8.0", 1, "");
    judgeLibrary(&current, v);
    EXPECT_EQ(v.status, HealthStatus::ok);
    EXPECT_TRUE(v.reasons.empty());
    EXPECT_THAT(healthStatusLine(v), ::testing::EndsWith(", библиотека ККТ 10.10.8.0"));
    HealthVerdict none = judged(wellKept());
    judgeLibrary(nullptr, none);
    EXPECT_EQ(healthStatusLine(none), healthStatusLine(judged(wellKept())));
}

}  // namespace
}  // namespace vorna
