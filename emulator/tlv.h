// Fiscal TLV records: a 2-byte tag and a 2-byte length, both little endian,
// then the value; texts are in code page 866.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "emulator/param_value.h"

namespace vorna {
namespace emulator {

// The TLV bytes of one tag with its value.
std::string encodeTlv(int tag, const ParamValue& value);
// The TLV bytes of every fiscal tag (id below 65536) of the set, in its order.
std::string encodeTlvSet(const ParamSet& params);
// Decodes a sequence of TLV records into {"tag": value}: texts to UTF-8, the
// known integer tags to numbers. Throws std::runtime_error on a broken record.
nlohmann::json decodeTlv(const std::string& bytes);

}  // namespace emulator
}  // namespace vorna
