// Runs a cash object against a freshly loaded driver: COM initialised, the
// driver library loaded and its object created, the object's work done, the
// object destroyed, the library unloaded, COM uninitialised. On a failure the
// same release happens before the failure goes on.
#pragma once

#include <functional>
#include <string>

#include "cash/shared/cash_object.h"

namespace vorna {

class CashDriverLibrary;

// The object's Execute; code is the settings code (empty: "CreateObject" only).
int runCashObject(CashObject& object, const std::string& code);

// The same frame around any work with the driver: body gets the loaded driver
// with its object and gives the result.
int runWithDriver(const std::string& code, const std::function<int(CashDriverLibrary&)>& body);

// The object's CheckInfoKKT; a copy of the information text, newly allocated
// with malloc for the caller (empty when the operation gave none), goes to
// *info when info is not null.
int runCheckWithInfo(CashObject& cheques, const std::string& code, char** info);

}  // namespace vorna
