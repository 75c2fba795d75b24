// vorna-cash: calls one export of vorna.cash.sender the way a banking host
// does (load the library, resolve the plain name, call it with the stdcall
// convention), prints the result code and its text in UTF-8 and exits with
// the result code.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "tools/vorna-cash/command_line.h"
#include "tools/vorna-cash/exit_codes.h"
#include "tools/vorna-cash/health_command.h"
#include "tools/vorna-cash/journal_commands.h"
#include "vorna/cash_sender.h"

using ParameterPair = VornaParameterPair;
namespace platform = vorna::platform;
namespace tool = vorna::tool;
using tool::kToolFailure;

namespace {

std::string defaultLibrary() {
    std::string directory = platform::removeFileSpec(platform::moduleFileName(nullptr));
    return directory + platform::pathSeparator() + "vorna.cash.sender" VORNA_LIBRARY_SUFFIX;
}

// The pairs as the host hands them over, with the faults asked for.
struct HostPairs {
    std::vector<ParameterPair> pairs;
    const ParameterPair* pointer = nullptr;
    int count = 0;
};

HostPairs hostPairs(const tool::CommandLine& line) {
    HostPairs host;
    for (const auto& [key, value] : line.pairs)
        host.pairs.push_back(ParameterPair{line.wantsNull("key") ? nullptr : key.c_str(),
                                           line.wantsNull("value") ? nullptr : value.c_str()});
    host.pointer = line.wantsNull("pairs") || host.pairs.empty() ? nullptr : host.pairs.data();
    host.count = line.countGiven ? line.count : static_cast<int>(host.pairs.size());
    return host;
}

void* resolve(platform::LibraryHandle library, const char* name) {
    void* symbol = platform::findSymbol(library, name);
    if (!symbol)
        throw std::runtime_error(std::string("the library does not export ") + name + ": " +
                                 platform::loaderErrorText());
    return symbol;
}

template <typename Function>
Function exported(platform::LibraryHandle library, const char* name) {
    return reinterpret_cast<Function>(resolve(library, name));
}

void printResult(int code, const char* text, bool hasText) {
    std::string line = "result: " + std::to_string(code);
    if (hasText) line += text ? " " + platform::cp1251ToUtf8(text) : std::string(" (no text)");
    std::printf("%s\n", line.c_str());
}

int call(platform::LibraryHandle library, const tool::CommandLine& line) {
    HostPairs host = hostPairs(line);
    const char* text = nullptr;
    const char** textOut = line.wantsNull("result-text") ? nullptr : &text;
    const std::string& command = line.command;
    if (command == "x-report" || command == "z-report") {
        auto report =
            exported<VornaReportFunction>(library, command == "x-report" ? "xReport" : "zReport");
        int code = report(host.pointer, host.count);
        printResult(code, nullptr, false);
        return code;
    }
    if (command == "check") {
        int code = exported<VornaCheckKktFunction>(library, "checkKKT")(textOut);
        printResult(code, text, true);
        return code;
    }
    if (command == "check-link") {
        int code = exported<VornaCheckLinkKktFunction>(library, "checkLinkKKT")(
            textOut, host.pointer, host.count);
        printResult(code, text, true);
        return code;
    }
    if (command == "info") {
        // A stale pointer, as a host that reuses its variable leaves it: the
        // library must overwrite it on every result.
        static char stale[] = "stale";
        char* info = stale;
        char** infoOut = line.wantsNull("info") ? nullptr : &info;
        int code = exported<VornaCheckInfoKktFunction>(library, "checkInfoKKT")(
            textOut, host.pointer, host.count, infoOut);
        printResult(code, text, true);
        if (infoOut && info == stale) {
            std::printf("info: (unwritten)\n");
        } else if (infoOut && info) {
            std::printf("info: %s\n", platform::cp1251ToUtf8(info).c_str());
            // The host owns the text and gives it back to the library that made it.
            exported<VornaReleaseInfoKktFunction>(library, "releaseInfoKKT")(info);
        } else {
            std::printf("info: (none)\n");
        }
        return code;
    }
    const char* unc = line.wantsNull("unc") ? nullptr : line.unc.c_str();
    int code = exported<VornaSendChequeFunction>(library, "sendCheque")(
        unc, line.sum, line.comis, host.pointer, host.count, textOut, line.print ? 1 : 0);
    printResult(code, text, true);
    return code;
}

}  // namespace

// The command lines of one invocation: "--" separates calls that the tool
// makes one after the other with the library loaded once, as a host does.
std::vector<tool::CommandLine> parseCalls(int argc, char** argv) {
    std::vector<tool::CommandLine> calls;
    std::vector<char*> segment{argv[0]};
    for (int i = 1; i <= argc; ++i) {
        if (i == argc || std::string(argv[i]) == "--") {
            calls.push_back(
                tool::parseCommandLine(static_cast<int>(segment.size()), segment.data()));
            segment.resize(1);
        } else {
            segment.push_back(argv[i]);
        }
    }
    for (const tool::CommandLine& line : calls)
        if (line.library != calls.front().library)
            throw std::invalid_argument("--library must be the same for every call");
    return calls;
}

int main(int argc, char** argv) {
    if (argc == 2 && tool::isHelpOption(argv[1])) {
        std::printf("%s", tool::usageText());
        return 0;
    }
    std::vector<tool::CommandLine> calls;
    try {
        calls = parseCalls(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorna-cash: %s\n%s", e.what(), tool::usageText());
        return kToolFailure;
    }
    if (tool::isJournalCommand(calls.front().command)) {
        platform::MessageBoxAnswers answerer(calls.front().answers);
        return tool::runJournalCommand(calls.front());
    }
    if (calls.front().command == "health") return tool::runHealthCommand(calls.front());
    const std::string& chosen = calls.front().library;
    std::string path = chosen.empty() ? defaultLibrary() : chosen;
    platform::LibraryHandle library = platform::loadLibrary(path);
    if (!library) {
        std::fprintf(stderr, "vorna-cash: cannot load %s: %s\n", path.c_str(),
                     platform::loaderErrorText().c_str());
        return kToolFailure;
    }
    int code = kToolFailure;
    for (const tool::CommandLine& line : calls) {
        code = kToolFailure;
        try {
            platform::MessageBoxAnswers answerer(line.answers);
            code = call(library, line);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vorna-cash: %s\n", e.what());
        }
        for (const std::string& name : line.expectReleased)
            std::printf("%s: %s\n", platform::isLibraryLoaded(name) ? "still loaded" : "released",
                        name.c_str());
        std::fflush(stdout);
    }
    // A host that never unloads the library leaves its objects to the
    // process's exit, where the system ends them under its own rules.
    if (!calls.back().keepLoaded) platform::freeLibrary(library);
    return code;
}
