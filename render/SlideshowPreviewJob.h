// What the music-and-preview page hands to a slideshow preview.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/win/MsgWindow.h"

class CPreviewSurface;
class CSlideShow;

struct SlideshowPreviewJob {
    int32_t m_bPal = 0;                  // non-zero: 25 frames per second, else 30
    CSlideShow* m_pSlideshow = nullptr;
    CPreviewSurface* m_pPreviewSurface = nullptr; // the preview area
    HWND m_hNotifyWindow = nullptr;      // receives WM_PREVIEW_COMPLETE at the end
    Gdiplus::ARGB m_Background = 0xFF000000;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
};
