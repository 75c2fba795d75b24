#include "cash/sender/report_objects.h"

#include <exception>

#include "cash/sender/script/step_trace.h"
#include "cash/shared/ResultCode.h"
#include "common/error_box.h"

namespace vorna {

namespace {
// The three calls of a report. The report's own result is what the host
// learns: a Z report that failed must not look like a closed shift.
int runReport(cash::ICash& cash, const char* step, int (cash::ICash::*report)()) {
    try {
        stepTrace(step);
        cash.CheckKKT();
        int result = (cash.*report)();
        cash.EndOperation();
        return result;
    } catch (const std::exception& e) {
        showErrorBox(e);
        return cash::kOtherError;
    } catch (...) {
        return cash::kOtherError;
    }
}
}  // namespace

ClassId XReport::classId() const {
    static const ClassId id = classIdFromText("{11B84387-8D39-4B5C-BDC9-3A8F5E8E5FFB}");
    return id;
}

int XReport::Execute(cash::ICash& cash) {
    return runReport(cash, "X. Печать X-отчета [XReport]", &cash::ICash::XReport);
}
int XReport::CheckInfoKKT(cash::ICash&, char**) { return cash::kSuccess; }
int XReport::CheckKKT(cash::ICash&) { return cash::kSuccess; }

ClassId ZReport::classId() const {
    static const ClassId id = classIdFromText("{E8535D31-DB28-4B26-ACED-DD6197D9874E}");
    return id;
}

int ZReport::Execute(cash::ICash& cash) {
    return runReport(cash, "Z. Закрытие смены [ZReport]", &cash::ICash::ZReport);
}
int ZReport::CheckInfoKKT(cash::ICash&, char**) { return cash::kSuccess; }
int ZReport::CheckKKT(cash::ICash&) { return cash::kSuccess; }

}  // namespace vorna
