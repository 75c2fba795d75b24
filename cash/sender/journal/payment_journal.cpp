#include "cash/sender/journal/payment_journal.h"

#include <sqlite3.h>

#include "cash/sender/journal/journal_vfs.h"
#include "cash/sender/journal/kept_journal_connections.h"
#include "common/platform/platform.h"

// The build pins SQLite: the Windows amalgamation and the system library are
// the same version.
static_assert(SQLITE_VERSION_NUMBER == 3040001, "SQLite 3.40.1 expected");

namespace vorna {

namespace {

constexpr int kBusyMilliseconds = 10000;
constexpr int kSchemaVersion = 3;
constexpr std::int64_t kSecondsPerDay = 24 * 3600;

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

const char kColumns[] =
    "code, unc, type_oper, summa, comis, nds_code, state, result, started_at, finished_at,"
    " document_before, receipt_number, receipt_time, fiscal_sign, attempts, pairs, print,"
    " correction_date, correction_started_at, correction_before, correction_result,"
    " correction_number, correction_time, correction_sign,"
    " datetime(started_at, 'unixepoch', 'localtime'), first_started_at,"
    " datetime(first_started_at, 'unixepoch', 'localtime')";

// The pairs as one value: for each key and value its length, ":" and its bytes.
std::string encodePairs(const HostPairList& pairs) {
    std::string out;
    for (const auto& [key, value] : pairs)
        out += std::to_string(key.size()) + ':' + key + std::to_string(value.size()) + ':' + value;
    return out;
}

bool decodeText(const std::string& in, std::size_t& at, std::string& text) {
    const std::size_t colon = in.find(':', at);
    if (colon == std::string::npos || colon == at || colon - at > 9) return false;
    std::size_t size = 0;
    for (std::size_t i = at; i < colon; ++i) {
        if (in[i] < '0' || in[i] > '9') return false;
        size = size * 10 + static_cast<std::size_t>(in[i] - '0');
    }
    if (in.size() - colon - 1 < size) return false;
    text = in.substr(colon + 1, size);
    at = colon + 1 + size;
    return true;
}

// False for a value that is not such a list (then no pair is taken).
bool decodePairs(const std::string& in, HostPairList& pairs) {
    pairs.clear();
    std::size_t at = 0;
    while (at < in.size()) {
        std::string key, value;
        if (!decodeText(in, at, key) || !decodeText(in, at, value)) {
            pairs.clear();
            return false;
        }
        pairs.emplace_back(key, value);
    }
    return true;
}

// One use of a prepared statement of the connection, given back on every path.
class Statement {
public:
    Statement(JournalConnection& connection, const std::string& sql) : connection_(connection) {
        stmt_ = connection.statement(sql, code_);
    }
    ~Statement() { connection_.giveBack(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int prepared() const { return code_; }
    Statement& bind(int i, const std::string& text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, std::int64_t value) {
        sqlite3_bind_int64(stmt_, i, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(stmt_); }
    bool isNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
    std::string blob(int i) const {
        const void* b = sqlite3_column_blob(stmt_, i);
        return b ? std::string(static_cast<const char*>(b),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)))
                 : std::string();
    }
    Statement& bindBlob(int i, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    std::int64_t integer(int i) const { return sqlite3_column_int64(stmt_, i); }
    std::string text(int i) const {
        const unsigned char* t = sqlite3_column_text(stmt_, i);
        return t ? std::string(reinterpret_cast<const char*>(t),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)))
                 : std::string();
    }

private:
    JournalConnection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    int code_ = SQLITE_OK;
};

JournalRecord readRecord(const Statement& s) {
    JournalRecord r;
    r.key.code = s.text(0);
    r.key.unc = s.text(1);
    r.key.typeOper = s.text(2);
    r.summa = static_cast<unsigned>(s.integer(3));
    r.comis = static_cast<unsigned>(s.integer(4));
    r.ndsCode = s.text(5);
    journalStateFromName(s.text(6), r.state);
    r.result = static_cast<int>(s.integer(7));
    r.startedAt = s.integer(8);
    r.finishedAt = s.integer(9);
    r.documentBefore = s.integer(10);
    r.receipt.number = s.integer(11);
    r.receipt.dateTime = s.text(12);
    r.receipt.fiscalSign = s.text(13);
    r.attempts = static_cast<int>(s.integer(14));
    r.pairsKnown = !s.isNull(15) && decodePairs(s.blob(15), r.pairs);
    r.print = s.isNull(16) || s.integer(16) != 0;
    r.correction.date = s.text(17);
    r.correction.startedAt = s.integer(18);
    r.correction.documentBefore = s.integer(19);
    r.correction.result = static_cast<int>(s.integer(20));
    r.correction.receipt.number = s.integer(21);
    r.correction.receipt.dateTime = s.text(22);
    r.correction.receipt.fiscalSign = s.text(23);
    r.startedLocal = s.text(24);
    r.firstStartedAt = s.integer(25);
    r.firstStartedLocal = s.text(26);
    return r;
}

bool damaged(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

std::string systemErrorText(unsigned long code) {
    std::string text = platform::errorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// 64-bit FNV-1a of the key, within the offsets a byte lock takes.
std::uint64_t keyOffset(const JournalKey& key) {
    std::uint64_t hash = 1469598103934665603ULL;
    const std::string text = key.code + '\x1f' + key.unc + '\x1f' + key.typeOper;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash & ((1ULL << 62) - 1);
}

}  // namespace

const char* journalStateName(JournalState state) {
    switch (state) {
        case JournalState::started:
            return "started";
        case JournalState::registered:
            return "registered";
        case JournalState::refused:
            return "refused";
        case JournalState::inDoubt:
            return "in doubt";
        case JournalState::correcting:
            return "correcting";
        case JournalState::corrected:
            return "corrected";
    }
    return "started";
}

bool journalStateFromName(const std::string& name, JournalState& state) {
    for (JournalState s :
         {JournalState::started, JournalState::registered, JournalState::refused,
          JournalState::inDoubt, JournalState::correcting, JournalState::corrected})
        if (name == journalStateName(s)) {
            state = s;
            return true;
        }
    return false;
}

PaymentJournal::PaymentJournal(const std::string& path)
    : path_(path), connection_(takeJournalConnection(path)) {
    if (connection_ && keptLayoutFits()) return;
    connection_.reset();
    const std::string folder = platform::removeFileSpec(path);
    if (!folder.empty() && folder != path) platform::createDirectory(folder);
    openOrStartAfresh();
}

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
                               systemErrorText(error) + ")");
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
    Statement version(*connection_, "PRAGMA user_version");
    return version.prepared() == SQLITE_OK && version.step() == SQLITE_ROW &&
           version.integer(0) == kSchemaVersion;
}

PaymentJournal::~PaymentJournal() {
    // A connection on which anything failed is not trusted with another call.
    if (!failed_) keepJournalConnection(path_, std::move(connection_));
}

sqlite3* PaymentJournal::db() const { return connection_ ? connection_->db() : nullptr; }

void PaymentJournal::fail(const std::string& what, int code) {
    failed_ = true;
    std::string message = "Журнал платежей " + path_ + ": " + what + ": " +
                          (db() ? sqlite3_errmsg(db()) : sqlite3_errstr(code));
    const int systemError = db() ? sqlite3_system_errno(db()) : 0;
    if (systemError != 0)
        message += " (ошибка системы " + std::to_string(systemError) + ": " +
                   systemErrorText(static_cast<unsigned long>(systemError)) + ")";
    throw JournalError(message);
}

void PaymentJournal::exec(const char* sql) {
    const int code = sqlite3_exec(db(), sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) fail(sql, code);
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
        Statement version(*connection_, "PRAGMA user_version");
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
        Statement again(*connection_, "PRAGMA user_version");
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

void PaymentJournal::syncLog(const char* what) {
    // The log holds the last commit and every one before it: what a commit at
    // FULL would do, without switching the level twice a payment.
    sqlite3_file* log = nullptr;
    const int found = sqlite3_file_control(db(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &log);
    if (found != SQLITE_OK || !log || !log->pMethods) fail(what, found);
    const int synced = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
    if (synced != SQLITE_OK) fail(std::string(what) + " на диск", synced);
}

bool PaymentJournal::find(const JournalKey& key, JournalRecord& record) {
    Statement s(*connection_, (std::string("SELECT ") + kColumns +
                               " FROM payments WHERE code=?1 AND unc=?2 AND type_oper=?3")
                                  .c_str());
    if (s.prepared() != SQLITE_OK) fail("поиск", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper);
    const int step = s.step();
    if (step == SQLITE_ROW) {
        record = readRecord(s);
        return true;
    }
    if (step != SQLITE_DONE) fail("поиск", step);
    return false;
}

void PaymentJournal::begin(const JournalRecord& r) {
    Statement s(*connection_,
                "INSERT INTO payments (code, unc, type_oper, summa, comis, nds_code, state, result,"
                " started_at, finished_at, document_before, receipt_number, receipt_time,"
                " fiscal_sign, attempts, pairs, print, first_started_at)"
                " VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'started', -1, ?7, 0, -1, 0, '', '', 1, ?8, ?9,"
                " ?7)"
                " ON CONFLICT (code, unc, type_oper) DO UPDATE SET summa=?4, comis=?5,"
                " nds_code=?6, state='started', result=-1, started_at=?7, finished_at=0,"
                " document_before=-1, receipt_number=0, receipt_time='', fiscal_sign='',"
                " attempts=attempts+1, pairs=?8, print=?9, correction_date='',"
                " correction_started_at=0, correction_before=-1, correction_result=-1,"
                " correction_number=0, correction_time='', correction_sign=''");
    if (s.prepared() != SQLITE_OK) fail("запись начала платежа", s.prepared());
    s.bind(1, r.key.code).bind(2, r.key.unc).bind(3, r.key.typeOper);
    s.bind(4, static_cast<std::int64_t>(r.summa)).bind(5, static_cast<std::int64_t>(r.comis));
    s.bind(6, r.ndsCode).bind(7, platform::unixTime());
    s.bindBlob(8, encodePairs(r.pairs)).bind(9, static_cast<std::int64_t>(r.print ? 1 : 0));
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись начала платежа", step);
}

void PaymentJournal::recordDocumentBefore(const JournalKey& key, std::int64_t number) {
    Statement s(*connection_,
                "UPDATE payments SET document_before=?4 WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail("запись номера документа", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper).bind(4, number);
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись номера документа", step);
    // The payment's one flush, before the receipt opens.
    syncLog("запись номера документа");
}

void PaymentJournal::finish(const JournalKey& key, JournalState state, int result,
                            const ReceiptDocument& receipt) {
    Statement s(*connection_,
                "UPDATE payments SET state=?4, result=?5, finished_at=?6, receipt_number=?7,"
                " receipt_time=?8, fiscal_sign=?9 WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail("запись итога платежа", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper);
    s.bind(4, std::string(journalStateName(state))).bind(5, static_cast<std::int64_t>(result));
    s.bind(6, platform::unixTime()).bind(7, receipt.number).bind(8, receipt.dateTime);
    s.bind(9, receipt.fiscalSign);
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись итога платежа", step);
}

bool PaymentJournal::claimedByOther(const JournalKey& key, std::int64_t documentNumber) {
    Statement s(*connection_,
                "SELECT 1 FROM payments WHERE ((receipt_number=?4 AND state='registered')"
                " OR (correction_number=?4 AND state='corrected'))"
                " AND NOT (code=?1 AND unc=?2 AND type_oper=?3) LIMIT 1");
    if (s.prepared() != SQLITE_OK) fail("поиск документа", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper).bind(4, documentNumber);
    const int step = s.step();
    if (step != SQLITE_ROW && step != SQLITE_DONE) fail("поиск документа", step);
    return step == SQLITE_ROW;
}

std::vector<UnnumberedClaim> PaymentJournal::unnumberedClaims(const JournalKey& key, unsigned summa,
                                                              bool corrections,
                                                              std::int64_t documentBefore,
                                                              std::int64_t startedAt) {
    const std::string sql = corrections
                                ? "SELECT correction_before FROM payments WHERE state='corrected'"
                                  " AND correction_number=0 AND correction_before>=0"
                                  " AND (correction_before>=?6 OR finished_at>=?7)"
                                : "SELECT document_before FROM payments WHERE state='registered'"
                                  " AND receipt_number=0 AND document_before>=0"
                                  " AND (document_before>=?6 OR finished_at>=?7)";
    Statement s(
        *connection_,
        (sql + " AND type_oper=?3 AND summa=?4 AND NOT (code=?1 AND unc=?2 AND type_oper=?3)"
               " ORDER BY 1")
            .c_str());
    if (s.prepared() != SQLITE_OK) fail("поиск документа", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper);
    s.bind(4, static_cast<std::int64_t>(summa)).bind(6, documentBefore).bind(7, startedAt);
    std::vector<UnnumberedClaim> claims;
    int step;
    while ((step = s.step()) == SQLITE_ROW) claims.push_back(UnnumberedClaim{s.integer(0)});
    if (step != SQLITE_DONE) fail("поиск документа", step);
    return claims;
}

void PaymentJournal::beginCorrection(const JournalKey& key, const std::string& date) {
    Statement s(*connection_,
                "UPDATE payments SET state='correcting', correction_date=?4,"
                " correction_started_at=?5, correction_before=-1, correction_result=-1,"
                " correction_number=0, correction_time='', correction_sign=''"
                " WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail("запись начала коррекции", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper).bind(4, date);
    s.bind(5, platform::unixTime());
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись начала коррекции", step);
}

void PaymentJournal::recordCorrectionBefore(const JournalKey& key, std::int64_t number) {
    Statement s(*connection_,
                "UPDATE payments SET correction_before=?4"
                " WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail("запись номера документа", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper).bind(4, number);
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись номера документа", step);
    // The correction's one flush, before its receipt opens.
    syncLog("запись номера документа");
}

void PaymentJournal::finishCorrection(const JournalKey& key, JournalState state, int result,
                                      const ReceiptDocument& receipt) {
    // Lost with a power cut, the outcome is found again: the record stays
    // "correcting" with its starting point, and the next run settles it.
    Statement s(*connection_,
                "UPDATE payments SET state=?4, correction_result=?5, finished_at=?6,"
                " correction_number=?7, correction_time=?8, correction_sign=?9"
                " WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail("запись итога коррекции", s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper);
    s.bind(4, std::string(journalStateName(state))).bind(5, static_cast<std::int64_t>(result));
    s.bind(6, platform::unixTime()).bind(7, receipt.number).bind(8, receipt.dateTime);
    s.bind(9, receipt.fiscalSign);
    const int step = s.step();
    if (step != SQLITE_DONE) fail("запись итога коррекции", step);
}

std::vector<JournalRecord> PaymentJournal::list(const JournalFilter& filter) {
    // The date is the local calendar day; SQLite turns it into the moment.
    Statement s(*connection_,
                (std::string("SELECT ") + kColumns +
                 " FROM payments WHERE (?1='' OR unc=?1) AND (?2='' OR state=?2)"
                 " AND (?3='' OR started_at >= CAST(strftime('%s', ?3, 'utc') AS INTEGER))"
                 " ORDER BY started_at, unc")
                    .c_str());
    if (s.prepared() != SQLITE_OK) fail("чтение", s.prepared());
    s.bind(1, filter.unc).bind(2, filter.state).bind(3, filter.since);
    std::vector<JournalRecord> records;
    int step;
    while ((step = s.step()) == SQLITE_ROW) records.push_back(readRecord(s));
    if (step != SQLITE_DONE) fail("чтение", step);
    return records;
}

int PaymentJournal::pruneOnceADay(int retentionDays, bool* ran) {
    const std::int64_t now = platform::unixTime();
    const std::int64_t today = now / kSecondsPerDay;
    if (ran) *ran = false;
    exec("BEGIN IMMEDIATE");
    try {
        Statement last(*connection_, "SELECT value FROM journal_meta WHERE key='pruned_day'");
        if (last.prepared() != SQLITE_OK) fail("чистка", last.prepared());
        const int step = last.step();
        if (step == SQLITE_ROW && last.integer(0) >= today) {
            exec("COMMIT");
            return 0;
        }
        // Only settled records go: a payment in doubt stays until it is settled.
        Statement prune(*connection_,
                        "DELETE FROM payments WHERE started_at < ?1"
                        " AND state IN ('registered', 'refused', 'corrected')");
        prune.bind(1, now - static_cast<std::int64_t>(retentionDays) * kSecondsPerDay);
        if (prune.prepared() != SQLITE_OK || prune.step() != SQLITE_DONE)
            fail("чистка", sqlite3_errcode(db()));
        const int deleted = sqlite3_changes(db());
        Statement mark(*connection_,
                       "INSERT INTO journal_meta (key, value) VALUES ('pruned_day', ?1)"
                       " ON CONFLICT (key) DO UPDATE SET value=?1");
        mark.bind(1, today);
        if (mark.prepared() != SQLITE_OK || mark.step() != SQLITE_DONE)
            fail("чистка", sqlite3_errcode(db()));
        exec("COMMIT");
        if (ran) *ran = true;
        return deleted;
    } catch (...) {
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::int64_t PaymentJournal::logBytes() {
    const int pages = connection_->logPages();
    if (pages <= 0) return 0;
    Statement size(*connection_, "PRAGMA page_size");
    if (size.prepared() != SQLITE_OK || size.step() != SQLITE_ROW)
        fail("чтение размера страницы", sqlite3_errcode(db()));
    // The log's header, then each page behind a frame header of its own.
    return 32 + static_cast<std::int64_t>(pages) * (size.integer(0) + 24);
}

bool PaymentJournal::checkpoint() {
    // TRUNCATE: every commit copied into the database file (synced), then the
    // log emptied, so that the database file alone holds every record.
    // Readers of other processes are waited for as long as the busy timeout.
    const int done =
        sqlite3_wal_checkpoint_v2(db(), "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    if ((done & 0xFF) == SQLITE_BUSY || (done & 0xFF) == SQLITE_LOCKED) return false;
    if (done != SQLITE_OK) fail("перенос записей в файл журнала", done);
    // The next commit starts the log anew, and SQLite syncs a new log's header:
    // this commit takes that flush now instead of the next payment.
    Statement mark(*connection_,
                   "INSERT INTO journal_meta (key, value) VALUES ('checkpoint_at', ?1)"
                   " ON CONFLICT (key) DO UPDATE SET value=?1");
    if (mark.prepared() != SQLITE_OK) fail("перенос записей в файл журнала", mark.prepared());
    mark.bind(1, platform::unixTime());
    const int step = mark.step();
    if (step != SQLITE_DONE) fail("перенос записей в файл журнала", step);
    return true;
}

JournalUpkeep PaymentJournal::upkeep(int retentionDays) {
    JournalUpkeep done;
    done.pruned = pruneOnceADay(retentionDays, &done.dayStarted);
    done.logBytes = logBytes();
    if (!done.dayStarted && done.logBytes < kCheckpointLogBytes) return done;
    done.checkpointed = checkpoint();
    done.busy = !done.checkpointed;
    return done;
}

struct PaymentKeyLock::Impl {
    std::unique_ptr<platform::ByteLock> lock;
};

PaymentKeyLock::PaymentKeyLock(const std::string& journalPath, const JournalKey& key)
    : impl_(new Impl) {
    const std::string file = journalPath + ".lock";
    impl_->lock = std::make_unique<platform::ByteLock>(file, keyOffset(key));
    switch (impl_->lock->state()) {
        case platform::ByteLock::State::held:
            held_ = true;
            return;
        case platform::ByteLock::State::busy:
            held_ = false;
            return;
        case platform::ByteLock::State::failed:
            break;
    }
    const unsigned long error = impl_->lock->error();
    throw JournalError("Журнал платежей: файл блокировки " + file + ": ошибка системы " +
                       std::to_string(error) + " (" + systemErrorText(error) + ")");
}

PaymentKeyLock::~PaymentKeyLock() = default;

}  // namespace vorna
