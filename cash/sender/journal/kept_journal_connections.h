// The journal's connections kept open between the calls of a process, one
// idle connection a journal path. Opening costs more than a payment's journal
// work: the file, the PRAGMAs, the schema read and, as the first connection of
// the process, the write-ahead log's index rebuilt by reading the whole log.
// A kept connection serves one call at a time; a call that finds none (another
// call has it) opens its own. Only connections and their statements are
// kept, never what was read: other processes may write the journal meanwhile.
#pragma once

#include <memory>
#include <string>

#include "cash/sender/journal/journal_connection.h"

namespace vorna {

// The connection kept for path, taken out for one call; null when none is.
// One whose file is no longer the file under path (moved, deleted or
// replaced meanwhile) is closed, never handed out.
std::unique_ptr<JournalConnection> takeJournalConnection(const std::string& path);
// Keeps the connection of a call that went well for the next call on path;
// closes it when it is inside a transaction, one is kept already, or the
// library is being unloaded.
void keepJournalConnection(const std::string& path, std::unique_ptr<JournalConnection> connection);

}  // namespace vorna
