#include "emulator/register_port.h"

#include <map>
#include <memory>

#include "common/platform/platform.h"
#include "common/until_unload.h"
#include "emulator/state_store.h"

namespace vorna {
namespace emulator {

const char* const kPortLockFileName = "fptr10-port.lock";

namespace {

struct HeldPort {
    std::unique_ptr<platform::ByteLock> lock;
    int holders = 0;
};

struct Ports {
    platform::Lock lock;
    std::map<std::string, HeldPort> held;  // by register directory
};

// Deleted when the library is unloaded (a host may load it again); an instance
// that outlives that finds no table and holds nothing.
UntilUnload<Ports> ports;

}  // namespace

PortTaking takePort(Instance& instance, const std::string& directory) {
    if (instance.holdsPort) return PortTaking::taken;
    Ports* table = ports.get();
    if (!table) return PortTaking::unavailable;
    Ports& p = *table;
    platform::LockGuard guard(p.lock);
    HeldPort& port = p.held[directory];
    if (!port.lock) {
        auto lock =
            std::make_unique<platform::ByteLock>(emulatorFile(directory, kPortLockFileName), 0);
        const platform::ByteLock::State state = lock->state();
        if (state != platform::ByteLock::State::held) {
            p.held.erase(directory);
            return state == platform::ByteLock::State::busy ? PortTaking::busy
                                                            : PortTaking::unavailable;
        }
        port.lock = std::move(lock);
    }
    ++port.holders;
    instance.holdsPort = true;
    instance.portDirectory = directory;
    return PortTaking::taken;
}

void releasePort(Instance& instance) {
    if (!instance.holdsPort) return;
    instance.holdsPort = false;
    Ports* table = ports.get();
    if (!table) return;
    Ports& p = *table;
    platform::LockGuard guard(p.lock);
    const auto found = p.held.find(instance.portDirectory);
    if (found == p.held.end()) return;
    if (--found->second.holders <= 0) p.held.erase(found);
}

}  // namespace emulator
}  // namespace vorna
