// The exports xReport and zReport.
#include <exception>
#include <string>

#include "cash/sender/call_frame.h"
#include "cash/sender/driver_run.h"
#include "cash/sender/reconciliation/reconcile_at_z_report.h"
#include "cash/sender/report_objects.h"
#include "common/sender_log.h"

namespace vorna {
namespace {

int runReportExport(const char* label, const char* title, CashObject& report,
                    const HostPairs& pairs, bool closesShift) {
    FrameState frame = startFrame(label, title, pairs);
    int code;
    try {
        code = frame.codeRefused ? cash::kInvalidPayment : runCashObject(report, frame.code);
    } catch (const std::exception& e) {
        if (frame.logging) appendErrorLine(mainLogTarget(), e.what());
        code = cash::kOtherError;
    }
    // The shift is closed: its day can be held against the journal. The
    // result line stays the call's last line.
    if (closesShift && code == cash::kSuccess) reconcileAfterZReport(frame);
    logLine(frame, std::to_string(code) + "\r\n");
    return code;
}

}  // namespace
}  // namespace vorna

extern "C" {

int VORNA_STDCALL xReport(const vorna::cash::ParameterPair* pairs, int count) {
    return vorna::outsideGuard([&] {
        vorna::XReport report;
        return vorna::runReportExport("_xReport@8", "X-отчет (X-Report) ", report,
                                      vorna::HostPairs{pairs, count}, false);
    });
}

int VORNA_STDCALL zReport(const vorna::cash::ParameterPair* pairs, int count) {
    return vorna::outsideGuard([&] {
        vorna::ZReport report;
        return vorna::runReportExport("_zReport@8", "Закрытие смены (Z-Report) ", report,
                                      vorna::HostPairs{pairs, count}, true);
    });
}
}
