// Settings files: a location keyword, a file name and a delimiter set give a
// stream of tokens, taken in pairs as key and value and handed to a handler.
//
// Use:
//   readIniFile("GLOBAL", module, "x.ini", "\n\r=", settings,
//               [](Settings& s, const std::string& key, const std::string& value) { ... });
//   readIniFile("Windows", nullptr, "x.ini", "\n\r=", config, &Config::handle);
// The handler may be a free function, a lambda or a member function of the
// target; it gets key and value already trimmed. Exceptions it raises leave
// readIniFile (the file is closed on the way). Locations:
//   "GLOBAL" (any case): directory of the module (null = host executable) + name;
//   "FILE"   (any case): the file name as given;
//   anything else:       %USERPROFILE% + separator + location + separator + name.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <utility>

#include "common/platform/platform.h"

namespace vorna {

// Cuts a character stream into tokens: runs of characters that are not in
// the delimiter set, with ";" and "//" line comments and "/* */" block
// comments removed. Empty tokens never come out.
class IniTokenizer {
public:
    IniTokenizer(std::istream& in, std::string delimiters);

    // The next token, untrimmed; false when the stream has no more.
    bool next(std::string& token);

private:
    bool isDelimiter(int c) const;
    void skipToEndOfLine();
    void skipBlockComment();

    std::istream& in_;
    std::string delimiters_;
};

// The token without leading and trailing " \n\f\t\r"; a token made only of
// those characters comes back unchanged.
std::string trimIniToken(const std::string& token);

// Called with every complete (trimmed) key and value, in file order.
using IniPairHandler = std::function<void(const std::string& key, const std::string& value)>;

// Reads pairs from a stream; a trailing key without a value is dropped.
void readIniPairs(std::istream& in, const std::string& delimiters, const IniPairHandler& pair);

// The path of a settings file for a location. False when the location has no
// path: the profile location without a usable "USERPROFILE" (missing, or
// longer than the 260 bytes the reader allows). Throws winapi::Exception when
// the module's file name cannot be had for "GLOBAL".
bool iniFilePath(const std::string& location, platform::LibraryHandle module,
                 const std::string& fileName, std::string& path);

// Where a library's settings reads tell that a file was UTF-8: a function
// that logs the line. Each library installs its own; none installed: silent.
using IniNoticeWriter = void (*)(const std::string& line);
void setIniNoticeWriter(IniNoticeWriter writer);

// Opens the file (text mode, shared) and reads its pairs; false when it cannot
// be opened (a missing file is no error), true otherwise, whatever it held.
// A file that begins with the UTF-8 byte-order mark (as Notepad saves UTF-8)
// is read as UTF-8 and converted to Windows-1251, a character without a 1251
// form becoming "?", and the notice writer gets a line naming the file; any
// other file is read byte for byte.
bool readIniPairsFromFile(const std::string& path, const std::string& delimiters,
                          const IniPairHandler& pair);

// Reads one settings file into target through handler(target, key, value).
template <class Target, class Handler>
bool readIniFile(const std::string& location, platform::LibraryHandle module,
                 const std::string& fileName, const std::string& delimiters, Target& target,
                 Handler handler) {
    std::string path;
    if (!iniFilePath(location, module, fileName, path)) return false;
    return readIniPairsFromFile(path, delimiters,
                                [&](const std::string& key, const std::string& value) {
                                    std::invoke(handler, target, key, value);
                                });
}

// The same over an open stream (used by tests and the fuzzer).
template <class Target, class Handler>
void readIniStream(std::istream& in, const std::string& delimiters, Target& target,
                   Handler handler) {
    readIniPairs(in, delimiters, [&](const std::string& key, const std::string& value) {
        std::invoke(handler, target, key, value);
    });
}

}  // namespace vorna
