#include "cash/atol10/log_format.h"

#include <cstdio>

#include "common/platform/platform.h"

namespace vorna {
namespace cash {
namespace atol10 {

std::string logText(int value) { return std::to_string(value); }

std::string logText(unsigned value) { return std::to_string(value); }

std::string logText(unsigned long value) { return std::to_string(value); }

std::string logText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.16g", value);
    return buffer;
}

std::string logFlag(bool value) { return value ? "True" : "False"; }

std::wstring toWide(const std::string& text) { return platform::cp1251ToWide(text); }

std::string toNarrow(const std::wstring& text) { return platform::wideToCp1251(text); }

}  // namespace atol10
}  // namespace cash
}  // namespace vorna
