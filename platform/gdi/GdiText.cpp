// DrawText: lines broken at CR, LF and CR LF, measured and drawn with cairo in the DC's font.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiDC.h"
#include "platform/gdiplus/CairoPtr.h"

using Gdiplus::detail::CairoContextPtr;
using Gdiplus::detail::CairoSurfacePtr;

namespace {

// Cairo takes UTF-8 only: a byte that does not start a valid sequence becomes '?'.
std::string ValidUtf8(const std::string& in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const auto c = static_cast<unsigned char>(in[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = n > 0 && i + n <= in.size() && !(c == 0xC0 || c == 0xC1 || c > 0xF4);
        for (size_t k = 1; ok && k < n; ++k)
            ok = (static_cast<unsigned char>(in[i + k]) & 0xC0) == 0x80;
        if (ok) {
            out.append(in, i, n);
            i += n;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

// "&x" shows x, "&&" shows "&".
std::string StripPrefixes(const std::string& in)
{
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '&' && i + 1 < in.size())
            ++i;
        else if (in[i] == '&')
            continue;
        out += in[i];
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += s[i];
        }
    }
    return lines;
}

void SetColor(cairo_t* cr, COLORREF c)
{
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// A cairo surface on the DC's bitmap: its own rows for 32-bit device bitmaps, else a copy that
// Finish writes back.
class BitmapSurface {
public:
    explicit BitmapSurface(GdiBitmap& b) : bmp_(b)
    {
        direct_ = b.bpp == 32 && !b.dib;
        if (direct_) {
            surface_.reset(cairo_image_surface_create_for_data(b.pixels.data(), CAIRO_FORMAT_RGB24, b.width, b.height,
                                                               static_cast<int>(b.stride)));
            return;
        }
        surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, b.width, b.height));
        if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS)
            return;
        const PixelView v = b.View();
        std::vector<uint32_t> row(static_cast<size_t>(b.width));
        for (int y = 0; y < b.height; ++y) {
            ReadPixelRow(v, v.DeviceRow(y), 0, b.width, row.data());
            if (v.Indexed())
                for (uint32_t& p : row)
                    p = v.ColorOf(p);
            WritePixelRow(Row(y), 32, 0, b.width, row.data());
        }
        cairo_surface_mark_dirty(surface_.get());
    }
    cairo_surface_t* Get() const { return surface_.get(); }
    bool Ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
    void Finish()
    {
        cairo_surface_flush(surface_.get());
        if (direct_ || !Ok())
            return;
        const PixelView v32 = [&] {
            PixelView v;
            v.width = bmp_.width;
            v.height = bmp_.height;
            v.bpp = 32;
            return v;
        }();
        std::vector<uint32_t> row(static_cast<size_t>(bmp_.width));
        for (int y = 0; y < bmp_.height; ++y) {
            ReadPixelRow(v32, Row(y), 0, bmp_.width, row.data());
            if (bmp_.bpp <= 8)
                for (uint32_t& p : row)
                    p = bmp_.IsMonoDevice() ? (p == 0xFFFFFF ? 1u : 0u) : NearestIndex(bmp_.colors, bmp_.numColors, p);
            WritePixelRow(bmp_.DeviceRow(y), bmp_.bpp, 0, bmp_.width, row.data());
        }
    }

private:
    BYTE* Row(int y) const
    {
        return cairo_image_surface_get_data(surface_.get()) + static_cast<size_t>(cairo_image_surface_get_stride(surface_.get())) * y;
    }
    GdiBitmap& bmp_;
    bool direct_ = false;
    CairoSurfacePtr surface_;
};

} // namespace

int DrawText(HDC hdc, const char* text, int len, RECT* rc, UINT format)
{
    if (!hdc || !text || !rc || !hdc->font)
        return 0;
    std::string s = len < 0 ? std::string(text) : std::string(text, static_cast<size_t>(len));
    if (!(format & DT_NOPREFIX))
        s = StripPrefixes(s);
    const std::vector<std::string> lines = SplitLines(ValidUtf8(s));
    const GdiFont& font = *hdc->font;

    CairoSurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    CairoContextPtr measure(cairo_create(scratch.get()));
    font.Apply(measure.get());
    cairo_font_extents_t fe;
    cairo_font_extents(measure.get(), &fe);
    const int lineHeight = static_cast<int>(std::ceil(fe.ascent + fe.descent));
    std::vector<int> widths;
    int widest = 0;
    for (const std::string& line : lines) {
        cairo_text_extents_t te;
        cairo_text_extents(measure.get(), line.c_str(), &te);
        widths.push_back(static_cast<int>(std::ceil(std::max(te.x_advance, te.x_bearing + te.width))));
        widest = std::max(widest, widths.back());
    }
    const int64_t height = int64_t{lineHeight} * static_cast<int64_t>(lines.size());
    if (height > INT32_MAX / 2)
        return 0;
    if (format & DT_CALCRECT) {
        rc->right = static_cast<LONG>(std::min<int64_t>(int64_t{rc->left} + widest, INT32_MAX));
        rc->bottom = static_cast<LONG>(std::min<int64_t>(int64_t{rc->top} + height, INT32_MAX));
        return static_cast<int>(height);
    }

    BitmapSurface surface(*hdc->bitmap);
    if (!surface.Ok())
        return 0;
    CairoContextPtr cr(cairo_create(surface.Get()));
    for (const GdiRegion::Band& band : hdc->Visible().bands)
        for (const GdiRegion::Span& span : band.spans)
            cairo_rectangle(cr.get(), span.first, band.top, span.second - span.first, band.bottom - band.top);
    cairo_clip(cr.get());
    font.Apply(cr.get());
    for (size_t i = 0; i < lines.size(); ++i) {
        const int w = widths[i];
        double x = rc->left;
        if (format & DT_CENTER)
            x = rc->left + (static_cast<double>(rc->right) - rc->left - w) / 2;
        else if (format & DT_RIGHT)
            x = static_cast<double>(rc->right) - w;
        x = std::floor(x);
        const double y = static_cast<double>(rc->top) + static_cast<double>(i) * lineHeight;
        if (hdc->bkMode == OPAQUE) {
            SetColor(cr.get(), hdc->bkColor);
            cairo_rectangle(cr.get(), x, y, w, lineHeight);
            cairo_fill(cr.get());
        }
        SetColor(cr.get(), hdc->textColor);
        cairo_move_to(cr.get(), x, y + std::round(fe.ascent));
        cairo_show_text(cr.get(), lines[i].c_str());
        if (font.lf.lfUnderline) {
            const double thick = std::max(1.0, std::round(font.em / 16));
            cairo_rectangle(cr.get(), x, y + std::round(fe.ascent) + thick, w, thick);
            cairo_fill(cr.get());
        }
    }
    cr.reset();
    surface.Finish();
    return static_cast<int>(height);
}
