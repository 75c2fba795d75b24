// The platform layer behaves the same on both systems: these run natively and
// under Wine.
#include "common/platform/platform.h"

#include <gtest/gtest.h>
#include "tests/sanitizer_build.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace p = vorna::platform;

namespace {

std::string tempDir() {
    std::string dir;
    if (!p::environmentVariable("TEMP", dir) && !p::environmentVariable("TMPDIR", dir))
        dir = "/tmp";
    return dir;
}

std::string join(const std::string& a, const std::string& b) { return a + p::pathSeparator() + b; }

}  // namespace

TEST(Text, Cp1251RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(p::wideToCp1251(p::cp1251ToWide(all)), all);
}

TEST(Text, Cp1251KnowsCyrillic) {
    std::wstring w =
        p::cp1251ToWide("\xCE\xF8\xE8\xE1\xEA\xE0\xA8\xB8\xB9");  // "Ошибка" "Ё" "ё" "№"
    ASSERT_EQ(w.size(), 9u);
    EXPECT_EQ(static_cast<unsigned>(w[0]), 0x041Eu);
    EXPECT_EQ(static_cast<unsigned>(w[6]), 0x0401u);
    EXPECT_EQ(static_cast<unsigned>(w[7]), 0x0451u);
    EXPECT_EQ(static_cast<unsigned>(w[8]), 0x2116u);
}

TEST(Text, CharacterWithoutCp1251FormBecomesQuestionMark) {
    std::wstring w;
    w += static_cast<wchar_t>(0x4E2D);  // a CJK character
    w += L'A';
    w += static_cast<wchar_t>(0x00E9);  // e acute: no best-fit to plain 'e'
    EXPECT_EQ(p::wideToCp1251(w), "?A?");
}

