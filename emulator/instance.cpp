#include "emulator/instance.h"

#include <cstdio>
#include <set>
#include <vector>

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

// The storage of destroyed instances, kept for the instances made later and
// never given back to the heap: the memory behind a destroyed handle never
// becomes another object of the process (a caller's handle variable made
// after the destroy among them), so a destroyed handle is always told apart.
// As many as were ever alive at once.
std::set<void*>& destroyed() {
    static std::set<void*> handles;
    return handles;
}
struct SpareStorage {
    std::vector<Instance*> instances;
    // Given back when the library is unloaded or the process ends.
    ~SpareStorage() {
        for (Instance* instance : instances) delete instance;
    }
};
std::vector<Instance*>& spare() {
    static SpareStorage storage;
    return storage.instances;
}

int nextNumber = 0;

std::string pointerText(const void* p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", p);
    return buffer;
}

// Under the registry lock.
HandleCheck checkLocked(void* handle) {
    HandleCheck check;
    if (!handle) {
        check.violation = "a null handle";
        return check;
    }
    auto it = registry().find(static_cast<Instance*>(handle));
    if (it != registry().end()) {
        check.instance = *it;
        return check;
    }
    check.violation = destroyed().count(handle)
                          ? "a handle already destroyed (" + pointerText(handle) + ")"
                          : "a handle the library did not create (" + pointerText(handle) + ")";
    return check;
}

}  // namespace

Instance* createInstance() {
    platform::LockGuard guard(registryLock());
    Instance* instance;
    if (spare().empty()) {
        instance = new Instance;
    } else {
        instance = spare().back();
        spare().pop_back();
    }
    instance->number = ++nextNumber;
    registry().insert(instance);
    destroyed().erase(instance);
    return instance;
}

HandleCheck checkHandle(void* handle) {
    platform::LockGuard guard(registryLock());
    return checkLocked(handle);
}

HandleCheck checkHolder(void** holder) {
    platform::LockGuard guard(registryLock());
    HandleCheck check;
    if (!holder) {
        check.violation = "a null pointer instead of the address of the handle variable";
        return check;
    }
    auto it = registry().find(reinterpret_cast<Instance*>(holder));
    if (it != registry().end()) {
        check.violation = "the handle itself (#" + std::to_string((*it)->number) +
                          ") instead of the address of the handle variable";
        return check;
    }
    if (destroyed().count(holder)) {
        check.violation = "a destroyed handle (" + pointerText(holder) +
                          ") instead of the address of the handle variable";
        return check;
    }
    check = checkLocked(*holder);
    if (!check.violation.empty())
        check.violation = "the address of a variable holding " + check.violation;
    return check;
}

bool destroyInstance(void* handle) {
    platform::LockGuard guard(registryLock());
    auto it = registry().find(static_cast<Instance*>(handle));
    if (it == registry().end()) return false;
    Instance* instance = *it;
    *instance = Instance();
    spare().push_back(instance);
    registry().erase(it);
    destroyed().insert(handle);
    return true;
}

}  // namespace emulator
}  // namespace vorna
