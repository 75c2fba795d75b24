// The host's pairs of a payment as one value of the journal's record.
#include "cash/sender/journal/journal_pairs.h"

namespace vorna {

namespace {

bool decodeText(const std::string& in, std::size_t& at, std::string& text) {
    const std::size_t colon = in.find(':', at);
    if (colon == std::string::npos || colon == at || colon - at > 9) return false;
    std::size_t size = 0;
    for (std::size_t i = at; i < colon; ++i) {
        if (in[i] < '0' || in[i] > '9') return false;
        size = size * 10 + static_cast<std::size_t>(in[i] - '0');
    }
    if (in.size() - colon - 1 < size) return false;
    text = in.substr(colon + 1, size);
    at = colon + 1 + size;
    return true;
}

}  // namespace

std::string encodePairs(const HostPairList& pairs) {
    std::string out;
    for (const auto& [key, value] : pairs)
        out += std::to_string(key.size()) + ':' + key + std::to_string(value.size()) + ':' + value;
    return out;
}

bool decodePairs(const std::string& in, HostPairList& pairs) {
    pairs.clear();
    std::size_t at = 0;
    while (at < in.size()) {
        std::string key, value;
        if (!decodeText(in, at, key) || !decodeText(in, at, value)) {
            pairs.clear();
            return false;
        }
        pairs.emplace_back(key, value);
    }
    return true;
}

}  // namespace vorna
