// The sample hosts of examples/ against the emulated register. The C one is
// built from the host header alone and linked to the sender as a C host links
// it; the C# and the Pascal ones (natively: Mono and Free Pascal) are compiled
// from the declaration files a host's developer copies. Each prints the
// register's information, releases it, and registers the worked example
// payment; a refused payment brings its Windows-1251 text back to the host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/platform/platform.h"
#include "tests/fullpath/fullpath_host.h"

namespace vorna {
namespace testing_support {
namespace {

using ::testing::HasSubstr;

// A host installation with an open shift (the driver opens it without a
// question: the samples answer none) and a named organisation.
class SampleHostTest : public ::testing::Test {
protected:
    SampleHostTest() { path.host.writeFile("vorna.cash.atol10.ini", "AutoShift=Y\n"); }

    // Copies a built file into the host's working folder, as a bank installs it.
    std::string install(const std::string& built) const {
        const std::filesystem::path source(built);
        const std::string target = path.host.path(path.host.work(), source.filename().string());
        std::filesystem::copy_file(source, target);
        return target;
    }

    ProcessResult runSample(const std::string& program, std::vector<std::string> arguments) const {
        return runProcess(program, arguments, path.host.work(), path.host.work());
    }

    // The worked example registered once: 123.45, the service name and the
    // cashier of the settings intact after their way through the host's types.
    void expectTheWorkedExampleRegistered(std::size_t before) const {
        const std::vector<nlohmann::json> receipts = path.registerFolder.receipts();
        ASSERT_EQ(receipts.size(), before + 1);
        const nlohmann::json& receipt = receipts.back();
        EXPECT_DOUBLE_EQ(receipt.value("total", 0.0), 123.45) << receipt;
        EXPECT_EQ(receipt.value("1021", ""), utf8("Иванова")) << receipt;
        ASSERT_EQ(receipt["positions"].size(), 1u) << receipt;
        EXPECT_EQ(receipt["positions"][0].value("name", ""), utf8("Услуга")) << receipt;
        ASSERT_EQ(receipt["payments"].size(), 1u) << receipt;
        EXPECT_EQ(receipt["payments"][0].value("type", -1), 0) << receipt;  // cash
    }

    FullPathHost path{{"--ffd", "1.2", "--inn", "7707083893", "--name", utf8("ООО Ромашка")},
                      "Cashier=Иванова\n"};
};

TEST_F(SampleHostTest, CRegistersThePaymentAndReleasesTheInformationText) {
    const std::string program = install(path.host.path(
        path.host.binDirectory(), std::string("sample_host") + VORNA_EXECUTABLE_SUFFIX));
    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult result = runSample(program, {"4711", "12345"});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    EXPECT_THAT(result.output, HasSubstr("checkInfoKKT: 0 (done)\nregister: 7707083893|"));
    EXPECT_THAT(result.output, HasSubstr("sendCheque: 0 (done)\n"));
    expectTheWorkedExampleRegistered(before);
}

#ifdef VORNA_FOREIGN_SAMPLE_HOSTS
// The C# and Pascal samples print the library's texts decoded from
// Windows-1251; their output is UTF-8.
struct ForeignSample {
    const char* language;
    const char* program;      // the built sample, empty when its compiler was missing
    const char* interpreter;  // runs the program, empty when it runs itself
    const char* companion;    // a file the program needs beside it, or empty
};

void PrintTo(const ForeignSample& sample, std::ostream* out) { *out << sample.language; }

class ForeignSampleHostTest : public SampleHostTest,
                              public ::testing::WithParamInterface<ForeignSample> {
protected:
    void SetUp() override {
        const ForeignSample& sample = GetParam();
        ASSERT_STRNE(sample.program, "")
            << "the " << sample.language
            << " sample was not built: its compiler was missing when the build was configured "
               "(scripts/bootstrap.sh installs it)";
        platform::setEnvironmentVariable("LANG", "C.UTF-8");
        program_ = install(sample.program);
        if (*sample.companion) install(sample.companion);
    }

    ProcessResult run(const std::vector<std::string>& arguments) const {
        const ForeignSample& sample = GetParam();
        if (!*sample.interpreter) return runSample(program_, arguments);
        std::vector<std::string> all{program_};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return runSample(sample.interpreter, all);
    }

    std::string program_;
};

TEST_P(ForeignSampleHostTest, RegistersThePaymentAndReleasesTheInformationText) {
    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult result = run({"4711", "12345"});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    EXPECT_THAT(result.output,
                HasSubstr("checkInfoKKT: 0\nregister: " + utf8("7707083893|ООО Ромашка")));
    EXPECT_THAT(result.output, HasSubstr("sendCheque: 0\n"));
    expectTheWorkedExampleRegistered(before);
}

TEST_P(ForeignSampleHostTest, ARefusedPaymentBringsBackItsRussianText) {
    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult result = run({"4712", "0"});  // a sum of 0 is refused
    EXPECT_EQ(result.exitCode, 100) << result.output << result.errors;
    EXPECT_THAT(result.output,
                HasSubstr("sendCheque: 100 " + utf8("Передан некорректный параметр") + "\n"));
    EXPECT_EQ(path.registerFolder.receipts().size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ForeignSampleHostTest,
    ::testing::Values(ForeignSample{"CSharp", VORNA_CSHARP_SAMPLE_HOST, VORNA_MONO,
                                    VORNA_CSHARP_SAMPLE_HOST_CONFIG},
                      ForeignSample{"Pascal", VORNA_DELPHI_SAMPLE_HOST, "", ""}),
    [](const ::testing::TestParamInfo<ForeignSample>& info) { return info.param.language; });
#endif

}  // namespace
}  // namespace testing_support
}  // namespace vorna
