#include "cash/sender/call_frame.h"

#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "common/app_exception.h"
#include "common/log_escape.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"
#include "common/settings_code.h"

namespace vorna {

bool logEnabled() { return SenderSettings::instance().loggingOn(); }

std::string operationLogName() {
    std::string user;
    if (!platform::userName(user)) throw winapi::Exception();
    return user + "_vorna.cash.sender";
}

std::string HostPairs::settingsCode() const {
    std::string code;
    for (int i = 0; i < size(); ++i)
        if (key(i) == "IBS_CODE") code = value(i);
    return code;
}

std::string HostPairs::logEntry(int i) const {
    return escapedForLog(key(i)) + "=" + escapedForLog(value(i)) + ";";
}

std::string refusedCodeLine(const std::string& code) {
    return "Код настроек IBS_CODE=" + escapedForLog(code) +
           " отклонён: допустимы латинские буквы, цифры, \"-\" и \"_\", не более 64 символов";
}

bool acceptSettingsCode(const std::string& code) {
    if (code.empty() || isSettingsCode(code)) return true;
    writeStartNote(refusedCodeLine(code));
    return false;
}

FrameState prepareLogging() {
    FrameState frame;
    frame.logging = logEnabled();
    mainLogTarget().directory = SenderSettings::instance().logDirectory;
    frame.logName = operationLogName();
    return frame;
}

FrameState startFrame(const std::string& label, const std::string& title, const HostPairs& pairs) {
    writeStartMarker(label, "");
    std::string parameterLine;
    for (int i = 0; i < pairs.size(); ++i) parameterLine += pairs.logEntry(i);
    std::string code = pairs.settingsCode();
    const bool accepted = acceptSettingsCode(code);
    if (accepted && !code.empty()) loadSettingsFile(senderIniName(code));
    FrameState frame = prepareLogging();
    frame.code = code;
    frame.codeRefused = !accepted;
    frame.parameterLine = parameterLine;
    frame.headLine = title + "<" + SenderSettings::instance().cashDriver + ">";
    logLine(frame, frame.headLine);
    logLine(frame, frame.parameterLine);
    if (frame.codeRefused) logLine(frame, refusedCodeLine(code));
    return frame;
}

void logLine(const FrameState& frame, const std::string& text) {
    if (frame.logging) appendLogLine(mainLogTarget(), frame.logName, text);
}

}  // namespace vorna
