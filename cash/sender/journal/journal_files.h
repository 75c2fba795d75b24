// The journal's files as bank IT keeps them: the database, its write-ahead log
// ("-wal") and the log's index ("-shm") belong together. A check of the
// database with its log, and a copy of it made through SQLite's backup API
// that is whole in one file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorna {

enum class JournalSoundness { sound, damaged, cannotOpen };

struct JournalCheck {
    JournalSoundness verdict = JournalSoundness::cannotOpen;
    bool databaseFound = false;
    std::uint64_t databaseBytes = 0;
    bool logFound = false;
    std::uint64_t logBytes = 0;
    std::int64_t records = -1;          // -1: not counted
    std::int64_t checkpointAt = 0;      // the last checkpoint, seconds since 1970 (0: none)
    std::vector<std::string> findings;  // what is wrong, or why the file could not be read
};

// Opens the journal without creating or changing anything, runs SQLite's
// integrity check, counts the records. A database without the journal's
// table is damaged: its records were only in a write-ahead log that is gone.
JournalCheck checkJournal(const std::string& path);

// Writes a consistent copy of the journal (with what its log holds) to file,
// whole in one file; an existing file is replaced only by a complete copy.
// Returns the records in the copy. Throws JournalError.
std::int64_t backupJournal(const std::string& path, const std::string& file);

}  // namespace vorna
