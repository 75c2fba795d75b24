// Reads the driver's settings when the library is loaded. A failed read fails
// the load on Windows; where the loader cannot be told, the entry points then
// refuse to make objects.
#include "cash/atol10/settings_reads.h"
#include "cash/atol10/unattended_driver.h"
#include "common/platform/platform.h"

bool vorna::platform::onLibraryLoad(LibraryHandle self) {
    vorna::cash::installDriverUnattendedMode();
    try {
        vorna::cash::readSettingsAtLoad(self);
        return true;
    } catch (...) {
        vorna::cash::setSettingsFailedAtLoad(true);
        return false;
    }
}
