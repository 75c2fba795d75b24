// Files and folders of the driver tests.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace atol10_test {

// A fresh directory below the current one (removed first when it exists).
std::string freshDirectory(const std::string& name);
// Reads a file into lines (without line ends); empty when missing.
std::vector<std::string> readLines(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
std::string joinPath(const std::string& a, const std::string& b);

}  // namespace atol10_test
}  // namespace vorna
