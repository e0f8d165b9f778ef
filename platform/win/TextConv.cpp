#include "platform/win/TextConv.h"

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

std::string Utf16LeToUtf8(const uint8_t* data, size_t size) {
    std::string out;
    if (!data) return out;
    const size_t units = size / 2;
    out.reserve(units + units / 2);
    auto unitAt = [data](size_t i) -> uint32_t {
        return static_cast<uint32_t>(data[2 * i]) | (static_cast<uint32_t>(data[2 * i + 1]) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units) {
                const uint32_t lo = unitAt(i + 1);
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                    ++i;
                    continue;
                }
            }
            AppendUtf8(out, 0xFFFD);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string DecodeTextBytes(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
    }
    return bytes;
}

std::string TruncateUtf8(const std::string& s, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsContinuation(s[i])) continue;
        if (chars == maxChars) return s.substr(0, i);
        ++chars;
    }
    return s;
}

std::string TruncateUtf8Bytes(const std::string& s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    // Back up over at most three trail bytes: no character is longer than four bytes, and a
    // longer run of trail bytes is no character at all, so it is cut where asked.
    size_t cut = maxBytes;
    while (cut > 0 && maxBytes - cut < 3 && IsContinuation(s[cut])) --cut;
    if (IsContinuation(s[cut])) cut = maxBytes;
    return s.substr(0, cut);
}
