// Feeds arbitrary bytes through IniTokenizer and the reader with both
// delimiter sets, over a stream and through a real file read by
// readIniFile("FILE", ...). Aborts when a result breaks what the reader
// promises: no empty tokens, trimmed pairs, the same pairs from file and stream.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/ini_reader.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

const char* const kDelimiterSets[] = {"\n\r=", " \t\n\r="};
const char kTrimmed[] = " \n\f\t\r";

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "ini_fuzzer: %s\n", what);
        std::abort();
    }
}

bool isTrimmed(const std::string& text) {
    if (text.find_first_not_of(kTrimmed) == std::string::npos) return true;  // kept unchanged
    return std::string(kTrimmed).find(text.front()) == std::string::npos &&
           std::string(kTrimmed).find(text.back()) == std::string::npos;
}

void collect(Pairs& pairs, const std::string& key, const std::string& value) {
    pairs.emplace_back(key, value);
}

// The scratch file's name, removed again when the fuzzer exits.
struct ScratchFile {
    std::string path;
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

std::string scratchPath() {
    // A memory-backed folder where there is one: a file per input on a busy
    // disk would slow the run a hundredfold.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    std::random_device random;
    return (folder / ("vorna_ini_fuzzer_" + std::to_string(random()) + ".ini")).string();
}

const std::string& scratchFile() {
    static const ScratchFile file{scratchPath()};
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    Pairs fromStream[2];
    for (int set = 0; set < 2; ++set) {
        std::istringstream tokens(text);
        vorna::IniTokenizer tokenizer(tokens, kDelimiterSets[set]);
        std::string token;
        std::size_t count = 0;
        while (tokenizer.next(token)) {
            require(!token.empty(), "empty token");
            require(++count <= size, "more tokens than bytes");
        }

        std::istringstream in(text);
        vorna::readIniStream(in, kDelimiterSets[set], fromStream[set], &collect);
        require(fromStream[set].size() == count / 2, "pairs and tokens disagree");
        for (const auto& pair : fromStream[set]) {
            require(!pair.first.empty() && !pair.second.empty(), "empty key or value");
            require(isTrimmed(pair.first) && isTrimmed(pair.second), "untrimmed pair");
        }
    }

    // The real file, read in text mode: on this system the same bytes.
    const int set = size > 0 ? data[0] & 1 : 0;
    {
        std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    Pairs fromFile;
    require(
        vorna::readIniFile("FILE", nullptr, scratchFile(), kDelimiterSets[set], fromFile, &collect),
        "scratch file not opened");
    require(fromFile == fromStream[set], "file and stream differ");
    return 0;
}
