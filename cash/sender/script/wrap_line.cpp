#include "cash/sender/script/wrap_line.h"

namespace vorna {

void wrapLine(const std::string& line, int max, std::vector<std::string>& out) {
    // A zero width would never make progress; it switches wrapping off like a
    // negative one, which compares as a very large unsigned width.
    if (max == 0 || line.size() <= static_cast<unsigned>(max)) {
        out.push_back(line);
        return;
    }
    const std::size_t width = static_cast<unsigned>(max);
    std::size_t start = 0;
    while (line.size() - start > width) {
        const std::size_t blank = line.rfind(' ', start + width - 1);
        const std::size_t cut =
            (blank != std::string::npos && blank >= start) ? blank + 1 : start + width;
        out.push_back(line.substr(start, cut - start));
        start = cut;
    }
    out.push_back(line.substr(start));
}

}  // namespace vorna
