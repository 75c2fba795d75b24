#include "bench/payment/trace_call.h"

#include <cstdlib>
#include <stdexcept>

namespace vorna {
namespace bench {

namespace {

[[noreturn]] void fail(const std::string& line, const char* why) {
    throw std::invalid_argument(std::string("trace line: ") + why + ": " + line);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at line[at] == '"'; at ends after the closing quote.
std::string quoted(const std::string& line, std::size_t& at) {
    std::string text;
    for (++at; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '"') {
            ++at;
            return text;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++at >= line.size()) break;
        const char escaped = line[at];
        if (escaped == 'n') {
            text += '\n';
        } else if (escaped == 'x' && at + 2 < line.size()) {
            const int high = hexDigit(line[at + 1]), low = hexDigit(line[at + 2]);
            if (high < 0 || low < 0) fail(line, "bad \\x escape");
            text += static_cast<char>(high * 16 + low);
            at += 2;
        } else {
            text += escaped;  // \" and \\ stand for themselves
        }
    }
    fail(line, "unterminated text");
}

// Reads "[0a ff]" starting at line[at] == '['; at ends after the ']'.
std::vector<unsigned char> byteArray(const std::string& line, std::size_t& at) {
    std::vector<unsigned char> bytes;
    for (++at; at < line.size() && line[at] != ']'; ++at) {
        if (line[at] == ' ') continue;
        if (at + 1 >= line.size()) break;
        const int high = hexDigit(line[at]), low = hexDigit(line[at + 1]);
        if (high < 0 || low < 0) fail(line, "bad byte");
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
        ++at;
    }
    if (at >= line.size()) fail(line, "unterminated byte array");
    ++at;
    return bytes;
}

}  // namespace

TraceCall parseTraceLine(const std::string& line) {
    TraceCall call;
    const std::size_t open = line.find('(');
    if (open == std::string::npos || open == 0) fail(line, "no call");
    call.function = line.substr(0, open);
    std::size_t at = open + 1;
    for (;;) {
        while (at < line.size() && (line[at] == ' ' || line[at] == ',')) ++at;
        if (at >= line.size()) fail(line, "no closing parenthesis");
        if (line[at] == ')') break;
        TraceArgument argument;
        if (line[at] == '"') {
            argument.kind = TraceArgument::Kind::text;
            argument.text = quoted(line, at);
        } else if (line[at] == '[') {
            argument.kind = TraceArgument::Kind::bytes;
            argument.bytes = byteArray(line, at);
        } else {
            const std::size_t end = line.find_first_of(",)", at);
            if (end == std::string::npos) fail(line, "no closing parenthesis");
            argument.word = line.substr(at, end - at);
            at = end;
        }
        call.arguments.push_back(std::move(argument));
    }
    const std::string rest = line.substr(at + 1);
    if (rest.rfind(" = ", 0) == 0) {
        call.result = rest.substr(3);
    } else if (rest.rfind(" threw ", 0) == 0) {
        call.threw = true;
    } else if (!rest.empty()) {
        fail(line, "unexpected text after the call");
    }
    return call;
}

int instanceNumber(const TraceArgument& argument) {
    const std::string& word = argument.word;
    const std::size_t hash = word.rfind("&#", 0) == 0 ? 2 : word.rfind('#', 0) == 0 ? 1 : 0;
    if (argument.kind != TraceArgument::Kind::word || hash == 0 || hash >= word.size()) return -1;
    char* end = nullptr;
    const long number = std::strtol(word.c_str() + hash, &end, 10);
    return *end == '\0' && number > 0 ? static_cast<int>(number) : -1;
}

}  // namespace bench
}  // namespace vorna
