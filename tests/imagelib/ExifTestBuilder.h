// Builds EXIF APP1 sections by hand for the JPEG and EXIF tests: directories of entries in either
// byte order, values of more than four bytes placed after the directories, links patched in.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace exiftest {

using Bytes = std::vector<uint8_t>;

struct Entry {
    uint16_t tag;
    uint16_t format;
    uint32_t count;
    Bytes value = {};        // raw value bytes in the block's byte order
    int linkDir = -1;        // when >= 0: the value is the offset of that directory
    int64_t rawOffset = -1;  // when >= 0: the value is this fixed offset (bad links)
};

struct Dir {
    std::vector<Entry> entries = {};
    int next = -1; // next directory in the chain
};

class Block {
public:
    explicit Block(bool motorola) : m_motorola(motorola) {}

    Bytes U16(uint32_t v) const { return Value(v, 2); }
    Bytes U32(uint32_t v) const { return Value(v, 4); }
    Bytes Rational(uint32_t num, uint32_t den) const {
        Bytes b = U32(num), d = U32(den);
        b.insert(b.end(), d.begin(), d.end());
        return b;
    }
    static Bytes Text(const std::string& s, bool nul = true) {
        Bytes b(s.begin(), s.end());
        if (nul) b.push_back(0);
        return b;
    }

    // The TIFF part (from the byte-order field), directory 0 first at offset 8.
    Bytes Build(const std::vector<Dir>& dirs) const {
        std::vector<uint32_t> dirOffset(dirs.size());
        uint32_t pos = 8;
        for (size_t i = 0; i < dirs.size(); ++i) {
            dirOffset[i] = pos;
            pos += 2 + 12 * static_cast<uint32_t>(dirs[i].entries.size()) + 4;
        }
        Bytes out(pos, 0);
        out[0] = out[1] = m_motorola ? 'M' : 'I';
        Put(&out[2], 42, 2);
        Put(&out[4], 8, 4);
        for (size_t i = 0; i < dirs.size(); ++i) {
            uint32_t at = dirOffset[i];
            Put(&out[at], static_cast<uint32_t>(dirs[i].entries.size()), 2);
            at += 2;
            for (const Entry& e : dirs[i].entries) {
                Put(&out[at], e.tag, 2);
                Put(&out[at + 2], e.format, 2);
                Put(&out[at + 4], e.count, 4);
                if (e.rawOffset >= 0) {
                    Put(&out[at + 8], static_cast<uint32_t>(e.rawOffset), 4);
                } else if (e.linkDir >= 0) {
                    Put(&out[at + 8], dirOffset[static_cast<size_t>(e.linkDir)], 4);
                } else if (e.value.size() <= 4) {
                    if (!e.value.empty()) std::memcpy(&out[at + 8], e.value.data(), e.value.size());
                } else {
                    Put(&out[at + 8], static_cast<uint32_t>(out.size()), 4);
                    out.insert(out.end(), e.value.begin(), e.value.end());
                }
                at += 12;
            }
            Put(&out[at], dirs[i].next >= 0 ? dirOffset[static_cast<size_t>(dirs[i].next)] : 0, 4);
        }
        return out;
    }

    // A whole APP1 section: marker, length, "Exif\0\0", TIFF part.
    static Bytes App1(const Bytes& tiff) {
        const uint32_t len = static_cast<uint32_t>(tiff.size() + 8);
        Bytes s = {0xFF, 0xE1, static_cast<uint8_t>(len >> 8), static_cast<uint8_t>(len), 'E', 'x', 'i', 'f', 0, 0};
        s.insert(s.end(), tiff.begin(), tiff.end());
        return s;
    }

private:
    void Put(uint8_t* p, uint32_t v, int n) const {
        for (int i = 0; i < n; ++i)
            p[m_motorola ? n - 1 - i : i] = static_cast<uint8_t>(v >> (8 * i));
    }
    Bytes Value(uint32_t v, int n) const {
        Bytes b(static_cast<size_t>(n));
        Put(b.data(), v, n);
        return b;
    }
    bool m_motorola;
};

// Inserts sections right after the SOI marker of a JPEG file.
inline Bytes InsertAfterSoi(const Bytes& jpeg, const Bytes& sections) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), sections.begin(), sections.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

} // namespace exiftest
