#include "cash/sender/journal/kept_journal_connections.h"

#include <sqlite3.h>

#include <map>

#include "common/platform/platform.h"
#include "common/until_unload.h"

namespace vorna {

namespace {

struct KeptConnections {
    platform::Lock lock;
    // Two calls at once on one path are rare: the second's connection is
    // closed when it is done.
    std::map<std::string, std::unique_ptr<JournalConnection>> idle;
};

// Closed when the library is unloaded (or the process ends), before the
// SQLite and the VFS they use go with the library. A journal used after that
// closes its own connection.
UntilUnload<KeptConnections> keptConnections;

}  // namespace

std::unique_ptr<JournalConnection> takeJournalConnection(const std::string& path) {
    std::unique_ptr<JournalConnection> connection;
    KeptConnections* connections = keptConnections.get();
    if (!connections) return connection;
    {
        platform::LockGuard guard(connections->lock);
        const auto found = connections->idle.find(path);
        if (found == connections->idle.end()) return connection;
        connection = std::move(found->second);
        connections->idle.erase(found);
    }
    // Moved aside, deleted or replaced, its file is no longer the journal:
    // the connection would write where nobody looks. SQLite tells from the
    // folder's entry (stat on POSIX) without opening the file; Windows moves
    // or deletes no file SQLite holds open, and there it answers "not found".
    // No open per call: Wine keeps every handle closed on a file its process
    // holds a lock on (the kept connection always does) until the lock goes,
    // and ran out of descriptors after some 19,800 payments.
    int moved = 0;
    const int asked =
        sqlite3_file_control(connection->db(), "main", SQLITE_FCNTL_HAS_MOVED, &moved);
    if ((asked != SQLITE_OK && asked != SQLITE_NOTFOUND) || moved) connection.reset();
    return connection;
}

void keepJournalConnection(const std::string& path, std::unique_ptr<JournalConnection> connection) {
    KeptConnections* connections = keptConnections.get();
    if (!connections || !connection || sqlite3_get_autocommit(connection->db()) == 0) return;
    platform::LockGuard guard(connections->lock);
    connections->idle.try_emplace(path, std::move(connection));
}

}  // namespace vorna
