// Reads the driver's settings when the library is loaded. A POSIX loader
// cannot be told that a load failed, so a failed read leaves the entry points
// unable to make objects.
#include "cash/atol10/settings_reads.h"

namespace {

struct SettingsAtLoad {
    SettingsAtLoad() {
        try {
            vorna::cash::readSettingsAtLoad(
                vorna::platform::moduleOfAddress(reinterpret_cast<const void*>(&marker)));
        } catch (...) {
            vorna::cash::setSettingsFailedAtLoad(true);
        }
    }
    static void marker() {}
};

const SettingsAtLoad settingsAtLoad;

}  // namespace
