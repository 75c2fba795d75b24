#include "cash/sender/cash_driver_library.h"

#include <exception>

#include "cash/sender/driver_call.h"
#include "cash/sender/unattended_host.h"
#include "common/app_exception.h"

namespace vorna {

namespace {
// The entry points every driver library exports (plain C functions).
using CreateObjectFunction = cash::ICash* (*)();
using CreateObjectWithIniFunction = cash::ICash* (*)(const char* settingsFile);
using DestroyObjectFunction = void (*)(cash::ICash* object);

const char* const kDriversTakingSettings[] = {"vorna.cash.atol10.dll",  "vorna.cash.atol10_d.dll",
                                              "vorna.cash.shtrih.dll",  "vorna.cash.shtrih_d.dll",
                                              "vorna.cash.crystal.dll", "vorna.cash.crystal_d.dll"};

// Before any object is made: a driver that can be told opens no window
// while the sender is unattended, and its boxes' texts come to our logs.
void tellUnattended(const dynamic_library& library) {
    auto set = reinterpret_cast<cash::SetUnattendedFunction>(
        library.optional_address(cash::kUnattendedEntryPoint));
    if (!set) return;
    const int on = unattendedSetting() ? 1 : 0;
    callDriver([&] { set(on, &driverUnattendedNotice); });
}

cash::ICash* createPlain(const dynamic_library& library) {
    auto create = reinterpret_cast<CreateObjectFunction>(library.func_address("CreateObject"));
    return callDriver([&] { return create(); });
}
}  // namespace

bool CashDriverLibrary::takesSettingsFile(const std::string& driverFile) {
    for (const char* name : kDriversTakingSettings)
        if (driverFile == name) return true;
    return false;
}

CashDriverLibrary::CashDriverLibrary(const std::string& driverFile)
    : library_(driverFile), fileName_(driverFile) {
    tellUnattended(library_);
    object_ = created(createPlain(library_), "CreateObject");
}

CashDriverLibrary::CashDriverLibrary(const std::string& driverFile, const std::string& settingsFile)
    : library_(driverFile), driverName_(driverFile), fileName_(driverFile) {
    tellUnattended(library_);
    if (takesSettingsFile(driverFile)) {
        cash::ICash* object = nullptr;
        bool fromSettings = false;
        try {
            auto create = reinterpret_cast<CreateObjectWithIniFunction>(
                library_.func_address("CreateObjectWithIni"));
            object = create(settingsFile.c_str());
            fromSettings = true;
        } catch (...) {
            // Any failure of the settings-file way falls back to the plain one.
        }
        object_ = fromSettings ? created(object, "CreateObjectWithIni")
                               : created(createPlain(library_), "CreateObject");
    } else {
        object_ = created(createPlain(library_), "CreateObject");
    }
}

cash::ICash* CashDriverLibrary::created(cash::ICash* object, const char* entryPoint) const {
    if (object) return object;
    // Nothing may be called on a missing object; the library is unloaded as
    // the constructor unwinds.
    throw app_exception(ErrorContext(SourceLocation{"cash_driver_library", __LINE__,
                                                    "vorna::CashDriverLibrary::created"}),
                        "Библиотека драйвера ККТ " + fileName_ + ": функция " + entryPoint +
                            " не создала объект ККТ");
}

cash::QueryFiscalDocumentFunction CashDriverLibrary::fiscalDocumentQuery() const {
    return reinterpret_cast<cash::QueryFiscalDocumentFunction>(
        library_.optional_address(cash::kFiscalDocumentEntryPoint));
}

cash::QueryRegisterHealthFunction CashDriverLibrary::registerHealthQuery() const {
    return reinterpret_cast<cash::QueryRegisterHealthFunction>(
        library_.optional_address(cash::kRegisterHealthEntryPoint));
}

cash::QueryStorageRefusalFunction CashDriverLibrary::storageRefusalQuery() const {
    return reinterpret_cast<cash::QueryStorageRefusalFunction>(
        library_.optional_address(cash::kStorageRefusalEntryPoint));
}

cash::QueryLibraryInfoFunction CashDriverLibrary::libraryInfoQuery() const {
    return reinterpret_cast<cash::QueryLibraryInfoFunction>(
        library_.optional_address(cash::kLibraryInfoEntryPoint));
}

cash::QueryRegisterBusyFunction CashDriverLibrary::registerBusyQuery() const {
    return reinterpret_cast<cash::QueryRegisterBusyFunction>(
        library_.optional_address(cash::kRegisterBusyEntryPoint));
}

cash::RegisterCorrectionFunction CashDriverLibrary::correctionRegistration() const {
    return reinterpret_cast<cash::RegisterCorrectionFunction>(
        library_.optional_address(cash::kCorrectionEntryPoint));
}

void CashDriverLibrary::destroyObject() {
    if (!object_) return;
    auto destroy = reinterpret_cast<DestroyObjectFunction>(library_.func_address("DestroyObject"));
    cash::ICash* object = object_;
    object_ = nullptr;
    callDriver([&] { destroy(object); });
}

CashDriverLibrary::~CashDriverLibrary() {
    try {
        destroyObject();
    } catch (...) {
        // Already failing: the library is unloaded all the same.
    }
}

}  // namespace vorna
