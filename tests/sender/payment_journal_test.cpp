// The payment journal on real files: records kept across reopening, attempts,
// claims, listing, pruning, a damaged file moved aside, an unusable path, the
// connection kept from call to call (and dropped when its file is moved,
// deleted or changes layout), two threads on one journal, and the key lock
// that keeps two holders of one payment apart.
#include "cash/sender/journal/payment_journal.h"
#include "cash/sender/journal/kept_journal_connections.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "common/platform/platform.h"

namespace vorna {
namespace {

namespace fs = std::filesystem;

class PaymentJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = fs::temp_directory_path() / ("vorna-journal-" + std::to_string(stamp));
        fs::create_directories(folder_);
        path_ = (folder_ / "payments.sqlite").string();
    }
    void TearDown() override {
        // The connection this process keeps holds the file open (on Windows
        // it could not be deleted).
        takeJournalConnection(path_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static JournalRecord payment(const std::string& unc, unsigned summa) {
        JournalRecord r;
        r.key = JournalKey{"", unc, "P"};
        r.summa = summa;
        r.comis = 1500;
        r.ndsCode = "1105";
        return r;
    }

    // Moves every record's start back by this many days (as time passing would).
    void age(int days) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
        const std::string sql = "UPDATE payments SET started_at = started_at - " +
                                std::to_string(days) + " * 86400; DELETE FROM journal_meta";
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
        sqlite3_close(db);
    }

    // A statement on the file through a connection of its own; the first value.
    long long scalar(const std::string& file, const std::string& sql) const {
        sqlite3* db = nullptr;
        long long value = -1;
        EXPECT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &db));
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return value;
    }

    // One payment's journal work, as sendCheque does it.
    void pay(const JournalRecord& r) const {
        PaymentJournal journal(path_);
        JournalRecord found;
        ASSERT_FALSE(journal.find(r.key, found));
        journal.begin(r);
        journal.recordDocumentBefore(r.key, 7);
        journal.finish(r.key, JournalState::registered, 0, ReceiptDocument{8, "", ""});
    }

    // Moves (to: a new name) or deletes the journal and its companions; false
    // when the system refuses while a connection holds them (Windows).
    bool moveJournal(const std::string& to) const {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::error_code failed;
            if (to.empty())
                fs::remove(path_ + suffix, failed);
            else
                fs::rename(path_ + suffix, to + suffix, failed);
            if (failed) return false;
        }
        return true;
    }

    fs::path folder_;
    std::string path_;
};

TEST_F(PaymentJournalTest, AnAttemptAndItsOutcomeSurviveReopening) {
    const JournalRecord r = payment("4711", 12345);
    {
        PaymentJournal journal(path_);
        JournalRecord found;
        EXPECT_FALSE(journal.find(r.key, found));
        journal.begin(r);
        ASSERT_TRUE(journal.find(r.key, found));
        EXPECT_EQ(JournalState::started, found.state);
        EXPECT_EQ(-1, found.documentBefore);
        EXPECT_EQ(-1, found.result);
        journal.recordDocumentBefore(r.key, 41);
    }
    {
        PaymentJournal journal(path_);
        JournalRecord found;
        ASSERT_TRUE(journal.find(r.key, found));
        EXPECT_EQ(JournalState::started, found.state) << "a process that died leaves 'started'";
        EXPECT_EQ(41, found.documentBefore);
        journal.finish(r.key, JournalState::registered, 0,
                       ReceiptDocument{42, "2026-12-08 10:00:00", "2654448106"});
    }
    PaymentJournal journal(path_);
    JournalRecord found;
    ASSERT_TRUE(journal.find(r.key, found));
    EXPECT_EQ(JournalState::registered, found.state);
    EXPECT_EQ(0, found.result);
    EXPECT_EQ(12345u, found.summa);
    EXPECT_EQ(1500u, found.comis);
    EXPECT_EQ("1105", found.ndsCode);
    EXPECT_EQ(42, found.receipt.number);
    EXPECT_EQ("2654448106", found.receipt.fiscalSign);
    EXPECT_EQ("2026-12-08 10:00:00", found.receipt.dateTime);
    EXPECT_GT(found.finishedAt, 0);
    EXPECT_TRUE(journal.notes().empty());
}

