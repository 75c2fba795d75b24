// A long-running host: the sender loaded into this process as a banking host
// loads it, 10,000 checkInfoKKT calls each followed by releaseInfoKKT, and the
// resident memory before and after (VORNA_INFO_CALLS sets another number:
// under Wine, where every call loads the driver slowly, the test runs 1,000). The recording driver
// hands out a 4 KiB information text, so a text that stayed would show: the same calls without the
// release grow the memory by the size of their texts. The journal's kept
// connection leaves with the library and a library loaded again pays on;
// journaled payments one after another leave nothing open behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cash/shared/sender_api.h"
#include "common/platform/platform.h"
#include "tests/sender/sender_host.h"

namespace vorna {
namespace testing_support {
namespace {

constexpr std::size_t kTextSize = 4096;
constexpr int kDefaultCalls = 10000;
constexpr int kWarmUp = 200;
constexpr int kLeakCalls = 1000;
constexpr int kDefaultPayments = 1000;
constexpr std::uint64_t kMiB = 1024 * 1024;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in quarantine: resident memory grows
// with every allocation, released or not.
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

class LongRunningHost : public ::testing::Test {
protected:
    void SetUp() override {
        host.installDriver("recording_driver", "recording.dll");
        writeSettings("");
        host.writeFile("driver.script", "GetInfoKKT text " + std::string(kTextSize, 'I') + "\n");
        saved_ = platform::currentDirectory();
        // The recording driver reads its script and writes its calls here.
        ASSERT_TRUE(platform::setCurrentDirectory(host.work()));
        load();
    }
    void TearDown() override {
        if (library_) platform::freeLibrary(library_);
        platform::setCurrentDirectory(saved_);
    }

    void writeSettings(const std::string& more) const {
        // Logging off: a long-running host's log would grow by design.
        host.writeFile(
            "vorna.cash.sender.ini",
            "UseLog=N\nCashDriver=" + host.path(host.work(), "recording.dll") + "\n" + more);
    }
    // The sender as a host loads it (reading its settings).
    void load() {
        library_ = platform::loadLibrary(
            host.path(host.work(), std::string("vorna.cash.sender") + VORNA_LIBRARY_SUFFIX));
        ASSERT_NE(library_, nullptr) << platform::loaderErrorText();
        checkInfo_ =
            reinterpret_cast<CheckInfoKktFunction>(platform::findSymbol(library_, "checkInfoKKT"));
        release_ = reinterpret_cast<ReleaseInfoKktFunction>(
            platform::findSymbol(library_, "releaseInfoKKT"));
        sendCheque_ =
            reinterpret_cast<SendChequeFunction>(platform::findSymbol(library_, "sendCheque"));
        ASSERT_NE(checkInfo_, nullptr);
        ASSERT_NE(release_, nullptr);
        ASSERT_NE(sendCheque_, nullptr);
    }
    void reload() {
        ASSERT_TRUE(platform::freeLibrary(library_));
        library_ = nullptr;
        load();
    }
    int pay(const char* unc = "4711") const {
        static const cash::ParameterPair pairs[] = {
            {"TYPE_OPER", "P"}, {"SHORT", "x"}, {"NDS_CODE", "1105"}};
        return sendCheque_(unc, 12345, 1500, pairs, 3, nullptr, 1);
    }
    void useJournal() {
        writeSettings("PaymentJournal=" + host.path(host.work(), "payments.sqlite") + "\n");
        reload();
    }

    // One call; the text it handed out (checked to be the driver's).
    char* info() {
        const char* text = nullptr;
        char* info = nullptr;
        EXPECT_EQ(checkInfo_(&text, nullptr, 0, &info), 0);
        EXPECT_NE(info, nullptr);
        if (info) {
            EXPECT_EQ(std::string(info).size(), kTextSize);
        }
        return info;
    }
    void infoAndRelease(int calls) {
        for (int i = 0; i < calls && !::testing::Test::HasFailure(); ++i) release_(info());
    }

    static int callsToMake() {
        return fromEnvironment("VORNA_INFO_CALLS",
                               kMemoryIsMeasurable ? kDefaultCalls : kDefaultCalls / 10);
    }
    static int fromEnvironment(const char* name, int otherwise) {
        std::string text;
        if (!platform::environmentVariable(name, text) || text.empty()) return otherwise;
        return std::atoi(text.c_str());
    }

    SenderHost host;
    std::string saved_;
    platform::LibraryHandle library_ = nullptr;
    CheckInfoKktFunction checkInfo_ = nullptr;
    ReleaseInfoKktFunction release_ = nullptr;
    SendChequeFunction sendCheque_ = nullptr;
};

TEST_F(LongRunningHost, MemoryStaysFlatOverTenThousandInfoCallsWithRelease) {
    release_(nullptr);  // allowed, does nothing
    const int calls = callsToMake();
    infoAndRelease(kWarmUp);
    const std::uint64_t before = platform::residentMemoryBytes();
    infoAndRelease(calls);
    const std::uint64_t after = platform::residentMemoryBytes();
    std::printf("resident memory: %.2f MiB after %d calls, %.2f MiB after %d more\n",
                before / double(kMiB), kWarmUp, after / double(kMiB), calls);

    // The same calls keeping their texts: the measurement sees them.
    std::vector<char*> kept;
    for (int i = 0; i < kLeakCalls; ++i) kept.push_back(info());
    const std::uint64_t keeping = platform::residentMemoryBytes();
    std::printf("%.2f MiB after %d calls whose texts are kept\n", keeping / double(kMiB),
                kLeakCalls);
    for (char* text : kept) release_(text);

    if (!kMemoryIsMeasurable) GTEST_SKIP() << "resident memory is not comparable here";
    ASSERT_GT(before, 0u);
    EXPECT_LT(after, before + kMiB) << "released texts must not add up";
    EXPECT_GT(keeping, after + 2 * kMiB) << "kept texts should show";
}

// The journal keeps its connection for the process: unloading the sender
// closes it (no leak, no crash when the process ends), and a sender loaded
// again opens the journal anew and answers the repeat from it.
TEST_F(LongRunningHost, TheJournalsConnectionGoesWithTheUnloadedLibrary) {
    useJournal();
    ASSERT_EQ(pay(), 0);
    ASSERT_FALSE(host.takeCalls().empty()) << "the payment went to the driver";
    for (int round = 0; round < 3; ++round) {
        reload();
        EXPECT_EQ(pay(), 0);
        EXPECT_TRUE(host.takeCalls().empty()) << "the repeat is the journal's, round " << round;
    }
}

// Payment after payment on the kept connection, nothing may stay behind in
// the system. Under Wine the test's own Wine server gets few descriptors
// (tests/sender/CMakeLists.txt): a journal file opened and closed for every
// call, while the connection holds its lock, kept one there per payment until
// the server had none left.
TEST_F(LongRunningHost, JournaledPaymentsLeaveNothingOpenBehind) {
    useJournal();
    ASSERT_EQ(pay("0"), 0);
    const int handles = platform::openHandleCount();
    const int payments = fromEnvironment("VORNA_JOURNALED_PAYMENTS", kDefaultPayments);
    for (int i = 1; i <= payments; ++i) {
        ASSERT_EQ(pay(std::to_string(i).c_str()), 0) << "payment " << i << " of " << payments;
        host.takeCalls();
    }
    EXPECT_EQ(platform::openHandleCount(), handles);
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
