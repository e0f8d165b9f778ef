// A memory device context: the selected bitmap and font, colours, modes and the clip region.
#pragma once

#include <memory>

#include "platform/gdi/GdiBitmap.h"
#include "platform/gdi/GdiFont.h"
#include "platform/gdi/GdiRegion.h"

struct GdiDC {
    GdiDC();
    ~GdiDC();
    GdiDC(const GdiDC&) = delete;
    GdiDC& operator=(const GdiDC&) = delete;

    // What drawing may touch: the bitmap's area, cut by the clip region when there is one.
    GdiRegion Visible() const;
    // Calls f(x0, x1) for each visible run of row y inside [left, right).
    template <class F> void ForVisibleRuns(const GdiRegion& visible, int y, int left, int right, F f) const
    {
        const auto* spans = visible.SpansAt(y);
        if (!spans)
            return;
        for (const auto& s : *spans) {
            const int x0 = std::max(left, s.first), x1 = std::min(right, s.second);
            if (x0 < x1)
                f(x0, x1);
        }
    }

    std::unique_ptr<GdiBitmap> ownBitmap; // the 1 x 1 monochrome bitmap a new DC starts with
    GdiBitmap* bitmap = nullptr;
    GdiFont* font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = 2;      // OPAQUE
    int stretchMode = 1; // BLACKONWHITE
    std::unique_ptr<GdiRegion> clip;
};