TEST_F(PaymentJournalTest, KeysDifferInCodeUncAndOperationType) {
    PaymentJournal journal(path_);
    JournalRecord sale = payment("4711", 100);
    JournalRecord refund = sale;
    refund.key.typeOper = "V";
    JournalRecord coded = sale;
    coded.key.code = "77";
    journal.begin(sale);
    journal.finish(sale.key, JournalState::refused, 5, ReceiptDocument());
    journal.begin(sale);  // a new attempt of a refused payment
    journal.begin(refund);
    journal.begin(coded);
    JournalRecord found;
    ASSERT_TRUE(journal.find(sale.key, found));
    EXPECT_EQ(2, found.attempts);
    EXPECT_EQ(JournalState::started, found.state);
    EXPECT_EQ(-1, found.result) << "the new attempt forgets the old outcome";
    ASSERT_TRUE(journal.find(refund.key, found));
    EXPECT_EQ(1, found.attempts);
    EXPECT_EQ(3u, journal.list(JournalFilter()).size());
}

TEST_F(PaymentJournalTest, AReceiptClaimedByOneRecordIsNotAnothers) {
    PaymentJournal journal(path_);
    const JournalRecord a = payment("1", 100), b = payment("2", 100);
    journal.begin(a);
    journal.begin(b);
    journal.finish(a.key, JournalState::registered, 0, ReceiptDocument{7, "", ""});
    EXPECT_TRUE(journal.claimedByOther(b.key, 7));
    EXPECT_FALSE(journal.claimedByOther(a.key, 7));
    EXPECT_FALSE(journal.claimedByOther(b.key, 8));
}

TEST_F(PaymentJournalTest, ListingFiltersByTransferStateAndDate) {
    PaymentJournal journal(path_);
    for (const char* unc : {"1", "2", "3"}) journal.begin(payment(unc, 100));
    journal.finish(payment("2", 100).key, JournalState::inDoubt, 99, ReceiptDocument());
    JournalFilter filter;
    filter.unc = "2";
    ASSERT_EQ(1u, journal.list(filter).size());
    EXPECT_EQ("2", journal.list(filter)[0].key.unc);
    EXPECT_EQ(19u, journal.list(filter)[0].startedLocal.size());
    filter = JournalFilter();
    filter.state = "in doubt";
    EXPECT_EQ(1u, journal.list(filter).size());
    filter.state = "started";
    EXPECT_EQ(2u, journal.list(filter).size());
    filter = JournalFilter();
    filter.since = "2000-01-01";
    EXPECT_EQ(3u, journal.list(filter).size());
    filter.since = "2999-01-01";
    EXPECT_EQ(0u, journal.list(filter).size());
}

TEST_F(PaymentJournalTest, SettledRecordsPastTheRetentionArePrunedOnceADay) {
    {
        PaymentJournal journal(path_);
        for (const char* unc : {"old-registered", "old-doubt", "new"})
            journal.begin(payment(unc, 1));
        journal.finish(payment("old-registered", 1).key, JournalState::registered, 0,
                       ReceiptDocument());
        journal.finish(payment("old-doubt", 1).key, JournalState::inDoubt, 99, ReceiptDocument());
    }
    age(10);
    PaymentJournal journal(path_);
    journal.begin(payment("new", 1));
    EXPECT_EQ(1, journal.pruneOnceADay(5)) << "the settled old record only";
    JournalRecord found;
    EXPECT_FALSE(journal.find(payment("old-registered", 1).key, found));
    EXPECT_TRUE(journal.find(payment("old-doubt", 1).key, found)) << "a doubt is never pruned";
    EXPECT_TRUE(journal.find(payment("new", 1).key, found));
    journal.finish(payment("new", 1).key, JournalState::refused, 1, ReceiptDocument());
    EXPECT_EQ(0, journal.pruneOnceADay(0)) << "not twice a day";
}

// No commit checkpoints: the write-ahead log grows with the payments until
// the upkeep after one finds it past kCheckpointLogBytes, copies every
// record into the database file and empties the log; until then the day's
// upkeep (done once) leaves it alone.
TEST_F(PaymentJournalTest, TheUpkeepCheckpointsOnceTheLogPassesItsSize) {
    {
        PaymentJournal journal(path_);
        EXPECT_TRUE(journal.upkeep(400).dayStarted);
    }
    int payments = 0;
    JournalUpkeep upkeep;
    std::uint64_t largest = 0;
    while (!upkeep.checkpointed && payments < 5000) {
        pay(payment("p" + std::to_string(++payments), 100));
        std::uint64_t log = 0;
        ASSERT_TRUE(platform::fileSize(path_ + "-wal", log));
        largest = std::max(largest, log);
        PaymentJournal journal(path_);
        upkeep = journal.upkeep(400);
        EXPECT_FALSE(upkeep.dayStarted);
        EXPECT_FALSE(upkeep.busy);
    }
    ASSERT_TRUE(upkeep.checkpointed) << payments << " payments, log " << largest;
    EXPECT_GE(upkeep.logBytes, kCheckpointLogBytes);
    EXPECT_LT(largest, static_cast<std::uint64_t>(kCheckpointLogBytes) + 64 * 1024)
        << "no commit checkpointed or grew the log far past its size";
    std::uint64_t log = 0;
    ASSERT_TRUE(platform::fileSize(path_ + "-wal", log));
    EXPECT_LT(log, 64u * 1024) << "the log starts anew";
    // The database file alone holds every record.
    takeJournalConnection(path_);
    const std::string alone = (folder_ / "alone.sqlite").string();
    fs::copy_file(path_, alone);
    EXPECT_EQ(payments, scalar(alone, "SELECT count(*) FROM payments"));
}

