// The driver's log writer and its two logging functions, read back from the
// real day files.
#include "common/driver_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "common/log_files.h"
#include "common_test_support.h"

namespace vorna {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// What the driver's settings would hand to the logging functions.
DriverLogSettings& currentSettings() {
    static DriverLogSettings settings;
    return settings;
}
DriverLogSettings fromTestSettings() { return currentSettings(); }
DriverLogSettings throwingSource() { throw std::runtime_error("settings not readable"); }

class DriverLogTest : public ::testing::Test {
protected:
    DriverLogTest() {
        currentSettings() = DriverLogSettings{"Y", scratch_.path()};
        setDriverLogSettingsSource(&fromTestSettings);
    }
    ~DriverLogTest() override { setDriverLogSettingsSource(nullptr); }

    std::string folder() const { return scratch_ / "Quorvale"; }
    std::string dayFile(const std::string& name = "mirel_2019-03-07.log") const {
        return folder() + platform::pathSeparator() + name;
    }

    test::FixedClock clock_;
    test::ScratchDirectory scratch_;
};

// ---- the writer --------------------------------------------------------------

TEST_F(DriverLogTest, PathIsDirectoryQuorvaleAndDayFile) {
    Log log(scratch_.path());
    EXPECT_TRUE(log.ready());
    EXPECT_EQ(std::string(log.path()), dayFile());
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    log.setEnabled(0);
}

TEST_F(DriverLogTest, LinesCarryStampAndLevelByteForByte) {
    {
        Log log(scratch_.path());
        log.write("write %d %s", 5, "five");
        log.writeLevel(WRN, "%s", "warning");
        test::FixedClock::set(2019, 3, 7, 9, 8, 7, 6);
        log.writeLevel(ERR, "error %u", 2u);
        log.writeLevel(FTL, "fatal");
        log.writeLevel(DBG, "debug");
        log.writeLevel(4, "four");
        log.writeLevel(-1, "minus one");
    }
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [DBG] write 5 five\n"
                              "[2019-03-07 14:05:31] [WRN] warning\n"
                              "[2019-03-07 09:08:07] [ERR] error 2\n"
                              "[2019-03-07 09:08:07] [FTL] fatal\n"
                              "[2019-03-07 09:08:07] [DBG] debug\n"
                              "[2019-03-07 09:08:07] [UNK] four\n"
                              "[2019-03-07 09:08:07] [UNK] minus one\n"
                              "[2019-03-07 09:08:07] [DBG] --Logger destroed--\n"));
}

TEST_F(DriverLogTest, DisabledWriterDropsOnlyLevelZeroLines) {
    {
        Log log(scratch_.path());
        log.setEnabled(0);
        log.write("dropped");
        log.writeLevel(DBG, "dropped too");
        log.writeLevel(WRN, "kept");
        log.writeLevel(ERR, "kept too");
        log.setEnabled(1);
        log.write("enabled again");
        log.setEnabled(0);  // and no destructor line
    }
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [WRN] kept\n"
                              "[2019-03-07 14:05:31] [ERR] kept too\n"
                              "[2019-03-07 14:05:31] [DBG] enabled again\n"));
}

TEST_F(DriverLogTest, LinesAreAppendedToAnExistingDayFile) {
    std::filesystem::create_directories(folder());
    test::writeFile(dayFile(), "earlier line\n");
    {
        Log log(scratch_.path());
        log.writeLevel(WRN, "appended");
        log.setEnabled(0);
    }
    EXPECT_EQ(test::readFile(dayFile()),
              "earlier line\n" + test::asWritten("[2019-03-07 14:05:31] [WRN] appended\n"));
}

TEST_F(DriverLogTest, SystemErrorLineHasHexCodeAndSystemText) {
    const unsigned long code = 0x1F;  // ERROR_GEN_FAILURE / EMFILE: both have a text
    const std::string text = platform::errorText(code);
    ASSERT_FALSE(text.empty());
    {
        Log log(scratch_.path());
        log.writeSystemError(0);
        log.writeSystemError(code);
        log.setEnabled(0);
    }
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [ERR] error[1F] " + text + "\n"));
}

