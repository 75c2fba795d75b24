// How a library call is written into the trace: one line
//   libfptr_name(#instance, arguments) = result
// with texts quoted in UTF-8 and byte arrays in hex.
#pragma once

#include <string>

namespace vorna {
namespace emulator {

std::string quotedText(const std::string& utf8);
std::string hexBytes(const unsigned char* bytes, int size);
std::string doubleText(double value);
std::string handleText(int instanceNumber);

}  // namespace emulator
}  // namespace vorna
