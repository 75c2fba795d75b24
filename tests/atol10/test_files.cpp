#include "tests/atol10/test_files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "common/platform/platform.h"

namespace vorna {
namespace atol10_test {

std::string joinPath(const std::string& a, const std::string& b) {
    return a + platform::pathSeparator() + b;
}

std::string freshDirectory(const std::string& name) {
    namespace fs = std::filesystem;
    // A random part: other test programs may run the same test at the same time.
    std::random_device random;
    const fs::path path =
        fs::temp_directory_path() / ("vorna-atol10-" + name + "-" + std::to_string(random()));
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
    return path.string();
}

void removeDirectory(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace atol10_test
}  // namespace vorna
