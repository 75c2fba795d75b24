#include "cash/sender/call_frame.h"

#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "common/app_exception.h"
#include "common/platform/platform.h"
#include "common/sender_log.h"

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
    for (int i = 0; i < pairs.size(); ++i)
        parameterLine += pairs.key(i) + "=" + pairs.value(i) + ";";
    std::string code = pairs.settingsCode();
    if (!code.empty()) loadSettingsFile(senderIniName(code));
    FrameState frame = prepareLogging();
    frame.code = code;
    frame.parameterLine = parameterLine;
    frame.headLine = title + "<" + SenderSettings::instance().cashDriver + ">";
    logLine(frame, frame.headLine);
    logLine(frame, frame.parameterLine);
    return frame;
}

void logLine(const FrameState& frame, const std::string& text) {
    if (frame.logging) appendLogLine(mainLogTarget(), frame.logName, text);
}

}  // namespace vorna
