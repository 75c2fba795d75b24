// The command line of vorna-cash: one export per invocation with its
// arguments, the answers for message boxes and the host faults to imitate.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace tool {

struct CommandLine {
    std::string command;  // x-report, z-report, check, check-link, info, send
    std::string library;  // the sender library; empty: the one beside this program
    std::vector<std::pair<std::string, std::string>> pairs;  // Windows-1251
    std::string unc;                                         // Windows-1251
    unsigned sum = 0;
    unsigned comis = 0;
    bool print = true;
    std::vector<std::string> answers;         // message box answers, in order
    std::vector<std::string> expectReleased;  // libraries that must be unloaded after the call
    bool keepLoaded = false;  // the sender stays loaded when the tool exits, as many hosts leave it
    bool countGiven = false;  // --count overrides the number of pairs
    int count = 0;
    std::vector<std::string> nullArguments;  // unc, pairs, key, value, result-text, info
    // journal and settle: the payment journal of the sender's settings
    std::string code;            // IBS_CODE of the record (settle), the settings file
    std::string typeOper = "P";  // TYPE_OPER of the record (settle)
    std::string since;           // journal: records started on or after this date
    std::string state;           // journal: records in this state
    bool json = false;           // health, reconcile: one JSON object instead of the text
    std::string date;            // correct: the day corrected; reconcile: the day reconciled
    std::string service;         // correct: the service name of a record of the earlier layout
    // journal --check: the journal's files checked; journal --backup FILE: a copy made
    bool checkFiles = false;
    std::string backupFile;
    // reconcile --csv FILE: the day's table written for Excel
    std::string csvFile;
    bool wantsNull(const std::string& argument) const;
};

// Parses argv; throws std::invalid_argument with a message for the user.
CommandLine parseCommandLine(int argc, char** argv);

// The usage text.
const char* usageText();

// journal, settle, correct and reconcile: commands on the payment journal itself.
bool isJournalCommand(const std::string& command);

// "--help" or "-h": the usage is printed and the tool exits with 0.
bool isHelpOption(const std::string& argument);

// A text from the command line in Windows-1251: valid UTF-8 with non-ASCII
// bytes is converted (a POSIX terminal), anything else is taken as it is (a
// Windows command line already is in the ANSI code page).
std::string argumentToCp1251(const std::string& argument);

}  // namespace tool
}  // namespace vorna
