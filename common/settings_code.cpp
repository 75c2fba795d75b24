#include "common/settings_code.h"

namespace vorna {

namespace {
constexpr std::size_t kMaxSettingsFileNameLength = 128;

bool isCodeCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}
}  // namespace

bool isSettingsCode(const std::string& code) {
    if (code.empty() || code.size() > kMaxSettingsCodeLength) return false;
    for (char c : code)
        if (!isCodeCharacter(c)) return false;
    return true;
}

bool isSettingsFileName(const std::string& name) {
    if (name.empty() || name.size() > kMaxSettingsFileNameLength) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        const std::string part = name.substr(start, dot == std::string::npos ? dot : dot - start);
        if (!isSettingsCode(part)) return false;
        if (dot == std::string::npos) return true;
        start = dot + 1;
    }
}

}  // namespace vorna
