#include "emulator/register_machine.h"

#include "emulator/errors.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

using nlohmann::json;

int RegisterMachine::printText() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    const ParamValue* text = instance_.input.find(libfptr::param::text);
    std::vector<std::string> lines = wrap(text ? text->asText() : std::string());
    if (int e = checkPaperFor(lines.size())) return e;
    return print(lines);
}

int RegisterMachine::cut() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    const ParamValue* type = instance_.input.find(libfptr::param::cutType);
    const bool partial = type && type->asInt() == 1;
    session_.appendLine(kTapeFileName, partial
                                           ? u8"- - - - - - - - частичная отрезка - - - - - - - -"
                                           : u8"-------------------- отрезка -------------------");
    return 0;
}

int RegisterMachine::beginNonfiscalDocument() {
    if (int e = requireConnection()) return e;
    if (int e = requirePrinter()) return e;
    if (int e = requireNoDocument()) return e;
    s_["nonfiscal"] = true;
    return print({ruleLine('.')});
}

int RegisterMachine::endNonfiscalDocument() {
    if (int e = requireConnection()) return e;
    if (!s_["nonfiscal"].get<bool>()) return error::noNonfiscalOpen;
    if (int e = requirePrinter()) return e;
    s_["nonfiscal"] = false;
    return print({u8"НЕФИСКАЛЬНЫЙ ДОКУМЕНТ", ruleLine('.')});
}

}  // namespace emulator
}  // namespace vorna
