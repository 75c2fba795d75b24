#include "tests/fullpath/fullpath_host.h"

#include <cstdio>
#include <filesystem>

#include "common/platform/platform.h"

namespace vorna {
namespace testing_support {

namespace {
constexpr char kAtol10[] = "vorna.cash.atol10.dll";
}

std::string localToday() {
    platform::DateTime now;
    platform::localTime(now);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", now.year, now.month, now.day);
    return text;
}

FullPathHost::FullPathHost(const std::vector<std::string>& initOptions,
                           const std::string& moreSettings) {
    const std::string bin = host.binDirectory();
    std::filesystem::copy_file(
        host.path(bin, std::string("vorna.cash.atol10") + VORNA_LIBRARY_SUFFIX),
        host.path(host.work(), kAtol10));
    std::filesystem::copy_file(host.path(bin, VORNA_REGISTER_LIBRARY),
                               host.path(host.work(), VORNA_REGISTER_LIBRARY));
    host.writeSettings(kAtol10, moreSettings);
    // The register lives in the host's working folder, whatever the caller set.
    platform::setEnvironmentVariable("FPTR10_EMULATOR_DIR", host.work());
    registerFolder.initialise(initOptions);
}

PaymentRun FullPathHost::pay(const std::vector<std::string>& morePairs,
                             const std::vector<std::string>& answers, bool print) {
    const std::size_t before = registerFolder.receipts().size();
    std::vector<std::string> arguments = {"send",         "--unc",   "4711",         "--sum",
                                          "12345",        "--comis", "1500",         "--pair",
                                          "SHORT=Услуга", "--pair",  "NDS_CODE=1105"};
    bool typeGiven = false, paymentGiven = false;
    for (const std::string& pair : morePairs) {
        typeGiven |= pair.rfind("TYPE_OPER=", 0) == 0;
        paymentGiven |= pair.rfind("TYPE_OPL=", 0) == 0;
        arguments.push_back("--pair");
        arguments.push_back(pair);
    }
    if (!typeGiven) arguments.insert(arguments.end(), {"--pair", "TYPE_OPER=P"});
    if (!paymentGiven) arguments.insert(arguments.end(), {"--pair", "TYPE_OPL=NAL"});
    if (!print) arguments.push_back("--no-print");
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
    std::vector<nlohmann::json> all = registerFolder.receipts();
    run.newReceipts.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    return run;
}

}  // namespace testing_support
}  // namespace vorna
