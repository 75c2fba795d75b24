#include "emulator/tool/tool_commands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "common/platform/platform.h"
#include "emulator/emulator_clock.h"
#include "emulator/errors.h"
#include "emulator/faults.h"
#include "emulator/file_io.h"
#include "emulator/instance.h"
#include "emulator/library_version.h"
#include "emulator/register_machine.h"
#include "emulator/state_store.h"
#include "fptr10/fptr10_numbers.h"

namespace vorna {
namespace emulator {
namespace tool {

using nlohmann::json;

namespace {

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> named;  // --name value (flags get "1")
    bool has(const std::string& key) const { return named.count(key) != 0; }
    std::string get(const std::string& key, const std::string& fallback = "") const {
        auto it = named.find(key);
        return it == named.end() ? fallback : it->second;
    }
};

bool isValidUtf8(const std::string& text) {
    try {
        (void)json(text).dump();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Arguments arrive in UTF-8 on Linux and in the ANSI code page (1251) on Windows.
std::string argumentText(const std::string& arg) {
    return isValidUtf8(arg) ? arg : platform::cp1251ToUtf8(arg);
}

Options parse(const std::vector<std::string>& args, std::size_t from) {
    static const char* const flags[] = {"--always", "--keep-files"};
    Options o;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            bool flag = false;
            for (const char* f : flags) flag = flag || a == f;
            if (flag || i + 1 >= args.size())
                o.named[a] = "1";
            else
                o.named[a] = argumentText(args[++i]);
        } else {
            o.positional.push_back(argumentText(a));
        }
    }
    return o;
}

json parseValue(const std::string& text) {
    try {
        return json::parse(text);
    } catch (const std::exception&) {
        return text;
    }
}

int toInt(const std::string& text, const char* what) {
    std::size_t used = 0;
    int v = std::stoi(text, &used);
    if (used != text.size()) throw std::invalid_argument(std::string("not a number: ") + what);
    return v;
}

// Seconds of "+90", "90s", "30m", "25h", "2d"; "-3d" is back.
long long durationSeconds(std::string text) {
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    long long unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
            case 's':
                unit = 1;
                text.pop_back();
                break;
            case 'm':
                unit = 60;
                text.pop_back();
                break;
            case 'h':
                unit = 3600;
                text.pop_back();
                break;
            case 'd':
                unit = 86400;
                text.pop_back();
                break;
            default:
                break;
        }
    }
    std::size_t used = 0;
    long long v = std::stoll(text, &used);
    if (used != text.size()) throw std::invalid_argument("bad duration");
    return v * unit;
}

int withState(const std::string& dir, std::ostream& err, const std::function<int(json&)>& change) {
    StateSession session(dir);
    if (!session.ok()) {
        err << "fptr10-emulator: " << session.problem() << "\n";
        return 2;
    }
    int rc = change(session.state());
    if (rc == 0 && !session.save()) {
        err << "fptr10-emulator: cannot write the state in " << dir << "\n";
        return 2;
    }
    return rc;
}

int cmdInit(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    json s = defaultState();
    const std::string ffd = o.get("--ffd", "1.05");
    if (ffd == "1.2" || ffd == "120")
        s["registration"]["1209"] = 120;
    else if (ffd == "1.05" || ffd == "105")
        s["registration"]["1209"] = 105;
    else if (ffd == "1.1" || ffd == "110")
        s["registration"]["1209"] = 110;
    else {
        err << "fptr10-emulator: unknown FFD version " << ffd << " (1.05, 1.1 or 1.2)\n";
        return 1;
    }
    if (o.has("--agent-sign"))
        s["registration"]["1057"] = toInt(o.get("--agent-sign"), "agent sign");
    if (o.has("--inn")) s["registration"]["1018"] = o.get("--inn");
    if (o.has("--name")) s["registration"]["1048"] = o.get("--name");
    if (o.has("--address")) {
        s["registration"]["1009"] = o.get("--address");
        s["registration"]["1187"] = o.get("--address");
    }
    if (o.has("--firmware")) s["status"]["firmwareVersion"] = o.get("--firmware");
    if (o.has("--serial")) s["status"]["serialNumber"] = o.get("--serial");
    if (o.has("--taxation")) s["registration"]["1062"] = toInt(o.get("--taxation"), "taxation");
    if (o.has("--errors")) {
        error::Convention convention;
        if (!error::conventionOf(o.get("--errors"), convention)) {
            err << "fptr10-emulator: --errors is current or legacy\n";
            return 1;
        }
        s["errors"] = o.get("--errors");
    }
    int rc = withState(dir, err, [&](json& state) {
        state = s;
        if (!o.has("--keep-files")) {
            for (const char* name :
                 {kJournalFileName, kTapeFileName, kTraceFileName, kViolationsFileName})
                if (!writeWholeFile(emulatorFile(dir, name), "")) {
                    err << "fptr10-emulator: cannot empty " << emulatorFile(dir, name) << "\n";
                    return 2;
                }
        }
        return 0;
    });
    if (rc == 0) out << "register initialised in " << dir << "\n";
    return rc;
}

// The lines of the contract violations file.
std::vector<std::string> violationLines(const std::string& dir) {
    std::vector<std::string> lines;
    std::string text;
    if (!readWholeFile(emulatorFile(dir, kViolationsFileName), text)) return lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

int cmdShow(const std::string& dir, std::ostream& out, std::ostream& err) {
    return withState(dir, err, [&](json& state) {
        json view = state;
        view["contractViolations"] = violationLines(dir).size();
        const long long offset = state["clockOffset"].get<long long>();
        const long long now = registerNow(offset);
        view["clock"] = formatTime(now);
        int shift = 0;
        if (state["shift"]["open"].get<bool>())
            shift = now - state["shift"]["openedAt"].get<long long>() > 24 * 3600 ? 2 : 1;
        view["shift"]["state"] = shift == 0 ? "closed" : shift == 1 ? "open" : "expired";
        out << view.dump(2) << "\n";
        return 0;
    });
}

// "a.b.c" into a JSON pointer.
json::json_pointer pointerOf(const std::string& path) {
    std::string p;
    std::stringstream s(path);
    std::string part;
    while (std::getline(s, part, '.')) p += "/" + part;
    return json::json_pointer(p);
}

int cmdSet(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) {
        err << "fptr10-emulator: set needs a key and a value\n";
        return 1;
    }
    return withState(dir, err, [&](json& state) {
        const json::json_pointer ptr = pointerOf(o.positional[0]);
        if (!state.contains(ptr)) {
            err << "fptr10-emulator: the state has no " << o.positional[0] << "\n";
            return 1;
        }
        json& current = state[ptr];
        json value = parseValue(o.positional[1]);
        error::Convention convention;
        if (o.positional[0] == "errors" && !error::conventionOf(o.positional[1], convention)) {
            err << "fptr10-emulator: errors is current or legacy\n";
            return 1;
        }
        if (current.is_string()) value = o.positional[1];  // texts stay texts (a number-like INN)
        const bool fits = current.is_null() || (current.is_boolean() && value.is_boolean()) ||
                          (current.is_number() && value.is_number()) ||
                          (current.is_string() && value.is_string()) ||
                          (current.is_structured() && value.is_structured());
        if (!fits) {
            err << "fptr10-emulator: " << o.positional[0] << " takes a value like "
                << current.dump() << "\n";
            return 1;
        }
        current = value;
        out << o.positional[0] << " = " << state[ptr].dump() << "\n";
        return 0;
    });
}

int cmdClock(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) {
        err << "fptr10-emulator: clock needs +DURATION (e.g. +25h), -DURATION (e.g. -3d) or "
               "reset\n";
        return 1;
    }
    return withState(dir, err, [&](json& state) {
        if (o.positional[0] == "reset")
            state["clockOffset"] = 0;
        else
            state["clockOffset"] =
                state["clockOffset"].get<long long>() + durationSeconds(o.positional[0]);
        out << "register clock: " << formatTime(registerNow(state["clockOffset"].get<long long>()))
            << "\n";
        return 0;
    });
}

