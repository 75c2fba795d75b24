// The payment journal's VFS: SQLite's default VFS with one change. SQLite
// opens a write-ahead log asking to create it, and a created log makes its
// first sync also sync the folder (POSIX), which would be a second flush in
// every call that opens a connection (the first call of a process, a call
// after a failure or with its file replaced). The folder needs that sync only once
// after the log was made: this VFS lets the first log opened in a process
// create it as usual and, once a sync of it (with its folder) has been done,
// opens the same log again without creating when it exists.
#pragma once

namespace vorna {

// The VFS's name for sqlite3_open_v2, registered (not as the default) on
// first use, wrapping the default VFS of that moment.
const char* journalVfsName();

}  // namespace vorna
