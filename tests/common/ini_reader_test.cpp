// The settings reader: tokens and comments, pairing, trimming, both
// delimiter sets, the three locations and the reader's failures.
#include "common/ini_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/app_exception.h"
#include "common_test_support.h"

namespace vorna {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using Pairs = std::vector<std::pair<std::string, std::string>>;

const char kLineDelimiters[] = "\n\r=";
const char kBlankDelimiters[] = " \t\n\r=";

void collect(Pairs& pairs, const std::string& key, const std::string& value) {
    pairs.emplace_back(key, value);
}

Pairs pairsOf(const std::string& text, const char* delimiters = kLineDelimiters) {
    std::istringstream in(text);
    Pairs pairs;
    readIniStream(in, delimiters, pairs, &collect);
    return pairs;
}

std::vector<std::string> tokensOf(const std::string& text, const char* delimiters) {
    std::istringstream in(text);
    IniTokenizer tokenizer(in, delimiters);
    std::vector<std::string> tokens;
    std::string token;
    while (tokenizer.next(token)) tokens.push_back(token);
    return tokens;
}

// ---- tokens and comments ---------------------------------------------------

TEST(IniTokenizer, SplitsAtDelimitersAndNeverYieldsEmptyTokens) {
    EXPECT_THAT(tokensOf("a=b\n\n\r\n==c", kLineDelimiters), ElementsAre("a", "b", "c"));
    EXPECT_THAT(tokensOf("", kLineDelimiters), IsEmpty());
    EXPECT_THAT(tokensOf(" \n\t\r\n", kLineDelimiters), IsEmpty());
    EXPECT_THAT(tokensOf("last", kLineDelimiters), ElementsAre("last"));
}

TEST(IniTokenizer, SemicolonCommentRunsToTheEndOfTheLine) {
    EXPECT_THAT(pairsOf("PortName = COM3 ; main register\nBaudRate=9600\n"),
                ElementsAre(Pair("PortName", "COM3"), Pair("BaudRate", "9600")));
    EXPECT_THAT(tokensOf("; whole line = comment\nkey", kLineDelimiters), ElementsAre("key"));
    EXPECT_THAT(tokensOf("a;b\nc", kLineDelimiters), ElementsAre("a", "c"));
}

TEST(IniTokenizer, DoubleSlashCommentCutsTheValue) {
    EXPECT_THAT(pairsOf("IPAddress=192.168.1.10 // office\nTCPPort=5555"),
                ElementsAre(Pair("IPAddress", "192.168.1.10"), Pair("TCPPort", "5555")));
    EXPECT_THAT(pairsOf("Url=http://host/path\nNext=1"),
                ElementsAre(Pair("Url", "http:"), Pair("Next", "1")));
}

TEST(IniTokenizer, BlockCommentIsSkippedAcrossLines) {
    EXPECT_THAT(pairsOf("A=1\n/* first line\nB=2\n= still comment */\nC=3\n"),
                ElementsAre(Pair("A", "1"), Pair("C", "3")));
    EXPECT_THAT(tokensOf("x/*c*/y", kLineDelimiters), ElementsAre("x", "y"));
    // An unterminated block comment swallows the rest of the file.
    EXPECT_THAT(tokensOf("a\n/* open\nb=c", kLineDelimiters), ElementsAre("a"));
}

TEST(IniTokenizer, SingleSlashIsAnOrdinaryCharacterWithItsFollower) {
    EXPECT_THAT(tokensOf("a/b/c", kLineDelimiters), ElementsAre("a/b/c"));
    EXPECT_THAT(tokensOf("dir/", kLineDelimiters), ElementsAre("dir/"));
    // The character after a single slash stays in the token, a delimiter too.
    EXPECT_THAT(tokensOf("a/=b", kLineDelimiters), ElementsAre("a/=b"));
}

TEST(IniTokenizer, SectionLinesAreOrdinaryTokens) {
    EXPECT_THAT(pairsOf("[Main]\nA=1\n"), ElementsAre(Pair("[Main]", "A")));
}

// ---- pairing and trimming ----------------------------------------------------

TEST(IniReader, EmptyValueShiftsThePairing) {
    EXPECT_THAT(pairsOf("A=\nB=5\n"), ElementsAre(Pair("A", "B")));
    EXPECT_THAT(pairsOf("A=\nB=5\nC=6\n"), ElementsAre(Pair("A", "B"), Pair("5", "C")));
}

TEST(IniReader, TrailingKeyWithoutValueIsDropped) {
    EXPECT_THAT(pairsOf("A=1\nB"), ElementsAre(Pair("A", "1")));
}

TEST(IniReader, KeysAndValuesAreTrimmedAndRepeatsAreAppliedInOrder) {
    EXPECT_THAT(pairsOf("  Key \t=\t value with blanks \f\r\nKey=second\n"),
                ElementsAre(Pair("Key", "value with blanks"), Pair("Key", "second")));
}

TEST(IniReader, TokenOfOnlyBlanksStaysUnchanged) {
    EXPECT_EQ(trimIniToken(" \t "), " \t ");
    EXPECT_EQ(trimIniToken("\f x\r"), "x");
    EXPECT_EQ(trimIniToken("\vx"), "\vx");  // the vertical tab is not trimmed
    // After a block comment the blank before the line break is a token.
    EXPECT_THAT(pairsOf("A=/*c*/ \nB=2\n"), ElementsAre(Pair("A", " "), Pair("B", "2")));
}

TEST(IniReader, BlankDelimiterSetSplitsValuesAtBlanks) {
    EXPECT_THAT(pairsOf("LogPath=C:\\My Logs\nUseLog=Y\n", kBlankDelimiters),
                ElementsAre(Pair("LogPath", "C:\\My"), Pair("Logs", "UseLog")));
    EXPECT_THAT(pairsOf("LogPath=C:\\My Logs\nUseLog=Y\n", kLineDelimiters),
                ElementsAre(Pair("LogPath", "C:\\My Logs"), Pair("UseLog", "Y")));
    EXPECT_THAT(pairsOf("a\tb c", kBlankDelimiters), ElementsAre(Pair("a", "b")));
}

TEST(IniReader, WindowsTextAndCp1251BytesPassThrough) {
    EXPECT_THAT(pairsOf("Cashier=\xC8\xE2\xE0\xED\xEE\xE2\r\nA=1\r\n"),
                ElementsAre(Pair("Cashier", "\xC8\xE2\xE0\xED\xEE\xE2"), Pair("A", "1")));
}

// ---- locations -----------------------------------------------------------------

struct Collector {
    Pairs pairs;
    void handle(const std::string& key, const std::string& value) {
        pairs.emplace_back(key, value);
    }
};

// The directory of this test program.
std::string programDirectory() {
    static const int anchor = 0;
    return platform::removeFileSpec(platform::moduleFileName(platform::moduleOfAddress(&anchor)));
}

class IniLocations : public ::testing::Test {
protected:
    void TearDown() override {
        std::error_code ignored;
        if (!besideProgram_.empty()) std::filesystem::remove(besideProgram_, ignored);
    }
    // A settings file beside the test program, removed afterwards.
    std::string writeBesideProgram(const std::string& bytes) {
        besideProgram_ = programDirectory() + platform::pathSeparator() + fileName_;
        test::writeFile(besideProgram_, bytes);
        return besideProgram_;
    }