TEST_F(DriverLogTest, WithoutLocalTimeTheFileIsMirelLogAndLinesHaveNoPrefix) {
    test::FixedClock::unavailable();
    {
        Log log(scratch_.path());
        EXPECT_EQ(std::string(log.path()), dayFile("mirel.log"));
        log.writeLevel(WRN, "no stamp");
        log.setEnabled(0);
    }
    EXPECT_EQ(test::readFile(dayFile("mirel.log")), test::asWritten("no stamp\n"));
}

TEST_F(DriverLogTest, MissingParentDirectoryIsReportedOnStandardOutput) {
    const std::string missing = (scratch_ / "missing") + platform::pathSeparator() + "deeper";
    ::testing::internal::CaptureStdout();
    {
        Log log(missing);
        EXPECT_FALSE(log.ready());
        log.writeLevel(ERR, "lost");
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string expectedStart = "directory not created " + missing +
                                      platform::pathSeparator() + "Quorvale" +
                                      platform::pathSeparator() + " err_code=";
    EXPECT_THAT(out, StartsWith(expectedStart));
    const std::string code = out.substr(expectedStart.size());
    ASSERT_GE(code.size(), 2u);
    EXPECT_EQ(code.back(), '\n');
    EXPECT_EQ(code.find_first_not_of("0123456789"), code.size() - 1) << code;
    EXPECT_NE(code[0], '0') << code;
    EXPECT_FALSE(test::exists(scratch_ / "missing"));
}

TEST_F(DriverLogTest, PathOfExactly247BytesIsUsed) {
    // directory + "/Quorvale/" (10) + "mirel_2019-03-07.log" (20) + NUL = 248.
    const std::size_t directoryLength = Log::kPathSize - 1 - 10 - 20;
    const std::string directory = scratch_.path() + platform::pathSeparator() +
                                  std::string(directoryLength - scratch_.path().size() - 1, 'd');
    ASSERT_EQ(directory.size(), directoryLength);
    std::filesystem::create_directories(directory);
    {
        Log log(directory);
        ASSERT_TRUE(log.ready());
        EXPECT_EQ(std::string(log.path()).size(), Log::kPathSize - 1);
        log.writeLevel(WRN, "fits");
        log.setEnabled(0);
    }
    const std::string file = directory + platform::pathSeparator() + "Quorvale" +
                             platform::pathSeparator() + "mirel_2019-03-07.log";
    EXPECT_EQ(test::readFile(file), test::asWritten("[2019-03-07 14:05:31] [WRN] fits\n"));
}

TEST_F(DriverLogTest, DirectoryTooLongForTheFileNameGivesAWriterThatIsNotReady) {
    const std::size_t directoryLength = Log::kPathSize - 10 - 20;  // one byte too many
    const std::string directory = scratch_.path() + platform::pathSeparator() +
                                  std::string(directoryLength - scratch_.path().size() - 1, 'd');
    std::filesystem::create_directories(directory);
    ::testing::internal::CaptureStdout();
    {
        Log log(directory);
        EXPECT_FALSE(log.ready());
        EXPECT_STREQ(log.path(), "");
        log.writeLevel(ERR, "lost");
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "log path too long " + directory + platform::pathSeparator() + "Quorvale" +
                       platform::pathSeparator() + "mirel_2019-03-07.log\n");
    // Nothing made, nothing written anywhere under the directory.
    EXPECT_TRUE(std::filesystem::is_empty(directory));
}

TEST_F(DriverLogTest, FarTooLongDirectoryIsNeverCut) {
    const std::string directory = scratch_ / std::string(600, 'x');
    ::testing::internal::CaptureStdout();
    {
        Log log(directory);
        EXPECT_FALSE(log.ready());
    }
    EXPECT_THAT(::testing::internal::GetCapturedStdout(), HasSubstr(std::string(600, 'x')));
    EXPECT_TRUE(std::filesystem::is_empty(scratch_.path()));
}

TEST_F(DriverLogTest, EmptyDirectoryMeansQuorvaleAtTheRootOfTheCurrentDrive) {
    // On POSIX that would be /Quorvale of the machine: only the Windows build
    // tries it, on the drive of its own scratch directory.
    if (platform::pathSeparator() != '\\') GTEST_SKIP() << "writes at the root of the drive";
    const std::string root = scratch_.path().substr(0, 3);  // "C:\"
    ASSERT_EQ(root.substr(1), ":\\");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.path());
    {
        Log log("");
        EXPECT_TRUE(log.ready());
        EXPECT_STREQ(log.path(), "\\Quorvale\\mirel_2019-03-07.log");
        log.writeLevel(WRN, "at the root");
        log.setEnabled(0);
    }
    std::filesystem::current_path(before);
    EXPECT_EQ(test::readFile(root + "Quorvale\\mirel_2019-03-07.log"),
              test::asWritten("[2019-03-07 14:05:31] [WRN] at the root\n"));
    std::filesystem::remove_all(root + "Quorvale");
}

