// Small helpers shared by the codecs: little- and big-endian field access and the bounded copy of
// an error text into an image's 256-byte last-error field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imagelib/PixFile.h"

namespace codecbytes {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Copies text into a fixed field, cut to fit and always NUL-terminated.
template <size_t N>
inline void CopyText(char (&dst)[N], const char* text) {
    if (!text) text = "";
    size_t n = std::strlen(text);
    if (n > N - 1) n = N - 1;
    std::memmove(dst, text, n);
    dst[n] = '\0';
}

// Bytes after the stream's position; 0 when the stream cannot tell.
inline uint64_t BytesLeft(CPixFile* f) {
    const long size = f->Size();
    const long pos = f->Tell();
    return (pos >= 0 && size > pos) ? static_cast<uint64_t>(size - pos) : 0;
}

// Reads exactly n bytes; false on a short read.
inline bool ReadExact(CPixFile* f, void* p, size_t n) {
    return n == 0 || f->Read(p, 1, n) == n;
}

// Writes exactly n bytes; false on a short write.
inline bool WriteExact(CPixFile* f, const void* p, size_t n) {
    return n == 0 || f->Write(p, 1, n) == n;
}

// A file being built in memory, written to its stream in one piece and checked.
struct ByteOut {
    std::vector<uint8_t> b;
    void U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
    void Le16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void Le32(uint32_t v) {
        Le16(v);
        Le16(v >> 16);
    }
    void Put(const void* p, size_t n) {
        const uint8_t* s = static_cast<const uint8_t*>(p);
        b.insert(b.end(), s, s + n);
    }
    bool WriteTo(CPixFile* f) const { return WriteExact(f, b.data(), b.size()); }
};

} // namespace codecbytes
