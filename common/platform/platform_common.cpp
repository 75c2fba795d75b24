// The parts of the platform layer that are the same on every system: the
// table of replaceable calls and the UTF-8 conversions.
#include "platform.h"

#include "platform_calls.h"

namespace vorna {
namespace platform {

namespace {
SystemCalls& table() {
    static SystemCalls calls;
    return calls;
}
}  // namespace

void setSystemCalls(const SystemCalls& calls) { table() = calls; }
SystemCalls systemCalls() { return table(); }

int messageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon icon) {
    if (table().messageBox) return table().messageBox(text, caption, buttons, icon);
    return detail::realMessageBox(text, caption, buttons, icon);
}

bool localTime(DateTime& out) {
    if (table().localTime) return table().localTime(out);
    return detail::realLocalTime(out);
}

bool systemTime(DateTime& out) {
    if (table().systemTime) return table().systemTime(out);
    return detail::realSystemTime(out);
}

bool userName(std::string& out) {
    if (table().userName) return table().userName(out);
    return detail::realUserName(out);
}

std::string wideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring utf8ToWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        std::uint32_t c;
        std::size_t extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += L'?';
            ++i;
            continue;
        }
        bool valid = true;
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!valid) {
            out += L'?';
            ++i;
            continue;
        }
        i += extra + 1;
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string cp1251ToUtf8(const std::string& text) { return wideToUtf8(cp1251ToWide(text)); }
std::string utf8ToCp1251(const std::string& text) { return wideToCp1251(utf8ToWide(text)); }

}  // namespace platform
}  // namespace vorna
