// One open connection to the payment journal's database, with the statements
// prepared on it: kept from call to call (kept_journal_connections.h), it spares a
// payment the opening and the preparing, which cost most of its journal work.
// A statement is reset when its use ends, so that no read transaction stays
// open between calls and every call reads what other processes committed.
#pragma once

#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace vorna {

class JournalConnection {
public:
    JournalConnection() = default;
    // Finalizes every statement and closes the database.
    ~JournalConnection();
    JournalConnection(const JournalConnection&) = delete;
    JournalConnection& operator=(const JournalConnection&) = delete;

    // sqlite3_open_v2 of a UTF-8 file name; its result code. The database
    // handle is there for the error's text even when opening fails. The
    // connection's commits never checkpoint: its own hook, which counts the
    // log's pages, takes the place of SQLite's automatic checkpoint.
    int open(const std::string& fileName, int flags, const char* vfs);
    sqlite3* db() const { return db_; }
    // The pages in the write-ahead log after this connection's last commit
    // (0 before its first).
    int logPages() const { return logPages_; }

    // A statement of this text: one an earlier use gave back, or prepared now
    // (null, with code, when preparing fails).
    sqlite3_stmt* statement(const std::string& sql, int& code);
    // Ends a use: the statement is reset and kept for its text's next use.
    void giveBack(sqlite3_stmt* statement);

private:
    static int committed(void* self, sqlite3*, const char*, int pages);

    sqlite3* db_ = nullptr;
    int logPages_ = 0;
    std::unordered_map<std::string, sqlite3_stmt*> idle_;
};

}  // namespace vorna
