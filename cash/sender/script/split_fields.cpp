#include "cash/sender/script/split_fields.h"

#include <sstream>

namespace vorna {

std::vector<std::string> splitFields(const std::string& text, char delimiter) {
    std::vector<std::string> pieces;
    std::istringstream stream(text);
    std::string piece;
    while (std::getline(stream, piece, delimiter)) pieces.push_back(piece);
    return pieces;
}

}  // namespace vorna
