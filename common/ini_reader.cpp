#include "common/ini_reader.h"

#include <cctype>
#include <cstddef>
#include <fstream>

#include "common/app_exception.h"

namespace vorna {

namespace {

// The reader's buffer for the profile directory, its terminating NUL included.
constexpr std::size_t kProfileBufferSize = 260;

bool sameWord(const std::string& text, const char* word) {
    std::size_t i = 0;
    for (; i < text.size() && word[i] != '\0'; ++i) {
        const unsigned char a = static_cast<unsigned char>(text[i]);
        const unsigned char b = static_cast<unsigned char>(word[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return i == text.size() && word[i] == '\0';
}

}  // namespace

void readIniPairs(std::istream& in, const std::string& delimiters, const IniPairHandler& pair) {
    IniTokenizer tokenizer(in, delimiters);
    std::string key;
    std::string value;
    while (tokenizer.next(key)) {
        if (!tokenizer.next(value)) return;  // a key without a value
        pair(trimIniToken(key), trimIniToken(value));
    }
}

bool iniFilePath(const std::string& location, platform::LibraryHandle module,
                 const std::string& fileName, std::string& path) {
    const char separator = platform::pathSeparator();
    if (sameWord(location, "GLOBAL")) {
        const std::string moduleFile = platform::moduleFileName(module);
        if (moduleFile.empty()) throw winapi::Exception();
        path = platform::removeFileSpec(moduleFile) + separator + fileName;
        return true;
    }
    if (sameWord(location, "FILE")) {
        path = fileName;
        return true;
    }
    std::string profile;
    if (!platform::environmentVariable("USERPROFILE", profile)) return false;
    // An empty value would point at the root; an over-long one does not fit.
    if (profile.empty() || profile.size() >= kProfileBufferSize) return false;
    path = profile + separator + location + separator + fileName;
    return true;
}

bool readIniPairsFromFile(const std::string& path, const std::string& delimiters,
                          const IniPairHandler& pair) {
    std::ifstream in(path);
    if (!in.is_open()) return false;
    readIniPairs(in, delimiters, pair);
    return true;
}

}  // namespace vorna
