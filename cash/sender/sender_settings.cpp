#include "cash/sender/sender_settings.h"

#include <cstddef>

#include "common/platform/platform.h"

namespace vorna {

namespace {
// Letter case folding for Latin and Windows-1251 Cyrillic letters.
unsigned char folded(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 0x20);
    if (c == 0xA8) return 0xB8;  // Yo
    return c;
}

bool sameKey(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (folded(static_cast<unsigned char>(a[i])) != folded(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

struct KeyField {
    const char* key;
    std::string SenderSettings::*field;
};

// In table order: the first match wins. The second spellings of Cashier
// begin with the Cyrillic capital Es.
const KeyField kKeys[] = {
    {"LogDirectory", &SenderSettings::logDirectory},
    {"LogPath", &SenderSettings::logDirectory},
    {"UseLog", &SenderSettings::useLog},
    {"Unattended", &SenderSettings::unattended},
    {"CashDriver", &SenderSettings::cashDriver},
    {"PrintCheque", &SenderSettings::printCheque},
    {"ClientPhone", &SenderSettings::clientPhone},
    {"ClientEmail", &SenderSettings::clientEmail},
    {"Cashier", &SenderSettings::cashier},
    {"Сashier", &SenderSettings::cashier},
    {"CashierInn", &SenderSettings::cashierInn},
    {"СashierInn", &SenderSettings::cashierInn},
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
    {"PaymentJournal", &SenderSettings::paymentJournal},
    {"JournalRetentionDays", &SenderSettings::journalRetentionDays},
    {"HealthWarnDays", &SenderSettings::healthWarnDays},
    {"HealthCritDays", &SenderSettings::healthCritDays},
    {"OfdWarnDays", &SenderSettings::ofdWarnDays},
    {"OfdCritDays", &SenderSettings::ofdCritDays},
    {"HealthCheck", &SenderSettings::healthCheck},
    {"HealthWarnBox", &SenderSettings::healthWarnBox},
    {"ReconcileOnZReport", &SenderSettings::reconcileOnZReport},
};
}  // namespace

SenderSettings& SenderSettings::instance() {
    static SenderSettings settings;
    return settings;
}

bool switchedOn(const std::string& value) { return value == "y" || value == "Y" || value == "1"; }

bool SenderSettings::loggingOn() const { return switchedOn(useLog); }

void handleSenderSetting(SenderSettings& settings, const std::string& key,
                         const std::string& value) {
    for (const KeyField& entry : kKeys) {
        if (!sameKey(key, entry.key)) continue;
        settings.*entry.field = value;
        if (entry.field == &SenderSettings::logDirectory && !value.empty())
            platform::createDirectory(value);
        return;
    }
}

}  // namespace vorna
