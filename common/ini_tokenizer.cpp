#include <cctype>
#include <istream>
#include <string>

#include "common/ini_reader.h"

namespace vorna {

namespace {
bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

IniTokenizer::IniTokenizer(std::istream& in, std::string delimiters)
    : in_(in), delimiters_(std::move(delimiters)) {}

bool IniTokenizer::isDelimiter(int c) const {
    return delimiters_.find(static_cast<char>(c)) != std::string::npos;
}

void IniTokenizer::skipToEndOfLine() {
    // The line break itself stays for the next read.
    for (int c = in_.peek(); c != std::char_traits<char>::eof() && c != '\n'; c = in_.peek())
        in_.get();
}

void IniTokenizer::skipBlockComment() {
    int previous = 0;
    for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
        if (previous == '*' && c == '/') return;
        previous = c;
    }
}

bool IniTokenizer::next(std::string& token) {
    const int eof = std::char_traits<char>::eof();
    token.clear();
    while (isBlank(in_.peek())) in_.get();
    for (int c = in_.get(); c != eof; c = in_.get()) {
        if (c == '/') {
            const int following = in_.peek();
            if (following == '/') {
                skipToEndOfLine();
                if (!token.empty()) return true;
            } else if (following == '*') {
                in_.get();
                skipBlockComment();
                if (!token.empty()) return true;
            } else {
                token += '/';
                if (following != eof) token += static_cast<char>(in_.get());
            }
        } else if (c == ';') {
            skipToEndOfLine();
            if (!token.empty()) return true;
        } else if (isDelimiter(c)) {
            if (!token.empty()) return true;
        } else {
            token += static_cast<char>(c);
        }
    }
    return !token.empty();
}

std::string trimIniToken(const std::string& token) {
    static const char kTrimmed[] = " \n\f\t\r";
    const std::size_t first = token.find_first_not_of(kTrimmed);
    if (first == std::string::npos) return token;
    const std::size_t last = token.find_last_not_of(kTrimmed);
    return token.substr(first, last - first + 1);
}

}  // namespace vorna
