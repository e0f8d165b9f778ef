#include "imagelib/codecs/RasFormat.h"

#include <algorithm>
#include <vector>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/CodecBytes.h"

using namespace codecbytes;

namespace {

constexpr const char* kCorrupt = "error: cannot load image data";
constexpr uint32_t kMagic = 0x59A66A95;
enum : uint32_t { kOld = 0, kStandard = 1, kRle = 2, kRgbOrder = 3 };

// Run-length data: 0x80 0 is one 0x80, 0x80 n v is n + 1 copies of v, other bytes stand for
// themselves. Fills `out` exactly; false when the stream ends first.
bool ExpandRle(CPixFile& f, std::vector<uint8_t>& out) {
    size_t pos = 0;
    while (pos < out.size()) {
        const long b = f.GetC();
        if (b < 0) return false;
        if (b != 0x80) {
            out[pos++] = static_cast<uint8_t>(b);
            continue;
        }
        const long n = f.GetC();
        if (n < 0) return false;
        if (n == 0) {
            out[pos++] = 0x80;
            continue;
        }
        const long v = f.GetC();
        if (v < 0) return false;
        const size_t run = std::min<size_t>(static_cast<size_t>(n) + 1, out.size() - pos);
        std::fill_n(out.begin() + static_cast<long>(pos), run, static_cast<uint8_t>(v));
        pos += run;
    }
    return true;
}

} // namespace

namespace ras {

bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly) {
    error = kCorrupt;
    uint8_t h[32];
    if (file.Read(h, 1, 32) != 32 || Be32(h) != kMagic) return false;
    const uint32_t width = Be32(h + 4), height = Be32(h + 8), depth = Be32(h + 12);
    const uint32_t type = Be32(h + 20), mapType = Be32(h + 24), mapLength = Be32(h + 28);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) return false;
    if (type > kRgbOrder || mapType > 2 || mapLength > 768 || (mapType == 1 && mapLength % 3 != 0)) return false;

    // The colour map: red, green and blue planes of mapLength / 3 entries.
    std::vector<uint8_t> map(mapLength);
    if (mapLength && file.Read(map.data(), 1, mapLength) != mapLength) return false;
    const uint32_t entries = mapType == 1 ? mapLength / 3 : 0;

    // Rows are padded to 16 bits.
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * depth + 15) / 16) * 2;
    const uint64_t total = rowBytes * height;
    if (total > kJ2kMaxSamples * 4) return false;
    // Plain data must all be there; run-length data takes at least one byte per 256 of output.
    const uint64_t least = type == kRle ? total / 256 : total;
    if (codecbytes::BytesLeft(&file) < least) return false;

    const bool colour = depth >= 24 || entries > 0;
    image = J2kImage();
    image.width = width;
    image.height = height;
    if (headerOnly) return true;
    image.colour = colour ? J2kColour::Rgb : J2kColour::Grey;
    image.comps.resize(colour ? 3 : 1);
    for (J2kComponent& c : image.comps) {
        c.prec = colour ? 8 : (depth == 1 ? 1 : 8);
        c.maxval = (1u << c.prec) - 1;
        if (!J2kAllocate(c, width, height, error)) return false;
    }
    error = kCorrupt;

    std::vector<uint8_t> data;
    try {
        data.resize(static_cast<size_t>(total));
    } catch (const std::bad_alloc&) {
        error = "Can't allocate memory";
        return false;
    }
    if (type == kRle ? !ExpandRle(file, data) : file.Read(data.data(), 1, data.size()) != data.size()) return false;

    const bool rgbOrder = type == kRgbOrder;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = data.data() + rowBytes * y;
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            uint32_t r, g, b;
            if (depth == 24 || depth == 32) {
                const uint8_t* p = row + static_cast<size_t>(x) * (depth / 8) + (depth == 32 ? 1 : 0);
                r = rgbOrder ? p[0] : p[2];
                g = p[1];
                b = rgbOrder ? p[2] : p[0];
            } else {
                const uint32_t index = depth == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
                if (!entries) {
                    // Without a map a set bit is black; bytes are grey levels.
                    image.comps[0].data[at] = static_cast<int32_t>(depth == 1 ? 1 - index : index);
                    continue;
                }
                const bool inMap = index < entries;
                r = inMap ? map[index] : 0;
                g = inMap ? map[entries + index] : 0;
                b = inMap ? map[2 * entries + index] : 0;
            }
            image.comps[0].data[at] = static_cast<int32_t>(r);
            image.comps[1].data[at] = static_cast<int32_t>(g);
            image.comps[2].data[at] = static_cast<int32_t>(b);
        }
    }
    return true;
}

bool Write(CPixFile& file, const J2kImage& image, std::string& error) {
    error = "error: cannot encode image\n";
    const size_t channels = image.comps.size();
    if (channels != 1 && channels != 3) return false;
    const uint32_t depth = channels == 1 ? 8 : 24;
    const uint64_t rowBytes = ((static_cast<uint64_t>(image.width) * depth + 15) / 16) * 2;
    uint8_t h[32];
    PutBe32(h, kMagic);
    PutBe32(h + 4, image.width);
    PutBe32(h + 8, image.height);
    PutBe32(h + 12, depth);
    PutBe32(h + 16, static_cast<uint32_t>(rowBytes * image.height));
    PutBe32(h + 20, kStandard);
    // Without a map, 8-bit samples are grey levels.
    PutBe32(h + 24, 0);
    PutBe32(h + 28, 0);
    if (!codecbytes::WriteExact(&file, h, 32)) return false;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes), 0);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const size_t at = static_cast<size_t>(y) * image.width + x;
            if (channels == 1) {
                row[x] = static_cast<uint8_t>(image.comps[0].data[at]);
            } else {
                row[x * 3 + 0] = static_cast<uint8_t>(image.comps[2].data[at]);
                row[x * 3 + 1] = static_cast<uint8_t>(image.comps[1].data[at]);
                row[x * 3 + 2] = static_cast<uint8_t>(image.comps[0].data[at]);
            }
        }
        if (!codecbytes::WriteExact(&file, row.data(), row.size())) return false;
    }
    return true;
}

} // namespace ras
