// Correction receipts (receipt types 7 to 10): what a strict register asks of
// one before it opens it (FFD 1.2, the correction type 1173, the basis 1174
// with the date of the settlement corrected, 1178, not after today), and the
// lines its tape prints for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/param_value.h"

namespace vorna {
namespace emulator {

bool isCorrectionType(int receiptType);

// 0, or the failure the register reports for the receipt's parameters.
// ffd is the registration's tag 1209, now the register's clock.
int checkCorrection(const ParamSet& input, int ffd, std::int64_t now);

// The tape lines after the title: the kind of correction and the date corrected.
// tags are the open receipt's tags as the journal keeps them.
std::vector<std::string> correctionLines(const nlohmann::json& tags);

}  // namespace emulator
}  // namespace vorna
