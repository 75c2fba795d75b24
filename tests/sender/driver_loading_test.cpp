// Which entry point of a driver library creates the object, and what happens
// when a library or an entry point is missing, through the real exports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/platform/platform.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr char kAtol10[] = "vorna.cash.atol10.dll";

// The system's text for a failure, trimmed of the line break it may carry.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string loadFailureText(const SenderHost& host) {
    platform::loadLibrary(host.path(host.work(), "vorna.cash.nothere.dll"));
    return trimmed(platform::errorText(platform::lastError()));
}

std::string missingEntryText(const SenderHost& host) {
    host.installDriver("recording_driver", "probe.dll");
    platform::LibraryHandle library = platform::loadLibrary(host.path(host.work(), "probe.dll"));
    platform::findSymbol(library, "NoSuchEntryPoint");
    std::string text = trimmed(platform::errorText(platform::lastError()));
    platform::freeLibrary(library);
    return text;
}

TEST(DriverLoading, MissingLibraryEndsAs99WithTheSystemTextInTheErrorLog) {
    SenderHost host;
    host.writeSettings("vorna.cash.nothere.dll");
    ProcessResult result = host.run({"z-report"});
    EXPECT_EQ(result.exitCode, 99) << result.errors;
    std::vector<std::string> errors = host.logLines(host.errorLog());
    ASSERT_THAT(errors, Not(IsEmpty()));
    EXPECT_THAT(errors.front(), StartsWith(loadFailureText(host)));
    EXPECT_FALSE(loadFailureText(host).empty());
    EXPECT_THAT(host.logLines(host.operationLog()).at(2), "99\r");
}

TEST(DriverLoading, DriverWithoutCreateObjectWithIniIsCreatedWithCreateObject) {
    SenderHost host;
    host.installDriver("recording_driver_no_ini", kAtol10);
    host.writeSettings(kAtol10);
    ProcessResult result =
        host.run({"x-report", "--pair", "IBS_CODE=77", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
    EXPECT_THAT(host.takeCalls(), ElementsAre("CreateObject()", "CheckKKT()", "XReport()",
                                              "EndOperation()", "DestroyObject(object)"));
}

TEST(DriverLoading, ThrowingCreateObjectWithIniFallsBackToCreateObject) {
    SenderHost host;
    host.installDriver("recording_driver_ini_throws", "vorna.cash.shtrih_d.dll");
    host.writeSettings("vorna.cash.shtrih_d.dll");
    ProcessResult result = host.run(
        {"x-report", "--pair", "IBS_CODE=5", "--expect-released", "vorna.cash.shtrih_d.dll"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.shtrih_d.dll"));
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObjectWithIni(\"vorna.cash.sender.5.ini\")", "CreateObject()",
                            "CheckKKT()", "XReport()", "EndOperation()", "DestroyObject(object)"));
}

TEST(DriverLoading, EverySettingsDriverIsOfferedTheFile) {
    for (const char* driver :
         {"vorna.cash.atol10.dll", "vorna.cash.atol10_d.dll", "vorna.cash.shtrih.dll",
          "vorna.cash.shtrih_d.dll", "vorna.cash.crystal.dll", "vorna.cash.crystal_d.dll"}) {
        SenderHost host;
        host.installDriver("recording_driver", driver);
        host.writeSettings(driver);
        ProcessResult result = host.run({"x-report", "--pair", "IBS_CODE=77"});
        EXPECT_EQ(result.exitCode, 0) << driver << result.errors;
        EXPECT_THAT(host.takeCalls().front(), "CreateObjectWithIni(\"vorna.cash.sender.77.ini\")")
            << driver;
    }
}

TEST(DriverLoading, MissingDestroyObjectEndsAs99AndStillReleasesTheLibrary) {
    SenderHost host;
    host.installDriver("recording_driver_no_destroy", kAtol10);
    host.writeSettings(kAtol10);
    // Nobody can give the object back to such a driver: its leak is expected.
    std::string savedOptions;
    bool hadOptions = platform::environmentVariable("ASAN_OPTIONS", savedOptions);
    platform::setEnvironmentVariable("ASAN_OPTIONS", "detect_leaks=0");
    ProcessResult result = host.run({"z-report", "--expect-released", kAtol10});
    platform::setEnvironmentVariable("ASAN_OPTIONS", hadOptions ? savedOptions : "");
    EXPECT_EQ(result.exitCode, 99) << result.errors;
    EXPECT_THAT(result.output, HasSubstr("released: vorna.cash.atol10.dll"));
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObject()", "CheckKKT()", "ZReport()", "EndOperation()"));
    // The system's text may end with a line break of its own.
    std::vector<std::string> errors = host.logLines(host.errorLog());
    ASSERT_THAT(errors, Not(IsEmpty()));
    EXPECT_THAT(errors.front(), StartsWith(missingEntryText(host)));
    EXPECT_FALSE(missingEntryText(host).empty());
}

TEST(DriverLoading, NullObjectIsNeverUsedAndEndsAs99) {
    SenderHost host;
    host.installDriver("recording_driver_null_object", kAtol10);
    host.writeSettings(kAtol10);
    ProcessResult result = host.run(
        {"x-report", "--", "x-report", "--pair", "IBS_CODE=3", "--expect-released", kAtol10});
    EXPECT_EQ(result.exitCode, 99) << result.errors;
    EXPECT_THAT(result.output,
                HasSubstr("result: 99\nresult: 99\nreleased: vorna.cash.atol10.dll"));
    EXPECT_THAT(host.takeCalls(),
                ElementsAre("CreateObject()", "CreateObjectWithIni(\"vorna.cash.sender.3.ini\")"));
    std::vector<std::string> errors = host.logLines(host.errorLog());
    ASSERT_THAT(errors, SizeIs(2));
    EXPECT_EQ(errors[0],
              "Библиотека драйвера ККТ vorna.cash.atol10.dll: функция CreateObject "
              "не создала объект ККТ");
    EXPECT_EQ(errors[1],
              "Библиотека драйвера ККТ vorna.cash.atol10.dll: функция "
              "CreateObjectWithIni не создала объект ККТ");
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
