// Host texts on their way into a log: control characters become visible
// escapes, everything else stays byte for byte.
#include "common/log_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace vorna {
namespace {

TEST(EscapedForLog, OrdinaryTextsStayByteForByte) {
    for (const char* text : {"", "4711", "Услуга", "C:\\Logs\\x", "a=b;c", "~\"\\ ё Ё \xFF\x80"})
        EXPECT_EQ(escapedForLog(text), text);
}

TEST(EscapedForLog, LineEndsAndOtherControlCharactersBecomeEscapes) {
    EXPECT_EQ(escapedForLog("4711\r\nНачало выполнения: _zReport@8"),
              "4711\\r\\nНачало выполнения: _zReport@8");
    EXPECT_EQ(escapedForLog("\x01+79990000000"), "\\x01+79990000000");
    EXPECT_EQ(escapedForLog("a\tb\x1F\x7F"), "a\\x09b\\x1F\\x7F");
    EXPECT_EQ(escapedForLog(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(escapedForLog("\x20"), " ");
}

TEST(EscapedForLog, TheResultHoldsNoControlCharacter) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (char c : escapedForLog(all)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << int(byte);
    }
}

}  // namespace
}  // namespace vorna
