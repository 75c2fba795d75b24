// Preloaded into a child process (LD_PRELOAD): installs the power-cut VFS as
// SQLite's default before the program opens a database, with the settings
// of the environment (power_cut_vfs.h).
#include <cstdlib>

#include "tests/power_cut/power_cut_vfs.h"

namespace {

__attribute__((constructor)) void installFromEnvironment() {
    using namespace vorna::testing_support;
    PowerCutSettings settings;
    if (const char* at = std::getenv(kPowerCutAtVariable)) settings.cutAt = std::atol(at);
    if (const char* events = std::getenv(kPowerCutEventsVariable)) settings.eventsFile = events;
    installPowerCutVfs(settings);
}

}  // namespace
