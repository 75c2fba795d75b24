#include "common/ini_reader.h"

#include <cctype>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/app_exception.h"

namespace vorna {

namespace {

// The reader's buffer for the profile directory, its terminating NUL included.
constexpr std::size_t kProfileBufferSize = 260;

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

IniNoticeWriter noticeWriter = nullptr;

// Consumes the byte-order mark when the stream begins with it; otherwise
// leaves the stream where it was.
bool skipUtf8ByteOrderMark(std::istream& in) {
    for (int i = 0; i < 3; ++i) {
        if (in.peek() == static_cast<unsigned char>(kUtf8ByteOrderMark[i])) {
            in.get();
            continue;
        }
        // A partial mark: put back what was taken (never more than two bytes).
        for (int back = 0; back < i; ++back) in.unget();
        in.clear();
        return false;
    }
    return true;
}

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

void setIniNoticeWriter(IniNoticeWriter writer) { noticeWriter = writer; }

bool readIniPairsFromFile(const std::string& path, const std::string& delimiters,
                          const IniPairHandler& pair) {
    std::ifstream in(path);
    if (!in.is_open()) return false;
    if (!skipUtf8ByteOrderMark(in)) {
        readIniPairs(in, delimiters, pair);
        return true;
    }
    const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream converted(platform::utf8ToCp1251(utf8));
    readIniPairs(converted, delimiters, pair);
    if (noticeWriter)
        noticeWriter("Файл настроек " + path +
                     " в кодировке UTF-8, значения переведены в Windows-1251");
    return true;
}

}  // namespace vorna
