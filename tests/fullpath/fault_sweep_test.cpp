// "Nothing lost, nothing registered twice": one payment goes through
// vorna-cash, the sender library, the ATOL driver and the emulated register
// with the call trace on; then each register call of that trace is hit by
// each fault kind, before the register's work and after it (the reply lost),
// and every outcome is checked against the register's journal.
#include <gtest/gtest.h>

#include <iostream>

#include "common/platform/platform.h"
#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

constexpr double kPaymentTotal = 123.45;

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override {
        // The first payment of the day opens the shift; the sweep runs in an open one.
        PaymentRun opening = path.pay({}, {"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
        register_.save();
    }

    PaymentRun pay() { return path.pay(); }

    CaseOutcome runCase(const FaultCase& fault) {
        register_.restore();
        register_.addFault(faultOf(fault));
        CaseOutcome outcome;
        outcome.lineDown = fault.kind == "connection_lost";
        // No answers: every box the driver shows gets its safe choice
        // (Cancel in the confirmation loop), as an operator in doubt would.
        outcome.faulted = pay();
        outcome.contractViolations = register_.violations();
        if (outcome.faulted.result != 0 && outcome.faulted.newReceipts.empty()) {
            register_.clearFaults();
            outcome.followedUp = true;
            outcome.next = pay();
        }
        return outcome;
    }

    FullPathHost path{{"--ffd", "1.2"}};
    RegisterFolder& register_ = path.registerFolder;
};

TEST_F(FaultSweep, EveryRegisterCallOfAPaymentFailingNeitherLosesNorDoublesIt) {
    register_.restore();
    PaymentRun plain = pay();
    ASSERT_EQ(plain.result, 0) << plain.output;
    ASSERT_EQ(plain.newReceipts.size(), 1u) << plain.output;
    EXPECT_DOUBLE_EQ(plain.newReceipts[0].value("total", 0.0), kPaymentTotal);
    EXPECT_TRUE(register_.violations().empty()) << register_.violations().front();
    const std::vector<std::string> trace = register_.traceLines();
    ASSERT_FALSE(trace.empty());
    bool closes = false;
    for (const std::string& line : trace) closes |= calledFunction(line) == "libfptr_close_receipt";
    ASSERT_TRUE(closes) << "the payment's trace has no libfptr_close_receipt";

    // VORNA_SWEEP_CASES=representative (set for the Wine run) takes the smaller set.
    std::string which;
    platform::environmentVariable("VORNA_SWEEP_CASES", which);
    // A sanitizer build cannot recover from an access violation in the library.
    const bool withCrashes = !VORNA_SANITIZED;
    const std::vector<FaultCase> all = faultCases(trace, withCrashes);
    const std::vector<FaultCase> cases = which == "representative" ? representativeCases(all) : all;
    std::cout << "fault cases: " << (which.empty() ? "all" : which)
              << (withCrashes ? "" : " (no crashes: sanitizer build)") << std::endl;
    int passed = 0, failed = 0, inDoubt = 0;
    std::string violations;
    for (const FaultCase& fault : cases) {
        const CaseOutcome outcome = runCase(fault);
        const std::string violation = violationOf(outcome, kPaymentTotal);
        if (violation.empty()) {
            ++passed;
            if (registeredInDoubt(outcome)) {
                ++inDoubt;
                std::cout << "IN DOUBT " << describe(fault) << ": registered once, "
                          << "the operator told to check the register before repeating"
                          << std::endl;
            }
            continue;
        }
        ++failed;
        violations += describe(fault) + ": " + violation + "\n";
        std::cout << "VIOLATION " << describe(fault) << ": " << violation << std::endl;
    }
    std::cout << trace.size() << " calls in the payment, " << cases.size() << " injected cases"
              << std::endl;
    std::cout << inDoubt << " of the passed cases registered the payment with the line down "
              << "and reported it in doubt" << std::endl;
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    EXPECT_EQ(failed, 0) << violations;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
