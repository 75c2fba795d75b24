#include "cash/atol10/driver_objects.h"

#include <new>

#include "cash/atol10/atol_cash10.h"
#include "cash/atol10/settings_reads.h"

namespace vorna {
namespace cash {

ICash* createDriverObject() {
    if (settingsFailedAtLoad()) return nullptr;
    return new (std::nothrow) AtolCash10();
}

ICash* createDriverObjectWithIni(const char* settingsFile) {
    if (settingsFailedAtLoad()) return nullptr;
    AtolCash10* object = new (std::nothrow) AtolCash10();
    if (object == nullptr || !object->libraryLoaded()) return object;
    try {
        readNamedSettingsFile(settingsFile != nullptr ? settingsFile : "");
    } catch (...) {
        // The caller never sees this object, so it must not outlive the failure.
        delete object;
        throw;
    }
    return object;
}

void destroyDriverObject(ICash* object) { delete static_cast<AtolCash10*>(object); }

}  // namespace cash
}  // namespace vorna