TEST_F(DriverLogTest, CreateDriverLogDirectoryMakesTheFolderOnly) {
    EXPECT_TRUE(createDriverLogDirectory(scratch_.path()));
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    EXPECT_TRUE(std::filesystem::is_empty(folder()));
    EXPECT_TRUE(createDriverLogDirectory(scratch_.path()));  // already there
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(createDriverLogDirectory(scratch_ / "no" + platform::pathSeparator() + "such"));
    ::testing::internal::GetCapturedStdout();
}

// ---- the logging functions ----------------------------------------------------

TEST_F(DriverLogTest, WriteLogWritesOneWarningLineWithoutDestructorLine) {
    writeLog("   atol10->CheckKKT ==> 0");
    writeLogIndented("Open shift");
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [WRN]    atol10->CheckKKT ==> 0\n"
                              "[2019-03-07 14:05:31] [WRN]    Open shift\n"));
}

TEST_F(DriverLogTest, PercentSignsAreWrittenLiterally) {
    writeLog("100% %s %d %n %%");
    writeLogIndented("%s");
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [WRN] 100% %s %d %n %%\n"
                              "[2019-03-07 14:05:31] [WRN]    %s\n"));
}

TEST_F(DriverLogTest, OnlyUpperCaseYAndDEnableTheLog) {
    for (const char* value : {"y", "1", "d", "N", "", "YES", "Y ", "DD"}) {
        currentSettings().useLog = value;
        writeLog(std::string("off with ") + value);
        writeLogIndented("off");
    }
    EXPECT_FALSE(test::exists(folder()));
    currentSettings().useLog = "D";
    writeLog("on with D");
    currentSettings().useLog = "Y";
    writeLog("on with Y");
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [WRN] on with D\n"
                              "[2019-03-07 14:05:31] [WRN] on with Y\n"));
}

TEST_F(DriverLogTest, SettingsAreReadAfreshForEveryMessage) {
    test::ScratchDirectory other;
    writeLog("first");
    currentSettings().logPath = other.path();
    writeLog("second");
    EXPECT_EQ(test::readFile(dayFile()), test::asWritten("[2019-03-07 14:05:31] [WRN] first\n"));
    EXPECT_EQ(
        test::readFile((other / "Quorvale") + platform::pathSeparator() + "mirel_2019-03-07.log"),
        test::asWritten("[2019-03-07 14:05:31] [WRN] second\n"));
}

TEST_F(DriverLogTest, RemovedDirectoryIsMadeAgain) {
    writeLog("before");
    std::filesystem::remove_all(folder());
    writeLog("after");
    EXPECT_EQ(test::readFile(dayFile()), test::asWritten("[2019-03-07 14:05:31] [WRN] after\n"));
}

