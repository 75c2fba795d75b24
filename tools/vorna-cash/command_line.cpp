#include "tools/vorna-cash/command_line.h"

#include <algorithm>
#include <stdexcept>

#include "common/platform/platform.h"

namespace vorna {
namespace tool {

namespace {
bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t follow;
        if (c < 0x80)
            follow = 0;
        else if ((c >> 5) == 0x6)
            follow = 1;
        else if ((c >> 4) == 0xE)
            follow = 2;
        else if ((c >> 3) == 0x1E)
            follow = 3;
        else
            return false;
        if (follow != 0 && i + follow >= text.size()) return false;
        for (std::size_t k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += follow + 1;
    }
    return true;
}

unsigned parseUnsigned(const std::string& option, const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 10)
        throw std::invalid_argument(option + " needs a decimal number, not '" + text + "'");
    unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull) throw std::invalid_argument(option + " is too large: " + text);
    return static_cast<unsigned>(value);
}

int parseInt(const std::string& option, const std::string& text) {
    try {
        std::size_t used = 0;
        int value = std::stoi(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    throw std::invalid_argument(option + " needs a whole number, not '" + text + "'");
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

const std::vector<std::string> kCommands = {"x-report", "z-report", "check",    "check-link",
                                            "info",     "send",     "journal",  "settle",
                                            "health",   "correct",  "reconcile"};
const std::vector<std::string> kNullable = {"unc", "pairs", "key", "value", "result-text", "info"};
// The options that gather a list; any other given twice would silently lose a value.
const std::vector<std::string> kRepeatable = {"--pair", "--answer", "--expect-released", "--null"};
}  // namespace

bool CommandLine::wantsNull(const std::string& argument) const {
    return std::find(nullArguments.begin(), nullArguments.end(), argument) != nullArguments.end();
}

std::string argumentToCp1251(const std::string& argument) {
    bool ascii = std::all_of(argument.begin(), argument.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !isValidUtf8(argument)) return argument;
    return platform::utf8ToCp1251(argument);
}

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    if (argc < 2) throw std::invalid_argument("no command given");
    line.command = argv[1];
    if (std::find(kCommands.begin(), kCommands.end(), line.command) == kCommands.end())
        throw std::invalid_argument("unknown command '" + line.command + "'");
    bool uncGiven = false, sumGiven = false;
    std::vector<std::string> given;
    for (int i = 2; i < argc; ++i) {
        std::string option = argv[i];
        if (std::find(kRepeatable.begin(), kRepeatable.end(), option) == kRepeatable.end()) {
            if (std::find(given.begin(), given.end(), option) != given.end())
                throw std::invalid_argument(option + " is given more than once");
            given.push_back(option);
        }
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
            return argv[++i];
        };
        if (option == "--pair") {
            std::string pair = argumentToCp1251(value());
            std::size_t equals = pair.find('=');
            if (equals == std::string::npos)
                throw std::invalid_argument("--pair needs KEY=VALUE, not '" + pair + "'");
            line.pairs.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        } else if (option == "--answer") {
            for (const std::string& answer : splitList(value())) line.answers.push_back(answer);
        } else if (option == "--library") {
            line.library = value();
        } else if (option == "--keep-loaded") {
            line.keepLoaded = true;
        } else if (option == "--expect-released") {
            line.expectReleased.push_back(value());
        } else if (option == "--count") {
            line.count = parseInt(option, value());
            line.countGiven = true;
        } else if (option == "--null") {
            std::string argument = value();
            if (std::find(kNullable.begin(), kNullable.end(), argument) == kNullable.end())
                throw std::invalid_argument(
                    "--null takes unc, pairs, key, value, result-text or "
                    "info, not '" +
                    argument + "'");
            line.nullArguments.push_back(argument);
        } else if ((line.command == "correct" || line.command == "reconcile") &&
                   option == "--date") {
            line.date = value();
            if (line.date.size() != 10 || line.date[4] != '-' || line.date[7] != '-')
                throw std::invalid_argument("--date takes a date YYYY-MM-DD");
        } else if (line.command == "correct" && option == "--service") {
            line.service = argumentToCp1251(value());
        } else if (isJournalCommand(line.command) && line.command != "reconcile" &&
                   option == "--unc") {
            line.unc = argumentToCp1251(value());
            uncGiven = true;
        } else if ((line.command == "health" || line.command == "reconcile") &&
                   option == "--json") {
            line.json = true;
        } else if (line.command == "reconcile" && option == "--csv") {
            line.csvFile = argumentToCp1251(value());
            if (line.csvFile.empty()) throw std::invalid_argument("--csv needs a file");
        } else if ((isJournalCommand(line.command) || line.command == "health") &&
                   option == "--code") {
            line.code = argumentToCp1251(value());
        } else if ((line.command == "settle" || line.command == "correct") && option == "--type") {
            line.typeOper = value();
            if (line.typeOper != "P" && line.typeOper != "V")
                throw std::invalid_argument("--type takes P or V");
        } else if (line.command == "journal" && option == "--since") {
            line.since = value();
            if (line.since.size() != 10 || line.since[4] != '-' || line.since[7] != '-')
                throw std::invalid_argument("--since takes a date YYYY-MM-DD");
        } else if (line.command == "journal" && option == "--check") {
            line.checkFiles = true;
        } else if (line.command == "journal" && option == "--backup") {
            line.backupFile = argumentToCp1251(value());
            if (line.backupFile.empty()) throw std::invalid_argument("--backup needs a file");
        } else if (line.command == "journal" && option == "--state") {
            line.state = value();
            if (line.state != "started" && line.state != "registered" && line.state != "refused" &&
                line.state != "in doubt" && line.state != "in-doubt" &&
                line.state != "correcting" && line.state != "corrected")
                throw std::invalid_argument(
                    "--state takes started, registered, refused, in-doubt, correcting or "
                    "corrected");
            if (line.state == "in-doubt") line.state = "in doubt";
        } else if (line.command == "send" && option == "--unc") {
            line.unc = argumentToCp1251(value());
            uncGiven = true;
        } else if (line.command == "send" && option == "--sum") {
            line.sum = parseUnsigned(option, value());
            sumGiven = true;
        } else if (line.command == "send" && option == "--comis") {
            line.comis = parseUnsigned(option, value());
        } else if (line.command == "send" && option == "--no-print") {
            line.print = false;
        } else {
            throw std::invalid_argument("unknown option '" + option + "' for " + line.command);
        }
    }
    if (line.command == "send" && (!uncGiven && !line.wantsNull("unc")))
        throw std::invalid_argument("send needs --unc");
    if (line.command == "send" && !sumGiven) throw std::invalid_argument("send needs --sum");
    if (line.command == "settle" && !uncGiven) throw std::invalid_argument("settle needs --unc");
    if (line.command == "correct" && !uncGiven) throw std::invalid_argument("correct needs --unc");
    if ((line.checkFiles || !line.backupFile.empty()) &&
        (line.checkFiles == !line.backupFile.empty() || uncGiven || !line.since.empty() ||
         !line.state.empty()))
        throw std::invalid_argument("journal takes --check or --backup FILE alone (with --code)");
    if (line.command == "check" && !line.pairs.empty())
        throw std::invalid_argument("check takes no --pair");
    return line;
}

