// Shared by the image fuzz targets: a cap on the picture size, so that a few header bytes cannot
// ask for gigabytes, and the decode-then-encode round of a codec over bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"

namespace fuzzimage {

// Larger inputs are skipped: the streams count in 32 bits and a round should stay quick.
constexpr size_t kMaxInputBytes = size_t{1} << 24;
constexpr uint64_t kMaxPixels = uint64_t{1} << 22;

// Width and height from a PNG's IHDR, when the data is a PNG.
inline bool PngSize(const uint8_t* data, size_t size, uint64_t& w, uint64_t& h) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size < 24) return false;
    for (int i = 0; i < 8; ++i)
        if (data[i] != sig[i]) return false;
    w = (uint64_t{data[16]} << 24) | (data[17] << 16) | (data[18] << 8) | data[19];
    h = (uint64_t{data[20]} << 24) | (data[21] << 16) | (data[22] << 8) | data[23];
    return true;
}

// True when the input is within kMaxInputBytes and its picture small enough to decode whole;
// uses the decoder's size-only request.
inline bool SmallEnough(const uint8_t* data, size_t size, DWORD type) {
    if (size > kMaxInputBytes) return false;
    uint64_t w = 0, h = 0;
    if (PngSize(data, size, w, h)) return w * h <= kMaxPixels;
    CPixImage probe;
    probe.SetEscape(-1);
    if (!probe.Decode(const_cast<BYTE*>(data), static_cast<DWORD>(size), type)) return true;
    return uint64_t{probe.GetWidth()} * probe.GetHeight() <= kMaxPixels;
}

// Decodes the bytes with the codec and, when that succeeds, writes the picture back to memory.
template <class Codec>
void DecodeAndEncode(Codec& img, const uint8_t* data, size_t size) {
    CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    if (!img.Decode(&in)) return;
    CPixMemFile out;
    out.Open();
    img.Encode(&out);
}

} // namespace fuzzimage
