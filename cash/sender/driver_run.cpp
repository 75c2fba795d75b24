#include "cash/sender/driver_run.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "cash/sender/cash_driver_library.h"
#include "cash/sender/driver_call.h"
#include "cash/sender/driver_failure_reports.h"
#include "cash/sender/sender_files.h"
#include "cash/sender/sender_settings.h"
#include "cash/shared/ResultCode.h"
#include "common/app_exception.h"
#include "common/platform/platform.h"
#include "common/settings_code.h"

namespace vorna {

namespace {
// COM for the calling thread for the duration of one driver run.
class ComScope {
public:
    ComScope() { platform::comInitialize(); }
    ~ComScope() { platform::comUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

std::unique_ptr<CashDriverLibrary> openDriver(const std::string& code) {
    if (code.empty())
        return std::make_unique<CashDriverLibrary>(SenderSettings::instance().cashDriver);
    // The frame refuses such a code before it gets here; a file elsewhere must
    // never be read, nor a driver it names loaded.
    if (!isSettingsCode(code))
        throw app_exception(
            ErrorContext(SourceLocation{"driver_run", __LINE__, "vorna::openDriver"}),
            "Недопустимый код настроек");
    std::string settingsFile = senderIniName(code);
    loadSettingsFile(settingsFile);
    return std::make_unique<CashDriverLibrary>(SenderSettings::instance().cashDriver, settingsFile);
}

char* copyOf(const char* text) {
    const char* source = text ? text : "";
    std::size_t size = std::strlen(source) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, source, size);
    return copy;
}
}  // namespace

int runCashObject(CashObject& object, const std::string& code) {
    return runWithDriver(code, [&](CashDriverLibrary& driver) {
        return callDriver([&] { return object.Execute(*driver.object()); });
    });
}

int runWithDriver(const std::string& code, const std::function<int(CashDriverLibrary&)>& body) {
    ComScope com;
    std::unique_ptr<CashDriverLibrary> driver = openDriver(code);
    int result = body(*driver);
    if (result != cash::kSuccess) reportDriverFailure(*driver);
    driver->destroyObject();
    return result;
}

int runCheckWithInfo(CashObject& cheques, const std::string& code, char** info) {
    ComScope com;
    std::unique_ptr<CashDriverLibrary> driver = openDriver(code);
    char* text = nullptr;
    int result = callDriver([&] { return cheques.CheckInfoKKT(*driver->object(), &text); });
    if (result != cash::kSuccess) reportDriverFailure(*driver);
    // The text belongs to us: copied while the driver that made it is still
    // loaded, then released.
    std::unique_ptr<char, decltype(&std::free)> copy(copyOf(text), &std::free);
    std::free(text);
    driver->destroyObject();
    if (info) *info = copy.release();
    return result;
}

}  // namespace vorna
