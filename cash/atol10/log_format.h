// How numbers, flags and texts of the register appear in the driver log.
#pragma once

#include <string>

namespace vorna {
namespace cash {
namespace atol10 {

std::string logText(int value);
std::string logText(unsigned value);
std::string logText(unsigned long value);
// Up to 16 significant digits in the shortest general form: 1500, 12.5.
std::string logText(double value);
// "True" or "False".
std::string logFlag(bool value);

// Windows-1251 text to the library's wide text and back ('?' for what has no 1251 form).
std::wstring toWide(const std::string& text);
std::string toNarrow(const std::wstring& text);

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
