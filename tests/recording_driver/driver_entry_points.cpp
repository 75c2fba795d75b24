// The three entry points of a driver library, built in several variants that
// differ in what the library exports and how its creating entry points behave:
//   RECORDING_WITHOUT_CREATE_WITH_INI  no "CreateObjectWithIni"
//   RECORDING_CREATE_WITH_INI_THROWS   "CreateObjectWithIni" throws a std::exception
//   RECORDING_WITHOUT_DESTROY          no "DestroyObject"
//   RECORDING_CREATE_RETURNS_NULL      both creating entry points return null
#include <stdexcept>

#include "tests/recording_driver/recording_cash.h"

using vorna::cash::ICash;
using vorna::testing_support::recordCall;
using vorna::testing_support::RecordingCash;

namespace {
ICash* created() {
#ifdef RECORDING_CREATE_RETURNS_NULL
    return nullptr;
#else
    return new RecordingCash;
#endif
}
}  // namespace

extern "C" {

ICash* CreateObject() {
    recordCall("CreateObject()");
    vorna::testing_support::throwWhenScripted("CreateObject");
    return created();
}

#ifndef RECORDING_WITHOUT_CREATE_WITH_INI
ICash* CreateObjectWithIni(const char* settingsFile) {
    recordCall(std::string("CreateObjectWithIni(\"") + (settingsFile ? settingsFile : "(null)") +
               "\")");
#ifdef RECORDING_CREATE_WITH_INI_THROWS
    throw std::runtime_error("the settings file cannot be read");
#else
    vorna::testing_support::throwWhenScripted("CreateObjectWithIni");
    return created();
#endif
}
#endif

#ifndef RECORDING_WITHOUT_DESTROY
void DestroyObject(ICash* object) {
    recordCall(object ? "DestroyObject(object)" : "DestroyObject(null)");
    delete static_cast<RecordingCash*>(object);
}
#endif
}
