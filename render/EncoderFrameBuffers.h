// The buffers one encode passes every frame through: the locked 24-bit pixels (top row first),
// the same rows bottom-up, and the planar YUV 4:2:0 picture handed to the encoder library (two
// of them, so that one can be encoded while the next frame is converted into the other).
// Allocated once per slideshow; rows are packed at 3 x width bytes whatever the width.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdiplus/GdiplusTypes.h"

class EncoderFrameBuffers {
public:
    // False (and nothing allocated) for a size that is not positive and even.
    bool Allocate(int32_t width, int32_t height);

    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }
    uint8_t* Locked() { return m_Locked.data(); }
    uint8_t* Flipped() { return m_Flipped.data(); }
    // The YUV buffer to fill next.
    uint8_t* Yuv() { return m_Yuv[m_nCurrentYuv].data(); }
    size_t YuvSize() const { return m_Yuv[m_nCurrentYuv].size(); }
    // Makes the other YUV buffer the one to fill (the filled one is being encoded).
    void SwapYuv() { m_nCurrentYuv ^= 1; }
    // The lock descriptor: the whole frame as packed 24-bit rows into Locked().
    Gdiplus::BitmapData& LockData() { return m_LockData; }

private:
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    std::vector<uint8_t> m_Locked;
    std::vector<uint8_t> m_Flipped;
    std::vector<uint8_t> m_Yuv[2];
    int m_nCurrentYuv = 0;
    Gdiplus::BitmapData m_LockData;
};
