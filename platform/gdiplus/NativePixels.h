// A bitmap's own pixels for per-pixel loops, without the packed copy of LockBits: rows of 32-bit
// words 0xAARRGGBB, the top byte unused in the formats without alpha and the colour premultiplied
// in those with it. Pending drawing is finished when the view is made; for a writable view the
// bitmap is told of the changes when the view goes away, before anything draws from it again.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Bitmap;

class NativePixels {
public:
    enum class Access { Read, ReadWrite };

    // An invalid bitmap gives an empty view (0 x 0, no rows).
    NativePixels(Bitmap* bitmap, Access access);
    ~NativePixels();
    NativePixels(const NativePixels&) = delete;
    NativePixels& operator=(const NativePixels&) = delete;

    bool IsValid() const { return m_base != nullptr; }
    INT Width() const { return m_width; }
    INT Height() const { return m_height; }
    // Bytes from one row to the next (at least 4 x Width()).
    INT Stride() const { return m_stride; }
    // True when the top byte is alpha, false when it is unused.
    bool HasAlpha() const { return m_alpha; }
    // Row y, 0 <= y < Height().
    uint32_t* Row(INT y) const { return reinterpret_cast<uint32_t*>(m_base + static_cast<ptrdiff_t>(y) * m_stride); }

private:
    Bitmap* m_bitmap = nullptr;
    unsigned char* m_base = nullptr;
    INT m_width = 0;
    INT m_height = 0;
    INT m_stride = 0;
    bool m_writable = false;
    bool m_alpha = false;
};

} // namespace Gdiplus
