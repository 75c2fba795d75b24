#include "cash/sender/unattended_host.h"

#include "cash/sender/call_frame.h"
#include "cash/sender/sender_settings.h"
#include "common/error_box.h"
#include "common/sender_log.h"

namespace vorna {

namespace {
bool unattendedNowFromSettings() { return unattendedSetting(); }

// One log line per box, whatever lines its text had.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}
}  // namespace

bool unattendedSetting() {
    const std::string& value = SenderSettings::instance().unattended;
    return value == "Y" || value == "y";
}

void installUnattendedMode() {
    UnattendedMode mode;
    mode.on = &unattendedNowFromSettings;
    mode.notice = &writeUnattendedNotice;
    setUnattendedMode(mode);
}

void writeUnattendedNotice(const std::string& caption, const std::string& text) {
    const std::string line = "Окно не показано (Unattended): [" + caption + "] " + oneLine(text);
    appendErrorLine(errorLogTarget(), line);
    if (logEnabled()) appendLogLine(mainLogTarget(), operationLogName(), line);
}

void driverUnattendedNotice(const char* caption, const char* text) {
    try {
        writeUnattendedNotice(caption ? caption : "", text ? text : "");
    } catch (...) {
        // Nothing may cross back into the driver.
    }
}

}  // namespace vorna