bool isJournalCommand(const std::string& command) {
    return command == "journal" || command == "settle" || command == "correct" ||
           command == "reconcile";
}

bool isHelpOption(const std::string& argument) { return argument == "--help" || argument == "-h"; }

const char* usageText() {
    return "usage: vorna-cash COMMAND [OPTIONS]\n"
           "       vorna-cash --help | -h      prints this text\n"
           "commands (one export of vorna.cash.sender each):\n"
           "  x-report | z-report [--pair KEY=VALUE]...\n"
           "  check\n"
           "  check-link | info [--pair KEY=VALUE]...\n"
           "  send --unc N --sum KOPECKS [--comis K] [--no-print] [--pair KEY=VALUE]...\n"
           "the payment journal (PaymentJournal of vorna.cash.sender.ini beside vorna-cash;\n"
           "relative to LogDirectory, and a relative LogDirectory to vorna-cash's folder):\n"
           "  journal [--unc N] [--since YYYY-MM-DD] [--state "
           "started|registered|refused|in-doubt|\n"
           "          correcting|corrected] [--code IBS_CODE]          lists the records\n"
           "  journal --check [--code IBS_CODE]\n"
           "          SQLite's integrity check, the sizes of the file and its write-ahead\n"
           "          log (-wal), the records; exit code 0 sound, 2 damaged, 3 cannot open\n"
           "  journal --backup FILE [--code IBS_CODE]\n"
           "          a consistent copy, whole in FILE (SQLite's backup API)\n"
           "  settle --unc N [--type P|V] [--code IBS_CODE]\n"
           "          settles a record in doubt against the register's fiscal storage,\n"
           "          registering nothing, and prints what it found\n"
           "the register's health, for bank IT and monitoring (Nagios, Icinga, Zabbix):\n"
           "  health [--json] [--code IBS_CODE]\n"
           "          first line KKT OK|WARNING|CRITICAL|UNKNOWN - reasons; exit code 0, 1, 2, 3\n"
           "          (--json: one object instead)\n"
           "  correct --unc N [--type P|V] [--code IBS_CODE] [--date YYYY-MM-DD]\n"
           "          [--service NAME]\n"
           "          a correction receipt for a payment the register refused: the same\n"
           "          sum, tax and agent data, dated with the settlement's day (--date,\n"
           "          from the day of the payment's first attempt to today; default: that\n"
           "          first day); safe to repeat, it prints the\n"
           "          receipt (fiscal document number, fiscal sign, time); --service names\n"
           "          the service for a record of the journal's earlier version\n"
           "  reconcile [--date YYYY-MM-DD] [--code IBS_CODE] [--json] [--csv FILE]\n"
           "          holds the day's journal records (today by default) against every\n"
           "          fiscal document the register made that day: matched, mismatch,\n"
           "          missing, foreign, open; exit code 0 all matched, 1 only open records,\n"
           "          2 any foreign, missing or mismatch, 3 the journal or the fiscal\n"
           "          storage could not be read; --csv: every record and receipt for Excel\n"
           "options for every command:\n"
           "  --answer yes,no,...      answers the library's message boxes in order\n"
           "  --library PATH           the sender library (default: the one beside vorna-cash)\n"
           "  --expect-released NAME   after the call, tells whether NAME is still loaded\n"
           "  --keep-loaded            exits with the sender still loaded (no FreeLibrary), as\n"
           "                           a host that never unloads it: its objects go at exit\n"
           "  --count N                passes N as the number of pairs\n"
           "  --null ARG               passes a null pointer for ARG (unc, pairs, key, value,\n"
           "                           result-text, info), as a faulty host would\n"
           "Several calls, separated by --, run one after the other in one process.\n"
           "An option other than --pair, --answer, --expect-released and --null is given\n"
           "at most once.\n"
           "The result code and its text are printed; the exit code is the result code.\n"
           "exit codes of journal, settle, correct and reconcile besides the result codes:\n"
           "  3    the payment journal cannot be opened, read or written: nothing was done\n"
           "       (correct also gives 3 for a closed shift; its lines tell which)\n"
           "  100  the request is refused: no such record, a --code or a date not accepted\n"
           "  125  a wrong command line, or the payment journal is off\n";
}

}  // namespace tool
}  // namespace vorna
