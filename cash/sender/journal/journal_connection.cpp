#include "cash/sender/journal/journal_connection.h"

#include <sqlite3.h>

namespace vorna {

JournalConnection::~JournalConnection() {
    if (!db_) return;
    while (sqlite3_stmt* statement = sqlite3_next_stmt(db_, nullptr)) sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
}

int JournalConnection::open(const std::string& fileName, int flags, const char* vfs) {
    const int opened = sqlite3_open_v2(fileName.c_str(), &db_, flags, vfs);
    if (opened == SQLITE_OK) sqlite3_wal_hook(db_, &JournalConnection::committed, this);
    return opened;
}

int JournalConnection::committed(void* self, sqlite3*, const char*, int pages) {
    static_cast<JournalConnection*>(self)->logPages_ = pages;
    return SQLITE_OK;
}

sqlite3_stmt* JournalConnection::statement(const std::string& sql, int& code) {
    code = SQLITE_OK;
    const auto found = idle_.find(sql);
    if (found != idle_.end()) {
        // Out of the table while in use: a second use of the text meanwhile prepares its own.
        sqlite3_stmt* statement = found->second;
        idle_.erase(found);
        return statement;
    }
    sqlite3_stmt* statement = nullptr;
    code = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    return statement;
}

void JournalConnection::giveBack(sqlite3_stmt* statement) {
    if (!statement) return;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (!idle_.emplace(sqlite3_sql(statement), statement).second) sqlite3_finalize(statement);
}

}  // namespace vorna
