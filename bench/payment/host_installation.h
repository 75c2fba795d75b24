// A banking host's installation in a fresh temporary folder, used in this
// process as a host uses it: the sender library, the ATOL driver and the
// emulated register library copied from the build, the settings files of both
// libraries, a register (FFD 1.2, open shift) and the sender loaded through
// the platform layer with its exports resolved.
#pragma once

#include <string>
#include <vector>

#include "cash/shared/sender_api.h"
#include "common/platform/platform.h"

namespace vorna {
namespace bench {

// What the settings files turn on: nothing; the sender and driver logs
// (UseLog Y in both); the sender log and the driver's debug log (driver UseLog D).
enum class LogMode { off, on, debug };

const char* logModeName(LogMode mode);

class HostInstallation {
public:
    // With journal, the sender keeps its payment journal (payments.sqlite in
    // the logs folder); healthCheck false writes HealthCheck=N. The sender's
    // check of the register's health, once a day per process, is done at
    // start, so that every measured payment is a later one of the day.
    explicit HostInstallation(LogMode mode, bool journal = false, bool healthCheck = true);
    ~HostInstallation();
    HostInstallation(const HostInstallation&) = delete;
    HostInstallation& operator=(const HostInstallation&) = delete;

    // Makes this installation the current one: its working folder (the
    // sender finds the driver there by file name) and its register.
    void enter() const;

    // The worked example: transfer 4711 (or unc) of 123.45 with 15.00
    // commission, printed. The result code; a failure's text in resultText when given.
    int sendPayment(std::string* resultText = nullptr, const char* unc = "4711") const;
    // checkKKT; the result code.
    int checkKkt() const;

    // The register library calls of one payment, as the register's trace
    // writes them (the trace is off again afterwards).
    std::vector<std::string> tracePayment() const;

    // Unloads and loads the sender again: to it this is a new host process,
    // whose next payment is the first of the day.
    void reloadSender();

    // The copy of the register library in the working folder.
    std::string registerLibrary() const;

private:
    void install(LogMode mode, bool journal, bool healthCheck) const;
    void loadSender();
    // Unloads the sender, puts the directory and environment back and removes the folder.
    void leave();
    void setUpRegister() const;
    void runEmulatorTool(const std::vector<std::string>& arguments) const;
    std::string inWork(const std::string& fileName) const;

    std::string root_, work_, logs_, profile_;
    platform::LibraryHandle sender_ = nullptr;
    SendChequeFunction sendCheque_ = nullptr;
    CheckKktFunction checkKkt_ = nullptr;
};

}  // namespace bench
}  // namespace vorna
