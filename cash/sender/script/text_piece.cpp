#include "cash/sender/script/text_piece.h"

namespace vorna {

std::string normalizeTextPiece(const std::string& piece) {
    static const char kTrimSet[] = " \n\f\t\r\"";
    const std::size_t first = piece.find_first_not_of(kTrimSet);
    if (first == std::string::npos) return std::string();
    const std::size_t last = piece.find_last_not_of(kTrimSet);
    std::size_t end = last + 1;
    if (piece[last] == '\\' && end < piece.size() && piece[end] == '"') ++end;
    std::string text = piece.substr(first, end - first);

    // One pass in place: w never runs ahead of r, so the character at w is
    // either already written or still the input character.
    std::size_t w = 0;
    bool escaped = false;
    for (std::size_t r = 0; r < text.size(); ++r) {
        const char c = text[r];
        if (text[w] == ' ' && c == ' ' && w != r) continue;
        if (c == '\\') {
            escaped = true;
            continue;
        }
        if (escaped && c != '"') text[w++] = '\\';
        text[w++] = c;
        escaped = false;
    }
    text.resize(w);
    return text;
}

}  // namespace vorna
