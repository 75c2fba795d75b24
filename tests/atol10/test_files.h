// Files and folders of the driver tests.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace atol10_test {

// A fresh directory of this name (and a random part) under the system's
// temporary directory.
std::string freshDirectory(const std::string& name);
// Removes a directory with everything in it, as far as the system lets it
// (a library still loaded from it stays on Windows).
void removeDirectory(const std::string& path);
// Reads a file into lines (without line ends); empty when missing.
std::vector<std::string> readLines(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
std::string joinPath(const std::string& a, const std::string& b);

}  // namespace atol10_test
}  // namespace vorna
