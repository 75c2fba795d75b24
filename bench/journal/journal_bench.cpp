// The payment journal's cost per payment: what sendCheque adds when
// PaymentJournal is set (the connection kept from the call before, key lock,
// look-up, the record committed before the driver, the starting document
// number, the outcome; all durable), and a look-up in a journal of 1,000 and
// of 100,000 records. Like sendCheque in a host process, every iteration makes
// its own PaymentJournal, which takes the connection the one before kept. The
// journal lives in a fresh folder of the system's temporary directory (TMPDIR,
// or TEMP on Windows).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "cash/sender/journal/payment_journal.h"

namespace {

namespace fs = std::filesystem;
using vorna::JournalKey;
using vorna::JournalRecord;
using vorna::JournalState;
using vorna::PaymentJournal;
using vorna::PaymentKeyLock;
using vorna::ReceiptDocument;

class JournalFolder {
public:
    JournalFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = fs::temp_directory_path() / ("vorna-journal-bench-" + std::to_string(stamp));
        fs::create_directories(folder_);
        path_ = (folder_ / "payments.sqlite").string();
    }
    ~JournalFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    fs::path folder_;
    std::string path_;
};

JournalRecord paymentOf(long long n) {
    JournalRecord r;
    r.key = JournalKey{"", std::to_string(n), "P"};
    r.summa = 12345;
    r.comis = 1500;
    r.ndsCode = "1105";
    return r;
}

// One payment's journal work as sendCheque does it.
void journalOnePayment(const std::string& path, long long n) {
    PaymentJournal journal(path);
    const JournalRecord r = paymentOf(n);
    PaymentKeyLock lock(path, r.key);
    JournalRecord found;
    benchmark::DoNotOptimize(journal.find(r.key, found));
    journal.begin(r);
    journal.recordDocumentBefore(r.key, n);
    journal.finish(r.key, JournalState::registered, 0,
                   ReceiptDocument{n + 1, "2026-12-08 12:00:00", "2654448106"});
}

void BM_JournalPerPayment(benchmark::State& state) {
    JournalFolder folder;
    long long n = 0;
    for (auto _ : state) journalOnePayment(folder.path(), ++n);
}
BENCHMARK(BM_JournalPerPayment)->Unit(benchmark::kMillisecond)->UseRealTime();

// Records added in one transaction (the journal's own schema), then copied
// into the database so that the log is empty as after a checkpoint.
void fill(const std::string& path, long long count) {
    { PaymentJournal create(path); }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO payments (code, unc, type_oper, summa, comis, nds_code, state, result,"
        " started_at, finished_at, document_before, receipt_number, receipt_time, fiscal_sign,"
        " attempts) VALUES ('', ?1, 'P', 12345, 1500, '1105', 'registered',"
        " 0, strftime('%s','now'), strftime('%s','now'), ?2, ?2 + 1,"
        " '2026-12-08 12:00:00', '2654448106', 1)",
        -1, &insert, nullptr);
    for (long long i = 1; i <= count; ++i) {
        sqlite3_bind_text(insert, 1, std::to_string(i).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, i);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Finding a registered payment (on the kept connection): a repeated send.
void BM_JournalLookup(benchmark::State& state) {
    JournalFolder folder;
    const long long records = state.range(0);
    fill(folder.path(), records);
    long long n = 0;
    for (auto _ : state) {
        PaymentJournal journal(folder.path());
        JournalRecord found;
        const bool known = journal.find(paymentOf(n % records + 1).key, found);
        if (!known) state.SkipWithError("a record is missing");
        ++n;
    }
}
BENCHMARK(BM_JournalLookup)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole payment's journal work with 100,000 records already there.
void BM_JournalPerPaymentIn100000(benchmark::State& state) {
    JournalFolder folder;
    fill(folder.path(), 100000);
    long long n = 100000;
    for (auto _ : state) journalOnePayment(folder.path(), ++n);
}
BENCHMARK(BM_JournalPerPaymentIn100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