TEST_F(DriverLogTest, MessagesOnEitherSideOfMidnightLandInTwoDayFiles) {
    test::FixedClock::set(2019, 3, 7, 23, 59, 59, 999);
    writeLog("late");
    test::FixedClock::set(2019, 3, 8, 0, 0, 0, 0);
    writeLog("early");
    EXPECT_EQ(test::readFile(dayFile("mirel_2019-03-07.log")),
              test::asWritten("[2019-03-07 23:59:59] [WRN] late\n"));
    EXPECT_EQ(test::readFile(dayFile("mirel_2019-03-08.log")),
              test::asWritten("[2019-03-08 00:00:00] [WRN] early\n"));
}

TEST_F(DriverLogTest, NoSourceOrAFailingSourceWritesNothingAndThrowsNothing) {
    setDriverLogSettingsSource(nullptr);
    EXPECT_EQ(driverLogSettingsSource(), nullptr);
    EXPECT_NO_THROW(writeLog("nothing"));
    setDriverLogSettingsSource(&throwingSource);
    EXPECT_NO_THROW(writeLog("nothing"));
    EXPECT_NO_THROW(writeLogIndented("nothing"));
    EXPECT_FALSE(test::exists(folder()));
}

TEST_F(DriverLogTest, MissingParentOfLogPathWritesNoFile) {
    currentSettings().logPath = (scratch_ / "absent") + platform::pathSeparator() + "logs";
    ::testing::internal::CaptureStdout();
    writeLog("lost");
    EXPECT_THAT(::testing::internal::GetCapturedStdout(), StartsWith("directory not created "));
    EXPECT_FALSE(test::exists(scratch_ / "absent"));
}

// ---- the files of one call ----------------------------------------------------

// Inside a call (a log-file session) the day file stays open: every line is
// in the file as soon as it is written, another program may rename the file
// meanwhile and the call's later lines follow it; the next call writes under
// the name again. A line of several text lines keeps the text-mode bytes.
TEST_F(DriverLogTest, ACallKeepsTheDayFileOpenEachLineOnTheDiskAtOnceRotationAllowed) {
    const std::string rotated = folder() + platform::pathSeparator() + "rotated.log";
    {
        LogFileSession call;
        writeLog("first");
        EXPECT_EQ(test::readFile(dayFile()),
                  test::asWritten("[2019-03-07 14:05:31] [WRN] first\n"));
        std::filesystem::rename(dayFile(), rotated);
        writeLog("second\nof two lines");
        EXPECT_FALSE(test::exists(dayFile()));
    }
    EXPECT_EQ(test::readFile(rotated),
              test::asWritten("[2019-03-07 14:05:31] [WRN] first\n"
                              "[2019-03-07 14:05:31] [WRN] second\nof two lines\n"));
    writeLog("next call");
    EXPECT_EQ(test::readFile(dayFile()),
              test::asWritten("[2019-03-07 14:05:31] [WRN] next call\n"));
    std::filesystem::remove(dayFile());
    {
        LogFileSession call;
        LogFileSession nested;  // a second holder: the file stays open until the last ends
        writeLog("kept open");
    }
    std::filesystem::remove(dayFile());  // deleted while closed or (Windows) share-delete
    writeLog("after");
    EXPECT_EQ(test::readFile(dayFile()), test::asWritten("[2019-03-07 14:05:31] [WRN] after\n"));
}

TEST(LogLevelText, NamesTheFourLevels) {
    EXPECT_STREQ(logLevelText(0), "DBG");
    EXPECT_STREQ(logLevelText(1), "WRN");
    EXPECT_STREQ(logLevelText(2), "ERR");
    EXPECT_STREQ(logLevelText(3), "FTL");
    EXPECT_STREQ(logLevelText(4), "UNK");
}

}  // namespace
}  // namespace vorna
