// A memory DC with a 32-bit bitmap selected, for tests that draw through the device-context layer.
#pragma once

#include "platform/gdi/Gdi.h"

class GdiCanvas {
public:
    GdiCanvas(int width, int height, COLORREF fill = RGB(0, 0, 0)) : dc_(CreateCompatibleDC(nullptr))
    {
        bmp_ = CreateBitmap(width, height, 1, 32, nullptr);
        old_ = SelectObject(dc_, bmp_);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(dc_, x, y, fill);
    }
    ~GdiCanvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
};
