// The cases of the fault sweep and the rule every case must keep: a payment
// that is reported registered is in the journal exactly once, one that is
// reported failed is not in it, and the next payment without a fault goes through.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorna {
namespace testing_support {

struct FaultCase {
    std::string function;  // the libfptr_* call hit
    int occurrence = 0;    // 0 for its first call in the payment, 1 for the second, ...
    std::string traceLine;
    std::string kind;  // "error", "throw", "connection_lost", "unconfirmed", "reply_lost", "crash"
    std::string timing;  // "before" or "after"
};

// Every call of the trace with every fault kind that applies to it, in both
// timings (a lost reply only after the work); withCrashes false leaves out the
// access violations (a sanitizer build cannot recover from one).
std::vector<FaultCase> faultCases(const std::vector<std::string>& traceLines, bool withCrashes);
// A smaller set with the same reach, for slow hosts: every kind on the calls
// that go to the register, only the exception on the parameter calls (an
// injected number or a lost line cannot change what a void setter or a
// getter of the last reply hands back, beyond what the exception covers),
// and the crash and the lost reply only on the calls that change the
// register (a query crashed or unanswered leaves the register as an
// injected failure of it does).
std::vector<FaultCase> representativeCases(const std::vector<FaultCase>& all);
// The fault object for the register state that hits exactly this call.
nlohmann::json faultOf(const FaultCase& fault);
std::string describe(const FaultCase& fault);

struct PaymentRun {
    int result = -1;  // the result code vorna-cash printed, -1 when it printed none
    std::string output;
    std::vector<nlohmann::json> newReceipts;
};

// Whether the driver told the operator that the receipt's fate is unknown
// (the register could not be asked whether it made the receipt fiscal).
bool reportedInDoubt(const PaymentRun& run);

// The result code from vorna-cash's "result: N text" line.
int printedResult(const std::string& output);

struct CaseOutcome {
    // The fault took the line down for the rest of the payment: after the
    // register's work nothing can tell the driver what became of the receipt.
    bool lineDown = false;
    PaymentRun faulted;
    // The register's record of calls that broke the library's contract.
    std::vector<std::string> contractViolations;
    bool followedUp = false;  // a payment without a fault was run after a failed one
    PaymentRun next;
};

// What is wrong with the outcome, or empty when the payment was neither lost
// nor registered twice. expectedTotal is the payment in roubles. A payment
// reported in doubt with the line down counts as kept when the journal holds
// it at most once: the operator was told to look before repeating it.
std::string violationOf(const CaseOutcome& outcome, double expectedTotal);
// The outcome is such a payment in doubt that the register registered.
bool registeredInDoubt(const CaseOutcome& outcome);

}  // namespace testing_support
}  // namespace vorna
