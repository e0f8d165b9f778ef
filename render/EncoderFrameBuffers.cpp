#include "render/EncoderFrameBuffers.h"

bool EncoderFrameBuffers::Allocate(int32_t width, int32_t height) {
    m_nWidth = m_nHeight = 0;
    m_LockData = Gdiplus::BitmapData();
    if (width <= 0 || height <= 0 || (width & 1) || (height & 1)) return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    m_Locked.assign(pixels * 3, 0);
    m_Flipped.assign(pixels * 3, 0);
    for (std::vector<uint8_t>& yuv : m_Yuv) yuv.assign(pixels * 3 / 2, 0);
    m_nCurrentYuv = 0;
    m_nWidth = width;
    m_nHeight = height;
    m_LockData.Width = static_cast<UINT>(width);
    m_LockData.Height = static_cast<UINT>(height);
    m_LockData.Stride = 3 * width;
    m_LockData.PixelFormat = Gdiplus::PixelFormat24bppRGB;
    m_LockData.Scan0 = m_Locked.data();
    return true;
}
