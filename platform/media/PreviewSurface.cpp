#include "platform/media/PreviewSurface.h"

#include <cairo.h>

#include <algorithm>

CPreviewSurface::CPreviewSurface(int32_t width, int32_t height)
    : m_nWidth(std::max(width, 0)), m_nHeight(std::max(height, 0)),
      m_bitmap(std::max(width, 1), std::max(height, 1), Gdiplus::PixelFormat32bppARGB),
      m_graphics(&m_bitmap) {
    m_graphics.Clear(Gdiplus::Color(Gdiplus::Color::Black));
}

void CPreviewSurface::Present(Gdiplus::Bitmap& frame) {
    const Clock::time_point at = Clock::now();
    if (m_nWidth == 0 || m_nHeight == 0) return;
    Listener listener;
    uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_graphics.DrawImage(&frame, 0, 0);
        number = ++m_nFrames;
        listener = m_listener;
    }
    if (listener) listener(number, at);
}

uint64_t CPreviewSurface::PresentedFrames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nFrames;
}

void CPreviewSurface::SetListener(Listener listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}

Gdiplus::ARGB CPreviewSurface::GetPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    Gdiplus::Color colour;
    m_bitmap.GetPixel(x, y, &colour);
    return colour.GetValue();
}

void CPreviewSurface::ReadPixels(
    const std::function<void(const uint8_t* pixels, int32_t stride)>& read) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    cairo_surface_t* surface = m_bitmap.CairoSurface();
    if (!surface || !read) return;
    cairo_surface_flush(surface);
    read(cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface));
}
