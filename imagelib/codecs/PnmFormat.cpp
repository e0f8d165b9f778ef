#include "imagelib/codecs/PnmFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/CodecBytes.h"

namespace {

constexpr const char* kCorrupt = "error: cannot load image data";

// Reads the header's text through GetC; a '#' starts a comment up to the end of the line.
struct Text {
    CPixFile& f;
    long Next() {
        long c = f.GetC();
        while (c == '#') {
            while (c >= 0 && c != '\n' && c != '\r') c = f.GetC();
            if (c >= 0) c = f.GetC();
        }
        return c;
    }
    // A decimal number after white space; false when there is none or it passes `limit`.
    bool Number(uint32_t& value, uint32_t limit) {
        long c = Next();
        while (c >= 0 && std::isspace(static_cast<int>(c))) c = Next();
        if (c < '0' || c > '9') return false;
        uint64_t v = 0;
        while (c >= '0' && c <= '9') {
            v = v * 10 + static_cast<uint64_t>(c - '0');
            if (v > limit) return false;
            c = f.GetC();
        }
        value = static_cast<uint32_t>(v);
        // The one white-space byte after the last header number belongs to the header.
        return c < 0 || std::isspace(static_cast<int>(c));
    }
};

uint32_t BitsFor(uint32_t maxval) {
    uint32_t bits = 1;
    while (bits < 16 && (1u << bits) - 1 < maxval) ++bits;
    return bits;
}

} // namespace

namespace pnm {

bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly) {
    error = kCorrupt;
    uint8_t magic[2];
    if (file.Read(magic, 1, 2) != 2 || magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') return false;
    const int kind = magic[1] - '0';
    const bool bitmap = kind == 1 || kind == 4, ascii = kind <= 3;
    const uint32_t channels = (kind == 3 || kind == 6) ? 3 : 1;
    Text text{file};
    uint32_t width = 0, height = 0, maxval = 1;
    if (!text.Number(width, 0x7FFFFFFF) || !text.Number(height, 0x7FFFFFFF) || width == 0 || height == 0) return false;
    if (!bitmap && (!text.Number(maxval, 65535) || maxval == 0)) return false;

    // The samples the header promises must fit in what the stream still holds.
    const uint64_t samples = static_cast<uint64_t>(width) * height * channels;
    const uint32_t bytesPer = maxval > 255 ? 2 : 1;
    const uint64_t rowBytes = kind == 4 ? (static_cast<uint64_t>(width) + 7) / 8 : 0;
    const uint64_t need = kind == 4 ? rowBytes * height
                          : ascii   ? (kind == 1 ? samples : samples * 2 - 1)
                                    : samples * bytesPer;
    if (codecbytes::BytesLeft(&file) < need) return false;

    image = J2kImage();
    image.width = width;
    image.height = height;
    if (headerOnly) return true;
    image.colour = channels == 3 ? J2kColour::Rgb : J2kColour::Grey;
    image.comps.resize(channels);
    for (J2kComponent& c : image.comps) {
        c.prec = BitsFor(maxval);
        c.maxval = maxval;
        if (!J2kAllocate(c, width, height, error)) return false;
    }
    error = kCorrupt;

    if (ascii) {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t ch = 0; ch < channels; ++ch) {
                    uint32_t v = 0;
                    if (kind == 1) {
                        // Bitmap digits need no separator.
                        long c = text.Next();
                        while (c >= 0 && std::isspace(static_cast<int>(c))) c = text.Next();
                        if (c != '0' && c != '1') return false;
                        v = c == '0' ? 1 : 0; // 1 is black
                    } else {
                        if (!text.Number(v, 0xFFFFFFFF)) return false;
                        v = std::min(v, maxval);
                    }
                    image.comps[ch].data[static_cast<size_t>(y) * width + x] = static_cast<int32_t>(v);
                }
        return true;
    }

    std::vector<uint8_t> row(static_cast<size_t>(kind == 4 ? rowBytes : static_cast<uint64_t>(width) * channels * bytesPer));
    for (uint32_t y = 0; y < height; ++y) {
        if (file.Read(row.data(), 1, row.size()) != row.size()) return false;
        for (uint32_t x = 0; x < width; ++x) {
            if (kind == 4) {
                const int bit = (row[x >> 3] >> (7 - (x & 7))) & 1;
                image.comps[0].data[static_cast<size_t>(y) * width + x] = bit ? 0 : 1;
                continue;
            }
            for (uint32_t ch = 0; ch < channels; ++ch) {
                const size_t at = (static_cast<size_t>(x) * channels + ch) * bytesPer;
                const uint32_t v = bytesPer == 2 ? (row[at] << 8) | row[at + 1] : row[at];
                image.comps[ch].data[static_cast<size_t>(y) * width + x] = static_cast<int32_t>(std::min(v, maxval));
            }
        }
    }
    return true;
}

bool Write(CPixFile& file, const J2kImage& image, std::string& error) {
    error = "error: cannot encode image\n";
    const size_t channels = image.comps.size();
    if (channels != 1 && channels != 3) return false;
    char head[64];
    const int n = std::snprintf(head, sizeof(head), "P%c\n%u %u\n255\n", channels == 1 ? '5' : '6', image.width,
                                image.height);
    if (!codecbytes::WriteExact(&file, head, static_cast<size_t>(n))) return false;
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * channels);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x)
            for (size_t ch = 0; ch < channels; ++ch)
                row[x * channels + ch] =
                    static_cast<uint8_t>(image.comps[ch].data[static_cast<size_t>(y) * image.width + x]);
        if (!codecbytes::WriteExact(&file, row.data(), row.size())) return false;
    }
    return true;
}

} // namespace pnm
