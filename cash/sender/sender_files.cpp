#include "cash/sender/sender_files.h"

#include "cash/sender/call_frame.h"
#include "cash/sender/sender_settings.h"
#include "common/ini_reader.h"
#include "common/log_escape.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

namespace vorna {

namespace {
// The library's own file name; the settings names are cut from it.
constexpr char kLibraryFile[] = "vorna.cash.sender.dll";
constexpr char kDelimiters[] = "\n\r=";
constexpr char kUserLocation[] = "Windows";

void handle(SenderSettings& settings, const std::string& key, const std::string& value) {
    handleSenderSetting(settings, key, value);
}

// A settings file read as UTF-8 is told in the operation log, which the
// settings just read may have switched on.
void noteSettingsFile(const std::string& line) {
    try {
        const SenderSettings& settings = SenderSettings::instance();
        if (!settings.loggingOn()) return;
        appendLogLine(LogTarget{settings.logDirectory, ""}, operationLogName(), line);
    } catch (...) {
    }
}

void readBothLocations(platform::LibraryHandle module, const std::string& fileName) {
    setIniNoticeWriter(&noteSettingsFile);
    SenderSettings& settings = SenderSettings::instance();
    readIniFile("GLOBAL", module, fileName, kDelimiters, settings, handle);
    readIniFile(kUserLocation, module, fileName, kDelimiters, settings, handle);
}

void appendStartLine(const std::string& text) {
    LogTarget start{platform::currentDirectory(), "vorna.cash.sender.start"};
    appendLogLine(start, start.name, text);
}
}  // namespace

std::string senderIniName(const std::string& code) {
    std::string name = kLibraryFile;
    if (code.empty()) return name.substr(0, name.size() - 4) + ".ini";
    return name.substr(0, name.size() - 3) + code + ".ini";
}

void loadSettingsFile(const std::string& fileName) { readBothLocations(nullptr, fileName); }

void loadSettingsAtLoad() {
    static const int anchor = 0;
    readBothLocations(platform::moduleOfAddress(&anchor), senderIniName(""));
}

std::string senderLibraryFolder() {
    // No module of its own (the code built into a program): the program's
    // folder, as for the settings read at load.
    static const int anchor = 0;
    const std::string file = platform::moduleFileName(platform::moduleOfAddress(&anchor));
    return file.empty() ? std::string() : platform::removeFileSpec(file);
}

void writeStartMarker(const std::string& label, const std::string& unc) {
    std::string line = "Начало выполнения: " + label;
    if (!unc.empty()) line += " [unc=" + escapedForLog(unc) + "]";
    appendStartLine(line);
}

void writeStartNote(const std::string& text) {
    if (!text.empty()) appendStartLine(text);
}

}  // namespace vorna
