// A test VFS under SQLite that wraps the system's default one and sees every
// write and sync of a database and its write-ahead log: it counts them, lists
// them in an events file, and can cut the power before the Nth of them. A cut
// drops every write made since each file's last sync (the worst a power cut
// does to a disk with a volatile cache) and ends the process at once.
//
// Natively only (it restores files with POSIX calls, as the test program's
// own code). Use in a process:
//   installPowerCutVfs(settings);   // the default VFS from here on
// or in a child process, through the preloaded libvorna_power_cut_vfs.so and
// the environment variables below.
#pragma once

#include <string>

namespace vorna {
namespace testing_support {

struct PowerCutSettings {
    // The 1-based write or sync before which the power goes (0: never).
    long cutAt = 0;
    // A file that gets one line per event, "write <name> <bytes> <offset>" or
    // "sync <name>" (empty: none); name is the file name without its folder.
    std::string eventsFile;
};

// Environment of a process with the preloaded library.
constexpr char kPowerCutAtVariable[] = "VORNA_POWER_CUT_AT";
constexpr char kPowerCutEventsVariable[] = "VORNA_POWER_CUT_EVENTS";
// The exit status of a process whose power was cut.
constexpr int kPowerCutExitStatus = 86;

// Registers the VFS as the default (once; later calls change the settings).
void installPowerCutVfs(const PowerCutSettings& settings);

// Writes and syncs seen since installation.
long powerCutWrites();
long powerCutSyncs();

}  // namespace testing_support
}  // namespace vorna
