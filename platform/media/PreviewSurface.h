// The preview area: an in-memory 32-bit picture that a render thread draws its frames into and
// that a window shows (or nothing does, with no display). Every access holds the surface's lock,
// so the window may read while the render thread draws.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"

class CPreviewSurface {
public:
    using Clock = std::chrono::steady_clock;
    // Told of every presented frame on the drawing thread, after the lock is released: the
    // frame's number (from 1) and when it was handed over. Keep it short.
    using Listener = std::function<void(uint64_t frame, Clock::time_point at)>;

    // Starts opaque black; a size below 1 makes an empty surface that ignores every frame.
    CPreviewSurface(int32_t width, int32_t height);
    CPreviewSurface(const CPreviewSurface&) = delete;
    CPreviewSurface& operator=(const CPreviewSurface&) = delete;

    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }

    // Draws the frame at (0, 0) (what lies outside is cut off), counts it and tells the listener.
    void Present(Gdiplus::Bitmap& frame);
    uint64_t PresentedFrames() const;

    // Set before the render starts; null for none.
    void SetListener(Listener listener);

    // A pixel's colour (0 outside the surface).
    Gdiplus::ARGB GetPixel(int32_t x, int32_t y) const;
    // Hands the pixels to `read` under the lock: premultiplied 32-bit words 0xAARRGGBB in native
    // byte order, top row first, `stride` bytes a row.
    void ReadPixels(const std::function<void(const uint8_t* pixels, int32_t stride)>& read) const;

private:
    const int32_t m_nWidth;
    const int32_t m_nHeight;
    mutable std::mutex m_mutex;
    Gdiplus::Bitmap m_bitmap;
    Gdiplus::Graphics m_graphics;
    uint64_t m_nFrames = 0;
    Listener m_listener;
};