// Kopecks of a positive sum of roubles with at most two decimals ("77",
// "77.00", "0.5"); false for anything else.
bool parseRoubles(const std::string& text, long long& kopecks) {
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string cents = dot == std::string::npos ? "" : text.substr(dot + 1);
    auto digits = [](const std::string& t) {
        for (char c : t)
            if (c < '0' || c > '9') return false;
        return true;
    };
    if (whole.empty() || whole.size() > 12 || !digits(whole) || !digits(cents) ||
        (dot != std::string::npos && (cents.empty() || cents.size() > 2)))
        return false;
    std::string hundredths = cents;
    hundredths.resize(2, '0');
    kopecks = std::stoll(whole) * 100 + std::stoll(hundredths);
    return kopecks > 0;
}

// Receipts typed on the register's keyboard: fiscal documents as the
// library's make, without a host. All of them are made under one hold of
// the register's lock and written to the journal and tape in one go.
int cmdReceipt(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    for (const auto& option : o.named)
        if (option.first != "--sum" && option.first != "--type" && option.first != "--count") {
            err << "fptr10-emulator: receipt takes --sum, --type and --count, not " << option.first
                << "\n";
            return 1;
        }
    long long kopecks = 0;
    if (!o.positional.empty() || !parseRoubles(o.get("--sum"), kopecks)) {
        err << "fptr10-emulator: receipt --sum takes a positive sum of roubles with at most two "
               "decimals (77, 77.00, 0.5), not \""
            << o.get("--sum") << "\"\n";
        return 1;
    }
    const std::string type = o.get("--type", "sale");
    if (type != "sale" && type != "return") {
        err << "fptr10-emulator: receipt --type is sale or return\n";
        return 1;
    }
    const std::string countText = o.get("--count", "1");
    long long count = 0;
    if (countText.empty() || countText.size() > 7 ||
        countText.find_first_not_of("0123456789") != std::string::npos ||
        (count = std::stoll(countText)) < 1) {
        err << "fptr10-emulator: receipt --count takes a whole number from 1 to 9999999\n";
        return 1;
    }
    const int receiptType = type == "sale" ? libfptr::rt::sell : libfptr::rt::sellReturn;

    StateSession session(dir);
    if (!session.ok()) {
        err << "fptr10-emulator: " << session.problem() << "\n";
        return 2;
    }
    session.holdAppends();
    Instance keyboard;
    keyboard.keyboard = true;
    keyboard.opened = true;
    RegisterMachine machine(session, keyboard);
    // Few receipts are listed one by one; many get one summary line.
    const bool listed = count <= 20;
    long long made = 0;
    int first = 0, last = 0, failure = 0;
    for (; made < count; ++made) {
        RegisterMachine::TypedReceipt done;
        failure = machine.typeReceipt(receiptType, kopecks, done);
        if (done.shiftOpenedBy != 0)
            out << "open shift: document " << done.shiftOpenedBy << ", shift "
                << session.state()["shift"]["number"].get<int>() << "\n";
        if (done.document != 0) {
            if (first == 0) first = done.document;
            last = done.document;
            if (listed)
                out << "receipt: document " << done.document << ", " << type << " "
                    << moneyText(kopecks) << ", fiscal sign " << done.fiscalSign << ", "
                    << formatTime(done.at) << "\n";
        }
        if (failure != 0) {
            if (done.document != 0) ++made;
            break;
        }
    }
    const bool written = session.flushAppends();
    if (!session.save() || !written) {
        err << "fptr10-emulator: cannot write the register's files in " << dir << "\n";
        return 2;
    }
    if (!listed && made > 0)
        out << "receipts: " << made << ", documents " << first << ".." << last << "\n";
    if (failure != 0) {
        const error::Reported reported = error::report(failure, error::Convention::current);
        err << "fptr10-emulator: the register refuses the receipt: error " << reported.code << " \""
            << reported.text << "\"";
        if (made > 0) err << " (after " << made << " receipts)";
        err << "\n";
        return 1;
    }
    return 0;
}

