#include "bench/payment/host_installation.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "emulator/state_store.h"
#include "emulator/tool/tool_commands.h"

namespace fs = std::filesystem;

namespace vorna {
namespace bench {

namespace {

// The sender chooses the tax table and hands its settings file over by this
// name, so the driver keeps it on every system.
constexpr char kDriverFile[] = "vorna.cash.atol10.dll";

std::string join(const std::string& folder, const std::string& name) {
    return folder + platform::pathSeparator() + name;
}

// This program lives in a folder of its own below the build's bin folder:
// Windows looks for a library named bare in the program's folder first, and
// there it would find the build's driver instead of the installation's.
std::string binFolder() {
    return platform::removeFileSpec(platform::removeFileSpec(platform::moduleFileName(nullptr)));
}

std::string uniqueName() {
    std::random_device random;
    return "vorna-bench-" + std::to_string(random()) + "-" + std::to_string(random());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> found;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) found.push_back(line);
    }
    return found;
}

// What installations change in the process, as it was before the first one.
struct ProcessAtStart {
    std::string directory, profile;
    bool hadProfile = false;
};

const ProcessAtStart& processAtStart() {
    static const ProcessAtStart start = [] {
        ProcessAtStart now;
        now.directory = platform::currentDirectory();
        now.hadProfile = platform::environmentVariable("USERPROFILE", now.profile);
        return now;
    }();
    return start;
}

const char* senderUseLog(LogMode mode) { return mode == LogMode::off ? "N" : "Y"; }

const char* driverUseLog(LogMode mode) {
    switch (mode) {
        case LogMode::on:
            return "Y";
        case LogMode::debug:
            return "D";
        case LogMode::off:
        default:
            return "N";
    }
}

template <typename Function>
Function exported(platform::LibraryHandle library, const char* name) {
    void* symbol = platform::findSymbol(library, name);
    if (!symbol)
        throw std::runtime_error(std::string("the sender does not export ") + name + ": " +
                                 platform::loaderErrorText());
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

const char* logModeName(LogMode mode) {
    switch (mode) {
        case LogMode::on:
            return "UseLogY";
        case LogMode::debug:
            return "UseLogD";
        case LogMode::off:
        default:
            return "LogOff";
    }
}

HostInstallation::HostInstallation(LogMode mode, bool journal, bool healthCheck) {
    processAtStart();
    root_ = (fs::temp_directory_path() / uniqueName()).string();
    work_ = join(root_, "work");
    logs_ = join(root_, "logs");
    profile_ = join(root_, "profile");
    fs::create_directories(work_);
    fs::create_directories(logs_);
    // The driver also reads %USERPROFILE%\Windows: one of our own keeps the
    // user's real settings out.
    fs::create_directories(join(profile_, "Windows"));
    try {
        install(mode, journal, healthCheck);
        enter();
        setUpRegister();
        loadSender();
        checkKkt();
    } catch (...) {
        leave();
        throw;
    }
}

HostInstallation::~HostInstallation() { leave(); }

void HostInstallation::loadSender() {
    const std::string sender = inWork(std::string("vorna.cash.sender") + VORNA_LIBRARY_SUFFIX);
    sender_ = platform::loadLibrary(sender);
    if (!sender_)
        throw std::runtime_error("cannot load " + sender + ": " + platform::loaderErrorText());
    sendCheque_ = exported<SendChequeFunction>(sender_, "sendCheque");
    checkKkt_ = exported<CheckKktFunction>(sender_, "checkKKT");
}

void HostInstallation::reloadSender() {
    platform::freeLibrary(sender_);
    sender_ = nullptr;
    loadSender();
}

void HostInstallation::leave() {
    if (sender_) platform::freeLibrary(sender_);
    sender_ = nullptr;
    // Back where the program started (Windows removes no folder that is the
    // current one), with the environment it had.
    const ProcessAtStart& start = processAtStart();
    platform::setCurrentDirectory(start.directory);
    platform::setEnvironmentVariable("USERPROFILE", start.hadProfile ? start.profile : "");
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", "");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void HostInstallation::install(LogMode mode, bool journal, bool healthCheck) const {
    const std::string bin = binFolder();
    const auto copy = [&](const std::string& from, const std::string& to) {
        fs::copy_file(join(bin, from), inWork(to), fs::copy_options::overwrite_existing);
    };
    copy(std::string("vorna.cash.sender") + VORNA_LIBRARY_SUFFIX,
         std::string("vorna.cash.sender") + VORNA_LIBRARY_SUFFIX);
    copy(std::string("vorna.cash.atol10") + VORNA_LIBRARY_SUFFIX, kDriverFile);
    copy(VORNA_REGISTER_LIBRARY, VORNA_REGISTER_LIBRARY);
    writeText(inWork("vorna.cash.sender.ini"),
              std::string("CashDriver=") + kDriverFile + "\r\nUseLog=" + senderUseLog(mode) +
                  "\r\nLogDirectory=" + logs_ + "\r\n" +
                  (journal ? "PaymentJournal=payments.sqlite\r\n" : "") +
                  (healthCheck ? "" : "HealthCheck=N\r\n"));
    // AutoShift answers a closed or expired shift without a message box.
    writeText(inWork("vorna.cash.atol10.ini"), std::string("UseLog=") + driverUseLog(mode) +
                                                   "\r\nLogPath=" + logs_ + "\r\nAutoShift=Y\r\n");
}

void HostInstallation::enter() const {
    if (!platform::setCurrentDirectory(work_))
        throw std::runtime_error("cannot enter " + work_ + ": " +
                                 platform::errorText(platform::lastError()));
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", work_);
    platform::setEnvironmentVariable("USERPROFILE", profile_);
}

void HostInstallation::runEmulatorTool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> full = {"--dir", work_};
    full.insert(full.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    if (emulator::tool::runCommand(full, out, err) != 0)
        throw std::runtime_error("fptr10-emulator " + arguments.front() + ": " + err.str());
}

void HostInstallation::setUpRegister() const {
    // The tool takes its arguments in UTF-8.
    runEmulatorTool({"init", "--ffd", "1.2", "--agent-sign", "1", "--inn", "7707083893", "--name",
                     platform::cp1251ToUtf8("ООО Ромашка"), "--address",
                     platform::cp1251ToUtf8("г. Москва, ул. Ленина, д. 1"), "--serial",
                     "00106100000001"});
    runEmulatorTool({"set", "shift.open", "true"});
    runEmulatorTool({"set", "shift.number", "1"});
    runEmulatorTool({"set", "shift.openedAt", std::to_string(platform::unixTime())});
}

int HostInstallation::sendPayment(std::string* resultText, const char* unc) const {
    static const cash::ParameterPair pairs[] = {
        {"TYPE_OPER", "P"}, {"SHORT", "Услуга"}, {"NDS_CODE", "1105"}, {"TYPE_OPL", "NAL"}};
    const char* text = nullptr;
    const int code = sendCheque_(unc, 12345, 1500, pairs, 4, &text, 1);
    // Only a failure's text is wanted: no conversion inside the measured loop.
    if (resultText && code != 0) *resultText = text ? platform::cp1251ToUtf8(text) : std::string();
    return code;
}

int HostInstallation::checkKkt() const {
    const char* text = nullptr;
    return checkKkt_(&text);
}

std::vector<std::string> HostInstallation::tracePayment() const {
    const std::string trace = inWork(emulator::kTraceFileName);
    writeText(trace, std::string());
    runEmulatorTool({"set", "trace", "true"});
    std::string text;
    const int code = sendPayment(&text);
    runEmulatorTool({"set", "trace", "false"});
    if (code != 0)
        throw std::runtime_error("the traced payment failed: " + std::to_string(code) + " " + text);
    std::vector<std::string> calls = lines(trace);
    writeText(trace, std::string());
    return calls;
}

std::string HostInstallation::registerLibrary() const { return inWork(VORNA_REGISTER_LIBRARY); }

std::string HostInstallation::inWork(const std::string& fileName) const {
    return join(work_, fileName);
}

}  // namespace bench
}  // namespace vorna
