#include "emulator/file_io.h"

#include <cstdio>

namespace vorna {
namespace emulator {

namespace {

bool writeWith(const std::string& path, const char* mode, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    return std::fclose(file) == 0 && ok;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rbN");
    if (!file) return false;
    text.clear();
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool readFileTail(const std::string& path, long maxBytes, std::string& text, bool& whole) {
    std::FILE* file = std::fopen(path.c_str(), "rbN");
    if (!file) return false;
    text.clear();
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0;
    whole = size <= maxBytes;
    if (ok) ok = std::fseek(file, whole ? 0 : size - maxBytes, SEEK_SET) == 0;
    if (ok) {
        char buffer[8192];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
        ok = !std::ferror(file);
    }
    std::fclose(file);
    return ok;
}

bool writeWholeFile(const std::string& path, const std::string& text) {
    return writeWith(path, "wbN", text);
}

bool appendToFile(const std::string& path, const std::string& text) {
    return writeWith(path, "abN", text);
}

}  // namespace emulator
}  // namespace vorna
