#include "cash/atol10/unattended_driver.h"

#include <string>

#include "cash/atol10/config.h"
#include "common/driver_log.h"
#include "common/error_box.h"

namespace vorna {
namespace cash {

namespace {
bool senderUnattended = false;
UnattendedNoticeFunction senderNotice = nullptr;

bool driverUnattended() { return senderUnattended || Config::instance().unattended == "Y"; }

void writeNotice(const std::string& caption, const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    writeLog("   Окно не показано (Unattended): [" + caption + "] " + line);
    if (senderNotice) senderNotice(caption.c_str(), text.c_str());
}
}  // namespace

void installDriverUnattendedMode() {
    UnattendedMode mode;
    mode.on = &driverUnattended;
    mode.notice = &writeNotice;
    setUnattendedMode(mode);
}

void setSenderUnattended(bool on, UnattendedNoticeFunction noticeFunction) {
    senderUnattended = on;
    senderNotice = noticeFunction;
}

}  // namespace cash
}  // namespace vorna
