#include "tests/fullpath/payment_outcome.h"

#include <cmath>
#include <map>
#include <sstream>

#include "tests/fullpath/register_folder.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {

using nlohmann::json;

std::vector<FaultCase> faultCases(const std::vector<std::string>& traceLines, bool withCrashes) {
    std::vector<FaultCase> cases;
    std::map<std::string, int> seen;
    for (const std::string& line : traceLines) {
        const std::string function = calledFunction(line);
        const int occurrence = seen[function]++;
        std::vector<std::string> kinds = {"error", "throw", "connection_lost"};
        // The register only ever leaves a receipt unconfirmed at its closing.
        if (function == "libfptr_close_receipt") kinds.push_back("unconfirmed");
        if (withCrashes) kinds.push_back("crash");
        for (const std::string& kind : kinds)
            for (const char* timing : {"before", "after"})
                cases.push_back({function, occurrence, line, kind, timing});
        // A reply is lost only once the register has done the work.
        cases.push_back({function, occurrence, line, "reply_lost", "after"});
    }
    return cases;
}

namespace {

// Queries, parameters and the library's own bookkeeping leave the register as it was.
bool changesTheRegister(const std::string& function) {
    static const char* const changing[] = {
        "libfptr_open_shift",     "libfptr_operator_login", "libfptr_open_receipt",
        "libfptr_registration",   "libfptr_payment",        "libfptr_close_receipt",
        "libfptr_cancel_receipt", "libfptr_print_text",     "libfptr_report",
        "libfptr_cash_income",    "libfptr_cash_outcome"};
    for (const char* name : changing)
        if (function == name) return true;
    return false;
}

}  // namespace

std::vector<FaultCase> representativeCases(const std::vector<FaultCase>& all) {
    std::vector<FaultCase> kept;
    for (const FaultCase& c : all) {
        const bool parameterCall = c.function.rfind("libfptr_set_param_", 0) == 0 ||
                                   c.function.rfind("libfptr_get_param_", 0) == 0;
        const bool newerKind = c.kind == "crash" || c.kind == "reply_lost";
        if (newerKind ? changesTheRegister(c.function) : (!parameterCall || c.kind == "throw"))
            kept.push_back(c);
    }
    return kept;
}

json faultOf(const FaultCase& fault) {
    // An "error" fault without a number of its own fails with the emulator's
    // injected-fault number, which no register condition shares.
    json f = {
        {"kind", fault.kind}, {"function", fault.function}, {"timing", fault.timing}, {"count", 1}};
    if (fault.occurrence > 0) f["skip"] = fault.occurrence;
    return f;
}

std::string describe(const FaultCase& fault) {
    return fault.function + " (call " + std::to_string(fault.occurrence + 1) +
           " of it: " + fault.traceLine + "), " + fault.kind + ", " + fault.timing;
}

int printedResult(const std::string& output) {
    const std::string marker = "result: ";
    const std::size_t at = output.find(marker);
    if (at == std::string::npos) return -1;
    std::istringstream number(output.substr(at + marker.size()));
    int result = -1;
    if (!(number >> result)) return -1;
    return result;
}

bool reportedInDoubt(const PaymentRun& run) {
    return run.output.find(utf8("Нет связи с ККТ: неизвестно, зарегистрирован ли чек.")) !=
           std::string::npos;
}

namespace {

std::string totals(const std::vector<json>& receipts) {
    std::string text;
    for (const json& r : receipts) {
        if (!text.empty()) text += ", ";
        text += r.contains("total") ? r["total"].dump() : std::string("?");
    }
    return "[" + text + "]";
}

std::string journalDelta(const PaymentRun& run) {
    return "result " + std::to_string(run.result) + ", " + std::to_string(run.newReceipts.size()) +
           " new receipt(s) " + totals(run.newReceipts);
}

bool oneReceiptOf(const PaymentRun& run, double expectedTotal) {
    return run.newReceipts.size() == 1 &&
           std::fabs(run.newReceipts[0].value("total", -1.0) - expectedTotal) < 0.005;
}

}  // namespace

std::string violationOf(const CaseOutcome& outcome, double expectedTotal) {
    const PaymentRun& faulted = outcome.faulted;
    if (!outcome.contractViolations.empty())
        return "the driver broke the library's contract: " + outcome.contractViolations.front();
    if (faulted.result == 0) {
        if (oneReceiptOf(faulted, expectedTotal)) return std::string();
        return faulted.newReceipts.empty()
                   ? "reported registered but not in the journal (lost): " + journalDelta(faulted)
                   : "reported registered, journal not exactly one receipt of the sum: " +
                         journalDelta(faulted);
    }
    if (reportedInDoubt(faulted) && !outcome.lineDown)
        return "reported in doubt although the register could be asked: " + journalDelta(faulted);
    if (registeredInDoubt(outcome)) {
        if (oneReceiptOf(faulted, expectedTotal)) return std::string();
        return "reported in doubt, journal not exactly one receipt of the sum: " +
               journalDelta(faulted);
    }
    if (!faulted.newReceipts.empty())
        return "reported failed but registered (a repeat would register it twice): " +
               journalDelta(faulted);
    if (!outcome.followedUp) return "no payment without a fault after the failure";
    if (outcome.next.result != 0 || !oneReceiptOf(outcome.next, expectedTotal))
        return "failed with " + std::to_string(faulted.result) +
               " and nothing registered, but the next payment without a fault: " +
               journalDelta(outcome.next);
    return std::string();
}

bool registeredInDoubt(const CaseOutcome& outcome) {
    return outcome.lineDown && outcome.faulted.result != 0 && reportedInDoubt(outcome.faulted) &&
           !outcome.faulted.newReceipts.empty();
}

}  // namespace testing_support
}  // namespace vorna
