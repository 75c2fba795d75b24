// Parses arbitrary bytes as a cheque script and runs the result against a
// device that accepts everything. The exceptions the grammar actions document
// are expected; any other exception, a crash, a leak or a hang is a finding.
#include <boost/lexical_cast.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "cash/sender/script/binary_archive.h"
#include "cash/sender/script/parser_trace.h"
#include "cash/shared/checks.h"
#include "common/app_exception.h"
#include "common/platform/platform.h"
#include "tests/support/accepting_cash.h"

namespace {

void exercise(const std::string& script) {
    vorna::Checks checks(script);
    vorna::testing_support::AcceptingCash cash;
    const int result = checks.Execute(cash);
    if (result != 0 && result != 1 && result != 3 && result != 99) std::abort();

    // The saved form must read back to the same bytes.
    vorna::BinaryArchive archive;
    checks.save(archive);
    vorna::BinaryArchive reader(archive.bytes());
    vorna::Checks loaded("");
    loaded.load(reader);
    vorna::BinaryArchive again;
    loaded.save(again);
    if (!reader.atEnd() || again.bytes() != archive.bytes()) std::abort();
}

}  // namespace

// With a device that accepts everything, execution has nothing to report:
// a message box means an exception escaped the cheque model.
int noMessageBox(const std::string&, const std::string&, vorna::platform::Buttons,
                 vorna::platform::Icon) {
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vorna::platform::SystemCalls calls;
    calls.messageBox = &noMessageBox;
    vorna::platform::setSystemCalls(calls);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The trace is on, as in the library; rewinding keeps the file at the
    // size of one parse instead of growing with every input.
    vorna::parserTrace().seekp(0);
    try {
        exercise(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const vorna::app_exception&) {     // a cheque type other than 2 or 4, ...
    } catch (const boost::bad_lexical_cast&) {  // a "~pos" field that is not a number
    } catch (const std::out_of_range&) {        // an amount without a 64-bit kopeck value
    } catch (const std::logic_error&) {         // actions on an empty list
    }
    return 0;
}
