// The cash-register driver of one exported call: its library loaded, its
// ICash object created, and both given back at the end.
#pragma once

#include <string>

#include "cash/sender/dynamic_library.h"
#include "cash/shared/ICash.h"
#include "cash/shared/correction_receipt.h"
#include "cash/shared/fiscal_document.h"
#include "cash/shared/library_info.h"
#include "cash/shared/register_busy.h"
#include "cash/shared/register_health.h"

namespace vorna {

class CashDriverLibrary {
public:
    // Creates the object with "CreateObject".
    explicit CashDriverLibrary(const std::string& driverFile);
    // The drivers that take a settings file get it through
    // "CreateObjectWithIni"; when that fails in any way, and for every other
    // driver, the object comes from "CreateObject".
    CashDriverLibrary(const std::string& driverFile, const std::string& settingsFile);
    // Gives the object back and unloads the library, swallowing failures
    // (the path taken when the operation has already failed).
    ~CashDriverLibrary();
    CashDriverLibrary(const CashDriverLibrary&) = delete;
    CashDriverLibrary& operator=(const CashDriverLibrary&) = delete;

    cash::ICash* object() const { return object_; }
    // The driver's optional reading of the fiscal storage; null when it has none.
    cash::QueryFiscalDocumentFunction fiscalDocumentQuery() const;
    // The driver's optional readings of the register's health and of its
    // last storage refusal; null when it has none.
    cash::QueryRegisterHealthFunction registerHealthQuery() const;
    cash::QueryStorageRefusalFunction storageRefusalQuery() const;
    // The driver's optional word on the register library (version, rates); null when none.
    cash::QueryLibraryInfoFunction libraryInfoQuery() const;
    // The driver's optional answer whether the register was busy; null when it has none.
    cash::QueryRegisterBusyFunction registerBusyQuery() const;
    // The driver's optional correction receipt; null when it has none.
    cash::RegisterCorrectionFunction correctionRegistration() const;
    const std::string& driverName() const { return driverName_; }

    // Gives the object to "DestroyObject"; the library is unloaded when this
    // object dies. A missing "DestroyObject" throws.
    void destroyObject();

    // True for the six driver file names that are offered a settings file.
    static bool takesSettingsFile(const std::string& driverFile);

private:
    cash::ICash* created(cash::ICash* object, const char* entryPoint) const;

    dynamic_library library_;
    cash::ICash* object_ = nullptr;
    std::string driverName_;
    std::string fileName_;
};

}  // namespace vorna
