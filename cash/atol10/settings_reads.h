// When the driver reads which settings file.
#pragma once

#include <string>

#include "common/platform/platform.h"

namespace vorna {
namespace cash {

// At library load: "vorna.cash.atol10.ini" beside the driver library, then in
// the profile. A failed read of either location is logged and thrown as a
// winapi::Exception.
void readSettingsAtLoad(platform::LibraryHandle driverModule);

// In CreateObjectWithIni: the host's named file in the host directory, then
// in the profile; exceptions of the handler pass through.
void readNamedSettingsFile(const std::string& fileName);

// Whether the read at load failed; the entry points then make no object.
bool settingsFailedAtLoad();
void setSettingsFailedAtLoad(bool failed);

}  // namespace cash
}  // namespace vorna
