// "Nothing lost, nothing registered twice": one payment goes through
// vorna-cash, the sender library, the ATOL driver and the emulated register
// with the call trace on; then each register call of that trace is hit by
// each fault kind, before the register's work and after it (the reply lost),
// and every outcome is checked against the register's journal.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "common/platform/platform.h"
#include "tests/fullpath/payment_outcome.h"
#include "tests/fullpath/register_folder.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

constexpr char kAtol10[] = "vorna.cash.atol10.dll";
constexpr double kPaymentTotal = 123.45;

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = host.binDirectory();
        std::filesystem::copy_file(
            host.path(bin, std::string("vorna.cash.atol10") + VORNA_LIBRARY_SUFFIX),
            host.path(host.work(), kAtol10));
        std::filesystem::copy_file(host.path(bin, VORNA_REGISTER_LIBRARY),
                                   host.path(host.work(), VORNA_REGISTER_LIBRARY));
        host.writeSettings(kAtol10);
        // The register lives in the host's working folder, whatever the caller set.
        platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", host.work());
        register_.initialise({"--ffd", "1.2"});
        // The first payment of the day opens the shift; the sweep runs in an open one.
        PaymentRun opening = pay({"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
        register_.save();
    }

    // The worked example payment: transfer 4711, 123.45 roubles in cash.
    PaymentRun pay(const std::vector<std::string>& answers) {
        const std::size_t before = register_.receipts().size();
        std::vector<std::string> arguments = {"send",          "--unc",   "4711",         "--sum",
                                              "12345",         "--comis", "1500",         "--pair",
                                              "TYPE_OPER=P",   "--pair",  "SHORT=Услуга", "--pair",
                                              "NDS_CODE=1105", "--pair",  "TYPE_OPL=NAL"};
        if (!answers.empty()) {
            std::string list;
            for (const std::string& a : answers) list += (list.empty() ? "" : ",") + a;
            arguments.push_back("--answer");
            arguments.push_back(list);
        }
        ProcessResult process = host.run(arguments);
        PaymentRun run;
        run.output = process.output + process.errors;
        run.result = printedResult(process.output);
        std::vector<nlohmann::json> all = register_.receipts();
        run.newReceipts.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
        return run;
    }

    CaseOutcome runCase(const FaultCase& fault) {
        register_.restore();
        register_.addFault(faultOf(fault));
        CaseOutcome outcome;
        // No answers: every box the driver shows gets its safe choice
        // (Cancel in the confirmation loop), as an operator in doubt would.
        outcome.faulted = pay({});
        if (outcome.faulted.result != 0 && outcome.faulted.newReceipts.empty()) {
            register_.clearFaults();
            outcome.followedUp = true;
            outcome.next = pay({});
        }
        return outcome;
    }

    SenderHost host;
    RegisterFolder register_{host.work()};
};

TEST_F(FaultSweep, EveryRegisterCallOfAPaymentFailingNeitherLosesNorDoublesIt) {
    register_.restore();
    PaymentRun plain = pay({});
    ASSERT_EQ(plain.result, 0) << plain.output;
    ASSERT_EQ(plain.newReceipts.size(), 1u) << plain.output;
    EXPECT_DOUBLE_EQ(plain.newReceipts[0].value("total", 0.0), kPaymentTotal);
    const std::vector<std::string> trace = register_.traceLines();
    ASSERT_FALSE(trace.empty());
    bool closes = false;
    for (const std::string& line : trace) closes |= calledFunction(line) == "libfptr_close_receipt";
    ASSERT_TRUE(closes) << "the payment's trace has no libfptr_close_receipt";

    const std::vector<FaultCase> cases = faultCases(trace);
    int passed = 0, failed = 0;
    std::string violations;
    for (const FaultCase& fault : cases) {
        const std::string violation = violationOf(runCase(fault), kPaymentTotal);
        if (violation.empty()) {
            ++passed;
            continue;
        }
        ++failed;
        violations += describe(fault) + ": " + violation + "\n";
        std::cout << "VIOLATION " << describe(fault) << ": " << violation << std::endl;
    }
    std::cout << trace.size() << " calls in the payment, " << cases.size() << " injected cases"
              << std::endl;
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    EXPECT_EQ(failed, 0) << violations;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
