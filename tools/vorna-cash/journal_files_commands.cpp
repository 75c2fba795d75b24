#include "tools/vorna-cash/journal_files_commands.h"

#include <cstdio>
#include <ctime>

#include "cash/sender/journal/journal_files.h"
#include "common/platform/platform.h"
#include "tools/vorna-cash/exit_codes.h"

namespace vorna {
namespace tool {

namespace {

void print(const std::string& cp1251) {
    std::printf("%s\n", platform::cp1251ToUtf8(cp1251).c_str());
}

std::string fileLine(const char* what, const std::string& file, bool found, std::uint64_t bytes) {
    return std::string(what) + ": " + file +
           (found ? " " + std::to_string(bytes) + " bytes" : " none");
}

std::string localTime(std::int64_t moment) {
    const std::time_t t = static_cast<std::time_t>(moment);
    char text[32] = "";
    if (const std::tm* local = std::localtime(&t))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

}  // namespace

int checkJournalFiles(const std::string& path) {
    const JournalCheck check = checkJournal(path);
    print(fileLine("database", path, check.databaseFound, check.databaseBytes));
    print(fileLine("write-ahead log", path + "-wal", check.logFound, check.logBytes));
    if (check.records >= 0) print("records: " + std::to_string(check.records));
    if (check.verdict != JournalSoundness::cannotOpen)
        print("last checkpoint: " +
              (check.checkpointAt > 0 ? localTime(check.checkpointAt) : std::string("none")));
    for (const std::string& finding : check.findings) print("  " + finding);
    switch (check.verdict) {
        case JournalSoundness::sound:
            print("check: sound");
            return kJournalSound;
        case JournalSoundness::damaged:
            print("check: damaged");
            return kJournalDamaged;
        case JournalSoundness::cannotOpen:
            break;
    }
    print("check: cannot open");
    return kJournalUnavailable;
}

int backupJournalFiles(const std::string& path, const std::string& file) {
    const std::int64_t records = backupJournal(path, file);
    print("backup: " + path + " -> " + file + ", " + std::to_string(records) + " records");
    return 0;
}

}  // namespace tool
}  // namespace vorna
