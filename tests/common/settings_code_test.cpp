// Settings codes and settings file names: what may name a file beside the
// others and what could reach any other file.
#include "common/settings_code.h"

#include <gtest/gtest.h>

#include <string>

namespace vorna {
namespace {

TEST(SettingsCode, LettersDigitsHyphenAndUnderscoreUpTo64AreAccepted) {
    for (const char* code : {"77", "a", "Branch_01", "MSK-2", "Z9z_-"})
        EXPECT_TRUE(isSettingsCode(code)) << code;
    EXPECT_TRUE(isSettingsCode(std::string(64, '7')));
}

TEST(SettingsCode, AnythingThatCouldNameAnotherFileIsRefused) {
    for (const char* code : {"", "..\\x", "\\..\\..\\x", "a/b", "C:\\x", "..", ".", "a.b", "a b",
                             "x\r\n", "a\x01", "a\x7F", "Код", "a*", "a?", "%TEMP%"})
        EXPECT_FALSE(isSettingsCode(code)) << code;
    EXPECT_FALSE(isSettingsCode(std::string(65, '7')));
    EXPECT_FALSE(isSettingsCode(std::string("7\0x", 3)));
}

TEST(SettingsFileName, SettingsCodesJoinedBySingleDotsAreAccepted) {
    EXPECT_TRUE(isSettingsFileName("vorna.cash.sender.77.ini"));
    EXPECT_TRUE(isSettingsFileName("code.ini"));
    EXPECT_TRUE(isSettingsFileName("vorna.cash.sender." + std::string(64, 'a') + ".ini"));
}

TEST(SettingsFileName, FoldersDrivesDotsAndOverlongNamesAreRefused) {
    for (const char* name :
         {"", "vorna.cash.sender...\\x.ini", "vorna.cash.sender.\\..\\..\\x.ini",
          "vorna.cash.sender.a/b.ini", "vorna.cash.sender.C:\\x.ini", "C:\\x.ini", "/etc/x.ini",
          ".ini", "x.ini.", "x..ini", "..", "a\r\n.ini"})
        EXPECT_FALSE(isSettingsFileName(name)) << name;
    EXPECT_FALSE(isSettingsFileName(std::string(125, 'a') + ".ini"));
    EXPECT_TRUE(isSettingsFileName(std::string(60, 'a') + "." + std::string(60, 'b') + ".ini"));
    EXPECT_FALSE(isSettingsFileName(std::string(65, 'a') + ".ini"));
}

}  // namespace
}  // namespace vorna
