#include "platform/gdiplus/Bitmap.h"

#include <cstdio>

#include "platform/gdiplus/BitmapLoader.h"
#include "platform/gdiplus/PixelRows.h"
#include "platform/win/AtomicFileWriter.h"

namespace Gdiplus {

namespace {

// cairo's largest image side, and a cap on the pixel count of one bitmap (1 GiB of pixels).
constexpr INT kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

bool HasAlpha(PixelFormat f) { return f == PixelFormat32bppARGB || f == PixelFormat32bppPARGB; }

bool IsServedFormat(PixelFormat f) { return GetPixelFormatSize(f) != 0; }

bool PutLE(FILE* f, uint32_t v, int bytes) {
    unsigned char b[4];
    for (int i = 0; i < bytes; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
    return std::fwrite(b, 1, static_cast<size_t>(bytes), f) == static_cast<size_t>(bytes);
}

} // namespace

Bitmap::Bitmap(INT width, INT height, PixelFormat format) { Create(width, height, format); }

Bitmap::Bitmap(const std::string& path) {
    m_status = BitmapLoader::Load(path, *this);
    if (m_status == Ok) m_loaded = true;
}

Bitmap::~Bitmap() = default;

void Bitmap::Invalidate() {
    m_surface.reset();
    m_width = m_height = 0;
    m_format = PixelFormatUndefined;
}

bool Bitmap::Contains(const Rect& r) const {
    return r.X >= 0 && r.Y >= 0 && r.Width > 0 && r.Height > 0 && int64_t{r.X} + r.Width <= m_width &&
           int64_t{r.Y} + r.Height <= m_height;
}

uint32_t* Bitmap::SurfaceRow(INT y, INT x) const {
    unsigned char* base = cairo_image_surface_get_data(m_surface.get());
    const int stride = cairo_image_surface_get_stride(m_surface.get());
    return reinterpret_cast<uint32_t*>(base + static_cast<size_t>(y) * stride) + x;
}

void Bitmap::Create(INT width, INT height, PixelFormat format) {
    Invalidate();
    if (!IsServedFormat(format) || width <= 0 || height <= 0) {
        Set(InvalidParameter);
        return;
    }
    if (width > kMaxSide || height > kMaxSide || int64_t{width} * height > kMaxPixels) {
        Set(OutOfMemory);
        return;
    }
    detail::CairoSurfacePtr s(
        cairo_image_surface_create(HasAlpha(format) ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) {
        Set(OutOfMemory);
        return;
    }
    m_surface = std::move(s);
    m_width = width;
    m_height = height;
    m_format = format;
    Set(Ok);
}

UINT Bitmap::GetFlags() const {
    if (!IsValid()) return ImageFlagsNone;
    UINT flags = ImageFlagsColorSpaceRGB;
    if (HasAlpha(m_format)) flags |= ImageFlagsHasAlpha;
    if (m_loaded) flags |= ImageFlagsHasRealPixelSize;
    return flags;
}

std::unique_ptr<Bitmap> Bitmap::Clone() const { return Clone(Rect(0, 0, m_width, m_height), m_format); }

std::unique_ptr<Bitmap> Bitmap::Clone(const Rect& rect, PixelFormat format) const {
    std::unique_ptr<Bitmap> copy(new Bitmap());
    if (!IsValid()) {
        copy->Set(Set(InvalidParameter));
        return copy;
    }
    if (!Contains(rect)) {
        copy->Set(Set(InvalidParameter));
        return copy;
    }
    copy->Create(rect.Width, rect.Height, format);
    if (!copy->IsValid()) {
        Set(copy->GetLastStatus());
        return copy;
    }
    cairo_surface_flush(m_surface.get());
    detail::CairoContextPtr cr(cairo_create(copy->m_surface.get()));
    // Onto a surface without alpha, pixels with alpha land over black.
    if (!HasAlpha(format)) {
        cairo_set_source_rgb(cr.get(), 0, 0, 0);
        cairo_paint(cr.get());
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    } else {
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    }
    cairo_set_source_surface(cr.get(), m_surface.get(), -rect.X, -rect.Y);
    cairo_paint(cr.get());
    cairo_surface_flush(copy->m_surface.get());
    copy->m_loaded = m_loaded;
    Set(Ok);
    return copy;
}

Status Bitmap::LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
    if (!IsValid() || !data || !IsServedFormat(format)) return Set(InvalidParameter);
    if (m_lock.active) return Set(WrongState);
    if ((flags & (ImageLockModeRead | ImageLockModeWrite)) == 0) return Set(InvalidParameter);
    const Rect r = rect ? *rect : Rect(0, 0, m_width, m_height);
    if (!Contains(r)) return Set(InvalidParameter);

    const int64_t rowBytes = int64_t{r.Width} * (GetPixelFormatSize(format) / 8);
    Lock lock;
    lock.rect = r;
    lock.flags = flags;
    lock.format = format;
    const bool direct =
        !(flags & ImageLockModeUserInputBuf) && format == PixelFormat32bppPARGB && HasAlpha(m_format);
    if (direct) {
        // The surface's own pixels are premultiplied ARGB already: no copy either way.
        cairo_surface_flush(m_surface.get());
        lock.scan0 = reinterpret_cast<unsigned char*>(SurfaceRow(r.Y, r.X));
        lock.stride = cairo_image_surface_get_stride(m_surface.get());
        lock.direct = true;
    } else if (flags & ImageLockModeUserInputBuf) {
        const int64_t absStride = data->Stride < 0 ? -int64_t{data->Stride} : int64_t{data->Stride};
        if (!data->Scan0 || absStride < rowBytes) return Set(InvalidParameter);
        lock.scan0 = static_cast<unsigned char*>(data->Scan0);
        lock.stride = data->Stride;
    } else {
        const int64_t stride = (rowBytes + 3) & ~int64_t{3};
        lock.ownBuffer.assign(static_cast<size_t>(stride * r.Height), 0);
        lock.scan0 = lock.ownBuffer.data();
        lock.stride = static_cast<INT>(stride);
    }

    if ((flags & ImageLockModeRead) && !direct) {
        cairo_surface_flush(m_surface.get());
        const bool alpha = HasAlpha(m_format);
        for (INT y = 0; y < r.Height; ++y)
            detail::ReadPixelRow(SurfaceRow(r.Y + y, r.X), alpha,
                                 lock.scan0 + static_cast<ptrdiff_t>(y) * lock.stride, format, r.Width);
    }
    lock.active = true;
    m_lock = std::move(lock);
    data->Width = static_cast<UINT>(r.Width);
    data->Height = static_cast<UINT>(r.Height);
    data->Stride = m_lock.stride;
    data->PixelFormat = format;
    data->Scan0 = m_lock.scan0;
    data->Reserved = 0;
    return Set(Ok);
}

Status Bitmap::UnlockBits(BitmapData* data) {
    if (!data || !m_lock.active) return Set(WrongState);
    if ((m_lock.flags & ImageLockModeWrite) && m_lock.direct) {
        const Rect& r = m_lock.rect;
        cairo_surface_mark_dirty_rectangle(m_surface.get(), r.X, r.Y, r.Width, r.Height);
    } else if (m_lock.flags & ImageLockModeWrite) {
        cairo_surface_flush(m_surface.get());
        const bool alpha = HasAlpha(m_format);
        const Rect& r = m_lock.rect;
        for (INT y = 0; y < r.Height; ++y)
            detail::WritePixelRow(m_lock.scan0 + static_cast<ptrdiff_t>(y) * m_lock.stride, m_lock.format,
                                  SurfaceRow(r.Y + y, r.X), alpha, r.Width);
        cairo_surface_mark_dirty(m_surface.get());
    }
    m_lock = Lock();
    return Set(Ok);
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) const {
    if (!IsValid() || !color || x < 0 || y < 0 || x >= m_width || y >= m_height) return Set(InvalidParameter);
    cairo_surface_flush(m_surface.get());
    unsigned char px[4];
    detail::ReadPixelRow(SurfaceRow(y, x), HasAlpha(m_format), px, PixelFormat32bppARGB, 1);
    *color = Color(px[3], px[2], px[1], px[0]);
    return Set(Ok);
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color) {
    if (!IsValid() || x < 0 || y < 0 || x >= m_width || y >= m_height) return Set(InvalidParameter);
    if (m_lock.active) return Set(WrongState);
    cairo_surface_flush(m_surface.get());
    const unsigned char px[4] = {color.GetB(), color.GetG(), color.GetR(), color.GetA()};
    detail::WritePixelRow(px, PixelFormat32bppARGB, SurfaceRow(y, x), HasAlpha(m_format), 1);
    cairo_surface_mark_dirty_rectangle(m_surface.get(), x, y, 1, 1);
    return Set(Ok);
}

Status Bitmap::Save(const std::string& path, const std::string& mimeType) const {
    if (!IsValid() || path.empty()) return Set(InvalidParameter);
    if (mimeType != "image/bmp") return Set(UnknownImageFormat);
    const uint32_t rowBytes = (static_cast<uint32_t>(m_width) * 3 + 3) & ~3u;
    const uint64_t imageBytes = uint64_t{rowBytes} * static_cast<uint64_t>(m_height);
    if (imageBytes + 54 > 0xFFFFFFFFull) return Set(ValueOverflow);

    std::vector<unsigned char> rows(static_cast<size_t>(imageBytes), 0);
    cairo_surface_flush(m_surface.get());
    for (INT y = 0; y < m_height; ++y) {
        // BMP rows run bottom-up.
        detail::ReadPixelRow(SurfaceRow(y), HasAlpha(m_format),
                             rows.data() + static_cast<size_t>(m_height - 1 - y) * rowBytes,
                             PixelFormat24bppRGB, m_width);
    }

    CAtomicFileWriter out;
    if (!out.Open(path)) return Set(GenericError);
    FILE* f = out.File();
    bool ok = PutLE(f, 0x4D42, 2) && PutLE(f, static_cast<uint32_t>(54 + imageBytes), 4) && PutLE(f, 0, 2) &&
              PutLE(f, 0, 2) && PutLE(f, 54, 4);
    ok = ok && PutLE(f, 40, 4) && PutLE(f, static_cast<uint32_t>(m_width), 4) &&
         PutLE(f, static_cast<uint32_t>(m_height), 4) && PutLE(f, 1, 2) && PutLE(f, 24, 2) && PutLE(f, 0, 4) &&
         PutLE(f, static_cast<uint32_t>(imageBytes), 4) && PutLE(f, 3780, 4) && PutLE(f, 3780, 4) && PutLE(f, 0, 4) &&
         PutLE(f, 0, 4);
    ok = ok && out.Write(rows.data(), rows.size());
    if (!ok || !out.Commit()) return Set(GenericError);
    return Set(Ok);
}

} // namespace Gdiplus