TEST(Text, Utf8ConversionsMatchTheLiteralsOfTheBuild) {
    // The build turns this UTF-8 source literal into Windows-1251 bytes.
    const std::string error = "Ошибка";
    EXPECT_EQ(error, "\xCE\xF8\xE8\xE1\xEA\xE0");
    EXPECT_EQ(p::cp1251ToUtf8(error), "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0");
    EXPECT_EQ(p::utf8ToCp1251("\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0"), error);
    EXPECT_EQ(p::utf8ToWide("\xF0\x9F\x98\x80").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    EXPECT_EQ(p::wideToUtf8(p::utf8ToWide("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(p::utf8ToWide("a\xC3"), L"a?");  // a cut sequence
}

TEST(Files, CreateDirectoryTellsAlreadyExistsApart) {
    std::string dir = join(tempDir(), "vorna-platform-test-dir");
    p::createDirectory(dir);
    EXPECT_EQ(p::createDirectory(dir), p::DirectoryResult::alreadyExists);
    EXPECT_EQ(p::createDirectory(join(join(dir, "no"), "such")), p::DirectoryResult::failed);
    EXPECT_NE(p::lastError(), 0u);
}

TEST(Files, ReplaceFileSwapsContentAtomically) {
    std::string dir = tempDir();
    std::string a = join(dir, "vorna-platform-a.txt"), b = join(dir, "vorna-platform-b.txt");
    std::ofstream(a) << "new";
    std::ofstream(b) << "old";
    ASSERT_TRUE(p::replaceFile(a, b));
    std::ifstream in(b);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "new");
    EXPECT_FALSE(std::ifstream(a).good());
}

TEST(Files, FileLockIsTakenAndGivenBack) {
    std::string path = join(tempDir(), "vorna-platform.lock");
    {
        p::FileLock lock(path);
        EXPECT_TRUE(lock.ok());
    }
    p::FileLock again(path);
    EXPECT_TRUE(again.ok());
}

TEST(Files, ByteLockHoldsOneByteAgainstEveryOtherHolder) {
    const std::string path = join(tempDir(), "vorna-platform-bytes.lock");
    const std::uint64_t high = (std::uint64_t{1} << 61) + 12345;
    {
        p::ByteLock first(path, high);
        ASSERT_EQ(p::ByteLock::State::held, first.state());
        p::ByteLock same(path, high);
        EXPECT_EQ(p::ByteLock::State::busy, same.state()) << "a second holder in this process";
        EXPECT_EQ(0u, same.error());
        p::ByteLock other(path, high + 1);
        EXPECT_EQ(p::ByteLock::State::held, other.state()) << "another byte is free";
    }
    p::ByteLock again(path, high);
    EXPECT_EQ(p::ByteLock::State::held, again.state()) << "given back with its holder";
    p::ByteLock nowhere(join(join(tempDir(), "vorna-no-such-folder"), "x.lock"), 1);
    EXPECT_EQ(p::ByteLock::State::failed, nowhere.state());
    EXPECT_NE(0u, nowhere.error());
}

TEST(Text, Utf8FileNameIsTheNameSqliteOpens) {
    EXPECT_EQ("C:\\logs\\payments.sqlite", p::utf8FileName("C:\\logs\\payments.sqlite"));
}

TEST(Files, RemoveFileSpecDropsTheLastComponent) {
    std::string sep(1, p::pathSeparator());
    EXPECT_EQ(p::removeFileSpec("a" + sep + "b" + sep + "c.ini"), "a" + sep + "b");
}

TEST(Process, ModuleFileNameOfTheHostNamesThisProgram) {
    std::string self = p::moduleFileName(nullptr);
    EXPECT_NE(self.find("platform_test"), std::string::npos) << self;
    std::string dir = p::currentDirectory();
    EXPECT_FALSE(dir.empty());
}

TEST(Process, EnvironmentVariablesAreSetReadAndRemoved) {
    ASSERT_TRUE(p::setEnvironmentVariable("VORNA_PLATFORM_TEST", "value 1"));
    std::string v;
    ASSERT_TRUE(p::environmentVariable("VORNA_PLATFORM_TEST", v));
    EXPECT_EQ(v, "value 1");
    ASSERT_TRUE(p::setEnvironmentVariable("VORNA_PLATFORM_TEST", ""));
    EXPECT_FALSE(p::environmentVariable("VORNA_PLATFORM_TEST", v));
}

TEST(Process, SetCurrentDirectoryChangesWhereRelativeNamesResolve) {
    const std::string before = p::currentDirectory();
    const std::string dir = join(tempDir(), "vorna-platform-cwd");
    p::createDirectory(dir);
    ASSERT_TRUE(p::setCurrentDirectory(dir));
    std::ofstream("vorna-platform-cwd.txt") << "here";
    EXPECT_TRUE(std::ifstream(join(dir, "vorna-platform-cwd.txt")).good());
    std::remove("vorna-platform-cwd.txt");
    ASSERT_TRUE(p::setCurrentDirectory(before));
    EXPECT_EQ(p::currentDirectory(), before);
    EXPECT_FALSE(p::setCurrentDirectory(join(dir, "no-such-folder")));
    EXPECT_NE(p::lastError(), 0u);
}

TEST(Process, ResidentMemoryGrowsWithTouchedMemory) {
    const std::uint64_t before = p::residentMemoryBytes();
    EXPECT_GT(before, 0u);
    // 64 MiB written page by page must become resident.
    std::vector<char> block(64u << 20);
    for (std::size_t i = 0; i < block.size(); i += 4096) block[i] = static_cast<char>(i);
    EXPECT_GT(p::residentMemoryBytes(), before + (32u << 20));
    EXPECT_NE(block[4096], 1);
}

TEST(Process, LoadedModuleCountSeesALibraryComeAndGo) {
    const int before = p::loadedModuleCount();
    EXPECT_GT(before, 1);  // the program and at least its runtime
    // A library of the system that this program does not link (it may bring more with it).
    const std::string name = p::pathSeparator() == '\\' ? "winmm.dll" : "libz.so.1";
    p::LibraryHandle library = p::loadLibrary(name);
    if (!library) GTEST_SKIP() << name << ": " << p::loaderErrorText();
    EXPECT_GT(p::loadedModuleCount(), before);
    ASSERT_TRUE(p::freeLibrary(library));
    EXPECT_EQ(p::loadedModuleCount(), before);
}

TEST(Process, LoadingAMissingLibraryFailsWithAText) {
    EXPECT_EQ(p::loadLibrary("vorna-no-such-library-42.dll"), nullptr);
    EXPECT_FALSE(p::loaderErrorText().empty());
    EXPECT_FALSE(p::isLibraryLoaded("vorna-no-such-library-42.dll"));
}

TEST(Errors, ComputerNamePreservesTheLastError) {
    p::setLastError(5);
    std::string name = p::computerName();
    EXPECT_LE(name.size(), 15u);
    EXPECT_EQ(p::lastError(), 5u);
    EXPECT_FALSE(p::errorText(5).empty());
}

TEST(Time, ClocksGiveSaneValues) {
    p::DateTime local, utc;
    ASSERT_TRUE(p::localTime(local));
    ASSERT_TRUE(p::systemTime(utc));
    EXPECT_GE(local.year, 2020);
    EXPECT_GE(utc.millisecond, 0);
    EXPECT_LT(utc.millisecond, 1000);
    EXPECT_GT(p::unixTime(), 1600000000);
}

namespace {
int answered = 0;
std::string lastCaption;
int answerNo(const std::string&, const std::string& caption, p::Buttons, p::Icon) {
    ++answered;
    lastCaption = caption;
    return p::no;
}
bool fixedClock(p::DateTime& out) {
    out = p::DateTime();
    out.year = 2019;
    out.month = 3;
    out.day = 7;
    out.hour = 14;
    out.minute = 5;
    out.second = 31;
    out.millisecond = 7;
    return true;
}
bool fixedUser(std::string& out) {
    out = "operator";
    return true;
}
}  // namespace

TEST(SystemCalls, TestsReplaceBoxClockAndUser) {
    p::SystemCalls calls;
    calls.messageBox = answerNo;
    calls.localTime = fixedClock;
    calls.systemTime = fixedClock;
    calls.userName = fixedUser;
    p::setSystemCalls(calls);
    EXPECT_EQ(p::messageBox("text", "Ошибка", p::Buttons::yesNo, p::Icon::question), p::no);
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(lastCaption, "Ошибка");
    p::DateTime t;
    ASSERT_TRUE(p::localTime(t));
    EXPECT_EQ(t.year, 2019);
    EXPECT_EQ(t.millisecond, 7);
    std::string user;
    ASSERT_TRUE(p::userName(user));
    EXPECT_EQ(user, "operator");
    p::setSystemCalls(p::SystemCalls());
    ASSERT_TRUE(p::userName(user));
    EXPECT_FALSE(user.empty());
}

namespace {

// One thread's taking of a lock, each step signalled to the test, which waits
// for a bounded time only: a lock that blocks fails the test instead of hanging it.
struct LockTaking {
    p::Lock lock;
    std::promise<void> heldTwiceReleasedOnce;
    std::promise<void> releaseLast;
    std::promise<void> takenByOther;
};

bool within(std::future<void>& step, std::chrono::milliseconds time) {
    return step.wait_for(time) == std::future_status::ready;
}

// A thread that the test joins when it went well; after a failure it may wait
// on the lock for ever, so it is left behind instead.
class Taker {
public:
    template <typename Body>
    explicit Taker(Body body) : thread_(body) {}
    ~Taker() {
        if (thread_.joinable()) thread_.detach();
    }
    void join() { thread_.join(); }

private:
    std::thread thread_;
};

}  // namespace

TEST(Locks, LockIsRecursive) {
    // Destroyed only when both threads are done with it.
    LockTaking* taking = new LockTaking;
    std::future<void> held = taking->heldTwiceReleasedOnce.get_future();
    std::shared_future<void> release = taking->releaseLast.get_future().share();
    std::future<void> taken = taking->takenByOther.get_future();
    const auto patience = std::chrono::seconds(10);

    Taker holder([taking, release] {
        taking->lock.enter();
        taking->lock.enter();
        taking->lock.leave();
        taking->heldTwiceReleasedOnce.set_value();
        release.wait();
        taking->lock.leave();
    });
    ASSERT_TRUE(within(held, patience)) << "taking the lock again on the same thread blocked";

    Taker other([taking] {
        taking->lock.enter();
        taking->takenByOther.set_value();
        taking->lock.leave();
    });
    EXPECT_FALSE(within(taken, std::chrono::milliseconds(200)))
        << "taken twice and released once, the lock let another thread in";
    taking->releaseLast.set_value();
    ASSERT_TRUE(within(taken, patience))
        << "released twice, the lock still kept another thread out";
    holder.join();
    other.join();
    delete taking;
}

// ---- faults inside a guarded call ----------------------------------------

namespace {

void writeThroughNull(void*) {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void countCall(void* context) { ++*static_cast<int*>(context); }

// A guarded call inside a guarded call: the inner fault ends only the inner body.
void crashInsideInnerGuard(void* context) {
    unsigned long code = 0;
    const bool returned = p::guardedCall(&writeThroughNull, nullptr, code);
    *static_cast<int*>(context) = returned ? 1 : 2;
}

}  // namespace

TEST(GuardedCall, ABodyThatReturnsIsReportedAsReturned) {
    int calls = 0;
    unsigned long code = 12345;
    EXPECT_TRUE(p::guardedCall(&countCall, &calls, code));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(code, 12345u) << "the fault code is left alone when nothing faulted";
}

TEST(GuardedCall, AnAccessViolationEndsOnlyTheBody) {
    if (vorna::sanitizerBuild())
        GTEST_SKIP() << "the sanitizer owns the fault signals of this build";
    for (int round = 0; round < 3; ++round) {
        unsigned long code = 0;
        EXPECT_FALSE(p::guardedCall(&writeThroughNull, nullptr, code));
        const std::string text = p::faultText(code);
        EXPECT_TRUE(text == "0xC0000005 (access violation)" || text == "SIGSEGV") << text;
        // The thread goes on as before: the next guarded call runs normally.
        int calls = 0;
        EXPECT_TRUE(p::guardedCall(&countCall, &calls, code));
        EXPECT_EQ(calls, 1);
    }
}

TEST(GuardedCall, AnInnerGuardCatchesItsOwnFault) {
    if (vorna::sanitizerBuild())
        GTEST_SKIP() << "the sanitizer owns the fault signals of this build";
    int inner = 0;
    unsigned long code = 0;
    EXPECT_TRUE(p::guardedCall(&crashInsideInnerGuard, &inner, code));
    EXPECT_EQ(inner, 2);
}
