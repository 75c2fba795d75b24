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

namespace {

// A device that succeeds at everything and keeps nothing.
class AcceptingCash : public vorna::cash::ICash {
public:
    int CheckState() override { return 0; }
    int NewCheck(int) override { return 0; }
    int CashOutcome(const std::string&) override { return 0; }
    int CashOutcome(int) override { return 0; }
    int CashIncome(const std::string&) override { return 0; }
    int CashIncome(int) override { return 0; }
    int RegisterSale(const std::string&, unsigned, int, int, int) override { return 0; }
    int PrintSlip(const std::string&, unsigned, int, int) override { return 0; }
    int Return(const std::string&, unsigned, int) override { return 0; }
    int CancelCheck() override { return 0; }
    int CloseCheck(unsigned, int) override { return 0; }
    int Print(const std::string&) override { return 0; }
    int Ready() override { return 0; }
    int IsSessionOpen() override { return 1; }
    int XReport() override { return 0; }
    int ZReport() override { return 0; }
    int CheckKKT() override { return 0; }
    int GetMaxCashStringLength() override { return 40; }
    void Finish() override {}
    void EndOperation() override {}
    void SetCheckAttributes(bool, bool, int, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {}
    void SetTaxType(int) override {}
    void SetPaymentType(int) override {}
    void SetPrecheque(bool) override {}
    void SetLongValue(std::int64_t) override {}
    void SetCashierInn(const std::string&) override {}
    int GetInfoKKT(char**) override { return 0; }
    int SetParameters(const std::map<std::string, std::string>&) override { return 0; }
};

void exercise(const std::string& script) {
    vorna::Checks checks(script);
    AcceptingCash cash;
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
