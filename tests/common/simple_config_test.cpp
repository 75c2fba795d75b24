// The settings base class: the file beside the host executable first, then
// the one in the profile sub-directory, with blank-splitting delimiters.
#include "common/simple_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common_test_support.h"

namespace vorna {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

class RecordingConfig : public Simple::Config {
public:
    std::string location() const override { return "VornaConfigTest"; }
    void handle(const std::string& key, const std::string& value) override {
        pairs.emplace_back(key, value);
    }
    std::vector<std::pair<std::string, std::string>> pairs;
};

class LineConfig : public RecordingConfig {
public:
    std::string delimiters() const override { return "\n\r="; }
};

class SimpleConfigTest : public ::testing::Test {
protected:
    SimpleConfigTest()
        : profile_("USERPROFILE", scratch_.path()),
          besideHost_(platform::removeFileSpec(platform::moduleFileName(nullptr)) +
                      platform::pathSeparator() + kFileName) {
        std::filesystem::create_directories(scratch_ / "VornaConfigTest");
    }
    ~SimpleConfigTest() override {
        std::error_code ignored;
        std::filesystem::remove(besideHost_, ignored);
    }
    std::string inProfile() const {
        return (scratch_ / "VornaConfigTest") + platform::pathSeparator() + kFileName;
    }

    static constexpr const char* kFileName = "vorna_common_simple_config_test.ini";
    test::ScratchDirectory scratch_;
    test::ScopedEnvironment profile_;
    std::string besideHost_;
};

TEST_F(SimpleConfigTest, DefaultDelimitersSplitAtBlanks) {
    RecordingConfig config;
    EXPECT_EQ(config.delimiters(), " \t\n\r=");
    test::writeFile(besideHost_, "LogPath=C:\\My Logs\n");
    EXPECT_TRUE(config.load(kFileName));
    EXPECT_THAT(config.pairs, ElementsAre(Pair("LogPath", "C:\\My")));
}

TEST_F(SimpleConfigTest, ReadsBesideTheHostThenInTheProfile) {
    test::writeFile(besideHost_, "PortName=COM1\nBaudRate=9600\n");
    test::writeFile(inProfile(), "PortName=COM3\n");
    RecordingConfig config;
    EXPECT_TRUE(config.load(kFileName));
    EXPECT_THAT(config.pairs, ElementsAre(Pair("PortName", "COM1"), Pair("BaudRate", "9600"),
                                          Pair("PortName", "COM3")));
}

TEST_F(SimpleConfigTest, EitherFileAloneIsEnough) {
    test::writeFile(inProfile(), "A=1\n");
    RecordingConfig onlyProfile;
    EXPECT_TRUE(onlyProfile.load(kFileName));
    EXPECT_THAT(onlyProfile.pairs, ElementsAre(Pair("A", "1")));

    std::filesystem::remove(inProfile());
    test::writeFile(besideHost_, "B=2\n");
    RecordingConfig onlyHost;
    EXPECT_TRUE(onlyHost.load(kFileName));
    EXPECT_THAT(onlyHost.pairs, ElementsAre(Pair("B", "2")));
}

TEST_F(SimpleConfigTest, NoFileAtAllIsFalse) {
    RecordingConfig config;
    EXPECT_FALSE(config.load(kFileName));
    EXPECT_THAT(config.pairs, IsEmpty());
}

TEST_F(SimpleConfigTest, OverriddenDelimitersAreUsedForBothFiles) {
    test::writeFile(besideHost_, "Name=two words\n");
    test::writeFile(inProfile(), "Other=three more words\n");
    LineConfig config;
    EXPECT_TRUE(config.load(kFileName));
    EXPECT_THAT(config.pairs,
                ElementsAre(Pair("Name", "two words"), Pair("Other", "three more words")));
}

}  // namespace
}  // namespace vorna
