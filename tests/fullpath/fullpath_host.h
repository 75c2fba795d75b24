// A banking host installation with the ATOL driver and the emulated register
// in its working folder: vorna-cash runs the worked example payment (transfer
// 4711, 123.45 roubles, commission 15.00) or any other command, and the
// register's journal tells what was registered.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/fullpath/payment_outcome.h"
#include "tests/fullpath/register_folder.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {

// Sender settings with the payment journal on and what a correction receipt
// needs (operator, agent and supplier data); the daily health check off, for
// tests that count a payment's own register calls.
inline constexpr char kJournalAndAgentSettings[] =
    "PaymentJournal=payments.sqlite\nHealthCheck=N\n"
    "OperatorName=Operator LLC\nOperatorInn=7700000001\nAgentPhone=+79990000001\n"
    "SupplierName=Supplier LLC\nSupplierInn=7700000002\nSupplierPhone=+79990000002\n";

// Today's local date, "YYYY-MM-DD": the day the journal and the register give payments.
std::string localToday();

class FullPathHost {
public:
    // Installs the driver and the register library, writes the sender settings
    // (more: further lines) and sets up a new register with these init options.
    FullPathHost(const std::vector<std::string>& initOptions, const std::string& moreSettings = "");

    // The worked example payment with further pairs and the box answers given
    // (none: every box gets its safe choice); print false sends --no-print.
    PaymentRun pay(const std::vector<std::string>& morePairs = {},
                   const std::vector<std::string>& answers = {}, bool print = true);
    // Any vorna-cash command.
    ProcessResult run(const std::vector<std::string>& arguments) const {
        return host.run(arguments);
    }

    SenderHost host;
    RegisterFolder registerFolder{host.work()};
};

}  // namespace testing_support
}  // namespace vorna
