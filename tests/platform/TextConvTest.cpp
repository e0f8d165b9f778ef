#include "platform/win/TextConv.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Utf16(std::initializer_list<uint16_t> units) {
    std::string s;
    for (uint16_t u : units) {
        s += static_cast<char>(u & 0xFF);
        s += static_cast<char>(u >> 8);
    }
    return s;
}
std::string Conv(const std::string& bytes) {
    return Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
} // namespace

TEST(TextConvTest, Utf16LeToUtf8) {
    EXPECT_EQ(Conv(Utf16({'A', 0xE9, 0x65E5, 0xD83D, 0xDE00})), "A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80");
    // Unpaired surrogates, either half, at the end or followed by another unit.
    EXPECT_EQ(Conv(Utf16({0xD83D})), "\xEF\xBF\xBD");
    EXPECT_EQ(Conv(Utf16({0xD83D, 'x'})), "\xEF\xBF\xBDx");
    EXPECT_EQ(Conv(Utf16({0xDE00, 'x'})), "\xEF\xBF\xBDx");
    EXPECT_EQ(Conv(Utf16({'a'}) + "\x62"), "a");  // odd trailing byte
    EXPECT_EQ(Utf16LeToUtf8(nullptr, 4), "");
}

TEST(TextConvTest, DecodeTextBytes) {
    EXPECT_EQ(DecodeTextBytes("\xFF\xFE" + Utf16({'<', 'r', '/', '>'})), "<r/>");
    EXPECT_EQ(DecodeTextBytes("\xFF\xFE"), "");
    EXPECT_EQ(DecodeTextBytes("<r/>"), "<r/>");
    const std::string bigEndian("\xFE\xFF\x00<", 4);  // another mark: bytes as they are
    EXPECT_EQ(DecodeTextBytes(bigEndian), bigEndian);
    EXPECT_EQ(DecodeTextBytes("\xFF"), "\xFF");
}

TEST(TextConvTest, Truncation) {
    const std::string s = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80z";  // a é 日 😀 z
    EXPECT_EQ(TruncateUtf8(s, 0), "");
    EXPECT_EQ(TruncateUtf8(s, 2), "a\xC3\xA9");
    EXPECT_EQ(TruncateUtf8(s, 4), "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(TruncateUtf8(s, 99), s);
    EXPECT_EQ(TruncateUtf8Bytes(s, 2), "a");
    EXPECT_EQ(TruncateUtf8Bytes(s, 3), "a\xC3\xA9");
    EXPECT_EQ(TruncateUtf8Bytes(s, 9), "a\xC3\xA9\xE6\x97\xA5");
    EXPECT_EQ(TruncateUtf8Bytes(s, 10), "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(TruncateUtf8Bytes(s, 0), "");
    // A run of stray trail bytes is no character: cut where asked.
    EXPECT_EQ(TruncateUtf8Bytes(std::string(8, '\x80'), 5), std::string(5, '\x80'));
}
