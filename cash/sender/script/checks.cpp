// The cheque list: parsing the script, adding cheques and completing them.
#include <exception>
#include <string>

#include "cash/sender/script/check_grammar.h"
#include "cash/shared/checks.h"
#include "common/app_exception.h"
#include "common/error_box.h"

namespace vorna {

Checks::Checks(const std::string& script) {
    CheckGrammar g(*this);
    BOOST_SPIRIT_DEBUG_GRAMMAR(g);
    const TraceNameScope traceName(&g);
    // Whether the whole text matched is of no interest: what counts is what
    // the actions did before the grammar stopped.
    boost::spirit::classic::parse(script.begin(), script.end(), g, boost::spirit::classic::space_p);
}

ClassId Checks::classId() const {
    static const ClassId id = classIdFromText("{8E77EDB5-DF81-49A0-BDE9-5425E88750BD}");
    return id;
}

Check& Checks::addCheck(unsigned type) {
    if (type != 2 && type != 4)
        throw app_exception(SourceLocation{"checks", 53, "vorna::Checks::addCheck"},
                            "Invalid check type (&" + std::to_string(type) + ") n must be 2");
    emplace_back(type);
    return back();
}

void Checks::setTaxType(int taxType) {
    try {
        for (Check& check : *this) check.setTaxType(taxType);
    } catch (const std::exception& e) {
        showErrorBox(e);
    }
}

void Checks::setPaymentType(int paymentType) {
    try {
        for (Check& check : *this) check.setPaymentType(paymentType);
    } catch (const std::exception& e) {
        showErrorBox(e);
    }
}

void Checks::setParameters(const std::map<std::string, std::string>& parameters) {
    try {
        for (Check& check : *this) check.setParameters(parameters);
    } catch (const std::exception& e) {
        showErrorBox(e);
    }
}

}  // namespace vorna