// The version of the library the emulator acts as, and so its tax type numbers.
int cmdVersion(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() > 1 || (o.positional.size() == 1 && o.positional[0].empty())) {
        err << "fptr10-emulator: version takes one version text (e.g. 10.10.6.0)\n";
        return 1;
    }
    return withState(dir, err, [&](json& state) {
        if (o.positional.size() == 1) state[kLibraryVersionKey] = o.positional[0];
        out << "library version: " << libraryVersionOf(state) << "\n";
        return 0;
    });
}

// The fiscal storage: its validity, state, registrations left and warning flags.
int cmdFn(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    static const std::map<std::string, std::string> kFlags = {
        {"need-replacement", "needReplacement"},
        {"resource-exhausted", "resourceExhausted"},
        {"memory-overflow", "memoryOverflow"},
        {"ofd-timeout", "ofdTimeout"},
        {"critical-error", "criticalError"}};
    const std::vector<std::string>& a = o.positional;
    const std::string what = a.empty() ? "" : a[0];
    return withState(dir, err, [&](json& state) {
        json& fn = state["fn"];
        if (what == "days" && a.size() == 2) {
            const long long now = registerNow(state["clockOffset"].get<long long>());
            fn["validUntil"] = formatTime(now + 86400LL * toInt(a[1], "days")).substr(0, 10);
        } else if (what == "valid-until" && a.size() == 2) {
            int y = 0, m = 0, d = 0;
            if (a[1].size() != 10 || std::sscanf(a[1].c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3 ||
                m < 1 || m > 12 || d < 1 || d > 31) {
                err << "fptr10-emulator: fn valid-until takes a date YYYY-MM-DD\n";
                return 1;
            }
            fn["validUntil"] = a[1];
        } else if (what == "registrations" && a.size() == 2) {
            fn["registrationsLeft"] = toInt(a[1], "registrations");
        } else if (what == "state" && a.size() == 2) {
            fn["state"] = toInt(a[1], "state");
        } else if (what == "flag" && a.size() == 3 && kFlags.count(a[1]) &&
                   (a[2] == "on" || a[2] == "off")) {
            fn[kFlags.at(a[1])] = a[2] == "on";
        } else if (what == "clear" && a.size() == 1) {
            for (const auto& flag : kFlags) fn[flag.second] = false;
            fn["state"] = libfptr::fnstate::fiscalMode;
        } else {
            err << "fptr10-emulator: fn takes days N, valid-until DATE, registrations N, state N,\n"
                   "  flag need-replacement|resource-exhausted|memory-overflow|ofd-timeout|"
                   "critical-error on|off, or clear\n";
            return 1;
        }
        out << "fn: " << fn.dump() << "\n";
        return 0;
    });
}

// The link to the operator (OFD): offline, fiscal documents wait in a queue;
// online, the queue is sent and confirmed.
int cmdOfd(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& a = o.positional;
    if (a.size() != 1 || (a[0] != "online" && a[0] != "offline")) {
        err << "fptr10-emulator: ofd takes online or offline\n";
        return 1;
    }
    return withState(dir, err, [&](json& state) {
        json& ofd = state["ofd"];
        ofd["online"] = a[0] == "online";
        if (a[0] == "online") {
            out << "ofd: online, " << ofd["queue"].size() << " documents confirmed\n";
            ofd["queue"] = json::array();
        } else {
            out << "ofd: offline, " << ofd["queue"].size() << " documents waiting\n";
        }
        return 0;
    });
}

int cmdFault(const std::string& dir, const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.empty()) {
        err << "fptr10-emulator: fault needs a kind\n";
        return 1;
    }
    const std::string kind = o.positional[0];
    const std::string timing = o.get("--timing", "before");
    if (timing != "before" && timing != "after") {
        err << "fptr10-emulator: --timing is before or after\n";
        return 1;
    }
    const int count = o.has("--always")  ? -1
                      : o.has("--times") ? toInt(o.get("--times"), "times")
                                         : 1;
    return withState(dir, err, [&](json& s) -> int {
        json& faults = s["faults"];
        if (kind == "clear") {
            faults = json::array();
            s["paper"] = true;
            s["paperLinesLeft"] = -1;
            s["coverOpen"] = false;
            s["connectionRefused"] = false;
            s["connectionLost"] = false;
        } else if (kind == "paper-out") {
            if (o.has("--function")) {
                faults.push_back(makeFault("paper_out", o.get("--function"), timing, count));
            } else if (o.has("--after-lines")) {
                s["paperLinesLeft"] = toInt(o.get("--after-lines"), "lines");
                s["paperOutTiming"] = timing;
            } else {
                s["paper"] = false;
            }
        } else if (kind == "cover-open") {
            if (o.has("--function"))
                faults.push_back(makeFault("cover_open", o.get("--function"), timing, count));
            else
                s["coverOpen"] = true;
        } else if (kind == "connection-refused") {
            if (timing == "after")
                faults.push_back(makeFault("error", "libfptr_open", "after", -1, -11));
            else
                s["connectionRefused"] = true;
        } else if (kind == "connection-lost") {
            faults.push_back(makeFault("connection_lost", o.get("--function", "*"), timing, 1, 0,
                                       toInt(o.get("--after-calls", "0"), "calls")));
        } else if (kind == "fail") {
            if (o.positional.size() != 3) {
                err << "fptr10-emulator: fault fail FUNCTION ERROR\n";
                return 1;
            }
            faults.push_back(makeFault("error", o.positional[1], timing, count,
                                       toInt(o.positional[2], "error"),
                                       toInt(o.get("--skip", "0"), "skip")));
        } else if (kind == "throw") {
            if (o.positional.size() != 2) {
                err << "fptr10-emulator: fault throw FUNCTION\n";
                return 1;
            }
            faults.push_back(makeFault("throw", o.positional[1], timing, count, 0,
                                       toInt(o.get("--skip", "0"), "skip")));
        } else if (kind == "crash") {
            if (o.positional.size() != 2) {
                err << "fptr10-emulator: fault crash FUNCTION\n";
                return 1;
            }
            faults.push_back(makeFault("crash", o.positional[1], timing, count, 0,
                                       toInt(o.get("--skip", "0"), "skip")));
        } else if (kind == "reply-lost") {
            if (o.positional.size() != 2) {
                err << "fptr10-emulator: fault reply-lost FUNCTION\n";
                return 1;
            }
            faults.push_back(makeFault("reply_lost", o.positional[1], "after", count, 0,
                                       toInt(o.get("--skip", "0"), "skip")));
        } else if (kind == "unconfirmed") {
            faults.push_back(makeFault("unconfirmed", "libfptr_close_receipt", timing, count));
        } else {
            err << "fptr10-emulator: unknown fault " << kind << "\n";
            return 1;
        }
        out << "faults: " << faults.dump() << "\n";
        return 0;
    });
}

