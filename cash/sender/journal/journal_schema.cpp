// Opening the journal: the connection's settings, the layout made or
// migrated, and a damaged file moved aside for a new one.
#include <sqlite3.h>

#include "cash/sender/journal/journal_statement.h"
#include "cash/sender/journal/journal_vfs.h"
#include "cash/sender/journal/payment_journal.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

constexpr int kBusyMilliseconds = 10000;
constexpr int kSchemaVersion = 3;

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS payments ("
    " code TEXT NOT NULL, unc TEXT NOT NULL, type_oper TEXT NOT NULL,"
    " summa INTEGER NOT NULL, comis INTEGER NOT NULL, nds_code TEXT NOT NULL,"
    " state TEXT NOT NULL, result INTEGER NOT NULL,"
    " started_at INTEGER NOT NULL, finished_at INTEGER NOT NULL,"
    " document_before INTEGER NOT NULL, receipt_number INTEGER NOT NULL,"
    " receipt_time TEXT NOT NULL, fiscal_sign TEXT NOT NULL, attempts INTEGER NOT NULL,"
    " PRIMARY KEY (code, unc, type_oper));"
    "CREATE INDEX IF NOT EXISTS payments_started ON payments (started_at);"
    "CREATE INDEX IF NOT EXISTS payments_receipt ON payments (receipt_number);"
    "CREATE TABLE IF NOT EXISTS journal_meta (key TEXT PRIMARY KEY, value INTEGER NOT NULL);";

// Layout 2: what a receipt is made of (the host's pairs, the print flag;
// NULL in the records of layout 1) and the correction receipt.
const char kMigrationTo2[] =
    "ALTER TABLE payments ADD COLUMN pairs BLOB;"
    "ALTER TABLE payments ADD COLUMN print INTEGER;"
    "ALTER TABLE payments ADD COLUMN correction_date TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE payments ADD COLUMN correction_started_at INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE payments ADD COLUMN correction_before INTEGER NOT NULL DEFAULT -1;"
    "ALTER TABLE payments ADD COLUMN correction_result INTEGER NOT NULL DEFAULT -1;"
    "ALTER TABLE payments ADD COLUMN correction_number INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE payments ADD COLUMN correction_time TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE payments ADD COLUMN correction_sign TEXT NOT NULL DEFAULT '';"
    "CREATE INDEX IF NOT EXISTS payments_correction ON payments (correction_number);";

// Layout 3: the start of the first attempt, which a retry keeps (a
// correction is dated with the payment's own day); the records of layout 2
// take their last attempt's start, the earliest they know.
const char kMigrationTo3[] =
    "ALTER TABLE payments ADD COLUMN first_started_at INTEGER NOT NULL DEFAULT 0;"
    "UPDATE payments SET first_started_at=started_at;";

bool damaged(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

}  // namespace

void PaymentJournal::openOrStartAfresh() {
    const std::string& path = path_;
    try {
        open();
    } catch (const JournalError&) {
        const int code = db() ? sqlite3_extended_errcode(db()) : SQLITE_ERROR;
        if (!damaged(code)) throw;
        connection_.reset();
        // Kept for whoever investigates, never deleted: the file and its companions.
        const std::string aside = path + ".damaged-" + std::to_string(platform::unixTime());
        if (!platform::replaceFile(path, aside)) {
            const unsigned long error = platform::lastError();
            throw JournalError("Журнал платежей " + path + " повреждён и не может быть отложен в " +
                               aside + ": ошибка системы " + std::to_string(error) + " (" +
                               journalSystemErrorText(error) + ")");
        }
        for (const char* companion : {"-wal", "-shm", "-journal"})
            platform::replaceFile(path + companion, aside + companion);
        notes_.push_back("Журнал платежей " + path + " повреждён (" + sqlite3_errstr(code) +
                         "): файл отложен как " + aside + ", начат новый журнал");
        failed_ = false;  // the failure was the old file's
        open();
    }
}

bool PaymentJournal::keptLayoutFits() {
    // Another process may have changed the layout since the last call (a
    // newer sender): opening anew migrates or refuses as for a new connection.
    JournalStatement version(*connection_, "PRAGMA user_version");
    return version.prepared() == SQLITE_OK && version.step() == SQLITE_ROW &&
           version.integer(0) == kSchemaVersion;
}

void PaymentJournal::open() {
    connection_ = std::make_unique<JournalConnection>();
    const int opened = connection_->open(
        platform::utf8FileName(path_),
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, journalVfsName());
    if (opened != SQLITE_OK) fail("открытие", opened);
    sqlite3_extended_result_codes(db(), 1);
    // A connection is closed whenever its file was replaced, a call on it
    // failed, two calls ran at once, the library is unloaded or a vorna-cash
    // command ends: closing must not checkpoint the log into the database
    // then (two more syncs, in a payment's time); the upkeep after a payment
    // keeps the log short.
    sqlite3_db_config(db(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_busy_timeout(db(), kBusyMilliseconds);
    exec("PRAGMA journal_mode=WAL");
    // One flush a payment: recordDocumentBefore syncs the write-ahead log
    // after its commit, and that sync carries every commit before it. Every
    // commit is made at NORMAL: in write-ahead mode
    // a power cut may lose them but never damages the database (a checkpoint
    // still syncs the log before copying it and the database after), unlike
    // OFF. What a lost commit leaves is safe: without the starting number the
    // receipt was never opened; without the outcome the record stays "started"
    // and the next attempt settles it against the fiscal storage.
    exec("PRAGMA synchronous=NORMAL");
    int found = 0;
    {
        // Ended before migrating: a connection still reading gets no wait
        // from SQLite when it asks to write, and would fail beside another
        // one making the same new journal.
        JournalStatement version(*connection_, "PRAGMA user_version");
        if (version.prepared() != SQLITE_OK || version.step() != SQLITE_ROW)
            fail("чтение версии", sqlite3_errcode(db()));
        found = static_cast<int>(version.integer(0));
    }
    if (found == kSchemaVersion) return;
    if (found > kSchemaVersion)
        throw JournalError("Журнал платежей " + path_ + " более новой версии (" +
                           std::to_string(found) + "): обновите vorna.cash.sender");
    migrate(found);
}

void PaymentJournal::migrate(int fromVersion) {
    exec("BEGIN IMMEDIATE");
    try {
        // Another process may have migrated it meanwhile.
        JournalStatement again(*connection_, "PRAGMA user_version");
        if (again.prepared() != SQLITE_OK || again.step() != SQLITE_ROW)
            fail("чтение версии", sqlite3_errcode(db()));
        const int version = static_cast<int>(again.integer(0));
        if (version == 0) exec(kSchema);
        if (version < 2) exec(kMigrationTo2);
        if (version < 3) exec(kMigrationTo3);
        exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (fromVersion > 0)
        notes_.push_back("Журнал платежей " + path_ + " переведён на версию " +
                         std::to_string(kSchemaVersion) + " (записи прежней версии сохранены)");
}

}  // namespace vorna
