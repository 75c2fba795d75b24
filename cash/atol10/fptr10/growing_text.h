// The library's texts come through a caller's buffer: a call answers the size
// the text needs, terminator included, and a larger one is asked again.
#pragma once

#include <string>
#include <vector>

namespace vorna {
namespace cash {
namespace atol10 {
namespace fptr10 {

// read(buffer, size) returns the size the text needs.
template <typename Read>
std::wstring readGrowing(int firstSize, Read read) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(firstSize), L'\0');
    const int needed = read(buffer.data(), firstSize);
    if (needed > firstSize) {
        buffer.assign(static_cast<std::size_t>(needed), L'\0');
        read(buffer.data(), needed);
    }
    buffer.push_back(L'\0');
    return std::wstring(buffer.data());
}

}  // namespace fptr10
}  // namespace atol10
}  // namespace cash
}  // namespace vorna