TEST_F(PaymentJournalTest, ADamagedFileIsMovedAsideAndANewJournalStarted) {
    const std::string garbage(4096, 'x');
    std::ofstream(path_, std::ios::binary) << garbage;
    PaymentJournal journal(path_);
    ASSERT_EQ(1u, journal.notes().size());
    EXPECT_NE(std::string::npos, journal.notes()[0].find(path_));
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("payments.sqlite.damaged-", 0) != 0) continue;
        ++aside;
        std::ifstream kept(entry.path(), std::ios::binary);
        EXPECT_EQ(garbage, std::string(std::istreambuf_iterator<char>(kept), {}));
    }
    EXPECT_EQ(1, aside) << "the damaged file is kept beside the new one";
    journal.begin(payment("4711", 1));
    JournalRecord found;
    EXPECT_TRUE(journal.find(payment("4711", 1).key, found));
}

TEST_F(PaymentJournalTest, ALaterCallUsesTheConnectionAnEarlierOneKept) {
    pay(payment("1", 100));
    const int kept = platform::openHandleCount();
    if (kept < 0) GTEST_SKIP() << "open handles cannot be counted here";
    {
        PaymentJournal journal(path_);
        EXPECT_EQ(platform::openHandleCount(), kept) << "the second call opened the files again";
        EXPECT_TRUE(journal.notes().empty());
        journal.begin(payment("2", 100));
        journal.recordDocumentBefore(payment("2", 100).key, 9);
    }
    EXPECT_EQ(platform::openHandleCount(), kept);
    // What another connection wrote meanwhile is read, not an earlier call's view.
    EXPECT_EQ(1, scalar(path_, "SELECT count(*) FROM payments WHERE unc='2'"));
    scalar(path_, "UPDATE payments SET state='refused' WHERE unc='2'");
    PaymentJournal journal(path_);
    JournalRecord found;
    ASSERT_TRUE(journal.find(payment("2", 100).key, found));
    EXPECT_EQ(JournalState::refused, found.state);
}

TEST_F(PaymentJournalTest, AFileMovedAsideBetweenCallsGetsNothingMoreAPaymentGoesToANewOne) {
    pay(payment("1", 100));
    const std::string aside = path_ + ".moved";
    if (!moveJournal(aside)) GTEST_SKIP() << "the kept connection holds the file here";
    pay(payment("2", 200));
    EXPECT_EQ(1, scalar(path_, "SELECT count(*) FROM payments WHERE unc='2'"));
    EXPECT_EQ(0, scalar(path_, "SELECT count(*) FROM payments WHERE unc='1'")) << "a new file";
    EXPECT_EQ(1, scalar(aside, "SELECT count(*) FROM payments WHERE unc='1'"));
    EXPECT_EQ(0, scalar(aside, "SELECT count(*) FROM payments WHERE unc='2'"))
        << "written into the file moved aside";
}

TEST_F(PaymentJournalTest, AFileDeletedBetweenCallsIsMadeAgainWithThePayment) {
    pay(payment("1", 100));
    if (!moveJournal("")) GTEST_SKIP() << "the kept connection holds the file here";
    pay(payment("2", 200));
    ASSERT_TRUE(fs::exists(path_));
    EXPECT_EQ(1, scalar(path_, "SELECT count(*) FROM payments WHERE unc='2'"));
    EXPECT_EQ(1, scalar(path_, "SELECT count(*) FROM payments"));
}

TEST_F(PaymentJournalTest, ALayoutChangedByANewerSenderBetweenCallsIsRefused) {
    pay(payment("1", 100));
    const long long current = scalar(path_, "PRAGMA user_version");
    scalar(path_, "PRAGMA user_version=99");
    EXPECT_THROW(PaymentJournal journal(path_), JournalError);
    scalar(path_, "PRAGMA user_version=" + std::to_string(current));
    PaymentJournal journal(path_);
    JournalRecord found;
    EXPECT_TRUE(journal.find(payment("1", 100).key, found));
}

