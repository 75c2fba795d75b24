// The sender's process-wide settings: read from "vorna.cash.sender.ini" when
// the library is loaded and overwritten key by key by the per-code files.
#pragma once

#include <string>

namespace vorna {

struct SenderSettings {
    std::string logDirectory;
    std::string useLog;
    // "Y": no window of either library (cash/sender/unattended_host.h).
    std::string unattended;
    std::string cashDriver;
    std::string printCheque;
    std::string clientPhone;
    std::string clientEmail;
    std::string cashier;
    std::string cashierInn;
    std::string agentPhone;
    std::string operatorOper;
    std::string operatorName;
    std::string operatorAddress;
    std::string operatorInn;
    std::string operatorPhone;
    std::string agentSign;
    std::string payoperPhone;
    std::string supplierPhone;
    std::string supplierName;
    std::string supplierInn;
    // The payment journal's file (relative: to logDirectory); empty: no journal.
    std::string paymentJournal;
    std::string journalRetentionDays;
    // The register's health: the thresholds (days) and the check at the
    // counter with its message box (cash/sender/health/health_settings.h).
    std::string healthWarnDays;
    std::string healthCritDays;
    std::string ofdWarnDays;
    std::string ofdCritDays;
    std::string healthCheck;
    std::string healthWarnBox;
    // "Y": the Z report reconciles its day (cash/sender/reconciliation/reconcile_at_z_report.h).
    std::string reconcileOnZReport;

    // The one record of the process, made on first use.
    static SenderSettings& instance();

    // True when the logging switch is exactly "y", "Y" or "1".
    bool loggingOn() const;
};

// True for a switch that is on: exactly "y", "Y" or "1".
bool switchedOn(const std::string& value);

// Assigns a value to the first field whose key matches without regard to
// letter case; other keys are ignored. A non-empty log directory is created.
void handleSenderSetting(SenderSettings& settings, const std::string& key,
                         const std::string& value);

}  // namespace vorna
