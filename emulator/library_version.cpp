#include "emulator/library_version.h"

#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {

std::string libraryVersionOf(const nlohmann::json& state) {
    if (state.is_object()) {
        const auto found = state.find(kLibraryVersionKey);
        if (found != state.end() && found->is_string()) return found->get<std::string>();
    }
    return kDefaultLibraryVersion;
}

int rateOfTaxType(const nlohmann::json& state, std::int64_t number) {
    if (number < libfptr::tax::vat18 || number > libfptr::tax::invalid)
        return libfptr::tax::invalid;
    const libfptr::TaxNumbering numbering =
        libfptr::taxNumberingOf(libraryVersionOf(state).c_str());
    return libfptr::taxTypeFrom(numbering, static_cast<int>(number));
}

}  // namespace emulator
}  // namespace vorna
