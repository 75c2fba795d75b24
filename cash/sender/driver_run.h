// Runs a cash object against a freshly loaded driver: COM initialised, the
// driver library loaded and its object created, the object's work done, the
// object destroyed, the library unloaded, COM uninitialised. On a failure the
// same release happens before the failure goes on.
#pragma once

#include <string>

#include "cash/sender/cash_object.h"

namespace vorna {

// The object's Execute; code is the settings code (empty: "CreateObject" only).
int runCashObject(CashObject& object, const std::string& code);

// The object's CheckInfoKKT; a copy of the information text, newly allocated
// with malloc for the caller (empty when the operation gave none), goes to
// *info when info is not null.
int runCheckWithInfo(CashObject& cheques, const std::string& code, char** info);

}  // namespace vorna
