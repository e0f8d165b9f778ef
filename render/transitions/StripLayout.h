// Vertical strips that share the frame width between them (Accordion, Blinds): with q = W div N
// and r = W mod N, the first r strips are q + 1 wide and the others q, side by side from x = 0.
// A strip is drawn straight from the whole picture, so no strip needs a bitmap of its own.
#pragma once

#include <cstdint>

#include "platform/gdiplus/Graphics.h"

struct Strip {
    int32_t x = 0;
    int32_t width = 0;
    int32_t height = 0;

    Gdiplus::RectF Rect() const {
        return Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), 0, static_cast<Gdiplus::REAL>(width),
                              static_cast<Gdiplus::REAL>(height));
    }
    Gdiplus::REAL Center() const {
        return static_cast<Gdiplus::REAL>(x) + 0.5f * static_cast<Gdiplus::REAL>(width);
    }
    // The strip of `picture` stretched into a rectangle.
    void Draw(Gdiplus::Graphics& g, Gdiplus::Bitmap* picture, const Gdiplus::RectF& dest) const;
};

// Strip i of `count` (count >= 1) across a w x h frame.
Strip LayStrip(int32_t w, int32_t h, int32_t count, int32_t i);
