#include "emulator/instance.h"

#include <set>

#include "common/platform/platform.h"

namespace vorna {
namespace emulator {

namespace {

platform::Lock& registryLock() {
    static platform::Lock lock;
    return lock;
}

std::set<Instance*>& registry() {
    static std::set<Instance*> instances;
    return instances;
}

int nextNumber = 0;

}  // namespace

Instance* createInstance() {
    platform::LockGuard guard(registryLock());
    Instance* instance = new Instance;
    instance->number = ++nextNumber;
    registry().insert(instance);
    return instance;
}

Instance* findInstance(void* handle) {
    platform::LockGuard guard(registryLock());
    auto it = registry().find(static_cast<Instance*>(handle));
    return it == registry().end() ? nullptr : *it;
}

bool destroyInstance(void* handle) {
    platform::LockGuard guard(registryLock());
    auto it = registry().find(static_cast<Instance*>(handle));
    if (it == registry().end()) return false;
    delete *it;
    registry().erase(it);
    return true;
}

}  // namespace emulator
}  // namespace vorna
