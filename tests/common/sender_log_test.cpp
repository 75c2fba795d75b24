// The sender's log lines, read back from the real files, with a fixed clock.
#include "common/sender_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/app_exception.h"
#include "common/log_files.h"
#include "common_test_support.h"

namespace vorna {
namespace {

class SenderLogTest : public ::testing::Test {
protected:
    test::FixedClock clock_;
    test::ScratchDirectory scratch_;
    LogTarget target_{scratch_.path(), "unused"};
};

TEST_F(SenderLogTest, LineHasDayFirstStampWithMillisecondsByteForByte) {
    appendLogLine(target_, "user_vorna.cash.sender", "Начало выполнения");
    EXPECT_EQ(test::readFile(scratch_ / "user_vorna.cash.sender.log"),
              test::asWritten("[07.03.2019 14:05:31:045] Начало выполнения\n"));
}

TEST_F(SenderLogTest, MillisecondsArePaddedToThreeDigits) {
    for (int ms : {0, 7, 45, 999}) {
        test::FixedClock::setMillisecond(ms);
        appendLogLine(target_, "ms", std::to_string(ms));
    }
    EXPECT_EQ(test::readFile(scratch_ / "ms.log"),
              test::asWritten("[07.03.2019 14:05:31:000] 0\n"
                              "[07.03.2019 14:05:31:007] 7\n"
                              "[07.03.2019 14:05:31:045] 45\n"
                              "[07.03.2019 14:05:31:999] 999\n"));
}

TEST_F(SenderLogTest, DateAndTimeFieldsArePadded) {
    test::FixedClock::set(2021, 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(senderStamp(), "02.01.2021 03:04:05");
    EXPECT_EQ(senderStampWithMilliseconds(), "02.01.2021 03:04:05:006");
}

TEST_F(SenderLogTest, ErrorLinesGoToErrorLogWithoutMilliseconds) {
    appendErrorLine(target_, "Библиотека не загружена");
    appendErrorLine(target_, "second");
    EXPECT_EQ(test::readFile(scratch_ / "error.log"),
              test::asWritten("[07.03.2019 14:05:31] Библиотека не загружена\n"
                              "[07.03.2019 14:05:31] second\n"));
    EXPECT_FALSE(test::exists(scratch_ / "unused.log"));
}

TEST_F(SenderLogTest, LinesAreAppendedAfterExistingContent) {
    test::writeFile(scratch_ / "append.log", "kept\n");
    appendLogLine(target_, "append", "new");
    EXPECT_EQ(test::readFile(scratch_ / "append.log"),
              "kept\n" + test::asWritten("[07.03.2019 14:05:31:045] new\n"));
}

TEST_F(SenderLogTest, PercentSignsAndEmptyTextAreWrittenAsGiven) {
    appendLogLine(target_, "p", "100% %s");
    appendLogLine(target_, "p", "");
    EXPECT_EQ(test::readFile(scratch_ / "p.log"),
              test::asWritten("[07.03.2019 14:05:31:045] 100% %s\n"
                              "[07.03.2019 14:05:31:045] \n"));
}

TEST_F(SenderLogTest, UnopenableFileLosesTheLineSilently) {
    test::ScratchDirectory profile;
    test::ScopedEnvironment variable("USERPROFILE", profile.path());
    LogTarget missing{(scratch_ / "no") + platform::pathSeparator() + "such", "x"};
    EXPECT_NO_THROW(appendLogLine(missing, "x", "lost"));
    EXPECT_NO_THROW(appendErrorLine(missing, "lost"));
    EXPECT_FALSE(test::exists(scratch_ / "no"));
    EXPECT_TRUE(std::filesystem::is_empty(profile.path()));  // no further attempt for this
}

TEST_F(SenderLogTest, FailureWhileWritingRetriesOnceInTheProfileDirectory) {
    if (platform::pathSeparator() != '/' || !std::ifstream("/dev/full").good())
        GTEST_SKIP() << "needs /dev/full to make a write fail";
    // A log file that opens but refuses every byte.
    std::filesystem::create_symlink("/dev/full", scratch_ / "full.log");
    test::ScratchDirectory profile;
    {
        test::ScopedEnvironment variable("USERPROFILE", profile.path());
        EXPECT_NO_THROW(appendLogLine(target_, "full", "rescued"));
        std::filesystem::create_symlink("/dev/full", scratch_ / "error.log");
        EXPECT_NO_THROW(appendErrorLine(target_, "rescued error"));
    }
    EXPECT_EQ(test::readFile(profile / "full.log"), "[07.03.2019 14:05:31:045] rescued\n");
    EXPECT_EQ(test::readFile(profile / "error.log"), "[07.03.2019 14:05:31] rescued error\n");

    // Without a profile directory the line is lost, and still nothing escapes.
    test::ScopedEnvironment noProfile("USERPROFILE", "");
    EXPECT_NO_THROW(appendLogLine(target_, "full", "lost"));
}

std::string fixedUser;
bool userNameFails = false;
bool fakeUserName(std::string& out) {
    if (userNameFails) return false;
    out = fixedUser;
    return true;
}

// Both targets are made once per process: this is the only test that uses them.
// Inside a call the log stays open: lines are in the file at once, a rotation
// by another program takes the call's later lines, the next call starts the
// file again under its name.
TEST_F(SenderLogTest, ACallKeepsTheLogOpenLinesOnTheDiskAtOnceRotationAllowed) {
    const std::string file = scratch_ / "user_vorna.cash.sender.log";
    const std::string rotated = scratch_ / "rotated.log";
    {
        LogFileSession call;
        appendLogLine(target_, "user_vorna.cash.sender", "first");
        EXPECT_EQ(test::readFile(file), test::asWritten("[07.03.2019 14:05:31:045] first\n"));
        std::filesystem::rename(file, rotated);
        appendLogLine(target_, "user_vorna.cash.sender", "second");
    }
    EXPECT_EQ(test::readFile(rotated), test::asWritten("[07.03.2019 14:05:31:045] first\n"
                                                       "[07.03.2019 14:05:31:045] second\n"));
    appendLogLine(target_, "user_vorna.cash.sender", "next call");
    EXPECT_EQ(test::readFile(file), test::asWritten("[07.03.2019 14:05:31:045] next call\n"));
}

TEST(SenderLogTargets, MadeOnFirstUseFromCurrentDirectoryAndUserName) {
    platform::SystemCalls calls = platform::systemCalls();
    calls.userName = &fakeUserName;
    platform::setSystemCalls(calls);

    userNameFails = true;
    EXPECT_THROW(mainLogTarget(), winapi::Exception);
    EXPECT_THROW(errorLogTarget(), winapi::Exception);

    userNameFails = false;
    fixedUser = "operator";
    LogTarget& main = mainLogTarget();
    EXPECT_EQ(main.directory, platform::currentDirectory());
    EXPECT_EQ(main.name, "operator");
    fixedUser = "someone else";
    EXPECT_EQ(&mainLogTarget(), &main);
    EXPECT_EQ(mainLogTarget().name, "operator");

    LogTarget& error = errorLogTarget();
    EXPECT_NE(&error, &main);
    EXPECT_EQ(error.directory, platform::currentDirectory());
    EXPECT_EQ(error.name, "someone else");

    main.directory = "changed by the call frame";
    EXPECT_EQ(mainLogTarget().directory, "changed by the call frame");
    EXPECT_EQ(errorLogTarget().directory, platform::currentDirectory());

    calls.userName = nullptr;
    platform::setSystemCalls(calls);
}

}  // namespace
}  // namespace vorna
