// The sender's unattended mode (setting Unattended=Y): no window of either
// library; the text of every box goes to error.log (whatever UseLog says: it
// stands for a window the person would have seen) and, with logging on, to
// the operation log.
#pragma once

#include <string>

#include "cash/shared/unattended.h"

namespace vorna {

// Installs the mode into the sender's message boxes (at library load).
void installUnattendedMode();

// Whether Unattended is on in the settings as they stand.
bool unattendedSetting();

// Writes the text of a box that was not shown; for the driver's boxes too.
void writeUnattendedNotice(const std::string& caption, const std::string& text);
void driverUnattendedNotice(const char* caption, const char* text);

}  // namespace vorna
