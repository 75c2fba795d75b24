// journal --check and journal --backup: bank IT's care of the journal's files.
#pragma once

#include <string>

namespace vorna {
namespace tool {

// Prints the check of the journal at path; exit code 0 sound, 2 damaged, 3
// cannot be opened.
int checkJournalFiles(const std::string& path);
// Copies the journal at path to file and prints what it copied; 0. Throws
// JournalError.
int backupJournalFiles(const std::string& path, const std::string& file);

}  // namespace tool
}  // namespace vorna
