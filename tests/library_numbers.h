// The register library's numbers as the tests name them (param::dataType,
// dt::shiftState, ...), and a parameter id as the register's call trace
// writes it, for the expected trace lines.
#pragma once

#include <string>

#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace library_numbers {

using namespace ::vorna::libfptr;

inline std::string id(int parameter) { return std::to_string(parameter); }

}  // namespace library_numbers
}  // namespace vorna
