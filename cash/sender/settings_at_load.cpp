// Reads the sender's settings when the library is loaded into the process.
#include "cash/sender/sender_files.h"
#include "cash/sender/unattended_host.h"

namespace {

// A failure here must not stop the library from loading: the settings then
// stay as far as they were read.
bool readSettingsAtLoad() noexcept {
    vorna::installUnattendedMode();
    try {
        vorna::loadSettingsAtLoad();
        return true;
    } catch (...) {
        return false;
    }
}

[[maybe_unused]] const bool settingsReadAtLoad = readSettingsAtLoad();

}  // namespace
