#include "imagelib/codecs/PgxFormat.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/CodecBytes.h"

namespace {

constexpr const char* kCorrupt = "error: cannot load image data";

long SkipSpace(CPixFile& f) {
    long c = f.GetC();
    while (c == ' ' || c == '\t') c = f.GetC();
    return c;
}

// A decimal number starting with c; the byte after it comes back in c.
bool Number(CPixFile& f, long& c, uint32_t& value) {
    if (c < '0' || c > '9') return false;
    uint64_t v = 0;
    while (c >= '0' && c <= '9') {
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 0x7FFFFFFF) return false;
        c = f.GetC();
    }
    value = static_cast<uint32_t>(v);
    return true;
}

} // namespace

namespace pgx {

bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly) {
    error = kCorrupt;
    uint8_t magic[2];
    if (file.Read(magic, 1, 2) != 2 || magic[0] != 'P' || magic[1] != 'G') return false;
    long c = SkipSpace(file);
    const long second = file.GetC();
    bool bigEndian;
    if (c == 'M' && second == 'L') bigEndian = true;
    else if (c == 'L' && second == 'M') bigEndian = false;
    else return false;
    c = SkipSpace(file);
    bool sgnd = false;
    if (c == '+' || c == '-') {
        sgnd = c == '-';
        c = SkipSpace(file);
    }
    uint32_t depth = 0, width = 0, height = 0;
    if (!Number(file, c, depth) || depth < 1 || depth > 16) return false;
    if (c == ' ' || c == '\t') c = SkipSpace(file);
    if (!Number(file, c, width)) return false;
    if (c == ' ' || c == '\t') c = SkipSpace(file);
    if (!Number(file, c, height) || width == 0 || height == 0) return false;
    // The header ends with its line.
    while (c == ' ' || c == '\t' || c == '\r') c = file.GetC();
    if (c != '\n') return false;

    const uint32_t bytesPer = depth > 8 ? 2 : 1;
    if (codecbytes::BytesLeft(&file) < static_cast<uint64_t>(width) * height * bytesPer) return false;
    image = J2kImage();
    image.width = width;
    image.height = height;
    if (headerOnly) return true;
    image.colour = J2kColour::Grey;
    image.comps.resize(1);
    J2kComponent& comp = image.comps[0];
    comp.prec = depth;
    comp.sgnd = sgnd;
    comp.maxval = (1u << depth) - 1;
    if (!J2kAllocate(comp, width, height, error)) return false;
    error = kCorrupt;
    std::vector<uint8_t> row(static_cast<size_t>(width) * bytesPer);
    const uint32_t mask = comp.maxval;
    for (uint32_t y = 0; y < height; ++y) {
        if (file.Read(row.data(), 1, row.size()) != row.size()) return false;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row.data() + static_cast<size_t>(x) * bytesPer;
            uint32_t v = bytesPer == 1 ? p[0] : (bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
            v &= mask;
            int32_t s = static_cast<int32_t>(v);
            // Signed samples keep their sign from the top bit of their depth.
            if (sgnd && (v >> (depth - 1)) & 1) s -= static_cast<int32_t>(1u << depth);
            comp.data[static_cast<size_t>(y) * width + x] = s;
        }
    }
    return true;
}

bool Write(CPixFile& file, const J2kImage& image, std::string& error) {
    error = "error: cannot encode image\n";
    if (image.comps.size() != 1) return false;
    char head[64];
    const int n = std::snprintf(head, sizeof(head), "PG ML + 8 %u %u\n", image.width, image.height);
    if (!codecbytes::WriteExact(&file, head, static_cast<size_t>(n))) return false;
    std::vector<uint8_t> row(image.width);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x)
            row[x] = static_cast<uint8_t>(image.comps[0].data[static_cast<size_t>(y) * image.width + x]);
        if (!codecbytes::WriteExact(&file, row.data(), row.size())) return false;
    }
    return true;
}

} // namespace pgx
