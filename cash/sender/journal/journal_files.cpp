#include "cash/sender/journal/journal_files.h"

#include <sqlite3.h>

#include <cstdio>

#include "cash/sender/journal/journal_vfs.h"
#include "cash/sender/journal/payment_journal.h"
#include "common/platform/platform.h"

namespace vorna {

namespace {

constexpr int kBusyMilliseconds = 10000;

// A database connection closed on every path, never checkpointing on close.
class Database {
public:
    Database(const std::string& path, int flags, const char* vfs) {
        code_ = sqlite3_open_v2(platform::utf8FileName(path).c_str(), &db_, flags, vfs);
        if (code_ != SQLITE_OK) return;
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_busy_timeout(db_, kBusyMilliseconds);
    }
    ~Database() { sqlite3_close_v2(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* db() const { return db_; }
    int opened() const { return code_; }
    std::string error() const { return db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code_); }

    // The rows of a query's first column; code: SQLITE_OK or the failure.
    std::vector<std::string> column(const char* sql, int& code) const {
        std::vector<std::string> rows;
        sqlite3_stmt* statement = nullptr;
        code = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
        if (code != SQLITE_OK) return rows;
        while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(statement);
        if (code == SQLITE_DONE) code = SQLITE_OK;
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
    int code_ = SQLITE_OK;
};

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// One number from a query; false (with code) when it fails or gives no row.
bool number(const Database& database, const char* sql, std::int64_t& value, int& code) {
    const std::vector<std::string> rows = database.column(sql, code);
    if (code != SQLITE_OK || rows.empty()) return false;
    value = std::stoll(rows.front().empty() ? "0" : rows.front());
    return true;
}

std::string fullPathOf(const std::string& path) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    std::vector<char> full(static_cast<std::size_t>(vfs->mxPathname) + 1, '\0');
    const std::string name = platform::utf8FileName(path);
    if (vfs->xFullPathname(vfs, name.c_str(), vfs->mxPathname + 1, full.data()) != SQLITE_OK)
        return name;
    return full.data();
}

void removeCopy(const std::string& file) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::remove((file + suffix).c_str());
}

}  // namespace

JournalCheck checkJournal(const std::string& path) {
    JournalCheck check;
    check.databaseFound = platform::fileSize(path, check.databaseBytes);
    check.logFound = platform::fileSize(path + "-wal", check.logBytes);
    if (!check.databaseFound) {
        check.findings.push_back("no such file");
        return check;
    }
    Database journal(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, journalVfsName());
    if (journal.opened() != SQLITE_OK) {
        check.findings.push_back(journal.error());
        return check;
    }
    auto failed = [&](int code) {
        check.verdict = isDamage(code) ? JournalSoundness::damaged : JournalSoundness::cannotOpen;
        check.findings.push_back(journal.error());
        return check;
    };
    int code = SQLITE_OK;
    const std::vector<std::string> integrity = journal.column("PRAGMA integrity_check(20)", code);
    if (code != SQLITE_OK) return failed(code);
    std::int64_t tables = 0;
    if (!number(journal,
                "SELECT count(*) FROM sqlite_master WHERE type='table' AND name='payments'", tables,
                code))
        return failed(code);
    check.verdict = JournalSoundness::sound;
    if (integrity.size() != 1 || integrity.front() != "ok") {
        check.verdict = JournalSoundness::damaged;
        check.findings.insert(check.findings.end(), integrity.begin(), integrity.end());
    }
    if (tables == 0) {
        check.verdict = JournalSoundness::damaged;
        check.findings.push_back(
            "the database holds no table of payments: its records were only in the "
            "write-ahead log, which is gone");
        return check;
    }
    if (!number(journal, "SELECT count(*) FROM payments", check.records, code)) return failed(code);
    number(journal, "SELECT value FROM journal_meta WHERE key='checkpoint_at'", check.checkpointAt,
           code);
    return check;
}

std::int64_t backupJournal(const std::string& path, const std::string& file) {
    std::uint64_t size = 0;
    if (!platform::fileSize(path, size))
        throw JournalError("Журнал платежей " + path + " не найден");
    Database source(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, journalVfsName());
    if (source.opened() != SQLITE_OK)
        throw JournalError("Журнал платежей " + path + ": открытие: " + source.error());
    const std::string journalFull = sqlite3_db_filename(source.db(), "main");
    const std::string target = fullPathOf(file);
    for (const char* companion : {"", "-wal", "-shm", "-journal", ".lock"})
        if (target == journalFull + companion)
            throw JournalError("Копия журнала платежей не может заменить файл " + file +
                               " самого журнала");

    // Made beside the target under another name: a copy that fails half-way
    // never replaces an earlier one.
    const std::string partial = file + ".partial";
    removeCopy(partial);
    std::int64_t records = -1;
    std::string problem;
    {
        Database copy(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr);
        if (copy.opened() != SQLITE_OK) {
            problem = "создание " + partial + ": " + copy.error();
        } else if (sqlite3_backup* backup =
                       sqlite3_backup_init(copy.db(), "main", source.db(), "main")) {
            int step;
            int waits = 0;
            // Every page in one step reads one consistent state of the journal;
            // a writer of another process holding it is waited for a while.
            while ((step = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY ||
                   step == SQLITE_LOCKED) {
                if (++waits > kBusyMilliseconds / 50) break;
                platform::sleepMilliseconds(50);
            }
            sqlite3_backup_finish(backup);
            if (step != SQLITE_DONE) problem = "копирование: " + std::string(sqlite3_errstr(step));
        } else {
            problem = "копирование: " + copy.error();
        }
        int code = SQLITE_OK;
        // The copy keeps no write-ahead log: one file holds all of it.
        if (problem.empty()) {
            const std::vector<std::string> mode = copy.column("PRAGMA journal_mode=DELETE", code);
            if (code != SQLITE_OK || mode.empty() || mode.front() != "delete")
                problem = "копия: " + copy.error();
        }
        if (problem.empty()) {
            const std::vector<std::string> integrity = copy.column("PRAGMA integrity_check", code);
            if (code != SQLITE_OK || integrity.size() != 1 || integrity.front() != "ok")
                problem =
                    "проверка копии: " + (code != SQLITE_OK ? copy.error() : integrity.front());
        }
        if (problem.empty() && !number(copy, "SELECT count(*) FROM payments", records, code))
            problem = "проверка копии: " + copy.error();
    }
    if (problem.empty() && !platform::replaceFile(partial, file)) {
        const unsigned long error = platform::lastError();
        std::string reason = platform::errorText(error);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        problem =
            "замена " + file + ": ошибка системы " + std::to_string(error) + " (" + reason + ")";
    }
    if (!problem.empty()) {
        removeCopy(partial);
        throw JournalError("Копия журнала платежей " + path + " в " + file +
                           " не сделана: " + problem);
    }
    return records;
}

}  // namespace vorna
