#include "emulator/register_port.h"

#include <map>
#include <memory>

#include "common/platform/platform.h"
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

Ports& ports() {
    static Ports* made = new Ports;  // never destroyed: instances may outlive static destruction
    return *made;
}

}  // namespace

PortTaking takePort(Instance& instance, const std::string& directory) {
    if (instance.holdsPort) return PortTaking::taken;
    Ports& p = ports();
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
    Ports& p = ports();
    platform::LockGuard guard(p.lock);
    instance.holdsPort = false;
    const auto found = p.held.find(instance.portDirectory);
    if (found == p.held.end()) return;
    if (--found->second.holders <= 0) p.held.erase(found);
}

}  // namespace emulator
}  // namespace vorna
