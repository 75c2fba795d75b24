// The real system calls behind the replaceable entries of SystemCalls; each
// backend defines them.
#pragma once

#include "platform.h"

namespace vorna {
namespace platform {
namespace detail {

int realMessageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon icon);
bool realLocalTime(DateTime& out);
bool realSystemTime(DateTime& out);
bool realUserName(std::string& out);

}  // namespace detail
}  // namespace platform
}  // namespace vorna