    const std::string fileName_ = "vorna_common_ini_reader_test.ini";
    test::ScratchDirectory scratch_;
    std::string besideProgram_;
};

TEST_F(IniLocations, GlobalReadsBesideTheGivenModuleOrTheHostExecutable) {
    writeBesideProgram("Where=beside\n");
    static const int anchor = 0;
    for (platform::LibraryHandle module :
         {platform::moduleOfAddress(&anchor), static_cast<platform::LibraryHandle>(nullptr)}) {
        for (const char* location : {"GLOBAL", "global", "Global"}) {
            Collector target;
            EXPECT_TRUE(readIniFile(location, module, fileName_, kLineDelimiters, target,
                                    &Collector::handle));
            EXPECT_THAT(target.pairs, ElementsAre(Pair("Where", "beside"))) << location;
        }
    }
}

TEST_F(IniLocations, GlobalPathIsTheModuleDirectoryAndTheName) {
    std::string path;
    ASSERT_TRUE(iniFilePath("GLOBAL", nullptr, "x.ini", path));
    EXPECT_EQ(path, platform::removeFileSpec(platform::moduleFileName(nullptr)) +
                        platform::pathSeparator() + "x.ini");
}

TEST_F(IniLocations, GlobalWithoutModuleFileNameThrowsTheSystemError) {
    if (platform::pathSeparator() != '\\') GTEST_SKIP() << "no invalid module handle on POSIX";
    std::string path;
    EXPECT_THROW(iniFilePath("GLOBAL", reinterpret_cast<platform::LibraryHandle>(8), "x.ini", path),
                 winapi::Exception);
}

TEST_F(IniLocations, FileTakesTheNameAsGivenAbsoluteOrRelative) {
    const std::string absolute = scratch_ / "direct.ini";
    test::writeFile(absolute, "K=absolute\n");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, absolute, kLineDelimiters, pairs, &collect));
    EXPECT_TRUE(readIniFile("file", nullptr, absolute, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, ElementsAre(Pair("K", "absolute"), Pair("K", "absolute")));

    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.path());
    pairs.clear();
    const bool opened =
        readIniFile("File", nullptr, "direct.ini", kLineDelimiters, pairs, &collect);
    std::filesystem::current_path(before);
    EXPECT_TRUE(opened);
    EXPECT_THAT(pairs, ElementsAre(Pair("K", "absolute")));
}

