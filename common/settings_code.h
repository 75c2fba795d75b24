// The settings code a host passes as IBS_CODE names a settings file beside
// the others ("vorna.cash.sender.<code>.ini"); only codes that cannot point
// anywhere else are accepted, by the sender and by the driver alike.
#pragma once

#include <cstddef>
#include <string>

namespace vorna {

// The longest settings code accepted.
constexpr std::size_t kMaxSettingsCodeLength = 64;

// 1 to 64 characters, each a Latin letter, a digit, "-" or "_".
bool isSettingsCode(const std::string& code);

// A bare file name made of settings codes joined by single dots
// ("vorna.cash.sender.77.ini"), at most 128 characters: no folder, no drive,
// no "..", nothing but the characters of a code and the dots between them.
bool isSettingsFileName(const std::string& name);

}  // namespace vorna
