#include "cash/atol10/driver_objects.h"

#include <new>
#include <string>

#include "cash/atol10/atol_cash10.h"
#include "cash/atol10/settings_reads.h"
#include "common/driver_log.h"
#include "common/log_escape.h"
#include "common/log_files.h"
#include "common/settings_code.h"

namespace vorna {
namespace cash {

namespace {

// The driver's log files stay open while an object lives (its user's one
// call) and close with the last object.
ICash* withLogFileSession(ICash* (*create)(const char*), const char* settingsFile) {
    beginLogFileSession();
    try {
        ICash* object = create(settingsFile);
        if (object == nullptr) endLogFileSession();
        return object;
    } catch (...) {
        endLogFileSession();
        throw;
    }
}

ICash* createPlain(const char*) {
    if (settingsFailedAtLoad()) return nullptr;
    return new (std::nothrow) AtolCash10();
}

ICash* createWithIni(const char* settingsFile) {
    if (settingsFailedAtLoad()) return nullptr;
    const std::string fileName = settingsFile != nullptr ? settingsFile : "";
    // Only a file beside the others: a name with a folder, a drive or ".."
    // would let the caller choose which settings (and register) apply.
    if (!isSettingsFileName(fileName)) {
        writeLogIndented("Имя файла настроек отклонено: " + escapedForLog(fileName));
        return nullptr;
    }
    AtolCash10* object = new (std::nothrow) AtolCash10();
    if (object == nullptr || !object->libraryLoaded()) return object;
    try {
        readNamedSettingsFile(fileName);
    } catch (...) {
        // The caller never sees this object, so it must not outlive the failure.
        delete object;
        throw;
    }
    return object;
}

}  // namespace

ICash* createDriverObject() { return withLogFileSession(createPlain, nullptr); }

ICash* createDriverObjectWithIni(const char* settingsFile) {
    return withLogFileSession(createWithIni, settingsFile);
}

void destroyDriverObject(ICash* object) {
    if (object == nullptr) return;
    delete static_cast<AtolCash10*>(object);
    endLogFileSession();
}

}  // namespace cash
}  // namespace vorna
