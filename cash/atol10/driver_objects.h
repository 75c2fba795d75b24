// Making and destroying the driver's ICash objects (the bodies of the exports).
#pragma once

#include "cash/shared/ICash.h"

namespace vorna {
namespace cash {

// A new object; null when memory runs out or the settings failed at load.
ICash* createDriverObject();
// As createDriverObject, then the named settings file when the register
// library is loaded. Null (and a log line) for a name that is not a bare file
// name made of settings codes (isSettingsFileName). An exception of the
// settings reader destroys the object before it leaves.
ICash* createDriverObjectWithIni(const char* settingsFile);
// Null is ignored.
void destroyDriverObject(ICash* object);

}  // namespace cash
}  // namespace vorna
