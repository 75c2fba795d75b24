// One use of a prepared statement of a journal connection: bound, stepped,
// read, and given back to the connection on every path.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "cash/sender/journal/journal_connection.h"

namespace vorna {

class JournalStatement {
public:
    JournalStatement(JournalConnection& connection, const std::string& sql)
        : connection_(connection) {
        stmt_ = connection.statement(sql, code_);
    }
    ~JournalStatement() { connection_.giveBack(stmt_); }
    JournalStatement(const JournalStatement&) = delete;
    JournalStatement& operator=(const JournalStatement&) = delete;

    int prepared() const { return code_; }
    JournalStatement& bind(int i, const std::string& text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    JournalStatement& bind(int i, std::int64_t value) {
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
    JournalStatement& bindBlob(int i, const std::string& bytes) {
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

}  // namespace vorna
