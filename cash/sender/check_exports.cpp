// The device checks checkKKT, checkLinkKKT and checkInfoKKT: a fixed
// one-cheque script whose CheckInfoKKT checks the device and the shift; and
// releaseInfoKKT, which takes back the information text.
#include <cstdlib>
#include <exception>
#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/health/daily_health_check.h"
#include "cash/sender/payment.h"
#include "cash/sender/result_text.h"
#include "cash/shared/checks.h"
#include "common/sender_log.h"

namespace vorna {
namespace {

// The guarded device check; the information text is left in *info (null
// when the check ended with a failure).
int runDeviceCheck(const FrameState& frame, char** info) {
    try {
        Checks cheques(deviceCheckScript());
        return runCheckWithInfo(cheques, frame.code, info);
    } catch (const std::exception& e) {
        if (frame.logging) appendErrorLine(errorLogTarget(), e.what());
    } catch (...) {
    }
    return cash::kOtherError;
}

int finish(const FrameState& frame, int code, const char** resultTextOut) {
    const char* text = resultText(code);
    if (resultTextOut) *resultTextOut = text;
    logLine(frame, std::to_string(code) + " " + text + "\r\n");
    return code;
}

int checkKktCall(const char** resultTextOut) {
    FrameState frame = prepareLogging();
    logLine(frame, "ПРОВЕРКА СВЯЗИ С ККТ");
    char* info = nullptr;
    int code = runDeviceCheck(frame, &info);
    std::free(info);
    checkHealthOncePerDay(frame, std::string());
    return finish(frame, code, resultTextOut);
}

int checkLinkCall(const char* label, const char** resultTextOut, const HostPairs& pairs,
                  char** infoOut) {
    FrameState frame = startFrame(label, "Проверка связи с ККТ ", pairs);
    if (frame.codeRefused) return finish(frame, cash::kInvalidPayment, resultTextOut);
    char* info = nullptr;
    int code = runDeviceCheck(frame, &info);
    // The register's information only with a ready register; any other result
    // gets the empty text of checkInfoKKT.
    if (infoOut && info && code == cash::kSuccess)
        *infoOut = info;
    else
        std::free(info);
    return finish(frame, code, resultTextOut);
}

}  // namespace
}  // namespace vorna

extern "C" {

int VORNA_STDCALL checkKKT(const char** resultText) {
    return vorna::withResultText(resultText, [&] { return vorna::checkKktCall(resultText); });
}

int VORNA_STDCALL checkLinkKKT(const char** resultText, const vorna::cash::ParameterPair* pairs,
                               int count) {
    return vorna::withResultText(resultText, [&] {
        return vorna::checkLinkCall("_checkLinkKKT@12", resultText, vorna::HostPairs{pairs, count},
                                    nullptr);
    });
}

// Whatever the result, *info gets a text of this library for the host to
// release: the information after 0, an empty text after any other code (null
// only when not even one byte could be had). A host that releases after every
// call never frees what it did not get.
int VORNA_STDCALL checkInfoKKT(const char** resultText, const vorna::cash::ParameterPair* pairs,
                               int count, char** info) {
    if (info) *info = nullptr;
    const int code = vorna::withResultText(resultText, [&] {
        return vorna::checkLinkCall("_checkInfoKKT@16", resultText, vorna::HostPairs{pairs, count},
                                    info);
    });
    if (info && !*info) *info = static_cast<char*>(std::calloc(1, 1));
    return code;
}

// The information text was allocated with malloc by this library (driver_run),
// so it goes back to this library's free, whatever runtime the host uses.
void VORNA_STDCALL releaseInfoKKT(char* info) { std::free(info); }
}
