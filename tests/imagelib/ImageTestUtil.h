// Helpers shared by the image library tests: byte buffers, colours, pictures, codec calls in memory.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"

namespace imgtest {

using Bytes = std::vector<uint8_t>;

// A colour given red first; RGBQUAD keeps blue first.
inline RGBQUAD Quad(BYTE r, BYTE g, BYTE b, BYTE a = 0) {
    return RGBQUAD{b, g, r, a};
}

inline bool SameRgba(RGBQUAD a, RGBQUAD b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue && a.rgbReserved == b.rgbReserved;
}

// Colours without their alpha, comparable with RGB().
inline COLORREF Rgb(RGBQUAD q) {
    return CPixImage::RGBQUADtoRGB(q);
}
// The colour at (x, y) counted from the top row, as a viewer shows the picture.
inline COLORREF Shown(CPixImage& img, long x, long y) {
    return CPixImage::RGBQUADtoRGB(img.GetPixelColor(x, static_cast<long>(img.GetHeight()) - 1 - y, false));
}
inline COLORREF Rgb(CPixImage& img, long x, long y) {
    return Rgb(img.GetPixelColor(x, y, false));
}

// Appends n bytes of v, little-endian.
inline void PutLE(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

template <class F>
void ForEachPixel(const CPixImage& img, F f) {
    for (long y = 0; y < static_cast<long>(img.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x)
            f(x, y);
}

// Distinct palette entries and indices, or for a lossy codec a smooth grey or colour gradient.
inline CPixImage Picture(DWORD bpp, bool smooth, DWORD width = 13, DWORD height = 9) {
    CPixImage img(width, height, bpp);
    for (DWORD i = 0; i < img.GetNumColors(); ++i) {
        const BYTE v = static_cast<BYTE>(i);
        img.SetPaletteColor(v, smooth ? v : static_cast<BYTE>(i * 7), smooth ? v : static_cast<BYTE>(255 - i),
                            smooth ? v : static_cast<BYTE>(i * 3));
    }
    ForEachPixel(img, [&](long x, long y) {
        if (bpp <= 8)
            img.SetPixelIndex(x, y, static_cast<BYTE>(smooth ? x * 19 : (x * 5 + y * 3) % img.GetNumColors()));
        else if (smooth)
            img.SetPixelColor(x, y, RGB(x * 8, y * 10, 128));
        else
            img.SetPixelColor(x, y, RGB(x * 19, y * 27, x * y));
    });
    return img;
}

// Largest difference of any colour sample between two pictures of the same size.
inline int MaxDifference(CPixImage& a, CPixImage& b) {
    int worst = 0;
    ForEachPixel(a, [&](long x, long y) {
        const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
        worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed), std::abs(p.rgbGreen - q.rgbGreen),
                          std::abs(p.rgbBlue - q.rgbBlue)});
    });
    return worst;
}

// A codec's own Decode over bytes in memory.
template <class Codec>
bool DecodeBytes(Codec& img, Bytes bytes) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return img.Decode(&mem);
}

// A codec's own Encode into memory.
template <class Codec>
Bytes EncodeBytes(Codec& img, bool expectOk = true) {
    CPixMemFile mem;
    mem.Open();
    EXPECT_EQ(img.Encode(&mem), expectOk) << img.GetLastError();
    BYTE* p = mem.GetBuffer(false);
    return p ? Bytes(p, p + mem.Size()) : Bytes();
}

// Encodes through the dispatch, as callers save.
inline Bytes EncodeAs(CPixImage& img, DWORD type) {
    BYTE* buffer = nullptr;
    long size = 0;
    EXPECT_TRUE(img.Encode(buffer, size, type)) << img.GetLastError();
    Bytes out(buffer, buffer + size);
    img.FreeMemory(buffer);
    return out;
}

} // namespace imgtest