TEST_F(PaymentJournalTest, ARetryKeepsTheFirstAttemptsStart) {
    const JournalRecord r = payment("4711", 12345);
    {
        PaymentJournal journal(path_);
        journal.begin(r);
        journal.finish(r.key, JournalState::refused, 1, ReceiptDocument());
    }
    age(2);
    scalar(path_, "UPDATE payments SET first_started_at=started_at");
    const long long first = scalar(path_, "SELECT started_at FROM payments");
    PaymentJournal journal(path_);
    journal.begin(r);
    JournalRecord found;
    ASSERT_TRUE(journal.find(r.key, found));
    EXPECT_EQ(2, found.attempts);
    EXPECT_EQ(first, found.firstStartedAt);
    EXPECT_GE(found.startedAt, first + 2 * 86400);
    EXPECT_EQ(19u, found.firstStartedLocal.size()) << found.firstStartedLocal;
}

TEST_F(PaymentJournalTest, AJournalOfTheEarlierLayoutKeepsItsRecordsWithTheirStart) {
    pay(payment("1", 100));
    pay(payment("2", 200));
    {
        // What the earlier version wrote: no first attempt's start.
        takeJournalConnection(path_);
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db,
                                          "ALTER TABLE payments DROP COLUMN first_started_at;"
                                          "UPDATE payments SET started_at=started_at-86400;"
                                          "PRAGMA user_version=2",
                                          nullptr, nullptr, nullptr));
        sqlite3_close(db);
    }
    PaymentJournal journal(path_);
    ASSERT_EQ(1u, journal.notes().size());
    EXPECT_NE(std::string::npos, journal.notes()[0].find("(записи прежней версии сохранены)"));
    const std::vector<JournalRecord> records = journal.list(JournalFilter());
    ASSERT_EQ(2u, records.size());
    for (const JournalRecord& r : records) {
        EXPECT_EQ(JournalState::registered, r.state);
        EXPECT_EQ(8, r.receipt.number);
        EXPECT_EQ(r.startedAt, r.firstStartedAt);
        EXPECT_EQ(r.startedLocal, r.firstStartedLocal);
    }
}

TEST_F(PaymentJournalTest, TwoThreadsOnOneJournalRecordEveryPaymentOnce) {
    constexpr int kEach = 40;
    { PaymentJournal made(path_); }  // the journal exists, as after the first payment
    std::string failures[2];
    auto payAll = [&](int thread) {
        try {
            for (int i = 0; i < kEach; ++i)
                pay(payment(std::to_string(thread) + "-" + std::to_string(i), 100));
        } catch (const std::exception& e) {
            failures[thread] = e.what();
        }
    };
    std::thread first(payAll, 0), second(payAll, 1);
    first.join();
    second.join();
    EXPECT_EQ("", failures[0]);
    EXPECT_EQ("", failures[1]);
    PaymentJournal journal(path_);
    const std::vector<JournalRecord> records = journal.list(JournalFilter());
    EXPECT_EQ(2u * kEach, records.size());
    for (const JournalRecord& r : records) {
        EXPECT_EQ(1, r.attempts) << r.key.unc;
        EXPECT_EQ(JournalState::registered, r.state) << r.key.unc;
    }
}

TEST_F(PaymentJournalTest, AnUnusablePathNamesTheFileAndTheSystemError) {
    const std::string path = (folder_ / "no" / "such" / "payments.sqlite").string();
    try {
        PaymentJournal journal(path);
        FAIL() << "opened " << path;
    } catch (const JournalError& e) {
        const std::string text = e.what();
        EXPECT_NE(std::string::npos, text.find(path)) << text;
        EXPECT_NE(std::string::npos, text.find("ошибка системы")) << text;
    }
}

TEST_F(PaymentJournalTest, AKeyIsHeldByOneHolderAtATime) {
    const JournalKey key{"", "4711", "P"};
    {
        PaymentKeyLock first(path_, key);
        ASSERT_TRUE(first.held());
        PaymentKeyLock second(path_, key);
        EXPECT_FALSE(second.held());
        PaymentKeyLock other(path_, JournalKey{"", "4712", "P"});
        EXPECT_TRUE(other.held()) << "another payment is not held up";
    }
    PaymentKeyLock again(path_, key);
    EXPECT_TRUE(again.held()) << "released with its holder";
}

TEST(JournalStateNames, RoundTrip) {
    for (JournalState s : {JournalState::started, JournalState::registered, JournalState::refused,
                           JournalState::inDoubt}) {
        JournalState back = JournalState::started;
        ASSERT_TRUE(journalStateFromName(journalStateName(s), back));
        EXPECT_EQ(s, back);
    }
    JournalState unknown = JournalState::refused;
    EXPECT_FALSE(journalStateFromName("done", unknown));
}

}  // namespace
}  // namespace vorna
