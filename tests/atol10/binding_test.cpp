// The register library binding: defaults without a library, debug-log lines,
// exceptions of the library caught, and loading with its log lines.
#include <gtest/gtest.h>

#include "cash/atol10/config.h"
#include "cash/atol10/fptr10/binding.h"
#include "cash/atol10/fptr10/library_loader.h"
#include "cash/atol10/library_result.h"
#include "tests/atol10/driver_fixture.h"
#include "tests/sanitizer_build.h"

namespace vorna {
namespace atol10_test {
namespace {

namespace fptr10 = cash::atol10::fptr10;
using Lines = std::vector<std::string>;

class Binding : public DriverTest {};

TEST_F(Binding, WithoutTheLibraryEveryCallGivesItsDefault) {
    cash::Config::instance().useLog = "D";
    EXPECT_EQ(-1, fptr10::libfptr_open(nullptr, nullptr));
    EXPECT_EQ(-1.0, fptr10::libfptr_get_param_double(nullptr, nullptr, param::sum));
    EXPECT_EQ("", fptr10::libfptr_get_version_string(nullptr));
    fptr10::libfptr_set_param_int(nullptr, nullptr, param::dataType, 0);
    EXPECT_EQ(0, fptr10::libfptr_set_single_setting(nullptr, nullptr, L"Port", L"0"));
    EXPECT_EQ(Lines({"   libfptr_open result = -1", "   libfptr_get_param_double result = -1",
                     "   libfptr_get_version_string result = "}),
              takeLog());
}

TEST_F(Binding, OnlyDebugLogModeWritesTheResultLines) {
    cash::atol10::Cash& driver = cash();
    EXPECT_EQ(0, fptr10::libfptr_open(driver.handle_, driver.module_));
    EXPECT_TRUE(takeLog().empty());
    cash::Config::instance().useLog = "D";
    fptr10::libfptr_set_param_int(driver.handle_, driver.module_, param::dataType, 14);
    EXPECT_EQ(0, fptr10::libfptr_query_data(driver.handle_, driver.module_));
    EXPECT_EQ(1, fptr10::libfptr_get_param_int(driver.handle_, driver.module_, param::shiftState));
    EXPECT_EQ("10.10.8.0", fptr10::libfptr_get_version_string(driver.module_));
    EXPECT_EQ(Lines({"   libfptr_query_data result = 0", "   libfptr_get_param_int result = 1",
                     "   libfptr_get_version_string result = 10.10.8.0"}),
              takeLog());
    EXPECT_EQ(
        Lines({"libfptr_open(#h) = 0", "libfptr_set_param_int(#h, " + id(param::dataType) + ", 14)",
               "libfptr_query_data(#h) = 0",
               "libfptr_get_param_int(#h, " + id(param::shiftState) + ") = 1",
               "libfptr_get_version_string() = \"10.10.8.0\""}),
        takeTrace());
}

TEST_F(Binding, AnExceptionInsideTheLibraryIsCaught) {
    cash::atol10::Cash& driver = cash();
    changeState([](nlohmann::json& s) {
        s["faults"] = nlohmann::json::array(
            {{{"kind", "throw"}, {"function", "libfptr_report"}, {"timing", "before"}}});
    });
    cash::Config::instance().useLog = "D";
    EXPECT_EQ(-1, fptr10::libfptr_report(driver.handle_, driver.module_));
    const Lines log = takeLog();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(0u, log[0].find("   libfptr_report GetLastError  = ")) << log[0];
    EXPECT_EQ("   libfptr_report result = -1", log[1]);
}

// A fault the emulated register injects into one call of the library.
nlohmann::json faultOn(const char* kind, const char* function, int number = 0) {
    nlohmann::json fault = {{"kind", kind}, {"function", function}, {"timing", "before"}};
    if (number != 0) fault["error"] = number;
    return nlohmann::json::array({fault});
}

TEST_F(Binding, AFailedOperationLogsTheLibrarysNumberAndDescriptionOnce) {
    cash::atol10::Cash& driver = cash();
    changeState([](nlohmann::json& s) { s["faults"] = faultOn("error", "libfptr_report", 44); });
    EXPECT_EQ(-1, fptr10::libfptr_report(driver.handle_, driver.module_));
    EXPECT_STREQ("libfptr_report", fptr10::lastFailure().call);
    EXPECT_EQ(44, fptr10::lastFailure().number);
    EXPECT_EQ(5, cash::atol10::mapLibraryResult(-1)) << "no paper";
    EXPECT_EQ(Lines({"   libfptr_report: ошибка 44 [Нет бумаги]"}), takeLog());
    // The reason is asked for only after the failure, through the library's own calls.
    const Lines trace = takeTrace();
    ASSERT_EQ(3u, trace.size()) << ::testing::PrintToString(trace);
    EXPECT_EQ(0u, trace[0].find("libfptr_report(#h) = -1")) << trace[0];
    EXPECT_EQ("libfptr_error_code(#h) = 44", trace[1]);
    EXPECT_EQ(0u, trace[2].find("libfptr_error_description(#h, ")) << trace[2];

    // A success forgets the failure; in debug-log mode the number has its own line.
    EXPECT_EQ(0, fptr10::libfptr_open(driver.handle_, driver.module_));
    EXPECT_EQ(nullptr, fptr10::lastFailure().call);
    EXPECT_EQ(0, fptr10::lastFailure().number);
    cash::Config::instance().useLog = "D";
    changeState([](nlohmann::json& s) { s["faults"] = faultOn("error", "libfptr_report", 68); });
    EXPECT_EQ(-1, fptr10::libfptr_report(driver.handle_, driver.module_));
    EXPECT_EQ(2, cash::atol10::mapLibraryResult(-1)) << "shift over 24 hours";
    const Lines log = takeLog();
    ASSERT_EQ(4u, log.size()) << ::testing::PrintToString(log);
    EXPECT_EQ("   libfptr_report result = -1", log[0]);
    EXPECT_EQ("   libfptr_error_code result = 68", log[1]);
    EXPECT_EQ(0u, log[2].find("   libfptr_error_description result = ")) << log[2];
    EXPECT_EQ(0u, log[3].find("   libfptr_report: ошибка 68 [")) << log[3];
}

TEST_F(Binding, ACrashInsideTheLibraryEndsOnlyThatCall) {
    if (vorna::sanitizerBuild())
        GTEST_SKIP() << "the sanitizer owns the fault signals of this build";
    cash::atol10::Cash& driver = cash();
    changeState([](nlohmann::json& s) { s["faults"] = faultOn("crash", "libfptr_report"); });
    EXPECT_EQ(-1, fptr10::libfptr_report(driver.handle_, driver.module_));
    EXPECT_EQ(0, fptr10::lastFailure().number) << "a crash is no failure number of the library";
    EXPECT_EQ(99, cash::atol10::mapLibraryResult(-1));
    // Logged in every log mode, with the exception.
    const Lines log = takeLog();
    ASSERT_EQ(1u, log.size()) << ::testing::PrintToString(log);
    EXPECT_EQ(0u, log[0].find("   libfptr_report GetLastError  = ")) << log[0];
    EXPECT_NE(std::string::npos, log[0].find(", исключение ")) << log[0];
    // The same instance goes on working.
    EXPECT_EQ(0, fptr10::libfptr_open(driver.handle_, driver.module_));
    fptr10::libfptr_set_param_int(driver.handle_, driver.module_, param::dataType, 14);
    EXPECT_EQ(0, fptr10::libfptr_query_data(driver.handle_, driver.module_));
}

TEST_F(Binding, LoadingLogsTheLibraryAndTheCreatedInstance) {
    fptr10::Handle handle = nullptr;
    fptr10::Module module = nullptr;
    fptr10::loadLibrary(handle, module);
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, handle);
    fptr10::releaseLibrary(handle, module);
    EXPECT_EQ(Lines({"", "LOAD LIBRARY.--------------------------------------------------------",
                     std::string("   LoadLibrary => ") + fptr10::libraryName(), "   LoadLibrary OK",
                     "   Версия библиотеки ККТ: 10.10.8.0"}),
              takeLog());
    // The version is asked at the library's first load in the process.
    EXPECT_EQ(Lines({"libfptr_create(&#h) = 0", "libfptr_get_version_string() = \"10.10.8.0\"",
                     "libfptr_close(#h) = 0", "libfptr_destroy(&#h)"}),
              takeTrace());
}

}  // namespace
}  // namespace atol10_test
}  // namespace vorna
