// The payment journal's records: what a payment and a correction write and
// read, and the upkeep after a payment. The rest of the journal, by job:
//
//   journal_schema.cpp            opening, the layout made or migrated, a
//                                 damaged file moved aside
//   journal_statement.h           one use of a prepared statement
//   journal_pairs.cpp             the host's pairs as one value of a record
//   payment_key_lock.cpp          the key held against other processes
//   journal_connection.cpp        one connection and its prepared statements
//   kept_journal_connections.cpp  the connections a process keeps between calls
//   journal_files.cpp             --check and --backup of the journal's files
//   journal_vfs.cpp               every failure of a file logged once
//
// In this file: the state names, failing (fail), the flush (syncLog), the
// keyed UPDATE (updateRecord) and the queries, then pruning and checkpoints.
#include "cash/sender/journal/payment_journal.h"

#include <sqlite3.h>

#include "cash/sender/journal/journal_pairs.h"
#include "cash/sender/journal/journal_statement.h"
#include "cash/sender/journal/kept_journal_connections.h"
#include "common/platform/platform.h"

// The build pins SQLite: the Windows amalgamation and the system library are
// the same version.
static_assert(SQLITE_VERSION_NUMBER == 3040001, "SQLite 3.40.1 expected");

namespace vorna {

namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 3600;

const char kColumns[] =
    "code, unc, type_oper, summa, comis, nds_code, state, result, started_at, finished_at,"
    " document_before, receipt_number, receipt_time, fiscal_sign, attempts, pairs, print,"
    " correction_date, correction_started_at, correction_before, correction_result,"
    " correction_number, correction_time, correction_sign,"
    " datetime(started_at, 'unixepoch', 'localtime'), first_started_at,"
    " datetime(first_started_at, 'unixepoch', 'localtime')";

JournalRecord readRecord(const JournalStatement& s) {
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

}  // namespace

std::string journalSystemErrorText(unsigned long code) {
    std::string text = platform::errorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

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
                   journalSystemErrorText(static_cast<unsigned long>(systemError)) + ")";
    throw JournalError(message);
}

void PaymentJournal::exec(const char* sql) {
    const int code = sqlite3_exec(db(), sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) fail(sql, code);
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
    JournalStatement s(*connection_, (std::string("SELECT ") + kColumns +
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
    JournalStatement s(
        *connection_,
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

void PaymentJournal::updateRecord(const JournalKey& key, const char* assignments, const char* what,
                                  const std::function<void(JournalStatement&)>& bindValues) {
    JournalStatement s(*connection_, std::string("UPDATE payments SET ") + assignments +
                                         " WHERE code=?1 AND unc=?2 AND type_oper=?3");
    if (s.prepared() != SQLITE_OK) fail(what, s.prepared());
    s.bind(1, key.code).bind(2, key.unc).bind(3, key.typeOper);
    bindValues(s);
    const int step = s.step();
    if (step != SQLITE_DONE) fail(what, step);
}

void PaymentJournal::recordDocumentBefore(const JournalKey& key, std::int64_t number) {
    updateRecord(key, "document_before=?4", "запись номера документа",
                 [&](JournalStatement& s) { s.bind(4, number); });
    // The payment's one flush, before the receipt opens.
    syncLog("запись номера документа");
}

void PaymentJournal::finish(const JournalKey& key, JournalState state, int result,
                            const ReceiptDocument& receipt) {
    updateRecord(key,
                 "state=?4, result=?5, finished_at=?6, receipt_number=?7, receipt_time=?8,"
                 " fiscal_sign=?9",
                 "запись итога платежа", [&](JournalStatement& s) {
                     s.bind(4, std::string(journalStateName(state)))
                         .bind(5, static_cast<std::int64_t>(result));
                     s.bind(6, platform::unixTime()).bind(7, receipt.number);
                     s.bind(8, receipt.dateTime).bind(9, receipt.fiscalSign);
                 });
}

bool PaymentJournal::claimedByOther(const JournalKey& key, std::int64_t documentNumber) {
    JournalStatement s(*connection_,
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
    JournalStatement s(
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
    updateRecord(key,
                 "state='correcting', correction_date=?4, correction_started_at=?5,"
                 " correction_before=-1, correction_result=-1, correction_number=0,"
                 " correction_time='', correction_sign=''",
                 "запись начала коррекции",
                 [&](JournalStatement& s) { s.bind(4, date).bind(5, platform::unixTime()); });
}

void PaymentJournal::recordCorrectionBefore(const JournalKey& key, std::int64_t number) {
    updateRecord(key, "correction_before=?4", "запись номера документа",
                 [&](JournalStatement& s) { s.bind(4, number); });
    // The correction's one flush, before its receipt opens.
    syncLog("запись номера документа");
}

void PaymentJournal::finishCorrection(const JournalKey& key, JournalState state, int result,
                                      const ReceiptDocument& receipt) {
    // Lost with a power cut, the outcome is found again: the record stays
    // "correcting" with its starting point, and the next run settles it.
    updateRecord(key,
                 "state=?4, correction_result=?5, finished_at=?6, correction_number=?7,"
                 " correction_time=?8, correction_sign=?9",
                 "запись итога коррекции", [&](JournalStatement& s) {
                     s.bind(4, std::string(journalStateName(state)))
                         .bind(5, static_cast<std::int64_t>(result));
                     s.bind(6, platform::unixTime()).bind(7, receipt.number);
                     s.bind(8, receipt.dateTime).bind(9, receipt.fiscalSign);
                 });
}

std::vector<JournalRecord> PaymentJournal::list(const JournalFilter& filter) {
    // The date is the local calendar day; SQLite turns it into the moment.
    JournalStatement s(*connection_,
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
        JournalStatement last(*connection_,
                              "SELECT value FROM journal_meta WHERE key='pruned_day'");
        if (last.prepared() != SQLITE_OK) fail("чистка", last.prepared());
        const int step = last.step();
        if (step == SQLITE_ROW && last.integer(0) >= today) {
            exec("COMMIT");
            return 0;
        }
        // Only settled records go: a payment in doubt stays until it is settled.
        JournalStatement prune(*connection_,
                               "DELETE FROM payments WHERE started_at < ?1"
                               " AND state IN ('registered', 'refused', 'corrected')");
        prune.bind(1, now - static_cast<std::int64_t>(retentionDays) * kSecondsPerDay);
        if (prune.prepared() != SQLITE_OK || prune.step() != SQLITE_DONE)
            fail("чистка", sqlite3_errcode(db()));
        const int deleted = sqlite3_changes(db());
        JournalStatement mark(*connection_,
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
    JournalStatement size(*connection_, "PRAGMA page_size");
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
    JournalStatement mark(*connection_,
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

}  // namespace vorna
