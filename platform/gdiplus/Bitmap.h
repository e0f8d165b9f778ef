// A picture in memory, held by a cairo image surface: 24-bit and 32-bit RGB bitmaps by an RGB24
// surface, 32-bit ARGB ones by a premultiplied ARGB32 surface.
//
// A bitmap that could not be made (bad size, unreadable file, bad clone rectangle) is invalid: it
// is 0 x 0, reports a non-Ok status and 0 flags, and every operation on it is a harmless failure.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdiplus/CairoPtr.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Bitmap {
public:
    // A new bitmap cleared to transparent black (opaque black for the formats without alpha).
    Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
    // Loads a picture file through the image library (any format it reads), as 24-bit RGB, or as
    // 32-bit ARGB when the picture has transparency.
    explicit Bitmap(const std::string& path);
    static std::unique_ptr<Bitmap> FromFile(const std::string& path) { return std::make_unique<Bitmap>(path); }
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    bool IsValid() const { return m_surface != nullptr; }
    UINT GetWidth() const { return static_cast<UINT>(m_width); }
    UINT GetHeight() const { return static_cast<UINT>(m_height); }
    PixelFormat GetPixelFormat() const { return m_format; }
    // ImageFlags: colour space RGB, alpha when the format has it, real pixel size for a loaded
    // picture; 0 for an invalid bitmap.
    UINT GetFlags() const;
    Status GetLastStatus() const { return m_status; }

    // Copies of the whole bitmap or of a rectangle inside it, in the given format (pixels of a
    // format with alpha become their colour over black in one without). Never null: a failure
    // gives an invalid bitmap carrying the reason.
    std::unique_ptr<Bitmap> Clone() const;
    std::unique_ptr<Bitmap> Clone(const Rect& rect, PixelFormat format) const;
    std::unique_ptr<Bitmap> Clone(INT x, INT y, INT width, INT height, PixelFormat format) const {
        return Clone(Rect(x, y, width, height), format);
    }

    // Hands out a rectangle (null: the whole bitmap) as packed pixels of `format`, top row first.
    // Without ImageLockModeUserInputBuf the buffer is the bitmap's own, Stride a multiple of 4;
    // with it the caller supplies Scan0 and Stride in `data` (a negative Stride lays rows
    // bottom-up). With ImageLockModeRead the buffer receives the pixels; with
    // ImageLockModeWrite UnlockBits stores the buffer back. One lock at a time. A bitmap with
    // alpha locked as 32bppPARGB without a caller's buffer hands out its own pixels (no copy; the
    // caller keeps colours within alpha).
    Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data);
    Status UnlockBits(BitmapData* data);

    Status GetPixel(INT x, INT y, Color* color) const;
    Status SetPixel(INT x, INT y, const Color& color);

    // Writes the picture as a 24-bit BMP file; "image/bmp" is the only type served. The file is
    // written beside its final name and renamed into place, so it is never left half-written.
    Status Save(const std::string& path, const std::string& mimeType) const;

    // Drawing-layer use: the surface holding the pixels (null when invalid).
    cairo_surface_t* CairoSurface() const { return m_surface.get(); }

private:
    Bitmap() = default;
    Status Set(Status s) const { return m_status = s; }
    void Create(INT width, INT height, PixelFormat format);
    // Drops the pixels: the bitmap becomes invalid.
    void Invalidate();
    // True when the rectangle is non-empty and lies inside the bitmap.
    bool Contains(const Rect& r) const;
    // Row y of the surface's pixels, from column x (the caller flushes or marks the surface).
    uint32_t* SurfaceRow(INT y, INT x = 0) const;

    detail::CairoSurfacePtr m_surface;
    INT m_width = 0;
    INT m_height = 0;
    PixelFormat m_format = PixelFormatUndefined;
    bool m_loaded = false;
    mutable Status m_status = Ok;

    struct Lock {
        bool active = false;
        Rect rect;
        UINT flags = 0;
        PixelFormat format = PixelFormatUndefined;
        unsigned char* scan0 = nullptr;
        INT stride = 0;
        bool direct = false; // scan0 points into the surface
        std::vector<unsigned char> ownBuffer;
    };
    Lock m_lock;

    friend class BitmapLoader;
};

} // namespace Gdiplus
