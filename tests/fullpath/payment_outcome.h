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
    std::string kind;    // "error", "throw", "connection_lost", "unconfirmed"
    std::string timing;  // "before" or "after"
};

// Every call of the trace with every fault kind that applies to it, in both timings.
std::vector<FaultCase> faultCases(const std::vector<std::string>& traceLines);
// A smaller set with the same reach, for slow hosts: every kind on the calls
// that go to the register, only the exception on the parameter calls (an
// injected number or a lost line cannot change what a void setter or a
// getter of the last reply hands back, beyond what the exception covers).
std::vector<FaultCase> representativeCases(const std::vector<FaultCase>& all);
// The fault object for the register state that hits exactly this call.
nlohmann::json faultOf(const FaultCase& fault);
std::string describe(const FaultCase& fault);

struct PaymentRun {
    int result = -1;  // the result code vorna-cash printed, -1 when it printed none
    std::string output;
    std::vector<nlohmann::json> newReceipts;
};

// The result code from vorna-cash's "result: N text" line.
int printedResult(const std::string& output);

struct CaseOutcome {
    PaymentRun faulted;
    bool followedUp = false;  // a payment without a fault was run after a failed one
    PaymentRun next;
};

// What is wrong with the outcome, or empty when the payment was neither lost
// nor registered twice. expectedTotal is the payment in roubles.
std::string violationOf(const CaseOutcome& outcome, double expectedTotal);

}  // namespace testing_support
}  // namespace vorna
