// Shared by the image fuzz targets: inputs whose picture would be larger than this are only
// decoded for their size, so that a few header bytes cannot ask for gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/PixImage.h"

namespace fuzzlimits {

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

// True when the picture is small enough to decode whole; uses the decoder's size-only request.
inline bool SmallEnough(const uint8_t* data, size_t size, DWORD type) {
    uint64_t w = 0, h = 0;
    if (PngSize(data, size, w, h)) return w * h <= kMaxPixels;
    CPixImage probe;
    probe.SetEscape(-1);
    if (!probe.Decode(const_cast<BYTE*>(data), static_cast<DWORD>(size), type)) return true;
    return uint64_t{probe.GetWidth()} * probe.GetHeight() <= kMaxPixels;
}

} // namespace fuzzlimits