// Prints the violations; exit code 3 when there are any.
int cmdViolations(const std::string& dir, std::ostream& out) {
    const std::vector<std::string> lines = violationLines(dir);
    for (const std::string& line : lines) out << line << "\n";
    if (lines.empty()) out << "no contract violations\n";
    return lines.empty() ? 0 : 3;
}

int cmdPrintFile(const std::string& dir, const char* name, std::ostream& out) {
    std::string text;
    if (readWholeFile(emulatorFile(dir, name), text)) out << text;
    return 0;
}

}  // namespace

void printUsage(std::ostream& out) {
    out << "usage: fptr10-emulator [--dir DIR] COMMAND [ARGS]\n"
           "  init [--ffd 1.05|1.1|1.2] [--agent-sign N] [--inn INN] [--name NAME]\n"
           "       [--address ADDRESS] [--firmware X.Y.Z] [--serial S] [--taxation N] "
           "[--keep-files]\n"
           "       [--errors current|legacy]\n"
           "  show                      the state, with the register's clock and shift state\n"
           "  set KEY VALUE             e.g. set paper false, set registration.1057 4, set trace "
           "true,\n"
           "                            set errors legacy (the older direct failure numbers)\n"
           "  clock +DURATION | -DURATION | reset\n"
           "                            move the register's clock forward or back (+90s, +30m,\n"
           "                            +25h, +2d, -3d); documents keep the time they were made\n"
           "  receipt --sum RUBLES [--type sale|return] [--count N]\n"
           "                            N receipts typed on the register's keyboard (default 1):\n"
           "                            one position without VAT, paid in cash; the shift is\n"
           "                            opened first when it is closed\n"
           "  fault paper-out [--after-lines N] [--function F] [--timing before|after]\n"
           "  fault cover-open [--function F] [--timing before|after]\n"
           "  fault connection-refused [--timing before|after]\n"
           "  fault connection-lost --after-calls N [--timing before|after]\n"
           "  fault fail FUNCTION ERROR [--times N | --always] [--skip N] [--timing before|after]\n"
           "  fault throw FUNCTION [--times N | --always] [--skip N] [--timing before|after]\n"
           "  fault crash FUNCTION [--times N | --always] [--skip N] [--timing before|after]\n"
           "  fault reply-lost FUNCTION [--times N | --always] [--skip N]\n"
           "  fault unconfirmed [--times N] [--timing before|after]\n"
           "  fault clear\n"
           "  fn days N | valid-until YYYY-MM-DD   the fiscal storage's validity\n"
           "  fn registrations N | state N          registrations left, state (3 fiscal mode)\n"
           "  fn flag need-replacement|resource-exhausted|memory-overflow|ofd-timeout|\n"
           "          critical-error on|off | fn clear      the storage's warning flags\n"
           "  ofd offline | online      the operator link: offline, fiscal documents wait\n"
           "                            for confirmation; online, they are confirmed\n"
           "  version [X.Y.Z.B]         the library version it acts as (10.10.8.0 by default):\n"
           "                            its text and its tax type numbers\n"
           "  tape | journal | trace    print the file\n"
           "  violations                the contract violations of callers (exit code 3 if any)\n"
           "The directory is --dir, else FPTR10_EMULATOR_DIR, else the current directory.\n";
}

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::size_t at = 0;
    std::string dir;
    if (args.size() >= 2 && args[0] == "--dir") {
        dir = args[1];
        at = 2;
    }
    if (dir.empty()) dir = emulatorDirectory();
    if (at >= args.size() || args[at] == "help" || args[at] == "--help") {
        printUsage(at >= args.size() ? err : out);
        return at >= args.size() ? 1 : 0;
    }
    const std::string command = args[at];
    const Options o = parse(args, at + 1);
    try {
        if (command == "init") return cmdInit(dir, o, out, err);
        if (command == "show") return cmdShow(dir, out, err);
        if (command == "set") return cmdSet(dir, o, out, err);
        if (command == "clock") return cmdClock(dir, o, out, err);
        if (command == "receipt") return cmdReceipt(dir, o, out, err);
        if (command == "fault") return cmdFault(dir, o, out, err);
        if (command == "fn") return cmdFn(dir, o, out, err);
        if (command == "version") return cmdVersion(dir, o, out, err);
        if (command == "ofd") return cmdOfd(dir, o, out, err);
        if (command == "tape") return cmdPrintFile(dir, kTapeFileName, out);
        if (command == "journal") return cmdPrintFile(dir, kJournalFileName, out);
        if (command == "trace") return cmdPrintFile(dir, kTraceFileName, out);
        if (command == "violations") return cmdViolations(dir, out);
    } catch (const std::exception& e) {
        err << "fptr10-emulator: " << e.what() << "\n";
        return 1;
    }
    err << "fptr10-emulator: unknown command " << command << "\n";
    printUsage(err);
    return 1;
}

}  // namespace tool
}  // namespace emulator
}  // namespace vorna
