// The version of the register library the emulator acts as (state key
// "libraryVersion", 10.10.8.0 when unset): the text libfptr_get_version_string
// answers, and the tax type numbering that version reads.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace vorna {
namespace emulator {

inline constexpr char kLibraryVersionKey[] = "libraryVersion";
inline constexpr char kDefaultLibraryVersion[] = "10.10.8.0";

std::string libraryVersionOf(const nlohmann::json& state);

// The rate (as libfptr::tax:: numbers it) that the emulated library registers
// for its tax type number; libfptr::tax::invalid when it refuses the number.
// A version it cannot read counts as the newest numbering.
int rateOfTaxType(const nlohmann::json& state, std::int64_t number);

}  // namespace emulator
}  // namespace vorna