TEST_F(IniLocations, OtherLocationsAreProfileSubdirectories) {
    test::ScopedEnvironment profile("USERPROFILE", scratch_.path());
    std::filesystem::create_directories(scratch_ / "CashRegister");
    test::writeFile(scratch_ / "CashRegister" + platform::pathSeparator() + fileName_,
                    "PortName=COM7\n");
    Collector target;
    EXPECT_TRUE(readIniFile("CashRegister", nullptr, fileName_, kBlankDelimiters, target,
                            &Collector::handle));
    EXPECT_THAT(target.pairs, ElementsAre(Pair("PortName", "COM7")));
    EXPECT_FALSE(
        readIniFile("Windows", nullptr, fileName_, kBlankDelimiters, target, &Collector::handle));
}

TEST_F(IniLocations, MissingProfileVariableMeansNoProfileFile) {
    test::ScopedEnvironment profile("USERPROFILE", "");
    std::string path = "untouched";
    EXPECT_FALSE(iniFilePath("Windows", nullptr, fileName_, path));
    EXPECT_EQ(path, "untouched");
    Pairs pairs;
    EXPECT_FALSE(readIniFile("Windows", nullptr, fileName_, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, IsEmpty());
}

TEST_F(IniLocations, ProfileLongerThanTheReadersBufferMeansNoProfileFile) {
    // 259 characters fit the 260-byte buffer with its NUL; 260 do not.
    const std::string fits = scratch_.path() + platform::pathSeparator() +
                             std::string(259 - scratch_.path().size() - 1, 'p');
    ASSERT_EQ(fits.size(), 259u);
    std::string path;
    {
        test::ScopedEnvironment profile("USERPROFILE", fits);
        ASSERT_TRUE(iniFilePath("Windows", nullptr, "x.ini", path));
        EXPECT_EQ(path, fits + platform::pathSeparator() + "Windows" + platform::pathSeparator() +
                            "x.ini");
    }
    {
        test::ScopedEnvironment profile("USERPROFILE", fits + "q");
        path = "untouched";
        EXPECT_FALSE(iniFilePath("Windows", nullptr, "x.ini", path));
        EXPECT_EQ(path, "untouched");
        Pairs pairs;
        EXPECT_FALSE(readIniFile("Windows", nullptr, "x.ini", kLineDelimiters, pairs, &collect));
    }
}

TEST_F(IniLocations, MissingFileIsNoErrorAndEmptyFileIsOpened) {
    Pairs pairs;
    EXPECT_FALSE(
        readIniFile("FILE", nullptr, scratch_ / "absent.ini", kLineDelimiters, pairs, &collect));
    test::writeFile(scratch_ / "empty.ini", "");
    EXPECT_TRUE(
        readIniFile("FILE", nullptr, scratch_ / "empty.ini", kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, IsEmpty());
}

TEST_F(IniLocations, HandlerExceptionsReachTheCallerAndTheFileIsClosed) {
    const std::string file = scratch_ / "bad.ini";
    test::writeFile(file, "A=1\nB=not a number\nC=3\n");
    Pairs seen;
    auto strict = [](Pairs& target, const std::string& key, const std::string& value) {
        if (value.find_first_not_of("0123456789") != std::string::npos)
            throw std::invalid_argument(key);
        target.emplace_back(key, value);
    };
    EXPECT_THROW(readIniFile("FILE", nullptr, file, kLineDelimiters, seen, strict),
                 std::invalid_argument);
    EXPECT_THAT(seen, ElementsAre(Pair("A", "1")));
    // Windows refuses to delete an open file.
    EXPECT_TRUE(std::filesystem::remove(file));
}

TEST_F(IniLocations, CapturingLambdaAndFreeHandlersWork) {
    const std::string file = scratch_ / "lambda.ini";
    test::writeFile(file, "useLog=Y\nUSELOG=D\n");
    int calls = 0;
    std::string last;
    EXPECT_TRUE(
        readIniFile("FILE", nullptr, file, kLineDelimiters, last,
                    [&calls](std::string& target, const std::string&, const std::string& value) {
                        ++calls;
                        target = value;
                    }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(last, "D");
}

// ---- UTF-8 files ------------------------------------------------------------
// Notepad saves UTF-8 with a byte-order mark; such a file is read as UTF-8 and
// its values arrive in Windows-1251, as the libraries use them.

std::vector<std::string> notices;
void keepNotice(const std::string& line) { notices.push_back(line); }

class Utf8Files : public IniLocations {
protected:
    void SetUp() override {
        notices.clear();
        setIniNoticeWriter(&keepNotice);
    }
    void TearDown() override {
        setIniNoticeWriter(nullptr);
        IniLocations::TearDown();
    }
};

TEST_F(Utf8Files, WithByteOrderMarkKeepTheFirstKeyAndArriveInWindows1251) {
    const std::string file = scratch_ / "utf8.ini";
    test::writeFile(file,
                    "\xEF\xBB\xBF"
                    "CashDriver=vorna.cash.atol10.dll\r\nCashier=" +
                        platform::cp1251ToUtf8("Иванова Ё.") + "\r\n");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, file, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, ElementsAre(Pair("CashDriver", "vorna.cash.atol10.dll"),
                                   Pair("Cashier", "Иванова Ё.")));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_THAT(notices[0], ::testing::HasSubstr(file));
    EXPECT_THAT(notices[0], ::testing::HasSubstr("UTF-8"));
}

TEST_F(Utf8Files, CharactersWithoutAWindows1251FormBecomeQuestionMarks) {
    const std::string file = scratch_ / "cjk.ini";
    // U+4E2D and U+2603 have no 1251 form; U+2116 (the numero sign) has one (0xB9).
    test::writeFile(file,
                    "\xEF\xBB\xBFName=a\xE4\xB8\xAD"
                    "b\xE2\x98\x83"
                    "c\xE2\x84\x96\n");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, file, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, ElementsAre(Pair("Name", "a?b?c\xB9")));
}

TEST_F(Utf8Files, WithoutByteOrderMarkAreReadByteForByteAndSilently) {
    const std::string file = scratch_ / "plain.ini";
    // Windows-1251 bytes, and UTF-8 bytes without a mark: both kept as they are.
    test::writeFile(file, "Cashier=Иванова\nOther=\xD0\x98\n\xEF\xBB=x\n");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, file, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, ElementsAre(Pair("Cashier", "Иванова"), Pair("Other", "\xD0\x98"),
                                   Pair("\xEF\xBB", "x")));
    EXPECT_THAT(notices, IsEmpty());
}

TEST_F(Utf8Files, APartOfTheMarkIsKeptAsTheFirstBytes) {
    const std::string file = scratch_ / "partial.ini";
    test::writeFile(file, "\xEF\xBBK=1\n");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, file, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, ElementsAre(Pair("\xEF\xBBK", "1")));
    EXPECT_THAT(notices, IsEmpty());
}

TEST_F(Utf8Files, AFileOfOnlyTheMarkHasNoPairs) {
    const std::string file = scratch_ / "mark.ini";
    test::writeFile(file, "\xEF\xBB\xBF");
    Pairs pairs;
    EXPECT_TRUE(readIniFile("FILE", nullptr, file, kLineDelimiters, pairs, &collect));
    EXPECT_THAT(pairs, IsEmpty());
}

}  // namespace
}  // namespace vorna
