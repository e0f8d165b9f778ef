// The buffers one encode passes every frame through: the locked 24-bit pixels (top row first),
// the same rows bottom-up, and the planar YUV 4:2:0 picture handed to the encoder library.
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
    uint8_t* Yuv() { return m_Yuv.data(); }
    size_t YuvSize() const { return m_Yuv.size(); }
    // The lock descriptor: the whole frame as packed 24-bit rows into Locked().
    Gdiplus::BitmapData& LockData() { return m_LockData; }

private:
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    std::vector<uint8_t> m_Locked;
    std::vector<uint8_t> m_Flipped;
    std::vector<uint8_t> m_Yuv;
    Gdiplus::BitmapData m_LockData;
};
