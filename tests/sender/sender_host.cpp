#include "tests/sender/sender_host.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "common/platform/platform.h"

namespace fs = std::filesystem;

namespace vorna {
namespace testing_support {

namespace {
// VORNA_BIN_DIR is a POSIX path; a Windows program sees it on drive Z:.
std::string systemPath(std::string path) {
    if (platform::pathSeparator() == '\\' && !path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

std::string binDirectory() {
    std::string bin;
    if (!platform::environmentVariable("VORNA_BIN_DIR", bin))
        throw std::runtime_error("VORNA_BIN_DIR is not set");
    return systemPath(bin);
}

std::string uniqueName() {
    std::random_device random;
    return "vorna-sender-" + std::to_string(random()) + "-" + std::to_string(random());
}
}  // namespace

std::string utf8(const std::string& cp1251) { return platform::cp1251ToUtf8(cp1251); }

SenderHost::SenderHost() {
    root_ = (fs::temp_directory_path() / uniqueName()).string();
    work_ = path(root_, "work");
    logs_ = path(root_, "logs");
    profile_ = path(root_, "profile");
    fs::create_directories(work_);
    fs::create_directories(logs_);
    fs::create_directories(path(profile_, "Windows"));
    std::string bin = binDirectory();
    for (const std::string& file : {std::string("vorna-cash") + VORNA_EXECUTABLE_SUFFIX,
                                    std::string("vorna.cash.sender") + VORNA_LIBRARY_SUFFIX})
        fs::copy_file(path(bin, file), path(work_, file), fs::copy_options::overwrite_existing);
    hadProfile_ = platform::environmentVariable("USERPROFILE", savedProfile_);
    platform::setEnvironmentVariable("USERPROFILE", profile_);
}

SenderHost::~SenderHost() {
    platform::setEnvironmentVariable("USERPROFILE", hadProfile_ ? savedProfile_ : "");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string SenderHost::path(const std::string& folder, const std::string& fileName) const {
    return folder + platform::pathSeparator() + fileName;
}

void SenderHost::installDriver(const std::string& variant, const std::string& fileName) const {
    fs::copy_file(path(binDirectory(), variant + VORNA_LIBRARY_SUFFIX), path(work_, fileName),
                  fs::copy_options::overwrite_existing);
}

void SenderHost::writeFile(const std::string& fileName, const std::string& text) const {
    std::ofstream out(path(work_, fileName), std::ios::binary | std::ios::trunc);
    out << text;
}

void SenderHost::writeSettings(const std::string& driver, const std::string& more) const {
    writeFile("vorna.cash.sender.ini",
              "UseLog=1\nLogDirectory=" + logs_ + "\nCashDriver=" + driver + "\n" + more);
}

ProcessResult SenderHost::run(const std::vector<std::string>& arguments) const {
    return runIn(work_, arguments);
}

ProcessResult SenderHost::runIn(const std::string& currentDirectory,
                                const std::vector<std::string>& arguments) const {
    return runProcess(path(work_, std::string("vorna-cash") + VORNA_EXECUTABLE_SUFFIX), arguments,
                      currentDirectory, work_);
}

std::string SenderHost::fileText(const std::string& file) const {
    // Text mode undoes the line ends of the writers' text mode on Windows.
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool SenderHost::exists(const std::string& file) const { return fs::exists(file); }

std::vector<std::string> SenderHost::takeCalls() const {
    std::string file = path(work_, "driver.calls");
    std::istringstream text(fileText(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    std::error_code ignored;
    fs::remove(file, ignored);
    return lines;
}

std::vector<std::string> SenderHost::logLines(const std::string& file) const {
    std::istringstream text(fileText(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        // "[07.03.2019 14:05:31:045] text" or "[07.03.2019 14:05:31] text"
        std::size_t close = line.find("] ");
        lines.push_back(close == std::string::npos ? line : line.substr(close + 2));
    }
    return lines;
}

std::string SenderHost::binDirectory() const { return vorna::testing_support::binDirectory(); }

std::string SenderHost::startLog() const { return path(work_, "vorna.cash.sender.start.log"); }

std::string SenderHost::operationLog() const {
    std::string user;
    platform::userName(user);
    return path(logs_, user + "_vorna.cash.sender.log");
}

std::string SenderHost::errorLog() const { return path(logs_, "error.log"); }

}  // namespace testing_support
}  // namespace vorna
