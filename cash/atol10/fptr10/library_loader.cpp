#include "cash/atol10/fptr10/library_loader.h"

#include "cash/atol10/fptr10/library_version.h"
#include "common/driver_log.h"

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

const char* libraryName() { return VORNA_FPTR10_LIBRARY_NAME; }

void loadLibrary(Handle& handle, Module& module) {
    writeLog("");
    writeLog("LOAD LIBRARY.--------------------------------------------------------");
    writeLog(std::string("   LoadLibrary => ") + libraryName());
    module = platform::loadLibrary(libraryName());
    const int result = libfptr_create(&handle, module);
    if (result == 0) {
        writeLog("   LoadLibrary OK");
    } else {
        writeLog("   LoadLibrary Error  = " + std::to_string(result));
    }
    // Asked once per load of the library; its numbers of the rates follow from it.
    if (module != nullptr)
        writeLog("   Версия библиотеки ККТ: " + versionName(libraryVersion(module)));
}

void releaseLibrary(Handle& handle, Module module) {
    libfptr_close(handle, module);
    libfptr_destroy(&handle, module);
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
