#include "cash/sender/health/health_status.h"

#include <cstdio>

#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "cash/shared/civil_date.h"

namespace vorna {

namespace {

// The law blocks receipts when the operator has not confirmed a document for this many days.
constexpr int kOperatorBlockDays = 30;
// The fiscal storage's working state (fiscal mode), as cash::RegisterHealth reports it.
constexpr int kFiscalMode = 3;

int daysSetting(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return fallback;
    return std::stoi(text);
}

bool switchedOff(const std::string& text) { return text == "N" || text == "n" || text == "0"; }

bool known(int value) { return value != cash::kHealthNotKnown; }

std::string number(int value) { return std::to_string(value); }

// The calendar date of a "YYYY-MM-DD..." text; false when it holds none.
bool dateOf(const char* text, CalendarDate& date) {
    return std::sscanf(text, "%4d-%2d-%2d", &date.year, &date.month, &date.day) == 3 &&
           date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31;
}

long long dayNumber(const CalendarDate& date) {
    return cash::civilDayNumber(date.year, date.month, date.day);
}

bool nothingKnown(const cash::RegisterHealth& h) {
    for (int field :
         {h.fnDaysLeft, h.fnRegistrationsLeft, h.fnState, h.fnNeedReplacement,
          h.fnResourceExhausted, h.fnMemoryOverflow, h.fnOfdTimeout, h.fnCriticalError, h.ofdUnsent,
          h.ofdFirstUnsentNumber, h.shiftState, h.shiftHours, h.paperPresent})
        if (known(field)) return false;
    return h.fnValidUntil[0] == '\0' && h.ofdFirstUnsentAt[0] == '\0';
}

class Judgement {
public:
    explicit Judgement(HealthVerdict& verdict) : verdict_(verdict) {
        verdict_.status = HealthStatus::ok;
    }
    void warn(const std::string& reason) { add(HealthStatus::warning, reason); }
    void fail(const std::string& reason) { add(HealthStatus::critical, reason); }

private:
    void add(HealthStatus status, const std::string& reason) {
        verdict_.reasons.push_back(reason);
        if (status == HealthStatus::critical || verdict_.status == HealthStatus::ok)
            verdict_.status = status;
    }
    HealthVerdict& verdict_;
};

void judgeStorageValidity(const cash::RegisterHealth& h, const HealthThresholds& t, Judgement& j) {
    if (!known(h.fnDaysLeft)) return;
    const std::string until = h.fnValidUntil;
    if (h.fnDaysLeft <= 0) {
        j.fail("Срок действия ФН истёк (" + until + "): ККТ не принимает чеки, замените ФН.");
        return;
    }
    const std::string reason = "Срок действия ФН истекает через " + number(h.fnDaysLeft) +
                               " дн. (до " + until + "): замените ФН.";
    if (h.fnDaysLeft <= t.fnCritDays)
        j.fail(reason);
    else if (h.fnDaysLeft <= t.fnWarnDays)
        j.warn(reason);
}

void judgeStorageWarnings(const cash::RegisterHealth& h, Judgement& j) {
    if (known(h.fnState) && h.fnState != kFiscalMode)
        j.fail("ФН не в фискальном режиме (состояние " + number(h.fnState) +
               "): ККТ не принимает чеки, замените ФН или перерегистрируйте ККТ.");
    if (h.fnNeedReplacement == 1) j.fail("ФН требует срочной замены: замените ФН.");
    if (h.fnResourceExhausted == 1)
        j.fail(
            "Ресурс ФН исчерпывается: передайте документы в ОФД, при необходимости замените ФН.");
    if (h.fnMemoryOverflow == 1)
        j.fail("Память ФН заполнена более чем на 90 %: подготовьте замену ФН.");
    if (h.fnOfdTimeout == 1) j.fail("ОФД не подтверждает документы в срок: проверьте связь с ОФД.");
    if (h.fnCriticalError == 1) j.fail("Критическая ошибка ФН: обратитесь в сервисный центр.");
}

void judgeOperator(const cash::RegisterHealth& h, const HealthThresholds& t,
                   const CalendarDate& today, HealthVerdict& verdict, Judgement& j) {
    CalendarDate first;
    if (!known(h.ofdUnsent) || h.ofdUnsent <= 0 || !dateOf(h.ofdFirstUnsentAt, first)) return;
    const int age = static_cast<int>(dayNumber(today) - dayNumber(first));
    verdict.ofdOldestDays = age;
    const std::string head = "Не переданы в ОФД " + number(h.ofdUnsent) +
                             " документов, самый старый от " +
                             std::string(h.ofdFirstUnsentAt).substr(0, 10);
    const int daysToBlock = kOperatorBlockDays - age;
    const std::string reason = daysToBlock > 0
                                   ? head + ": проверьте связь с ОФД, через " +
                                         number(daysToBlock) + " дн. ККТ заблокирует чеки."
                                   : head + ": восстановите связь с ОФД, ККТ не принимает чеки.";
    if (age > t.ofdCritDays)
        j.fail(reason);
    else if (age > t.ofdWarnDays)
        j.warn(reason);
}

std::string summaryOf(const cash::RegisterHealth& h) {
    std::string summary;
    auto add = [&](const std::string& part) { summary += (summary.empty() ? "" : ", ") + part; };
    if (h.fnValidUntil[0])
        add("ФН до " + std::string(h.fnValidUntil) +
            (known(h.fnDaysLeft) ? " (" + number(h.fnDaysLeft) + " дн.)" : std::string()));
    if (known(h.ofdUnsent)) add("не передано в ОФД: " + number(h.ofdUnsent));
    if (h.shiftState == cash::kHealthShiftClosed) add("смена закрыта");
    if (h.shiftState == cash::kHealthShiftOpen) add("смена открыта");
    if (h.shiftState == cash::kHealthShiftExpired) add("смена открыта более 24 часов");
    if (known(h.paperPresent)) add(h.paperPresent ? "бумага есть" : "бумаги нет");
    return summary;
}

}  // namespace

HealthThresholds healthThresholds(const SenderSettings& settings) {
    HealthThresholds t;
    t.fnWarnDays = daysSetting(settings.healthWarnDays, t.fnWarnDays);
    t.fnCritDays = daysSetting(settings.healthCritDays, t.fnCritDays);
    t.ofdWarnDays = daysSetting(settings.ofdWarnDays, t.ofdWarnDays);
    t.ofdCritDays = daysSetting(settings.ofdCritDays, t.ofdCritDays);
    return t;
}

bool healthCheckOn(const SenderSettings& settings) { return !switchedOff(settings.healthCheck); }

bool healthWarnBoxOn(const SenderSettings& settings) {
    return !switchedOff(settings.healthWarnBox);
}

const char* healthStatusName(HealthStatus status) {
    switch (status) {
        case HealthStatus::ok:
            return "ok";
        case HealthStatus::warning:
            return "warning";
        case HealthStatus::critical:
            return "critical";
        case HealthStatus::unknown:
            break;
    }
    return "unknown";
}

const char* healthStatusLabel(HealthStatus status) {
    switch (status) {
        case HealthStatus::ok:
            return "OK";
        case HealthStatus::warning:
            return "WARNING";
        case HealthStatus::critical:
            return "CRITICAL";
        case HealthStatus::unknown:
            break;
    }
    return "UNKNOWN";
}

int healthExitCode(HealthStatus status) {
    switch (status) {
        case HealthStatus::ok:
            return 0;
        case HealthStatus::warning:
            return 1;
        case HealthStatus::critical:
            return 2;
        case HealthStatus::unknown:
            break;
    }
    return 3;
}

HealthVerdict judgeHealth(const cash::RegisterHealth* health, int queryResult,
                          const HealthThresholds& thresholds, const CalendarDate& today) {
    HealthVerdict verdict;
    if (health == nullptr) {
        verdict.reasons.push_back("Драйвер ККТ не сообщает состояние ФН.");
        return verdict;
    }
    if (queryResult == cash::kNotConnected) {
        verdict.status = HealthStatus::critical;
        verdict.reasons.push_back("Нет связи с ККТ: проверьте подключение и питание ККТ.");
        return verdict;
    }
    if (queryResult != cash::kSuccess || nothingKnown(*health)) {
        verdict.reasons.push_back("ККТ не сообщила состояние ФН (код " + number(queryResult) +
                                  ").");
        return verdict;
    }
    Judgement judgement(verdict);
    judgeStorageWarnings(*health, judgement);
    judgeStorageValidity(*health, thresholds, judgement);
    judgeOperator(*health, thresholds, today, verdict, judgement);
    if (health->shiftState == cash::kHealthShiftExpired)
        judgement.warn("Смена открыта более 24 часов: закройте смену (Z-отчёт).");
    verdict.summary = summaryOf(*health);
    return verdict;
}

std::string healthStatusLine(const HealthVerdict& verdict) {
    std::string line = std::string("KKT ") + healthStatusLabel(verdict.status) + " - ";
    if (verdict.status == HealthStatus::ok) return line + verdict.summary;
    for (std::size_t i = 0; i < verdict.reasons.size(); ++i)
        line += (i ? " " : "") + verdict.reasons[i];
    return line;
}

}  // namespace vorna
