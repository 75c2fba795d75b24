#include "cash/sender/local_date.h"

#include <cstdio>

#include "common/platform/platform.h"

namespace vorna {

std::string localDateToday() {
    platform::DateTime now;
    if (!platform::localTime(now)) return std::string();
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", now.year, now.month, now.day);
    return text;
}

}  // namespace vorna
